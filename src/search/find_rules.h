// The counting and target rules of find and highlight in the page. The page side (a
// script) only counts matches and marks or selects them; which match comes next, when
// the search wraps and what the status bar says are decided here.
#pragma once

#include "base/text.h"

namespace zel {

inline constexpr char16_t kFindStatusPrefix[] = u"查找关键字 当前/总计: ";  // string 1345
inline constexpr char16_t kHighlightStatusPrefix[] = u"高亮关键字计数: ";   // string 1337
inline constexpr char16_t kNoKeywordMessage[] = u"请先输入关键字!";         // message 1336

// Text-range search flags of the page: whole word 2, match case 4.
int FindFlags(bool matchWhole, bool matchCase);

// Per tab; starts empty with the tab.
struct FindState {
  u16 lastKeyword;
  int current = -1;     // index of the selected match, -1 when none
  int lastIndex = 0;    // index of the last match (0 when there is none)
  bool backwards = false;      // the next step goes backwards
  bool stepBackwards = false;  // the step under way goes backwards (kept for a restart)
};

struct FindStep {
  // Target reached: select match `target` and scroll it into view.
  bool select = false;
  // Ran out of matches before a target other than 0: run the find command again; the
  // next step starts over at the first match (backwards: the last one).
  bool again = false;
  u16 status;
};

// Step 1 of a find: stores the keyword as the tab's last find keyword. True when the
// matches must be counted afresh (the keyword changed, and with matchCase off it changed
// in more than letter case); pass that count to StartNewFindKeyword.
bool BeginFind(FindState& state, u16view keyword, bool matchCase);
void StartNewFindKeyword(FindState& state, int matchCount);

// Step 2: the index of the match to select (Shift held: backwards) and made current.
int NextFindTarget(FindState& state, bool shiftDown);

// Step 3: the page reports how many matches it holds now; the target is selected when it
// exists, otherwise the search wraps around.
FindStep FinishFind(FindState& state, int target, int matchCount);

// Per tab; starts empty with the tab.
struct HighlightState {
  u16 lastKeyword;
  bool highlighted = false;
};

// True when this run removes the marks, false when it sets them.
bool BeginHighlight(HighlightState& state, u16view keyword);
// After the page walked its matches: the status text; flips the tab's highlighted flag.
u16 FinishHighlight(HighlightState& state, int matchCount);

}  // namespace zel
