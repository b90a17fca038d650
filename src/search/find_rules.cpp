#include "search/find_rules.h"

#include <algorithm>

namespace zel {

int FindFlags(bool matchWhole, bool matchCase) { return (matchWhole ? 2 : 0) | (matchCase ? 4 : 0); }

bool BeginFind(FindState& state, u16view keyword, bool matchCase) {
  bool recount = keyword != state.lastKeyword &&
                 (matchCase || !EqualsNoCase(keyword, state.lastKeyword));
  state.lastKeyword = u16(keyword);
  return recount;
}

void StartNewFindKeyword(FindState& state, int matchCount) {
  state.current = -1;
  state.lastIndex = std::max(matchCount - 1, 0);
}

int NextFindTarget(FindState& state, bool shiftDown) {
  if (shiftDown) state.backwards = true;
  int target;
  if (!state.backwards)
    target = state.current + 1;
  else
    target = state.current == -1 ? state.lastIndex : state.current - 1;
  state.current = target;
  state.stepBackwards = state.backwards;
  state.backwards = false;
  return target;
}

FindStep FinishFind(FindState& state, int target, int matchCount) {
  FindStep step;
  // The page may have changed since the keyword was counted: the count it reports now is
  // the one that holds. With a stale, larger last index a backwards wrap would aim past
  // the end again and again.
  state.lastIndex = std::max(matchCount - 1, 0);
  if (target >= 0 && target < matchCount) {
    step.select = true;
    step.status = Format(u"%s%d/%d", kFindStatusPrefix, target + 1, state.lastIndex + 1);
    return step;
  }
  if (target != 0) {
    state.current = -1;
    state.backwards = state.stepBackwards;
    step.again = true;
  }
  step.status = u16(kFindStatusPrefix) + u"0/0";
  return step;
}

bool BeginHighlight(HighlightState& state, u16view keyword) {
  if (keyword != state.lastKeyword) {
    state.lastKeyword = u16(keyword);
    state.highlighted = false;
  }
  return state.highlighted;
}

u16 FinishHighlight(HighlightState& state, int matchCount) {
  const bool removed = state.highlighted;
  state.highlighted = !state.highlighted;
  return Format(u"%s%s%d", kHighlightStatusPrefix, removed && matchCount > 0 ? u"-" : u"",
                matchCount);
}

}  // namespace zel
