#include "session/closed_ring.h"

namespace zel {

void ClosedRing::Add(ClosedPage page) {
  slots_[tail_] = std::move(page);
  tail_ = Next(tail_);
  if (tail_ == head_) {
    slots_[head_] = ClosedPage();
    head_ = Next(head_);
  }
}

std::vector<int> ClosedRing::SlotsNewestFirst() const {
  std::vector<int> out;
  for (int i = tail_; i != head_;) {
    i = Prev(i);
    out.push_back(i);
  }
  return out;
}

const ClosedPage* ClosedRing::AtSlot(int slot) const {
  if (slot < 0 || slot >= kSlots) return nullptr;
  // In use: the slot lies in [head, tail) going round the ring.
  int offset = (slot - head_ + kSlots) % kSlots;
  return offset < size() ? &slots_[slot] : nullptr;
}

std::optional<ClosedPage> ClosedRing::TakeNewest() {
  if (empty()) return std::nullopt;
  tail_ = Prev(tail_);
  ClosedPage p = std::move(slots_[tail_]);
  slots_[tail_] = ClosedPage();
  return p;
}

std::optional<ClosedPage> ClosedRing::TakeSlot(int slot) {
  if (!AtSlot(slot)) return std::nullopt;
  ClosedPage p = std::move(slots_[slot]);
  // Close the gap: every later entry up to the tail moves one slot toward the head.
  int i = slot;
  for (int next = Next(i); next != tail_; i = next, next = Next(next))
    slots_[i] = std::move(slots_[next]);
  slots_[i] = ClosedPage();
  tail_ = Prev(tail_);
  return p;
}

std::vector<ClosedPage> ClosedRing::OldestFirst() const {
  std::vector<ClosedPage> out;
  for (int i = head_; i != tail_; i = Next(i)) out.push_back(slots_[i]);
  return out;
}

}  // namespace zel
