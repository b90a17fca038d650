#include "support/synth_input.h"

#include "view/gtk/synth_events.h"

namespace zel::test {

void MoveTo(GtkWidget* widget, double x, double y) { SynthMotion(widget, x, y, 0); }

void ClickAt(GtkWidget* widget, double x, double y, unsigned button) {
  MoveTo(widget, x, y);
  SynthButton(widget, GDK_BUTTON_PRESS, x, y, button, 0);
  guint mask = button == 1 ? GDK_BUTTON1_MASK : button == 2 ? GDK_BUTTON2_MASK : GDK_BUTTON3_MASK;
  SynthButton(widget, GDK_BUTTON_RELEASE, x, y, button, mask);
}

}  // namespace zel::test
