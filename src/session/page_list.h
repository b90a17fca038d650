// What the page-list dialog shows and does: the pages of the last run (last.ini "visit"
// and "close"), the open tabs and the closed pages of this run, each in a checkable list,
// and the dialog's commands over them.
#pragma once

#include <string>
#include <vector>

#include "base/text.h"
#include "services/frame_services.h"

namespace zel {

class CChildFrame;
class SessionController;

inline constexpr int kPageListTabs = 4;
enum PageListTab : int {
  kLastVisited = 0,   // "上次已访问页面"
  kLastClosed = 1,    // "上次已关闭页面"
  kOpenNow = 2,       // "当前访问页面"
  kClosedNow = 3,     // "当前关闭页面"
};
// The tab captions, in order.
extern const char16_t* const kPageListTabCaptions[kPageListTabs];

struct PageListItem {
  u16 title;
  u16 url;
  bool checked = false;
  int icon = -1;               // the tab icon (open tabs)
  CChildFrame* tab = nullptr;  // the open tab it stands for
  std::string history;         // a closed page's back/forward history
};

class PageList {
 public:
  PageList(SessionController& session, const FrameServices& services);

  const std::vector<PageListItem>& Items(int tab) const { return items_[Clamp(tab)]; }
  void SetChecked(int tab, int row, bool on);
  // The offline box starts from the frame's offline state.
  bool offline() const;

  // A dialog command on a tab with the selected row (-1: none). True when the dialog is
  // to close (563).
  bool Command(int tab, int id, int row);
  // A double click: on the open tabs the tab comes forward, elsewhere the page opens.
  void Activate(int tab, int row);
  // A right double click edits the address when it hit the address column, else the title.
  void EditByRightDoubleClick(int tab, int row, bool addressColumn);
  // OK: opens the checked pages (tabs 0, 1 and 3), saves the open pages (tab 2); on tab 3
  // the closed pages become the list as it stands, its first item the newest.
  void Ok(int tab);

 private:
  static int Clamp(int tab) { return tab < 0 ? 0 : tab >= kPageListTabs ? kPageListTabs - 1 : tab; }
  bool Valid(int tab, int row) const {
    return row >= 0 && size_t(row) < items_[Clamp(tab)].size();
  }
  bool TabOpen(CChildFrame* tab) const;
  void Edit(int tab, int row, bool address);
  void Remove(int tab, int row);
  void OpenOne(const PageListItem& item);
  void OpenChecked(int tab);

  SessionController& session_;
  FrameServices s_;
  std::vector<PageListItem> items_[kPageListTabs];
};

}  // namespace zel
