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
