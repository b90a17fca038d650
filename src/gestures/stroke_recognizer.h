// Right-button stroke recognition: pointer positions in, a direction string over "R", "L",
// "D", "U" out. The view feeds it the press, the moves and the release of the right button;
// drawing the trail, capturing the mouse and showing the context menu stay with the view.
#pragma once

#include <array>

#include "base/text.h"

namespace zel {

class StrokeRecognizer {
 public:
  // Mouse buttons held during a move (modifier keys are not part of this mask).
  static constexpr unsigned kLeftButton = 1;
  static constexpr unsigned kRightButton = 2;
  static constexpr unsigned kMiddleButton = 0x10;

  // The ring has 9 slots and so keeps at most the last 8 strokes.
  static constexpr int kRingSlots = 9;
  static constexpr int kMaxStrokes = kRingSlots - 1;

  // What the release of the right button means for the caller.
  struct Release {
    bool wasCapturing = false;  // false: the press was never seen, nothing to do
    u16 strokes;                // oldest first; empty when no stroke was made
    // True when strokes were made: the caller runs the gesture and consumes the
    // button-up. False after a right click without strokes, so the page's context menu
    // may be shown.
    bool consumed = false;
  };

  // The direction of a move by (dx, dy) in client coordinates (y grows downwards):
  // u'R', u'L', u'D', u'U', or 0 for a move of 8 pixels or less and for an exact diagonal.
  static char16_t Direction(int dx, int dy);

  // Right button pressed at (x, y): starts capturing from that point with an empty ring.
  void Press(int x, int y);
  // Pointer at (x, y) with the buttons in heldButtons. Only a move with the right button
  // alone held, while capturing, can make a stroke; the last point advances only when a
  // direction results. Returns the direction appended or seen again (0 when none).
  char16_t Move(int x, int y, unsigned heldButtons);
  // Right button released: capturing ends and the strokes are handed over.
  Release ReleaseRight();
  // Left button released, a rocker or a wheel action: capturing ends, nothing is run.
  void Cancel() { capturing_ = false; }

  bool capturing() const { return capturing_; }
  bool HasStrokes() const { return write_ != read_; }
  // The ring's contents from the oldest to the newest stroke (for the help text too).
  u16 Strokes() const;

 private:
  void Append(char16_t direction);

  std::array<char16_t, kRingSlots> ring_{};
  int write_ = 0;
  int read_ = 0;
  bool capturing_ = false;
  int lastX_ = 0;
  int lastY_ = 0;
};

}  // namespace zel
