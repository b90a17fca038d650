// Pointer input through the X server (the XTEST extension): the pointer really moves, so
// toolkit work that follows the server's pointer, such as drag and drop, sees it.
#pragma once

#include <gtk/gtk.h>

#include <initializer_list>

namespace zel::test {

// Moves the pointer to (x, y) of the widget, in steps of at most step pixels from where it
// is, letting the main loop run between steps.
void XMoveTo(GtkWidget* widget, int x, int y, int step = 8);
void XButton(unsigned button, bool press);
// Presses the left button at from, moves to to and releases it there.
void XDrag(GtkWidget* widget, int fromX, int fromY, int toX, int toY);

// Presses and releases a key with the modifier keys (keysyms) held, through the X server.
void XKeyChord(std::initializer_list<unsigned> modifiers, unsigned keysym);

// Presses or releases one key (a keysym: a modifier held through a drag).
void XKey(unsigned keysym, bool press);

// Puts the pointer back where it was when made, so later tests find it as they expect.
class XPointerKeeper {
 public:
  XPointerKeeper();
  ~XPointerKeeper();

 private:
  int x_ = 0, y_ = 0;
};

}  // namespace zel::test
