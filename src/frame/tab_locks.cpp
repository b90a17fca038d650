#include "frame/tab_locks.h"

#include <algorithm>

#include "frame/frame_window.h"
#include "frame/main_frame.h"
#include "platform/prompt_port.h"
#include "view/child_frame.h"
#include "view/vop_view.h"

namespace zel {

TabLockController::TabLockController(CMainFrame& frame) : f_(frame) {}

void TabLockController::OnTabClosed(CChildFrame* tab) {
  if (tab->hasPassword && !f_.closing()) --passwordTabs_;
}

bool TabLockController::AskTabPassword(CChildFrame* child) {
  if (!f_.prompts()) return false;
  // No page is seen while the password is asked; the cover goes with the answer.
  FrameWindow* w = f_.ports().window;
  if (w) w->pageHost().CoverPages(true);
  auto answer = f_.prompts()->AskText(u"请输入密码:", u"页面已加密", u"", true);
  const bool right = answer && *answer == child->password;
  if (answer && !right) f_.prompts()->Message(u"密码错误", kAppTitle, PromptIcon::Warning);
  if (w) w->pageHost().CoverPages(false);
  return right;
}

void TabLockController::MoveOnFromLockedTab(CChildFrame* child) {
  bool allLocked = std::all_of(f_.Tabs().begin(), f_.Tabs().end(),
                               [](CChildFrame* c) { return c->hasPassword; });
  if (allLocked) {
    bool saved = f_.settings().activateNewTabs;
    f_.settings().activateNewTabs = true;
    f_.OpenUrl(u"", {.tab = TabChoice::New, .start = StartKind::Blank, .show = true});
    f_.settings().activateNewTabs = saved;
    return;
  }
  // The next tab that can be shown without a password.
  int i = f_.TabIndexOf(child);
  for (size_t k = 1; k <= f_.Tabs().size(); ++k) {
    CChildFrame* next = f_.Tabs()[(size_t(std::max(i, 0)) + k) % f_.Tabs().size()];
    if (!next->hasPassword) {
      f_.ActivateTab(next);
      return;
    }
  }
}

void TabLockController::ToggleLock(CChildFrame* child) {
  if (!child || child->hasPassword || !child->view()) return;
  child->locked = !child->locked;
  CVOPView* v = child->view();
  if (v->loadState < 0) {
    if (child->locked) {
      v->savedIcon = v->tabIcon();
      v->SetTabIcon(kIconLocked);
    } else {
      v->SetTabIcon(v->savedIcon);
    }
  }
}

void TabLockController::SetTabPassword(CChildFrame* child) {
  if (!child || !child->view() || !f_.prompts()) return;
  auto first = f_.prompts()->AskText(u"请输入密码:", u"设置密码", u"", true);
  if (!first || first->empty()) return;
  auto again = f_.prompts()->AskText(u"请再次输入密码:", u"设置密码", u"", true);
  if (!again) return;
  if (*again != *first) {
    f_.prompts()->Message(u"两次输入的密码不一致", kAppTitle, PromptIcon::Warning);
    return;
  }
  if (!child->hasPassword) ++passwordTabs_;
  child->hasPassword = true;
  child->password = *first;
  if (child->view()->loadState < 0) child->view()->SetTabIcon(kIconPassword);
}

void TabLockController::ClearTabPassword(CChildFrame* child) {
  if (!child || !child->hasPassword) return;
  if (!AskTabPassword(child)) return;
  child->hasPassword = false;
  child->password.clear();
  --passwordTabs_;
  if (child->view() && child->view()->loadState < 0) child->view()->RefreshStoppedIcon();
}

}  // namespace zel
