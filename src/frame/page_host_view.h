// Where the tabs' pages are shown: every child frame's engine widget is hosted here and the
// active child's page is the one in front; menus over a page open here too.
#pragma once

#include <vector>

#include "frame/menu_model.h"
#include "view/tab_host.h"

namespace zel {

class CChildFrame;

class PageHostView {
 public:
  virtual ~PageHostView() = default;
  virtual void AddChildView(CChildFrame* child) = 0;
  virtual void RemoveChildView(CChildFrame* child) = 0;
  virtual void ShowChildView(CChildFrame* child) = 0;
  // A plain panel over every page (while a password tab's password is asked): no page is
  // seen until it goes. Calls nest: the panel goes with the last CoverPages(false).
  virtual void CoverPages(bool covered) = 0;
  virtual PagePointer PointerInPage(CChildFrame* child) const = 0;
  virtual int PageHeight(CChildFrame* child) const = 0;
  // A popup menu at (x, y) of the child's page (at the pointer without a child); a chosen
  // item runs its command on the frame.
  virtual void PopupMenu(const std::vector<MenuItem>& items, CChildFrame* child = nullptr,
                         int x = 0, int y = 0) = 0;
};

}  // namespace zel
