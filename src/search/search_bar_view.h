// The "Search" bar: the keyword box (714) with its drop-down history and the engine button.
#pragma once

#include <vector>

#include "base/text.h"
#include "search/search_engines.h"

namespace zel {

class SearchBarView {
 public:
  virtual ~SearchBarView() = default;
  virtual u16 SearchBoxText() const = 0;
  virtual void SetSearchBoxText(u16view text) = 0;
  virtual void SetKeywordList(const std::vector<u16>& keywords) = 0;
  virtual void SetEngineMenu(const EngineMenu& menu) = 0;
  virtual void FocusSearchBox() = 0;
  virtual bool SearchBoxHasFocus() const = 0;
};

}  // namespace zel
