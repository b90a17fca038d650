// The frame's tab strip: tabs in their order, which one is active, and how a tab closes.
#include "frame/main_frame.h"

#include "filters/filters_controller.h"
#include "frame/frame_window.h"
#include "frame/tab_commands.h"
#include "frame/tab_locks.h"
#include "icons/site_icons.h"
#include "platform/message_loop.h"
#include "platform/prompt_port.h"
#include "view/child_frame.h"
#include "view/vop_view.h"

namespace zel {

namespace {
constexpr char16_t kBlank[] = u"about:blank";
}  // namespace

int CMainFrame::TabIndexOf(const CChildFrame* child) const {
  for (size_t i = 0; i < strip_.size(); ++i)
    if (strip_[i] == child) return int(i);
  return -1;
}

CChildFrame* CMainFrame::TabAt(int index) const {
  return index >= 0 && index < int(strip_.size()) ? strip_[index] : nullptr;
}

void CMainFrame::InsertTab(CChildFrame* child, u16view title, int position) {
  if (!child || TabIndexOf(child) >= 0) return;
  int sel = TabIndexOf(active_);
  int index;
  switch (settings_.newsequence) {
    case 0:
      index = sel;
      break;
    case 1:
      index = sel + 1;
      break;
    case 2:
      index = int(strip_.size());
      break;
    default:
      index = position;
      break;
  }
  index = std::clamp(index, 0, int(strip_.size()));
  // Openers to the right of the new entry move one place right.
  for (CChildFrame* c : strip_)
    if (c->view() && c->view()->openerIndex >= index) ++c->view()->openerIndex;
  strip_.insert(strip_.begin() + index, child);
  child->shown = true;
  child->caption = u16(title);
  if (ports_.window) ports_.window->tabStrip().InsertTabEntry(index, TabCaptionFor(title), child);
  // The strip's highlight follows the tab in front: a tab coming in behind leaves it,
  // one already in front before its entry existed takes it now.
  if (child == active_ && ports_.window) ports_.window->tabStrip().SelectTabEntry(index);
  PostMessage(msg::kRefreshToolbars);
  recordedTabCount_ = int(strip_.size());
  tabListChanged_ = true;
}

void CMainFrame::SetTabCaption(CChildFrame* child, u16view caption) {
  if (!child) return;
  if (child->customCaption.empty()) child->caption = u16(caption);
  int i = TabIndexOf(child);
  if (i >= 0 && ports_.window) ports_.window->tabStrip().SetTabEntryText(i, TabCaptionFor(child->caption));
  if (child == active_ && switches_.showTitle) RefreshFrameCaption();
}

void CMainFrame::SetTabIcon(CChildFrame* child, int icon) {
  // The page's site icon in place of the normal ones.
  icon = controller<SiteIconsController>().IconToShow(child, icon);
  int i = TabIndexOf(child);
  if (i >= 0 && ports_.window) ports_.window->tabStrip().SetTabEntryIcon(i, icon);
  if (child == active_ && ports_.window) ports_.window->addressBar().SetAddressIcon(icon);
}

void CMainFrame::ActivateTab(CChildFrame* child, bool fromTabBar, bool handOff) {
  if (!child || !child->view()) return;
  if (child->hasPassword && child != active_ && !handOff) {
    if (!tabLocks_->AskTabPassword(child)) {
      // The selection goes back to the tab that stays in front.
      tabLocks_->MoveOnFromLockedTab(child);
      if (active_ && ports_.window) ports_.window->tabStrip().SelectTabEntry(TabIndexOf(active_));
      return;
    }
  }
  CChildFrame* previous = active_;
  if (previous && previous != child && previous->view()) {
    previous->view()->activate = false;
  }
  active_ = child;
  CVOPView* v = child->view();
  v->activate = true;
  if (ports_.window) ports_.window->pageHost().ShowChildView(child);
  RefreshFrameCaption();
  int i = TabIndexOf(child);
  if (!fromTabBar && i >= 0 && ports_.window) ports_.window->tabStrip().SelectTabEntry(i);
  if (v->loadState < 0) v->RefreshStoppedIcon();
  if (ports_.window)
    ports_.window->addressBar().SetAddressIcon(controller<SiteIconsController>().ShownIcon(child));
  if (previous != child && !statusIsNotice_) SetStatusText(v->statusText());
  SetAddressText(v->CurrentAddress());
  SetProgress(v->loadState);
  SetSecureIndicator(v->secure);
  // A shown page gets the keyboard focus once the activation is through.
  if (v->CurrentAddress() != kBlank && ports_.loop) {
    ports_.loop->Post([this, alive = std::weak_ptr<bool>(alive_), child] {
      if (alive.expired()) return;
      if (active_ == child && child->view()) child->view()->FocusPage();
    });
  }
  EachController([child](FrameController& c) { c.OnActiveTabChanged(child); });
  RefreshCommandStates();
}

void CMainFrame::PostCloseTab(CChildFrame* child) {
  if (!ports_.loop) {
    CloseTab(child);
    return;
  }
  ports_.loop->Post([this, alive = std::weak_ptr<bool>(alive_), child] {
    if (alive.expired()) return;
    // The tab may be gone already (closed twice in one turn).
    for (auto& c : children_)
      if (c.get() == child) {
        CloseTab(child);
        return;
      }
  });
}

void CMainFrame::DestroyChild(CChildFrame* child) {
  EachController([child](FrameController& c) { c.OnTabClosed(child); });
  if (active_ == child) active_ = nullptr;
  if (ports_.window) ports_.window->pageHost().RemoveChildView(child);
  auto it = std::find_if(children_.begin(), children_.end(),
                         [child](const auto& c) { return c.get() == child; });
  if (it != children_.end()) children_.erase(it);
}

bool CMainFrame::CloseTab(CChildFrame* child) {
  if (!child || !child->view()) return false;
  CVOPView* view = child->view();
  // 1: a locked tab asks first.
  if (child->locked && ports_.prompts &&
      !ports_.prompts->AskYesNo(u"您真的要关闭已锁定窗口吗?", kAppTitle, PromptIcon::Question)) {
    view->closing = false;
    return false;
  }
  int index = -1;
  bool openBlankAfter = false;
  bool frameHidden = ports_.window && !ports_.window->IsVisible();
  // 2: the strip entry is handled for a shown tab (or while the frame is hidden).
  if (child->shown || frameHidden) {
    index = TabIndexOf(child);
    if (int(strip_.size()) <= 1) {
      // 3: the last tab. A blank one stays; a page closes and a blank tab follows.
      if (view->CurrentAddress() == kBlank || view->CurrentAddress().empty()) {
        view->closing = false;
        return false;
      }
      openBlankAfter = true;
    } else if (view->newWindowMark) {
      // 4: a page's new window is blanked the first time instead of closed.
      view->newWindowMark = false;
      view->closing = false;
      view->Navigate(kBlank);
      return false;
    }
    // 5: the recently closed list takes pages other than the blank one (with its owner).
    // 6
    if (index >= 0) {
      if (view->openerIndex > index) --view->openerIndex;
      for (CChildFrame* c : strip_)
        if (c != child && c->view() && c->view()->openerIndex > index) --c->view()->openerIndex;
      strip_.erase(strip_.begin() + index);
      if (ports_.window) ports_.window->tabStrip().RemoveTabEntry(index);
      tabListChanged_ = true;
      recordedTabCount_ = std::max(0, recordedTabCount_ - 1);
    }
  }
  // 7
  view->closing = true;
  // 8: which tab comes forward.
  int target = -1;
  if (index >= 0) {
    if (settings_.activateNewTabs && view->openerIndex >= 0) {
      target = view->openerIndex;
    } else if (settings_.closeactiveseq == 0) {
      target = std::max(index - 1, 0);
    } else if (settings_.closeactiveseq > 0) {
      target = index;
    }
  }
  bool wasActive = active_ == child;
  // A page the popup filter stopped before its tab was ever shown (a start page on the
  // block list) must not leave the frame without a tab.
  bool blockedUnshown = view->blocked && !child->shown && !closed_;
  // 9
  DestroyChild(child);
  if (target >= 0 && !strip_.empty()) {
    target = std::min(target, int(strip_.size()) - 1);
    ActivateTab(strip_[target]);
  } else if (wasActive && !strip_.empty()) {
    // Something must stay in front even when the setting asks for no change.
    ActivateTab(strip_[std::min(std::max(index, 0), int(strip_.size()) - 1)]);
  }
  if (openBlankAfter || (blockedUnshown && strip_.empty())) OnCommand(cmd::kNewBlankPage);
  if (strip_.empty() && !active_) RefreshFrameCaption();
  return true;
}

void CMainFrame::ApplyTabSelection() {
  if (!ports_.window) return;
  int index = ports_.window->tabStrip().SelectedTabEntry();
  CChildFrame* child = TabAt(index);
  if (!child || child == active_) return;
  child->cachedIndex = index;
  child->indexPending = true;
  if (child->hasPassword) {
    PostMessage(msg::kActivateChild, 0, reinterpret_cast<intptr_t>(child));
  } else {
    ActivateTab(child, true);
    SetFrameCaption(child->caption);
  }
  child->indexPending = false;
}

CChildFrame* CMainFrame::FindTabByName(u16view name, const CVOPView* except) const {
  for (CChildFrame* c : strip_)
    if (c->view() && c->view() != except && c->view()->targetFrame == name) return c;
  return nullptr;
}

CChildFrame* CMainFrame::FindTabByAddress(u16view address, const CChildFrame* except) const {
  CChildFrame* found = nullptr;
  for (CChildFrame* c : strip_)
    if (c != except && c->view() &&
        EqualsNoCase(DrivePathToFileUrl(c->view()->CurrentAddress()), address))
      found = c;
  return found;
}

int CMainFrame::DeliveredElementFlags(int flags) const {
  return controller<FiltersController>().DeliveredElementFlags(flags);
}

}  // namespace zel
