#include "support/synth_input.h"

#include <initializer_list>

#include "view/gtk/synth_events.h"

namespace zel::test {

void MoveTo(GtkWidget* widget, double x, double y) { SynthMotion(widget, x, y, 0); }

void ClickAt(GtkWidget* widget, double x, double y, unsigned button, guint mods) {
  MoveTo(widget, x, y);
  SynthButton(widget, GDK_BUTTON_PRESS, x, y, button, mods);
  guint mask = button == 1 ? GDK_BUTTON1_MASK : button == 2 ? GDK_BUTTON2_MASK : GDK_BUTTON3_MASK;
  SynthButton(widget, GDK_BUTTON_RELEASE, x, y, button, mask | mods);
}

void ClickWidget(GtkWidget* widget) {
  GdkWindow* target = nullptr;
  if (GdkWindow* parent = gtk_widget_get_window(widget)) {
    GList* kids = gdk_window_get_children(parent);
    for (GList* k = kids; k; k = k->next) {
      gpointer owner = nullptr;
      gdk_window_get_user_data(GDK_WINDOW(k->data), &owner);
      if (owner == widget) target = GDK_WINDOW(k->data);
    }
    g_list_free(kids);
  }
  if (!target) {
    ClickAt(widget, gtk_widget_get_allocated_width(widget) / 2.0,
            gtk_widget_get_allocated_height(widget) / 2.0);
    return;
  }
  for (GdkEventType type : {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE}) {
    GdkEvent* ev = gdk_event_new(type);
    GdkEventButton* b = &ev->button;
    b->window = GDK_WINDOW(g_object_ref(target));
    b->x = gdk_window_get_width(target) / 2.0;
    b->y = gdk_window_get_height(target) / 2.0;
    int ox = 0, oy = 0;
    gdk_window_get_origin(target, &ox, &oy);
    b->x_root = ox + b->x;
    b->y_root = oy + b->y;
    b->time = GDK_CURRENT_TIME;
    b->button = 1;
    b->state = type == GDK_BUTTON_RELEASE ? GDK_BUTTON1_MASK : 0;
    gdk_event_set_device(ev, gdk_seat_get_pointer(gdk_display_get_default_seat(gtk_widget_get_display(widget))));
    gtk_main_do_event(ev);
    gdk_event_free(ev);
  }
}

void PressKeyIn(GtkWidget* toplevel, guint keyval, guint state) {
  GdkWindow* window = gtk_widget_get_window(toplevel);
  if (!window) return;
  GdkDisplay* display = gtk_widget_get_display(toplevel);
  GdkKeymapKey* keys = nullptr;
  gint count = 0;
  guint16 code = 0;
  if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(display), keyval, &keys,
                                        &count) &&
      count > 0)
    code = guint16(keys[0].keycode);
  g_free(keys);
  for (GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) {
    GdkEvent* ev = gdk_event_new(type);
    GdkEventKey* k = &ev->key;
    k->window = GDK_WINDOW(g_object_ref(window));
    k->time = GDK_CURRENT_TIME;
    k->keyval = keyval;
    k->hardware_keycode = code;
    k->state = state;
    gdk_event_set_device(ev, gdk_seat_get_keyboard(gdk_display_get_default_seat(display)));
    gtk_main_do_event(ev);
    gdk_event_free(ev);
  }
}

}  // namespace zel::test
