#include "view/vop_view.h"

#include "frame/child_frame.h"
#include "frame/commands.h"
#include "frame/main_frame.h"

namespace zel {

namespace {
constexpr char16_t kBlank[] = u"about:blank";
}

int LoadPercentage(int progress, int progressMax) {
  if (progressMax <= 0 || progress < 0 || progressMax / 100 == 0) return kNotLoading;
  return std::min(progress / (progressMax / 100), 100);
}

int LoadingIcon(int percentage) { return percentage / 34 + 1; }

CVOPView::CVOPView(CMainFrame& frame, CChildFrame& child, std::unique_ptr<Engine> engine)
    : CHtmlViewBase(std::move(engine)), frame_(frame), child_(child) {
  SetSilent(true);
}

CVOPView::~CVOPView() = default;

bool CVOPView::IsActiveView() const { return frame_.ActiveChild() == &child_; }

void CVOPView::Start(int kind, u16view address, const NavRequest* request) {
  if (webProxyTemplate.empty()) webProxyTemplate = frame_.settings().webprx;
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

void CVOPView::Navigate(u16view address) {
  currentAddress_ = u16(address);
  initialNavigation = true;
  UrlRuleSettings rules = frame_.RuleSettings();
  rules.webProxyMode = webProxyMode;
  rules.webProxyTemplate = webProxyTemplate;
  NavRequest r;
  r.url = WrapForWebProxy(address, rules);
  Navigate2(r);
}

void CVOPView::Refresh() {
  if (currentAddress_ == kBlank) return;
  Refresh2(kRefreshNormal);
}

void CVOPView::RefreshAddressFromEngine() {
  u16 a = GetLocationURL();
  if (!a.empty()) currentAddress_ = a;
}

void CVOPView::SetTabIcon(int icon) {
  tabIcon_ = icon;
  frame_.SetTabIcon(&child_, icon);
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

void CVOPView::OnStatusTextChange(u16view text) {}

void CVOPView::OnProgressChange(int progress, int progressMax) {
  int pct = LoadPercentage(progress, progressMax);
  bool wasLoading = loadState >= 0;
  loadState = pct;
  if (pct >= 0) {
    int icon = LoadingIcon(pct);
    if (icon != tabIcon_) SetTabIcon(icon);
  } else if (wasLoading) {
    RefreshStoppedIcon();
  }
}

void CVOPView::OnCommandStateChange(int command, bool enabled) {
  if (command == kCscNavigateBack) backEnabled = enabled;
  if (command == kCscNavigateForward) forwardEnabled = enabled;
  if (IsActiveView()) frame_.PostMessage(msg::kRefreshToolbars);
}

void CVOPView::OnTitleChange(u16view title) {
  frame_.SetTabCaption(&child_, title);
  RefreshAddressFromEngine();
}

void CVOPView::OnNavigateComplete2(u16view url) {
  RefreshAddressFromEngine();
  if (currentAddress_.empty()) currentAddress_ = u16(url);
}

void CVOPView::OnBeforeNavigate2(BeforeNavigateArgs& args) {
  if (!args.topLevel) return;
  initialNavigation = false;
  // The first navigation that survives puts the tab into the strip.
  if (!firstSurvived_) {
    firstSurvived_ = true;
    frame_.InsertTab(&child_, args.url == kBlank ? u16() : args.url);
    SetTabIcon(kIconPage);
    int flags = child_.pendingNewWindowFlags;
    if (!(flags & 4) && (activate || (flags & 2))) frame_.ActivateTab(&child_);
    child_.pendingNewWindowFlags = 0;
  }
}

Engine* CVOPView::OnNewWindow2(const u16& url, bool userGesture) {
  if (closing) return nullptr;
  CChildFrame* child = frame_.OpenUrl(0, 0, u"", this, false, nullptr, /*forceNew=*/true);
  if (!child || !child->view()) return nullptr;
  CVOPView* v = child->view();
  v->newWindowMark = true;
  child->pendingNewWindowFlags = child_.pendingNewWindowFlags;
  v->SetRegisterAsBrowser(true);
  return v->engine();
}

void CVOPView::OnDocumentComplete(u16view url, bool topLevel) {
  RefreshAddressFromEngine();
  if (currentAddress_.empty()) currentAddress_ = u16(url);
  if (!topLevel) return;
  loadState = kNotLoading;
  if (!IsActiveView() && currentAddress_ != kBlank) SetTabIcon(kIconUnseen);
}

}  // namespace zel
