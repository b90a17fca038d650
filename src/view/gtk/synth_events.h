// Pointer and key events built the way the X server's arrive and handed to GTK's own
// dispatch: the open-link actions click for the user, a right click without strokes goes
// on to the page, the scrolling actions press keys.
#pragma once

#include <gtk/gtk.h>

namespace zel {

// A button press or release at (x, y) in the widget's coordinates. state: the modifier and
// button mask before the event.
void SynthButton(GtkWidget* widget, GdkEventType type, double x, double y, unsigned button,
                 guint state);
// The pointer moved to (x, y) with the buttons and modifiers of state held.
void SynthMotion(GtkWidget* widget, double x, double y, guint state);
// A wheel step at (x, y): up turns it away from the user.
void SynthScroll(GtkWidget* widget, double x, double y, bool up, guint state);
// A key press (and, with release, its release) of keyval sent to the widget.
void SynthKey(GtkWidget* widget, guint keyval, bool release);

}  // namespace zel
