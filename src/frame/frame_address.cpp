// The address box: Enter and its completions, the list of typed addresses and its registry
// history, "Up" and the offline switch.
#include "frame/address_entry.h"
#include "frame/child_frame.h"
#include "frame/commands.h"
#include "frame/frame_window.h"
#include "frame/main_frame.h"
#include "platform/prompt_port.h"
#include "platform/registry_port.h"
#include "platform/shell_port.h"
#include "view/url_rules.h"
#include "view/vop_view.h"

namespace zel {

namespace {
constexpr size_t kSavedTypedAddresses = 24;
}

void CMainFrame::SearchFor(u16view words, int target) {
  searchWords = u16(words);
  searchTarget = target;
  if (ports_.window) ports_.window->searchBar().SetSearchBoxText(words);
  OnCommand(cmd::kSearch);
}

void CMainFrame::NavigateTypedText(u16view text, bool newTab) {
  CVOPView* previous = ActiveView();
  CVOPView* view = previous;
  if (!view || newTab) {
    CChildFrame* tab = OpenUrl(0, 0, u"", nullptr, true);
    if (!tab || !tab->view()) return;
    view = tab->view();
    // The web-proxy mode goes with the user to the new tab.
    if (previous && previous->webProxyMode) {
      view->webProxyMode = true;
      view->webProxyTemplate = previous->webProxyTemplate;
    }
    tab->showRequest = settings_.newactiveopen;
    view->activate = settings_.newactiveopen || recordedTabCount_ == 0;
  }
  view->Navigate(text);
  if (CVOPView* active = ActiveView()) active->FocusPage();
}

void CMainFrame::OnAddressEnter(u16view typed, ModifierState keys) {
  u16 text = Trim(typed);
  if (text.empty()) return;
  if (ports_.shell) {
    HandOffResult r = HandOffTypedEntry(text, RuleSettings(), *ports_.shell);
    if (!r.message.empty() && ports_.prompts) ports_.prompts->Message(r.message);
    if (r.handled) return;
    if (!r.text.empty()) text = r.text;
  }
  u16 fixed = ErrorPageAddress(text);
  if (fixed != text) {
    text = fixed;
    SetAddressText(text);
  }
  TypedAddress t = CompleteTypedAddress(text, keys, settings_);
  if (t.kind == TypedAddress::Kind::Search) {
    SearchFor(t.text, t.searchTarget);
    return;
  }
  SetAddressText(t.text);
  NavigateTypedText(t.text, !active_ || settings_.newtabaddress || keys.alt);
  RememberTypedAddress(typedAddresses_, t.text);
  if (ports_.window) ports_.window->addressBar().SetAddressList(typedAddresses_);
}

void CMainFrame::OnAddressListChoice(u16view entry) {
  u16 text = Trim(entry);
  if (text.empty()) return;
  if (ports_.shell) {
    HandOffResult r = HandOffTypedEntry(text, RuleSettings(), *ports_.shell);
    if (r.handled) return;
    if (!r.text.empty()) text = r.text;
  }
  text = ErrorPageAddress(text);
  NavigateTypedText(text, !active_ || settings_.newtabaddress);
}

void CMainFrame::LoadTypedHistory() {
  typedAddresses_.clear();
  if (!ports_.registry) return;
  for (int i = 1;; ++i) {
    auto v = ports_.registry->GetString(kHkcuTypedUrls, Format(u"url%d", i));
    if (!v) break;
    if (v->size() > 259) v->resize(259);  // 520 bytes with the terminator
    if (!v->empty()) typedAddresses_.push_back(*v);
  }
  if (ports_.window) ports_.window->addressBar().SetAddressList(typedAddresses_);
}

void CMainFrame::SaveTypedHistory() {
  if (!ports_.registry) return;
  ports_.registry->DeleteKey(kHkcuTypedUrls);
  if (!ports_.registry->CreateKey(kHkcuTypedUrls)) return;
  int n = 0;
  for (size_t i = 0; i < typedAddresses_.size() && i < kSavedTypedAddresses; ++i) {
    if (typedAddresses_[i].empty()) continue;
    ports_.registry->SetValue(kHkcuTypedUrls, Format(u"url%d", ++n),
                              RegValue::Str(typedAddresses_[i]));
  }
}

void CMainFrame::ClearTypedHistory() {
  typedAddresses_.clear();
  if (ports_.window) ports_.window->addressBar().SetAddressList(typedAddresses_);
  if (!ports_.registry) return;
  for (int i = 1; ports_.registry->DeleteValue(kHkcuTypedUrls, Format(u"url%d", i)); ++i) {
  }
}

void CMainFrame::RegisterAddressCommands() {
  commands_[cmd::kClearTypedAddresses] = [this] { ClearTypedHistory(); };
  commands_[cmd::kUp] = [this] {
    CVOPView* v = ActiveView();
    if (!v) return;
    u16 parent = ParentAddress(v->CurrentAddress());
    if (parent == v->CurrentAddress()) return;
    UrlRuleSettings rules = RuleSettings();
    if (ports_.shell && IsShellHandled(parent, rules)) {
      ports_.shell->OpenLocation(parent);
    } else if (settings_.newtablink) {
      OpenUrl(1, 2, parent, nullptr, settings_.activateNewTabs);
    } else {
      v->Navigate(parent);
    }
  };
  commands_[cmd::kOffline] = [this] {
    bool now = false;
    if (ports_.registry) {
      auto v = ports_.registry->GetDword(kHkcuInternetSettings, u"GlobalUserOffline");
      now = !(v && *v);
      ports_.registry->SetValue(kHkcuInternetSettings, u"GlobalUserOffline",
                                RegValue::Dw(now ? 1 : 0));
    } else {
      now = !offline_;
    }
    offline_ = now;
    if (ports_.engines) ports_.engines->SetOffline(offline_);
    if (ports_.window) ports_.window->RefreshCommandStates();
  };
}

}  // namespace zel
