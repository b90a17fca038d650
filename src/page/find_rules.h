// The count of the find bar: which match is the current one and how many there are, as
// the engine's answers to a new search and to each step move it.
#pragma once

#include "base/text.h"
#include "view/engine_port.h"

namespace zel {

struct FindCount {
  int current = 0;  // 1-based; 0 when nothing is found
  int total = 0;
  bool capped = false;  // more matches than the engine counts

  // The engine's answer to a request: matches is the number it reports (0: none; above
  // maxMatches: capped). The total comes from a new search; a step only moves the current
  // match (the engine reports one match for it).
  void Answer(FindRequest::Step step, int matches, int maxMatches);
  // "n/m" ("n/m+" when capped), "找不到" when the text is not in the page, "" without text.
  u16 Label(bool haveText) const;
};

}  // namespace zel
