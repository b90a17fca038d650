// The page-list dialog's window: four tabs with a checkable list each (name and address)
// and the dialog's commands. The window shows what the PageList holds and hands it every
// command; it keeps the list until it closes.
#pragma once

#include <memory>

namespace zel {

class PageList;

class PageListView {
 public:
  virtual ~PageListView() = default;
  // Shows the dialog on the given tab (0 ... 3) and returns; an open dialog is replaced.
  virtual void Show(std::unique_ptr<PageList> list, int firstTab) = 0;
};

}  // namespace zel
