#include "support/xtest_input.h"

#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>

#include <chrono>
#include <cstdlib>

#include "support/pump.h"

using namespace std::chrono_literals;

namespace zel::test {

namespace {
Display* XDisplayOf(GtkWidget* widget) {
  return gdk_x11_display_get_xdisplay(gtk_widget_get_display(widget));
}
void ScreenPoint(GtkWidget* widget, int x, int y, int* sx, int* sy) {
  int ox = 0, oy = 0;
  gdk_window_get_origin(gtk_widget_get_window(widget), &ox, &oy);
  if (!gtk_widget_get_has_window(widget)) {
    GtkAllocation a;
    gtk_widget_get_allocation(widget, &a);
    ox += a.x;
    oy += a.y;
  }
  *sx = ox + x;
  *sy = oy + y;
}
}  // namespace

void XMoveTo(GtkWidget* widget, int x, int y, int step) {
  Display* d = XDisplayOf(widget);
  int sx, sy;
  ScreenPoint(widget, x, y, &sx, &sy);
  Window root, child;
  int cx = sx, cy = sy, wx, wy;
  unsigned mask;
  XQueryPointer(d, DefaultRootWindow(d), &root, &child, &cx, &cy, &wx, &wy, &mask);
  while (cx != sx || cy != sy) {
    int dx = sx - cx, dy = sy - cy;
    cx += std::abs(dx) > step ? (dx > 0 ? step : -step) : dx;
    cy += std::abs(dy) > step ? (dy > 0 ? step : -step) : dy;
    XTestFakeMotionEvent(d, -1, cx, cy, CurrentTime);
    XFlush(d);
    PumpFor(15ms);
  }
  PumpFor(50ms);
}

void XButton(unsigned button, bool press) {
  Display* d = gdk_x11_display_get_xdisplay(gdk_display_get_default());
  XTestFakeButtonEvent(d, button, press, CurrentTime);
  XFlush(d);
  PumpFor(50ms);
}

void XDrag(GtkWidget* widget, int fromX, int fromY, int toX, int toY) {
  XMoveTo(widget, fromX, fromY);
  XButton(1, true);
  XMoveTo(widget, toX, toY, 4);
  PumpFor(200ms);
  XButton(1, false);
}

XPointerKeeper::XPointerKeeper() {
  Display* d = gdk_x11_display_get_xdisplay(gdk_display_get_default());
  Window root, child;
  int wx, wy;
  unsigned mask;
  XQueryPointer(d, DefaultRootWindow(d), &root, &child, &x_, &y_, &wx, &wy, &mask);
}

XPointerKeeper::~XPointerKeeper() {
  Display* d = gdk_x11_display_get_xdisplay(gdk_display_get_default());
  XTestFakeMotionEvent(d, -1, x_, y_, CurrentTime);
  XFlush(d);
}

void XKeyChord(std::initializer_list<unsigned> modifiers, unsigned keysym) {
  Display* d = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
  for (unsigned m : modifiers) XTestFakeKeyEvent(d, XKeysymToKeycode(d, m), True, CurrentTime);
  XTestFakeKeyEvent(d, XKeysymToKeycode(d, keysym), True, CurrentTime);
  XTestFakeKeyEvent(d, XKeysymToKeycode(d, keysym), False, CurrentTime);
  for (unsigned m : modifiers) XTestFakeKeyEvent(d, XKeysymToKeycode(d, m), False, CurrentTime);
  XFlush(d);
}

void XKey(unsigned keysym, bool press) {
  Display* d = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
  XTestFakeKeyEvent(d, XKeysymToKeycode(d, keysym), press, CurrentTime);
  XFlush(d);
  PumpFor(50ms);
}

}  // namespace zel::test
