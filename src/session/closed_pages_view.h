// The closed-pages menu under the "Address" bar's reopen button: one item per closed page,
// newest first, each running its command (25088 + slot) with the title as its text.
#pragma once

#include <vector>

#include "base/text.h"

namespace zel {

struct ClosedMenuEntry {
  int command = 0;
  u16 title;
};

class ClosedPagesView {
 public:
  virtual ~ClosedPagesView() = default;
  // Replaces the menu; an empty list leaves the button disabled.
  virtual void SetClosedPages(const std::vector<ClosedMenuEntry>& newestFirst) = 0;
};

}  // namespace zel
