#include "support/synth_input.h"

namespace zel::test {

namespace {

GdkDevice* Pointer(GtkWidget* widget) {
  return gdk_seat_get_pointer(gdk_display_get_default_seat(gtk_widget_get_display(widget)));
}

// Fills the fields every pointer event shares; (x, y) are in the widget's window.
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
  gdk_event_set_device(ev, Pointer(widget));
}

void Button(GtkWidget* widget, GdkEventType type, double x, double y, unsigned button,
            guint state) {
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

}  // namespace

void MoveTo(GtkWidget* widget, double x, double y) {
  GdkEvent* ev = gdk_event_new(GDK_MOTION_NOTIFY);
  GdkEventMotion* m = &ev->motion;
  Place(ev, widget, x, y, &m->x, &m->y, &m->x_root, &m->y_root, &m->window);
  m->time = GDK_CURRENT_TIME;
  m->state = 0;
  gtk_main_do_event(ev);
  gdk_event_free(ev);
}

void ClickAt(GtkWidget* widget, double x, double y, unsigned button) {
  MoveTo(widget, x, y);
  Button(widget, GDK_BUTTON_PRESS, x, y, button, 0);
  guint mask = button == 1 ? GDK_BUTTON1_MASK : button == 2 ? GDK_BUTTON2_MASK : GDK_BUTTON3_MASK;
  Button(widget, GDK_BUTTON_RELEASE, x, y, button, mask);
}

}  // namespace zel::test
