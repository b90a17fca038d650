// The gesture table: direction strings ("U", "DR", ...) mapped to action numbers, stored in
// MOUSESET/gesture as a run of <gesture action="..." cmd="..." title="..." /> elements, and
// the meaning of every action number for the view's dispatcher.
#pragma once

#include <vector>

#include "base/text.h"

namespace zel {

struct GestureEntry {
  u16 action;  // direction letters in stroke order, upper case
  int cmd = 0;  // action number
};

// Parses the stored form. Elements named "gesture" are taken in order; "cmd" is read the
// way _wtoi reads it (not a number: 0) and "title" is dropped. Empty text gives the
// built-in table. Text cut inside an element keeps the entries before it.
std::vector<GestureEntry> ParseGestureTable(u16view stored);

class GestureTable {
 public:
  // Rebuilds the table from config.ini MOUSESET/gesture (259 characters at most are
  // read, as for every setting).
  void LoadGestureTable();
  // Rebuilds the table from stored text (see ParseGestureTable).
  void LoadFromText(u16view stored) { entries_ = ParseGestureTable(stored); }

  // The action number of the first entry whose action equals directions exactly
  // (case-sensitive), or -1.
  int LookupGesture(u16view directions) const;
  // The display name of that entry's action number; empty when there is no entry or the
  // number has no name.
  u16 GestureTitle(u16view directions) const;

  const std::vector<GestureEntry>& entries() const { return entries_; }

 private:
  std::vector<GestureEntry> entries_;
};

// The display name of an action number (0-30); empty for any other number.
u16 ActionName(int number);

// What the dispatcher does with an action number.
enum class ActionKind {
  kNothing,        // 3 and 5
  kFrameCommand,   // a built-in action that runs the frame command in id
  kKey,            // 9-12: a key-down of the key in id sent to the focused window
  kSystemCommand,  // 28, 29: the system command in id sent to the main window
  kOpenLink,       // 1175-1177: open the link under the pointer, new-window flags in id
  kPostCommand,    // any other number, posted to the main frame as command id
};

// Keys the scrolling actions send.
enum GestureKey : int { kKeyPageUp = 1, kKeyPageDown, kKeyHome, kKeyEnd };

inline constexpr int kSysCommandMinimize = 61472;
inline constexpr int kSysCommandRestore = 61728;

struct ActionTarget {
  ActionKind kind = ActionKind::kPostCommand;
  int id = 0;
  bool operator==(const ActionTarget&) const = default;
};

// The action numbers 0-30 are built in; 1175, 1176, 1177 open the link under the pointer
// with new-window flags 1, 2, 4; every other number (-1 included) is a command id.
ActionTarget ResolveAction(int number);

}  // namespace zel
