#include "view/gtk/synth_events.h"

namespace zel {

namespace {

GdkSeat* Seat(GtkWidget* widget) {
  return gdk_display_get_default_seat(gtk_widget_get_display(widget));
}

// Fills the fields every pointer event shares; (x, y) are in the widget's coordinates and
// come back in its window's.
void Place(GdkEvent* ev, GtkWidget* widget, double x, double y, double* ex, double* ey,
           double* rx, double* ry, GdkWindow** win) {
  GdkWindow* window = gtk_widget_get_window(widget);
  GtkAllocation a;
  gtk_widget_get_allocation(widget, &a);
  // A widget without its own window draws in its parent's, offset by its allocation.
  if (!gtk_widget_get_has_window(widget)) {
    x += a.x;
    y += a.y;
  }
  *win = GDK_WINDOW(g_object_ref(window));
  *ex = x;
  *ey = y;
  int ox = 0, oy = 0;
  gdk_window_get_origin(window, &ox, &oy);
  *rx = ox + x;
  *ry = oy + y;
  gdk_event_set_device(ev, gdk_seat_get_pointer(Seat(widget)));
}

}  // namespace

void SynthButton(GtkWidget* widget, GdkEventType type, double x, double y, unsigned button,
                 guint state) {
  if (!gtk_widget_get_window(widget)) return;
  GdkEvent* ev = gdk_event_new(type);
  GdkEventButton* b = &ev->button;
  Place(ev, widget, x, y, &b->x, &b->y, &b->x_root, &b->y_root, &b->window);
  b->send_event = FALSE;
  b->time = GDK_CURRENT_TIME;
  b->button = button;
  b->state = state;
  gtk_main_do_event(ev);
  gdk_event_free(ev);
}

void SynthMotion(GtkWidget* widget, double x, double y, guint state) {
  if (!gtk_widget_get_window(widget)) return;
  GdkEvent* ev = gdk_event_new(GDK_MOTION_NOTIFY);
  GdkEventMotion* m = &ev->motion;
  Place(ev, widget, x, y, &m->x, &m->y, &m->x_root, &m->y_root, &m->window);
  m->time = GDK_CURRENT_TIME;
  m->state = state;
  gtk_main_do_event(ev);
  gdk_event_free(ev);
}

void SynthScroll(GtkWidget* widget, double x, double y, bool up, guint state) {
  if (!gtk_widget_get_window(widget)) return;
  GdkEvent* ev = gdk_event_new(GDK_SCROLL);
  GdkEventScroll* s = &ev->scroll;
  Place(ev, widget, x, y, &s->x, &s->y, &s->x_root, &s->y_root, &s->window);
  s->time = GDK_CURRENT_TIME;
  s->direction = up ? GDK_SCROLL_UP : GDK_SCROLL_DOWN;
  s->state = state;
  gtk_main_do_event(ev);
  gdk_event_free(ev);
}

void SynthKey(GtkWidget* widget, guint keyval, bool release) {
  GdkWindow* window = gtk_widget_get_window(widget);
  if (!window) return;
  GdkKeymapKey* keys = nullptr;
  gint count = 0;
  guint16 code = 0;
  if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gtk_widget_get_display(widget)),
                                        keyval, &keys, &count) &&
      count > 0)
    code = guint16(keys[0].keycode);
  g_free(keys);
  for (int pass = 0; pass < (release ? 2 : 1); ++pass) {
    GdkEvent* ev = gdk_event_new(pass == 0 ? GDK_KEY_PRESS : GDK_KEY_RELEASE);
    GdkEventKey* k = &ev->key;
    k->window = GDK_WINDOW(g_object_ref(window));
    k->send_event = FALSE;
    k->time = GDK_CURRENT_TIME;
    k->keyval = keyval;
    k->hardware_keycode = code;
    k->state = 0;
    gdk_event_set_device(ev, gdk_seat_get_keyboard(Seat(widget)));
    gtk_widget_event(widget, ev);
    gdk_event_free(ev);
  }
}

}  // namespace zel
