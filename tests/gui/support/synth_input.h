// Synthesized pointer input for GUI tests: events built like the X server's and handed to
// GTK's own dispatch, so a page sees a real click (a user gesture) or a real hover.
#pragma once

#include <gtk/gtk.h>

namespace zel::test {

// Presses and releases button at (x, y) in widget coordinates; the widget must be
// realized and shown.
void ClickAt(GtkWidget* widget, double x, double y, unsigned button = 1, guint mods = 0);
// A left click in the middle of a widget that takes its clicks in an input window of its own
// (a button, a menu item), sent to that window as the X server sends it.
void ClickWidget(GtkWidget* widget);
// Moves the pointer to (x, y) in widget coordinates.
void MoveTo(GtkWidget* widget, double x, double y);
// Presses and releases a key with modifiers (GDK_CONTROL_MASK ...) in a toplevel window,
// as the X server would deliver it: the window's own key handling first, then its focus.
void PressKeyIn(GtkWidget* toplevel, guint keyval, guint state = 0);

}  // namespace zel::test
