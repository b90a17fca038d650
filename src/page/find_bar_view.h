// The find bar under the pages: the text to find, previous and next, match case, the
// count of the matches, and a close button.
#pragma once

#include "base/text.h"

namespace zel {

class FindBarView {
 public:
  virtual ~FindBarView() = default;
  // Shows the bar with the focus in its text, all of it selected.
  virtual void ShowFindBar() = 0;
  virtual void HideFindBar() = 0;
  virtual bool FindBarShown() const = 0;
  virtual u16 FindBarText() const = 0;
  virtual bool FindBarMatchCase() const = 0;
  // The count beside the text; notFound marks the text as missing from the page.
  virtual void SetFindCount(u16view label, bool notFound) = 0;
};

}  // namespace zel
