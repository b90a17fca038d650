#include "session/page_list.h"

#include <algorithm>

#include "base/commands.h"
#include "platform/prompt_port.h"
#include "session/session_controller.h"
#include "settings/settings_file.h"
#include "view/child_frame.h"
#include "view/vop_view.h"

namespace zel {

const char16_t* const kPageListTabCaptions[kPageListTabs] = {
    u"上次已访问页面", u"上次已关闭页面", u"当前访问页面", u"当前关闭页面"};

PageList::PageList(SessionController& session, const FrameServices& services)
    : session_(session), s_(services) {
  SettingsSnapshot last(kLastIniName);
  for (PageEntry& e : ReadPageSection(last, kVisitSection))
    items_[kLastVisited].push_back({std::move(e.title), std::move(e.url), true});
  for (PageEntry& e : ReadPageSection(last, kCloseSection))
    items_[kLastClosed].push_back({std::move(e.title), std::move(e.url)});
  for (int i = 0; CChildFrame* tab = s_.tabs.TabAt(i); ++i) {
    CVOPView* v = tab->view();
    if (!v || v->closing) continue;
    u16 title = tab->customCaption.empty() ? tab->caption : tab->customCaption;
    items_[kOpenNow].push_back({title, v->CurrentAddress(), false, v->tabIcon(), tab});
  }
  const ClosedRing& ring = session_.closedPages();
  for (int slot : ring.SlotsNewestFirst()) {
    const ClosedPage* p = ring.AtSlot(slot);
    items_[kClosedNow].push_back({p->title, p->url, false, -1, nullptr, p->history});
  }
}

void PageList::SetChecked(int tab, int row, bool on) {
  if (Valid(tab, row)) items_[tab][row].checked = on;
}

bool PageList::offline() const { return s_.commands.Checked(cmd::kOffline).value_or(false); }

bool PageList::TabOpen(CChildFrame* tab) const {
  return tab && s_.tabs.TabIndexOf(tab) >= 0 && tab->view() && !tab->view()->closing;
}

bool PageList::Command(int tab, int id, int row) {
  tab = Clamp(tab);
  std::vector<PageListItem>& items = items_[tab];
  switch (id) {
    case cmd::kPageListCheckAll:
    case cmd::kPageListUncheckAll:
      for (PageListItem& i : items) i.checked = id == cmd::kPageListCheckAll;
      break;
    case cmd::kPageListOffline:
      s_.commands.Run(cmd::kOffline);
      s_.tabs.RefreshCommandStates();
      break;
    case cmd::kPageListEditAddress:
      Edit(tab, row, true);
      break;
    case cmd::kPageListEditTitle:
      Edit(tab, row, false);
      break;
    case cmd::kPageListRemove:
      Remove(tab, row);
      break;
    case cmd::kPageListRemoveChecked:
      for (int r = int(items.size()) - 1; r >= 0; --r)
        if (items[r].checked) Remove(tab, r);
      break;
    case cmd::kPageListOpen:
      Activate(tab, row);
      break;
    case cmd::kPageListOpenChecked:
      if (tab == kOpenNow) break;
      OpenChecked(tab);
      return true;
    default:
      break;
  }
  return false;
}

void PageList::Edit(int tab, int row, bool address) {
  if (!Valid(tab, row) || !s_.prompts) return;
  PageListItem& item = items_[tab][row];
  u16& field = address ? item.url : item.title;
  std::optional<u16> text =
      s_.prompts->AskText(address ? u"Input URL:" : u"Input Title:", kAppTitle, field, false);
  if (text) field = *text;
}

void PageList::Remove(int tab, int row) {
  if (!Valid(tab, row)) return;
  std::vector<PageListItem>& items = items_[tab];
  CChildFrame* open = items[row].tab;
  if (tab == kOpenNow && TabOpen(open) && !open->locked) s_.tabs.PostCloseTab(open);
  items.erase(items.begin() + row);
}

void PageList::OpenOne(const PageListItem& item) {
  if (item.url.empty()) return;
  session_.OpenPage(item.url, item.title, item.history.empty() ? nullptr : &item.history, false);
}

void PageList::Activate(int tab, int row) {
  if (!Valid(tab, row)) return;
  const PageListItem& item = items_[tab][row];
  if (tab == kOpenNow) {
    if (TabOpen(item.tab)) s_.tabs.ActivateTab(item.tab);
    return;
  }
  OpenOne(item);
}

void PageList::EditByRightDoubleClick(int tab, int row, bool addressColumn) {
  Edit(tab, row, addressColumn);
}

void PageList::OpenChecked(int tab) {
  // Every new tab goes right at the current tab's index while they open.
  int sequence = s_.settings.newsequence;
  s_.settings.newsequence = 0;
  for (const PageListItem& item : items_[Clamp(tab)])
    if (item.checked) OpenOne(item);
  s_.settings.newsequence = sequence;
}

void PageList::Ok(int tab) {
  tab = Clamp(tab);
  if (tab == kOpenNow) {
    session_.SaveOpenPages();
    return;
  }
  OpenChecked(tab);
  if (tab == kClosedNow) {
    ClosedRing& ring = session_.closedPages();
    ring.Clear();
    const std::vector<PageListItem>& items = items_[tab];
    for (auto it = items.rbegin(); it != items.rend(); ++it)
      ring.Add({it->url, it->title, it->history});
    session_.ClosedPagesChanged();
  }
}

}  // namespace zel
