// The recently closed pages: a ring of 24 slots with a head (the oldest entry) and a tail
// (the next free slot). Head = tail is empty, so at most 23 entries are held; adding to a
// full ring drops the oldest.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"

namespace zel {

struct ClosedPage {
  u16 url;
  u16 title;
  // The engine's own back/forward history of the tab (kept in memory only; empty for
  // entries read from the file).
  std::string history;
};

class ClosedRing {
 public:
  static constexpr int kSlots = 24;
  static constexpr int kMaxEntries = kSlots - 1;

  void Add(ClosedPage page);
  bool empty() const { return head_ == tail_; }
  int size() const { return (tail_ - head_ + kSlots) % kSlots; }
  // The slots in use, newest first (the menu's order).
  std::vector<int> SlotsNewestFirst() const;
  // The entry in a slot, or null when the slot is not in use.
  const ClosedPage* AtSlot(int slot) const;
  // Removes and returns the newest entry.
  std::optional<ClosedPage> TakeNewest();
  // Removes and returns a slot's entry; the later entries move one slot toward the head.
  std::optional<ClosedPage> TakeSlot(int slot);
  // The entries from head to tail.
  std::vector<ClosedPage> OldestFirst() const;
  // Every slot emptied (its page and history gone from memory too), oldest first.
  void Clear() {
    for (int i = head_; i != tail_; i = Next(i)) slots_[i] = ClosedPage{};
    head_ = tail_ = 0;
  }

 private:
  static int Next(int i) { return (i + 1) % kSlots; }
  static int Prev(int i) { return (i + kSlots - 1) % kSlots; }
  std::array<ClosedPage, kSlots> slots_;
  int head_ = 0;
  int tail_ = 0;
};

}  // namespace zel
