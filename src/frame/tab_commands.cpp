#include "frame/tab_commands.h"

#include <algorithm>

#include "base/commands.h"
#include "frame/main_frame.h"
#include "frame/tab_locks.h"
#include "platform/prompt_port.h"
#include "view/child_frame.h"
#include "view/url_rules.h"
#include "view/vop_view.h"

namespace zel {

namespace {
constexpr char16_t kBlank[] = u"about:blank";
}

TabCommandsController::TabCommandsController(CMainFrame& frame) : f_(frame) { RegisterCommands(); }

void TabCommandsController::RegisterCommands() {
  CommandRegistry& c = f_.commands();
  auto hasTab = [this] { return f_.ActiveChild() != nullptr; };
  c.Add(cmd::kExit, [this] { f_.Close(CloseSource::ExitCommand); });
  c.Add(cmd::kNewBlankPage, [this] {
    CChildFrame* tab = f_.OpenUrl(u"", {.tab = TabChoice::New, .start = StartKind::Blank,
                                        .show = f_.settings().activateNewTabs});
    // A blank tab in front is there to be typed into.
    if (tab && tab->view() && tab->view()->activate) f_.FocusAddressBox();
  });
  c.Add(cmd::kDuplicatePage, [this] {
     CVOPView* v = f_.ActiveView();
     f_.OpenInNewTab(v && !v->CurrentAddress().empty() ? v->CurrentAddress() : u16(kBlank),
                  f_.settings().activateNewTabs);
   }).Enabled(hasTab);
  c.Add(cmd::kHome, [this] { GoHomePage(); });
  c.Add(cmd::kHomeNewTab, [this] { GoHomePage(); });
  c.Add(cmd::kNewPageByMode, [this] { NewPageByMode(); });
  c.Add(cmd::kCloseTab, [this] {
     if (f_.ActiveChild()) f_.PostCloseTab(f_.ActiveChild());
   }).Enabled(hasTab);
  c.Add(cmd::kCloseAll, [this] { CloseAllTabs(); }).Enabled([this] { return !f_.Tabs().empty(); });
  c.Add(cmd::kPreviousTab, [this] { PreviousTab(); });
  c.Add(cmd::kNextTab, [this] { NextTab(); });
  for (int id = cmd::kSelectTab0; id <= cmd::kSelectTab9; ++id)
    c.Add(id, [this, id] { SelectTabByNumber(id - cmd::kSelectTab0); });
  c.Add(cmd::kActivateNewTabs, [this] { f_.settings().activateNewTabs = !f_.settings().activateNewTabs; })
      .Checked([this] { return f_.settings().activateNewTabs; });
  c.Add(cmd::kSiteRoot, [this] {
    if (CVOPView* v = f_.ActiveView()) {
      u16 root = SiteRoot(v->CurrentAddress());
      if (!root.empty()) f_.OpenInNewTab(root, f_.settings().activateNewTabs);
    }
  });
  // Function keys whose targets exist: F2 previous, F3 next, F4 close, F5 refresh.
  for (int id = cmd::kFunctionKeyF2; id <= cmd::kFunctionKeyF2 + 3; ++id)
    c.Add(id, [this, id] { RunFunctionKey(id); });
}

void TabCommandsController::RunFunctionKey(int id) {
  switch (id - cmd::kFunctionKeyF2 + 2) {
    case 2:
      PreviousTab();
      break;
    case 3:
      NextTab();
      break;
    case 4:
      // With the function-key variant on, F4 belongs to the address box's list.
      if (!f_.settings().hotkeyEnable && f_.ActiveChild()) f_.PostCloseTab(f_.ActiveChild());
      break;
    case 5:
      f_.OnCommand(cmd::kRefresh);
      break;
    default:
      break;
  }
}

void TabCommandsController::OpenStartPage() {
  if (f_.settings().startmode == 1)
    GoHomePage();
  else
    f_.OnCommand(cmd::kNewBlankPage);
}

void TabCommandsController::CloseAllTabs() {
  if (f_.Tabs().empty()) return;
  if (f_.settings().quitallconfirm && f_.prompts() &&
      !f_.prompts()->AskYesNo(u"您真的要关闭所有窗口吗?", kAppTitle, PromptIcon::Question))
    return;
  std::vector<CChildFrame*> targets;
  for (CChildFrame* c : f_.Tabs())
    if (!c->locked && c->view() && !c->view()->closing) targets.push_back(c);
  for (CChildFrame* c : targets) {
    c->view()->closing = true;
    f_.PostCloseTab(c);
  }
}

void TabCommandsController::GoHomePage() {
  const u16& home = f_.settings().homepage;
  if (!f_.settings().newtabhome && f_.ActiveChild() && f_.ActiveChild()->view()) {
    if (home.empty())
      f_.ActiveChild()->view()->GoHome();
    else
      f_.ActiveChild()->view()->Navigate(home);
    return;
  }
  f_.OpenInNewTab(home, true);
}

void TabCommandsController::OpenInNewTabIfDifferent(const u16& address) {
  CVOPView* v = f_.ActiveView();
  if (!v || address.empty() || address == v->CurrentAddress()) return;
  f_.OpenInNewTab(address, f_.settings().activateNewTabs);
}

void TabCommandsController::NewPageByMode() {
  switch (f_.settings().newmode) {
    case 0:
      f_.OnCommand(cmd::kNewBlankPage);
      break;
    case 1:
      GoHomePage();
      break;
    case 2:
      f_.OnCommand(cmd::kDuplicatePage);
      break;
    case 3:
      f_.OnCommand(cmd::kOpenSelectedLink);
      break;
    case 4:
      f_.OnCommand(cmd::kOpenFromClipboard);
      break;
    case 5:
      f_.OnCommand(cmd::kSearchSelection);
      break;
    case 6:
      if (CVOPView* v = f_.ActiveView()) OpenInNewTabIfDifferent(ParentAddress(v->CurrentAddress()));
      break;
    case 7:
      f_.OnCommand(cmd::kSiteRoot);
      break;
    default:
      break;
  }
}

void TabCommandsController::PreviousTab() {
  if (f_.Tabs().empty()) return;
  int i = f_.TabIndexOf(f_.ActiveChild()) - 1;
  if (i < 0) i = std::max(f_.recordedTabCount(), 1) - 1;
  f_.ActivateTab(f_.TabAt(std::min(i, f_.TabCount() - 1)));
}

void TabCommandsController::NextTab() {
  if (f_.Tabs().empty()) return;
  int i = f_.TabIndexOf(f_.ActiveChild()) + 1;
  if (i >= f_.TabCount()) i = 0;
  f_.ActivateTab(f_.TabAt(i));
}

void TabCommandsController::SelectTabByNumber(int index) {
  if (CChildFrame* c = f_.TabAt(index)) f_.ActivateTab(c);
}

void TabCommandsController::OnTabMouse(int index, TabMouse action) {
  CChildFrame* child = f_.TabAt(index);
  if (!child || !child->view()) return;
  if (action == TabMouse::CloseButton) {
    f_.PostCloseTab(child);
    return;
  }
  if (child->hasPassword && child != f_.ActiveChild()) return;
  int what = action == TabMouse::LeftDouble ? f_.settings().ldbtab
             : action == TabMouse::Middle   ? f_.settings().mktab
                                            : f_.settings().rdbtab;
  switch (what) {
    case 0:
      f_.PostCloseTab(child);
      break;
    case 2:
      child->view()->ExecWB(kOleSaveAs, kOleOptionPrompt);
      break;
    case 3:
      child->view()->ExecWB(kOleSaveAs, kOleOptionNoPrompt);
      break;
    case 4:
      f_.OnCommand(cmd::kPageList);
      break;
    case 5:
      f_.controller<TabLockController>().ToggleLock(child);
      break;
    case 6:
      child->view()->Refresh();
      break;
    default:
      break;
  }
}

}  // namespace zel
