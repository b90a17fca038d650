#include "page/find_rules.h"

namespace zel {

void FindCount::Answer(FindRequest::Step step, int matches, int maxMatches) {
  if (matches <= 0) {
    current = total = 0;
    capped = false;
    return;
  }
  capped = matches > maxMatches;
  total = capped ? maxMatches : matches;
  switch (step) {
    case FindRequest::New:
      current = 1;
      break;
    case FindRequest::Next:
      // Past the last match the engine wraps to the first; beyond a capped count the
      // place is not known, so the count stays at its end.
      if (current <= 0)
        current = 1;
      else if (current >= total)
        current = capped ? total : 1;
      else
        ++current;
      break;
    case FindRequest::Previous:
      current = current <= 1 || current > total ? total : current - 1;
      break;
  }
}

u16 FindCount::Label(bool haveText) const {
  if (!haveText) return u"";
  if (total <= 0) return u"找不到";
  return IntToText(current) + u"/" + IntToText(total) + (capped ? u"+" : u"");
}

}  // namespace zel
