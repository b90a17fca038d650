#include "session/session_controller.h"

#include "base/commands.h"
#include "session/page_list.h"
#include "session/page_list_view.h"
#include "settings/settings_file.h"
#include "view/child_frame.h"
#include "view/vop_view.h"

namespace zel {

namespace {
constexpr char16_t kBlank[] = u"about:blank";
}  // namespace

SessionController::SessionController(const FrameServices& services, ClosedPagesView* menu,
                                     FrameState state)
    : s_(services), menu_(menu), state_(std::move(state)) {
  CommandRegistry& c = s_.commands;
  auto any = [this] { return !ring_.empty(); };
  c.Add(cmd::kReopenClosedPage, [this] { ReopenNewest(); }).Enabled(any);
  c.Add(cmd::kReopenClosedPageKey, [this] { ReopenNewest(); }).Enabled(any);
  for (int slot = 0; slot < ClosedRing::kSlots; ++slot)
    c.Add(cmd::kClosedPageFirst + slot, [this, slot] { ReopenSlot(slot); }).Enabled([this, slot] {
      return ring_.AtSlot(slot) != nullptr;
    });
  c.Add(cmd::kClearClosedPages, [this] { ClearClosedPages(); });
  c.Add(cmd::kPageListDialog, [this] { ShowPageList(0); });
  c.Add(cmd::kPageListDialogLastTab, [this] { ShowPageList(kPageListTabs - 1); });

  // The closed pages of the last run, once, without their histories.
  SettingsSnapshot last(kLastIniName);
  for (PageEntry& e : ReadPageSection(last, kCloseSection))
    ring_.Add({std::move(e.url), std::move(e.title), {}});
  ClosedPagesChanged();
}

SessionController::~SessionController() = default;

std::string SessionController::LastIniPath() const {
  return SettingsFile::ResolvePath(kLastIniName);
}

std::vector<PageEntry> SessionController::OpenPages() const {
  std::vector<PageEntry> out;
  for (int i = 0; CChildFrame* tab = s_.tabs.TabAt(i); ++i) {
    CVOPView* v = tab->view();
    if (!v || v->closing) continue;
    const u16& url = v->CurrentAddress();
    if (url.empty() || url == kBlank) continue;
    u16 title = tab->customCaption.empty() ? tab->caption : tab->customCaption;
    out.push_back({title.empty() ? url : title, url});
  }
  return out;
}

void SessionController::SaveOpenPages() {
  writer_.Enqueue(LastIniPath(), PageSectionChanges(kVisitSection, OpenPages()));
}

void SessionController::SaveAtShutdown() {
  if (shutDown_) return;
  std::vector<PageEntry> closed;
  for (const ClosedPage& p : ring_.OldestFirst())
    closed.push_back({p.title.empty() ? p.url : p.title, p.url});
  std::vector<IniDocument::Change> changes = PageSectionChanges(kVisitSection, OpenPages());
  std::vector<IniDocument::Change> more = PageSectionChanges(kCloseSection, closed);
  changes.insert(changes.end(), std::make_move_iterator(more.begin()),
                 std::make_move_iterator(more.end()));
  shutDown_ = true;
  writer_.Enqueue(LastIniPath(), std::move(changes));
  writer_.Flush();
}

void SessionController::OnPeriodicSave() {
  if (shutDown_ || !state_.inFront || !state_.tabListChanged) return;
  if (!state_.inFront() || !state_.tabListChanged()) return;
  SaveOpenPages();
  if (state_.clearTabListChanged) state_.clearTabListChanged();
}

void SessionController::OnTabClosed(CChildFrame* tab) {
  // A restored tab that was never shown has no history of its own: its address comes back.
  const bool neverShown = waiting_.erase(tab) > 0;
  // Only a tab that had its strip entry, closed while the browser runs, is listed.
  if (shutDown_ || !tab || !tab->shown || !tab->view()) return;
  CVOPView* v = tab->view();
  const u16& url = v->CurrentAddress();
  if (url.empty() || url == kBlank) return;
  ClosedPage page{url, tab->caption.empty() ? url : tab->caption, {}};
  if (Engine* e = v->engine(); e && !neverShown) page.history = e->SaveSession();
  ring_.Add(std::move(page));
  ClosedPagesChanged();
}

void SessionController::ClearClosedPages() {
  ring_.Clear();
  ClosedPagesChanged();
  // Cleared at exit, after the save: the file forgets them too, or they would be back
  // in the next run.
  if (shutDown_) {
    writer_.Enqueue(LastIniPath(), PageSectionChanges(kCloseSection, {}));
    writer_.Flush();
  }
}

void SessionController::ClosedPagesChanged() {
  if (menu_) {
    std::vector<ClosedMenuEntry> items;
    for (int slot : ring_.SlotsNewestFirst())
      items.push_back({cmd::kClosedPageFirst + slot, ring_.AtSlot(slot)->title});
    menu_->SetClosedPages(items);
  }
  if (!shutDown_) s_.tabs.RefreshCommandStates();
}

CChildFrame* SessionController::OpenPage(u16view url, u16view title, const std::string* history,
                                         bool front, bool background) {
  CChildFrame* tab =
      s_.tabs.OpenUrl(url, {.tab = TabChoice::Pick, .start = StartKind::Address, .show = front});
  if (!tab || !tab->view()) return nullptr;
  if (background) tab->pendingNewWindowFlags |= kPendingBackground;
  s_.tabs.InsertTab(tab, title.empty() ? url : title);
  CVOPView* v = tab->view();
  if (history && !history->empty())
    v->StartWithHistory(url, *history);
  else
    v->Start(int(StartKind::Address), url, nullptr);
  return tab;
}

CChildFrame* SessionController::OpenPageLater(u16view url, u16view title) {
  CChildFrame* tab =
      s_.tabs.OpenUrl(url, {.tab = TabChoice::Pick, .start = StartKind::Address, .show = false});
  if (!tab || !tab->view()) return nullptr;
  tab->pendingNewWindowFlags |= kPendingBackground;
  s_.tabs.InsertTab(tab, title.empty() ? url : title);
  // Saves, the page list and a close (Alt+Z) see the stored address as the tab's.
  tab->view()->SetCurrentAddress(url);
  waiting_.insert(tab);
  return tab;
}

void SessionController::OnActiveTabChanged(CChildFrame* tab) {
  auto it = waiting_.find(tab);
  if (it == waiting_.end()) return;
  waiting_.erase(it);
  CVOPView* v = tab->view();
  if (v && !v->closing) v->Start(int(StartKind::Address), u16(v->CurrentAddress()), nullptr);
}

void SessionController::ReopenNewest() {
  const std::vector<int> slots = ring_.SlotsNewestFirst();
  if (slots.empty() || ring_.AtSlot(slots.front())->url.empty()) return;
  std::optional<ClosedPage> p = ring_.TakeNewest();
  OpenPage(p->url, p->title, &p->history, s_.settings.activateNewTabs);
  ClosedPagesChanged();
}

void SessionController::ReopenSlot(int slot) {
  const ClosedPage* at = ring_.AtSlot(slot);
  if (!at || at->url.empty()) return;
  std::optional<ClosedPage> p = ring_.TakeSlot(slot);
  OpenPage(p->url, p->title, &p->history, s_.settings.activateNewTabs);
  ClosedPagesChanged();
}

bool SessionController::OpenLastPages() {
  // After a run that did not end normally the start mode is 2 for this run only; the pages
  // are then left to the page-list dialog.
  if (!s_.settings.normalquit || s_.settings.storedStartmode != 2) return false;
  std::vector<PageEntry> pages = ReadPageSection(SettingsSnapshot(kLastIniName), kVisitSection);
  if (pages.empty()) return false;
  // In their order: each at the end of the strip for the duration.
  int sequence = s_.settings.newsequence;
  s_.settings.newsequence = 2;
  CChildFrame* first = nullptr;
  // Only the page in front loads now; the others wait under their stored titles until
  // they are first shown, so a large session starts one web process, not one per page.
  for (size_t i = 0; i < pages.size(); ++i) {
    CChildFrame* tab = i == 0 ? OpenPage(pages[i].url, pages[i].title, nullptr, true)
                              : OpenPageLater(pages[i].url, pages[i].title);
    if (!first) first = tab;
  }
  s_.settings.newsequence = sequence;
  if (!first) return false;
  s_.tabs.ActivateTab(first);
  return true;
}

void SessionController::ShowPageList(int firstTab) {
  if (!pageListView_) return;
  pageListView_->Show(std::make_unique<PageList>(*this, s_), firstTab);
}

}  // namespace zel
