#include "gestures/stroke_recognizer.h"

#include <cstdlib>

namespace zel {

char16_t StrokeRecognizer::Direction(int dx, int dy) {
  // Moves within 8 pixels of the last point are jitter.
  if (static_cast<long long>(dx) * dx + static_cast<long long>(dy) * dy <= 64) return 0;
  const int ax = std::abs(dx);
  const int ay = std::abs(dy);
  if (ay < dx && dx > 0) return u'R';
  if (ay < ax && dx < 0) return u'L';
  if (ax < dy && dy > 0) return u'D';
  if (ax < ay && dy < 0) return u'U';
  return 0;  // |dx| == |dy|: an exact diagonal decides nothing
}

void StrokeRecognizer::Press(int x, int y) {
  capturing_ = true;
  lastX_ = x;
  lastY_ = y;
  write_ = read_ = 0;
}

char16_t StrokeRecognizer::Move(int x, int y, unsigned heldButtons) {
  if (!capturing_ || heldButtons != kRightButton) return 0;
  const char16_t d = Direction(x - lastX_, y - lastY_);
  if (d == 0) return 0;
  Append(d);
  lastX_ = x;
  lastY_ = y;
  return d;
}

void StrokeRecognizer::Append(char16_t direction) {
  if (HasStrokes() && ring_[(write_ + kRingSlots - 1) % kRingSlots] == direction) return;
  ring_[write_] = direction;
  write_ = (write_ + 1) % kRingSlots;
  if (write_ == read_) read_ = (read_ + 1) % kRingSlots;  // drop the oldest stroke
}

u16 StrokeRecognizer::Strokes() const {
  u16 s;
  for (int i = read_; i != write_; i = (i + 1) % kRingSlots) s += ring_[i];
  return s;
}

StrokeRecognizer::Release StrokeRecognizer::ReleaseRight() {
  Release r;
  r.wasCapturing = capturing_;
  capturing_ = false;
  if (!r.wasCapturing) return r;
  r.strokes = Strokes();
  r.consumed = !r.strokes.empty();
  return r;
}

}  // namespace zel
