#include "view/vop_view.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <unordered_map>

#include "view/child_frame.h"
#include "base/commands.h"
#include "view/tab_host.h"
#include "platform/key_state.h"
#include "platform/message_loop.h"
#include "platform/prompt_port.h"
#include "platform/shell_port.h"
#include "view/page_script.h"
#include "view/popup_policy.h"
#include "view/status_filter.h"
#include "view/url_rules.h"

namespace zel {

namespace {
constexpr char16_t kBlank[] = u"about:blank";

// A page opens at most this many windows nobody asked for (a click, a key) while the popup
// filter lets them through; more would bury the window under tabs, each a view to build.
constexpr int kMaxWindowsWithoutAsking = 20;

// Per view: the windows opened without a click or key by its page and the pages it opened,
// since the user last acted on one of them (one count shared along the openers).
std::unordered_map<const CVOPView*, std::shared_ptr<int>>& UnaskedCounts() {
  static std::unordered_map<const CVOPView*, std::shared_ptr<int>> counts;
  return counts;
}

std::shared_ptr<int>& WindowsWithoutAsking(const CVOPView* view) {
  std::shared_ptr<int>& c = UnaskedCounts()[view];
  if (!c) c = std::make_shared<int>(0);
  return c;
}
}  // namespace

int LoadPercentage(int progress, int progressMax) {
  if (progressMax <= 0 || progress < 0 || progressMax / 100 == 0) return kNotLoading;
  return std::min(progress / (progressMax / 100), 100);
}

int LoadingIcon(int percentage) { return percentage / 34 + 1; }

CVOPView::CVOPView(TabHost& frame, CChildFrame& child, std::unique_ptr<Engine> engine)
    : CHtmlViewBase(std::move(engine)), host_(frame), child_(child) {
  // Script errors never pop up a dialog.
  SetSilent(true);
}

CVOPView::~CVOPView() {
  UnaskedCounts().erase(this);
  if (MessageLoop* loop = host_.loop()) {
    loop->KillTimer(this, kAutoScrollTimer);
    if (autoRefreshId_) loop->KillTimer(this, autoRefreshId_);
  }
}

CVOPView* TabHost::ActiveView() const {
  CChildFrame* a = ActiveChild();
  return a ? a->view() : nullptr;
}

bool CVOPView::IsActiveView() const { return host_.ActiveChild() == &child_; }

void CVOPView::CloseSelf() {
  host_.PostCloseTab(&child_);
  closing = true;
}

void CVOPView::Start(int kind, u16view address, const NavRequest* request) {
  if (webProxyTemplate.empty()) webProxyTemplate = host_.settings().webprx;
  initialNavigation = true;
  started = true;
  switch (kind) {
    case 1:
      GoHome();
      break;
    case 2:
      Navigate(address.empty() ? u16view(kBlank) : address);
      break;
    case 3:
      if (request) {
        currentAddress_ = request->url;
        Navigate2(*request);
        break;
      }
      [[fallthrough]];
    default:
      Navigate(kBlank);
      break;
  }
}

void CVOPView::StartWithHistory(u16view address, const std::string& history) {
  if (history.empty() || !engine_) {
    Start(2, address, nullptr);
    return;
  }
  if (webProxyTemplate.empty()) webProxyTemplate = host_.settings().webprx;
  initialNavigation = true;
  started = true;
  if (IsActiveView()) host_.SetAddressText(address);
  currentAddress_ = u16(address);
  if (!engine_->RestoreSession(history)) Navigate(address);
}

void CVOPView::NavigateForPage(u16view address) {
  Navigate(address);
  browserNavigation_.clear();
}

void CVOPView::Navigate(u16view address) {
  if (IsActiveView()) host_.SetAddressText(address);
  currentAddress_ = u16(address);
  initialNavigation = true;
  UrlRuleSettings rules = host_.RuleSettings();
  rules.webProxyMode = webProxyMode;
  rules.webProxyTemplate = webProxyTemplate;
  NavRequest r;
  r.url = WrapForWebProxy(address, rules);
  browserNavigation_ = r.url;
  Navigate2(r);
}

void CVOPView::Refresh() {
  if (currentAddress_ == kBlank) return;
  Refresh2(kRefreshNormal);
}

void CVOPView::StopLoading() {
  Stop();
  loadState = kNotLoading;
  if (IsActiveView()) host_.SetProgress(kNotLoading);
  if (tabIcon_ >= 1 && tabIcon_ <= 3) {
    SetTabIcon(IsActiveView() ? kIconNormal : kIconUnseen);
    if (host_.switches().toolbarRefreshMode == 2) host_.PostToolbarRefresh();
  }
}

void CVOPView::RefreshAddressFromEngine() {
  if (spoofAccepted) return;
  u16 a = GetLocationURL();
  if (!a.empty()) currentAddress_ = a;
}

void CVOPView::SetTabIcon(int icon) {
  // A stopped page keeps its mark through the settling of the notice's load.
  if (pageStopped_ && (icon < 1 || icon > 3)) icon = kIconStopped;
  tabIcon_ = icon;
  host_.SetTabIcon(&child_, icon);
}

void CVOPView::RefreshStoppedIcon() {
  if (child_.locked) {
    SetTabIcon(kIconLocked);
  } else if (child_.hasPassword) {
    SetTabIcon(kIconPassword);
  } else if (IsActiveView()) {
    SetTabIcon(kIconNormal);
  } else if (tabIcon_ >= 1 && tabIcon_ <= 3) {
    SetTabIcon(currentAddress_ == kBlank ? kIconNormal : kIconUnseen);
  } else if (tabIcon_ == kIconLocked || tabIcon_ == kIconPassword) {
    SetTabIcon(kIconNormal);
  }
}

void CVOPView::RecordUserAction(bool leftClickOrEnter, bool rightClick) {
  MessageLoop* loop = host_.loop();
  // A time of 0 means "no action"; the clock starts at 0, so count from 1.
  userActionTime_ = (loop ? loop->NowMs() : 0) + 1;
  if (leftClickOrEnter) leftClick_ = true;
  if (rightClick) rightClick_ = true;
  *WindowsWithoutAsking(this) = 0;
}

bool CVOPView::OnUserInput(UserInput input, bool ctrl, bool editable) {
  const FrameSettings& s = host_.settings();
  bool watched = s.newtablink || child_.locked || host_.PopupFilterOn();
  switch (input) {
    case UserInput::EnterDown:
      RecordUserAction(true, false);
      enterWithCtrl_ = ctrl;
      return false;
    case UserInput::EnterUp:
      enterWithCtrl_ = false;
      return false;
    case UserInput::LeftUp:
      RecordUserAction(false, false);
      // The release comes before the engine asks for the click's navigation: a tab opened
      // less than a second ago keeps its address, so a second click on its link is seen as
      // the same one.
      if (userActionTime_ - pendingNewTabTime_ >= kDuplicateClickMs) pendingNewTabAddress_.clear();
      return false;
    case UserInput::LeftDown:
      if (watched) RecordUserAction(true, false);
      return false;
    case UserInput::RightDown:
      if (watched) RecordUserAction(false, true);
      return false;
    case UserInput::CtrlLeft:
    case UserInput::CtrlRight:
      if (editable) return false;
      host_.PostCommand(input == UserInput::CtrlLeft ? cmd::kPreviousTab : cmd::kNextTab);
      return true;
  }
  return false;
}

// ---------------------------------------------------------------------------------------
// BeforeNavigate2

void CVOPView::OnBeforeNavigate2(BeforeNavigateArgs& args) {
  if (!args.topLevel) return;
  pageStopped_ = false;
  historyStep_ = args.historyStep;
  // 1: an address dressed up to show another host.
  if (host_.switches().spoofCheck && IsSpoofedAddress(args.url)) {
    PromptPort* prompts = host_.prompts();
    u16 text = args.url + u"\r\n\r\n" + u"这可能是一个 \"漏洞欺骗\" 地址." + u"您真的要浏览吗?";
    if (prompts && !prompts->AskYesNo(text, kAppTitle, PromptIcon::Question)) {
      args.cancel = true;
      CloseSelf();
      return;
    }
    spoofAccepted = true;
    currentAddress_ = args.url;
  }
  // 2: a named target that another tab already carries.
  if (!args.targetFrame.empty() && !Contains(args.targetFrame, u"No__Name")) {
    CChildFrame* named = host_.switches().namedTargetReuse ? host_.FindTabByName(args.targetFrame, this)
                                                 : nullptr;
    if (named && named->view() && !child_.locked &&
        (currentAddress_.empty() || currentAddress_ == kBlank) && initialNavigation) {
      args.cancel = true;
      u16 url = args.url;
      CloseSelf();
      named->view()->NavigateForPage(url);
      return;
    }
    targetFrame = args.targetFrame;
  }
  // 3-4
  SecondStage(args);
}

void CVOPView::SecondStage(BeforeNavigateArgs& args) {
  ShellPort* shell = host_.shell();
  KeyState* keys = host_.keys();
  UrlRuleSettings rules = host_.RuleSettings();
  // What the browser itself asked for (a typed address, a favorite, a command) goes to the
  // desktop's programs by the rules; what a page asked for is asked about first.
  const bool byBrowser = !browserNavigation_.empty() && EqualsNoCase(args.url, browserNavigation_);
  browserNavigation_.clear();
  // 1: FTP addresses may belong to another program (not while Ctrl is held).
  if (shell && !(keys && keys->Ctrl())) {
    if (!byBrowser && !PageMayHandOff(args.url, rules, false)) {
      args.cancel = true;
      return;
    }
    HandOffResult r = HandOffFtp(args.url, rules, *shell);
    if (r.handled) {
      if (!r.message.empty() && host_.prompts()) host_.prompts()->Message(r.message);
      args.cancel = true;
      return;
    }
  }
  // 2: locations the desktop opens.
  if (shell && IsShellHandled(args.url, rules)) {
    if (!byBrowser && !PageMayHandOff(args.url, rules, true)) {
      args.cancel = true;
      return;
    }
    HandOffShellLocation(args.url, rules, *shell);
    args.cancel = true;
    return;
  }
  // A tab whose web proxy is on loads every page through it, whoever asked for the page:
  // the first page of a tab its page opened too, which the engine starts by itself.
  if (webProxyMode && !args.isPost) {
    UrlRuleSettings wrap = rules;
    wrap.webProxyMode = true;
    wrap.webProxyTemplate = webProxyTemplate;
    if (WrapForWebProxy(args.url, wrap) != args.url) {
      args.cancel = true;
      if (byBrowser) Navigate(args.url); else NavigateForPage(args.url);
      return;
    }
  }
  // 3
  host_.NoteRequestedAddress(args.url);
  u16 normal = DrivePathToFileUrl(args.url);
  // 4: the second click on the same link within a second opens nothing more.
  int64_t now = host_.loop() ? host_.loop()->NowMs() + 1 : 1;
  int64_t since = userActionTime_ ? now - userActionTime_ : -1;
  bool duplicate = !pendingNewTabAddress_.empty() && normal == pendingNewTabAddress_ &&
                   since >= 0 && since < kDuplicateClickMs;
  pendingNewTabAddress_.clear();
  if (duplicate) {
    args.cancel = true;
    return;
  }
  // 5: a user's navigation moves into a new tab.
  const FrameSettings& s = host_.settings();
  if ((s.newtablink || child_.locked || child_.pendingNewWindowFlags) && userActionTime_ &&
      !args.isPost) {
    if (since > kDuplicateClickMs) {
      userActionTime_ = 0;
    } else {
      bool wanted = true;
      if (host_.PopupFilterOn()) {
        if (CChildFrame* same = host_.FindTabByAddress(normal, &child_)) {
          args.cancel = true;
          host_.ActivateTab(same);
          return;
        }
      }
      if (wanted && !initialNavigation && !IsInPageAnchor(args.url, currentAddress_) &&
          !HasScriptOrMail(args.url)) {
        CChildFrame* tab = host_.OpenUrl(u"", {.tab = TabChoice::Pick, .start = StartKind::Blank, .opener = this});
        if (tab && tab->view()) {
          CVOPView* v = tab->view();
          v->zoomCommand = zoomCommand;
          v->initialNavigation = true;
          tab->pendingNewWindowFlags = child_.pendingNewWindowFlags;
          child_.pendingNewWindowFlags = 0;
          v->NavigateForPage(args.url);
          args.cancel = true;
          pendingNewTabAddress_ = normal;
          pendingNewTabTime_ = now;
          return;
        }
      }
    }
  }
  // 6
  initialNavigation = false;
  if (PopupPolicy* policy = host_.popupPolicy()) {
    policy->CheckNavigation(*this, args);
    if (args.cancel) return;
  }
  // 7: the secure flag is set again only by a page that proves it.
  if (!StartsWithNoCase(args.url, u"https")) {
    secure = false;
    if (IsActiveView()) host_.SetSecureIndicator(false);
  }
  // 8: the first navigation that survives puts the tab into the strip.
  if (!firstSurvived_) {
    firstSurvived_ = true;
    host_.InsertTab(&child_, args.url == kBlank ? u16() : args.url);
    SetTabIcon(kIconPage);
    int flags = child_.pendingNewWindowFlags;
    bool switchOn = host_.settings().activateNewTabs || child_.showRequest ||
                    host_.recordedTabCount() <= 1;
    if (!(flags & kPendingBackground) && (switchOn || (flags & kPendingActivate)))
      host_.ActivateTab(&child_);
    child_.pendingNewWindowFlags = 0;
  }
}

// ---------------------------------------------------------------------------------------
// Other events

Engine* CVOPView::OnNewWindow2(const u16& url, bool userGesture) {
  if (closing) return nullptr;
  PopupPolicy* policy = host_.popupPolicy();
  bool candidate = policy ? policy->IsPopupCandidate(*this) : false;
  // Windows no click asked for, with the popup filter letting them through: a page (with
  // the pages it opened) gets a few, then nothing until the user acts on it again.
  const bool asked = userGesture || leftClick_ || rightClickFlag();
  std::shared_ptr<int> unasked = WindowsWithoutAsking(this);
  if (!candidate && !asked && ++*unasked > kMaxWindowsWithoutAsking) return nullptr;
  CChildFrame* child = host_.OpenUrl(u"", {.tab = TabChoice::Pick, .start = StartKind::Blank, .opener = this, .forceNew = true});
  if (!child || !child->view()) return nullptr;
  CVOPView* v = child->view();
  v->popupCandidate = candidate;
  v->zoomCommand = zoomCommand;
  v->newWindowMark = true;
  WindowsWithoutAsking(v) = unasked;
  child->pendingNewWindowFlags = child_.pendingNewWindowFlags;
  v->SetRegisterAsBrowser(true);
  v->pageElementFlags = pageElementFlags;
  v->ApplyPageElementFlags(false);
  // One click lets one window through.
  leftClick_ = false;
  rightClick_ = false;
  return v->engine();
}

void CVOPView::ApplyPageElementFlags(bool reload) {
  if (engine_) {
    engine_->SetLoadImages(pageElementFlags & kElementImages);
    engine_->SetMediaEnabled(pageElementFlags & kElementVideos);
    engine_->SetMuted(!(pageElementFlags & kElementSounds));
    engine_->SetScriptsEnabled(!(pageElementFlags & kElementNoScripts));
    engine_->SetDownloadControl(host_.DeliveredElementFlags(pageElementFlags));
  }
  if (!reload) return;
  if (currentAddress_ == kBlank) {
    SetTabIcon(1);
    return;
  }
  Refresh2(kRefreshNormal);
}

void CVOPView::OnNavigateComplete2(u16view url) {
  leftClick_ = false;
  rightClick_ = false;
  // The old page's status texts (a link, a script error, a find count) go with it.
  lastStatus_.clear();
  host_.OnPageChanged(&child_);
  RefreshAddressFromEngine();
  if (currentAddress_.empty()) currentAddress_ = u16(url);
  // The box follows the page from its commit on, and through moves within it (#anchors).
  if (IsActiveView()) host_.SetAddressText(currentAddress_);
  // A new page starts at the tab's level; one brought back by back or forward gets it too.
  if (zoomPercent != ZoomPercentOf(zoomCommand)) {
    zoomPercent = ZoomPercentOf(zoomCommand);
    if (IsActiveView()) host_.RefreshCommandStates();
  }
  if (historyStep_) ApplyZoom();
  // A blocked new window closes itself.
  if (newWindowMark && blocked) {
    bool hiddenBehindVisibleFrame = !child_.shown && host_.FrameVisible();
    const u16& a = currentAddress_;
    bool cancelledPage = a == u"about:NavigationCanceled" || a == lastBlockedAddress ||
                         EndsWith(a, u"navcancl.htm#" + lastBlockedAddress);
    if (hiddenBehindVisibleFrame || cancelledPage) {
      CloseSelf();
      return;
    }
  }
  if (StartsWithNoCase(currentAddress_, u"https")) {
    secure = engine_ && engine_->IsSecure();
    if (IsActiveView()) host_.SetSecureIndicator(secure);
  }
}

void CVOPView::OnTitleChange(u16view title) {
  u16 caption(title);
  if (host_.switches().tabNumbering) {
    int i = host_.TabIndexOf(&child_);
    if (i >= 0) caption = Format(u"%d-%s", i + 1, title);
  }
  host_.SetTabCaption(&child_, caption);
  u16 before = currentAddress_;
  RefreshAddressFromEngine();
  if (IsActiveView() && currentAddress_ != before) host_.SetAddressText(currentAddress_);
  host_.PostToolbarRefresh();
  // A zoom other than 100% survives the navigation.
  if (zoomCommand != cmd::kZoom100) ApplyZoom();
}

void CVOPView::RunPageCode(const u16& code, const u16& language, bool asUser,
                           std::function<void(bool ok)> done) {
  if (!engine_ || !IsJavaScriptLanguage(language)) {
    // VBScript has no engine here.
    if (done) done(false);
    return;
  }
  if (asUser) ++scriptActions_;
  engine_->RunScript(code, [this, asUser, done = std::move(done)](const ScriptResult& r) {
    // Only answers for a living engine come back, so the view is still there.
    if (asUser && scriptActions_ > 0) --scriptActions_;
    if (done) done(r.ok);
  });
}

void CVOPView::ApplyZoom() {
  if (auto element = ParseScriptElement(FixedZoomScript(ZoomPercentOf(zoomCommand))))
    RunPageCode(element->code, element->language, true, nullptr);
}

void CVOPView::OnStatusTextChange(u16view text) {
  if (!IsActiveView()) return;
  if (text.empty()) {
    if (!lastStatus_.empty()) host_.SetStatusText(u"");
    lastStatus_.clear();
    return;
  }
  if (host_.switches().statusFilter && !StatusTextPasses(text)) return;
  lastStatus_ = u16(text);
  host_.SetStatusText(text);
}

void CVOPView::OnProgressChange(int progress, int progressMax) {
  int pct = LoadPercentage(progress, progressMax);
  bool wasLoading = loadState >= 0;
  loadState = pct;
  bool active = IsActiveView();
  if (active) host_.SetProgress(pct);
  if (pct >= 0) {
    int icon = LoadingIcon(pct);
    if (icon != tabIcon_) SetTabIcon(icon);
  } else if (wasLoading) {
    RefreshStoppedIcon();
  }
  if (wasLoading != (pct >= 0)) {
    if (host_.switches().toolbarRefreshMode == 2) host_.PostToolbarRefresh();
    // Stop is enabled while the page loads.
    if (active) host_.RefreshCommandStates();
  }
  // Auto-scroll pauses while a page starts loading and goes on when it is done.
  if (active && autoScrollOn_) {
    MessageLoop* loop = host_.loop();
    bool running = loop && loop->HasTimer(this, kAutoScrollTimer);
    if (pct >= 1 && pct <= 19 && running) {
      loop->KillTimer(this, kAutoScrollTimer);
    } else if (!running && (pct == 100 || pct < 0 || !autoScrollWaitLoaded)) {
      StartAutoScrollTimer();
    }
  }
  // A finished page: the focus goes where the user will type next.
  if (progress == 0 && progressMax == 0 && host_.switches().focusOnBlankPage) {
    if (active && currentAddress_ == kBlank)
      host_.FocusAddressBox();
    else if (active && host_.PageMayTakeFocus())
      FocusPage();
  }
}

void CVOPView::OnCommandStateChange(int command, bool enabled) {
  if (command == kCscNavigateBack) backEnabled = enabled;
  if (command == kCscNavigateForward) forwardEnabled = enabled;
  if (IsActiveView()) host_.PostToolbarRefresh();
}

void CVOPView::OnDocumentComplete(u16view url, bool topLevel) {
  // 1
  u16 a = GetLocationURL();
  if (!spoofAccepted) currentAddress_ = a.empty() ? u16(url) : a;
  // 2
  if (PopupPolicy* policy = host_.popupPolicy()) {
    policy->CheckLoadedPage(*this, currentAddress_);
    if (closing) return;
  }
  // 3
  if (topLevel) {
    loadState = kNotLoading;
    if (IsActiveView()) {
      host_.SetProgress(kNotLoading);
      if (currentAddress_ == kBlank && host_.settings().watchclipboard)
        host_.OfferClipboardAddress();
      else
        host_.SetAddressText(currentAddress_);
    }
  }
  // 4
  if (!IsActiveView() && currentAddress_ != kBlank) SetTabIcon(kIconUnseen);
  // The frame's subsystems see the finished page (floating ads go while their filter is on).
  if (topLevel && currentAddress_ != kBlank) host_.OnDocumentComplete(&child_, currentAddress_);
  // 7 (before the queued command, which may change the zoom)
  if (topLevel && (zoomCommand != cmd::kZoom100 || historyStep_)) ApplyZoom();
  if (topLevel) historyStep_ = false;
  // 6: a command queued for this page runs now, in front.
  if (topLevel && queuedCommand) {
    int id = queuedCommand;
    queuedCommand = 0;
    host_.ActivateTab(&child_);
    host_.PostCommand(id);
  }
}

void CVOPView::OnPageStopped(u16view url) {
  pageStopped_ = true;
  SetTabIcon(kIconStopped);
  if (IsActiveView()) host_.SetStatusText(u"网页已停止响应: " + u16(url));
}

void CVOPView::OnPageSaved(u16view path) { host_.OnFileSaved(&child_, path); }

void CVOPView::OnBecameDownload(u16view shown) {
  // A tab opened only for an address that turned out to be a download has nothing to show:
  // it goes (a page's new window too, not blanked first), and the download goes on.
  if (closing) return;
  if (shown.empty()) {
    newWindowMark = false;
    host_.PostCloseTab(&child_);
    return;
  }
  // Otherwise the tab keeps its page, and the address box shows it again.
  if (!spoofAccepted) currentAddress_ = u16(shown);
  if (IsActiveView()) host_.SetAddressText(currentAddress_);
}

void CVOPView::OnScriptError() {
  if (IsActiveView()) host_.SetStatusText(u"Script Error!");
}

}  // namespace zel
