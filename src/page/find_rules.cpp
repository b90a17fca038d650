#include "page/find_rules.h"

namespace zel {

void FindCount::Answer(FindRequest::Step step, int matches, int maxMatches) {
  if (matches <= 0) {
    current = total = 0;
    capped = false;
    return;
  }
  if (step == FindRequest::New || total <= 0) {
    // Only a new search counts the matches; a step finds the next one and says "1".
    capped = matches > maxMatches;
    total = capped ? maxMatches : matches;
    current = 1;
    return;
  }
  if (step == FindRequest::Next) {
    // Past the last match the engine wraps to the first; beyond a capped count the place
    // is not known, so the count stays at its end.
    if (current >= total)
      current = capped ? total : 1;
    else
      ++current;
  } else {
    current = current <= 1 || current > total ? total : current - 1;
  }
}

u16 FindCount::Label(bool haveText) const {
  if (!haveText) return u"";
  if (total <= 0) return u"找不到";
  return IntToText(current) + u"/" + IntToText(total) + (capped ? u"+" : u"");
}

}  // namespace zel
