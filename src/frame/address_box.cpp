#include "frame/address_box.h"

#include <unordered_map>

#include "base/commands.h"
#include "frame/address_bar_view.h"
#include "platform/prompt_port.h"
#include "platform/registry_port.h"
#include "platform/shell_port.h"
#include "search/search_controller.h"
#include "view/child_frame.h"
#include "view/url_rules.h"
#include "view/vop_view.h"

namespace zel {

namespace {
constexpr size_t kSavedTypedAddresses = 24;
}

AddressBoxController::AddressBoxController(const FrameServices& services, AddressBarView* bar,
                                           SearchController& search)
    : s_(services), bar_(bar), search_(search) {
  RegisterCommands();
}

void AddressBoxController::OnDeferredStartup() {
  if (s_.registry) {
    auto off = s_.registry->GetDword(kHkcuInternetSettings, u"GlobalUserOffline");
    offline_ = off && *off != 0;
  }
  if (s_.engines) s_.engines->SetOffline(offline_);
  LoadTypedHistory();
}

void AddressBoxController::OnPeriodicSave() {
  // With clearing on exit the list goes at exit anyway: it is never written.
  if (typedChanged_ && !s_.settings.clean.address) SaveTypedHistory();
}

void AddressBoxController::OnShutdown() {
  if (s_.settings.clean.address)
    ClearTypedHistory();
  else
    SaveTypedHistory();
}

void AddressBoxController::OnAddressTyping(u16view text) {
  if (!bar_) return;
  const unsigned generation = ++typingGeneration_;
  if (Trim(text).empty()) {
    bar_->ShowSuggestions({});
    return;
  }
  std::vector<AddressSuggestion> favorites;
  if (sources_.favorites) favorites = sources_.favorites();
  auto show = [this, text = u16(text), favorites](const std::vector<AddressSuggestion>& history) {
    bar_->ShowSuggestions(RankSuggestions(text, typed_, favorites, history));
  };
  if (!sources_.history) {
    show({});
    return;
  }
  sources_.history(text, [this, generation, show](std::vector<AddressSuggestion> history) {
    if (generation == typingGeneration_) show(history);
  });
}

void AddressBoxController::NavigateTypedText(u16view text, bool newTab) {
  CVOPView* previous = s_.tabs.ActiveView();
  CVOPView* view = previous;
  if (!view || newTab) {
    CChildFrame* tab =
        s_.tabs.OpenUrl(u"", {.tab = TabChoice::Pick, .start = StartKind::Blank, .show = true});
    if (!tab || !tab->view()) return;
    view = tab->view();
    // The web-proxy mode goes with the user to the new tab.
    if (previous && previous->webProxyMode) {
      view->webProxyMode = true;
      view->webProxyTemplate = previous->webProxyTemplate;
    }
    tab->showRequest = s_.settings.newactiveopen;
    view->activate = s_.settings.newactiveopen || s_.tabs.recordedTabCount() == 0;
  }
  view->Navigate(text);
  if (CVOPView* active = s_.tabs.ActiveView()) active->FocusPage();
}

void AddressBoxController::OnAddressEnter(u16view typed, ModifierState keys) {
  u16 text = Trim(typed);
  if (text.empty()) return;
  ++typingGeneration_;  // a lookup still on its way offers nothing any more
  if (bar_) bar_->ShowSuggestions({});
  if (s_.shell) {
    HandOffResult r = HandOffTypedEntry(text, s_.tabs.RuleSettings(), *s_.shell);
    if (!r.message.empty() && s_.prompts) s_.prompts->Message(r.message);
    if (r.handled) return;
    if (!r.text.empty()) text = r.text;
  }
  u16 fixed = ErrorPageAddress(text);
  if (fixed != text) {
    text = fixed;
    s_.tabs.SetAddressText(text);
  }
  TypedAddress t = CompleteTypedAddress(text, keys, s_.settings);
  if (t.kind == TypedAddress::Kind::Search) {
    search_.SearchFor(t.text, t.searchTarget);
    return;
  }
  s_.tabs.SetAddressText(t.text);
  NavigateTypedText(t.text, !s_.tabs.ActiveChild() || s_.settings.newtabaddress || keys.alt);
  RememberTypedAddress(typed_, t.text);
  typedChanged_ = true;
  if (bar_) bar_->SetAddressList(typed_);
}

void AddressBoxController::RestoreAddress() {
  ++typingGeneration_;
  if (bar_) bar_->ShowSuggestions({});
  CVOPView* v = s_.tabs.ActiveView();
  s_.tabs.SetAddressText(v ? v->CurrentAddress() : u16());
}

void AddressBoxController::OnAddressListChoice(u16view entry) {
  u16 text = Trim(entry);
  if (text.empty()) return;
  if (s_.shell) {
    HandOffResult r = HandOffTypedEntry(text, s_.tabs.RuleSettings(), *s_.shell);
    if (r.handled) return;
    if (!r.text.empty()) text = r.text;
  }
  text = ErrorPageAddress(text);
  NavigateTypedText(text, !s_.tabs.ActiveChild() || s_.settings.newtabaddress);
}

void AddressBoxController::LoadTypedHistory() {
  typed_.clear();
  if (!s_.registry) return;
  // url1, url2 ... up to the first one missing, from one read of the key.
  std::unordered_map<u16, u16> byName;
  for (auto& [name, value] : s_.registry->Values(kHkcuTypedUrls))
    if (value.type == RegType::String || value.type == RegType::ExpandString)
      byName.try_emplace(ToLower(name), std::move(value.text));
  for (int i = 1;; ++i) {
    auto it = byName.find(Format(u"url%d", i));
    if (it == byName.end()) break;
    u16 v = it->second;
    if (v.size() > 259) v.resize(259);  // 520 bytes with the terminator
    if (!v.empty()) typed_.push_back(v);
  }
  if (bar_) bar_->SetAddressList(typed_);
}

void AddressBoxController::SaveTypedHistory() {
  typedChanged_ = false;
  if (!s_.registry) return;
  std::vector<std::pair<u16, RegValue>> values;
  for (size_t i = 0; i < typed_.size() && i < kSavedTypedAddresses; ++i) {
    if (typed_[i].empty()) continue;
    values.emplace_back(Format(u"url%d", int(values.size()) + 1), RegValue::Str(typed_[i]));
  }
  s_.registry->ReplaceKey(kHkcuTypedUrls, values);
}

void AddressBoxController::ClearTypedHistory() {
  typed_.clear();
  typedChanged_ = false;
  if (bar_) bar_->SetAddressList(typed_);
  if (!s_.registry) return;
  for (int i = 1; s_.registry->DeleteValue(kHkcuTypedUrls, Format(u"url%d", i)); ++i) {
  }
}

void AddressBoxController::OpenDialog() {
  if (!bar_) return;
  std::vector<u16> history;
  if (s_.registry)
    for (int i = 1;; ++i) {
      auto v = s_.registry->GetString(kHkcuTypedUrls, Format(u"url%d", i));
      if (!v) break;
      history.push_back(*v);
    }
  auto choice = bar_->AskOpenAddress(history);
  if (!choice) return;
  u16 text = Trim(choice->text);
  if (text.empty()) return;
  if (s_.shell) {
    HandOffResult r = HandOffTypedEntry(text, s_.tabs.RuleSettings(), *s_.shell);
    if (r.handled) return;
    if (!r.text.empty()) text = r.text;
  }
  // What is typed here is completed (or searched) as in the address box.
  TypedAddress t = CompleteTypedAddress(ErrorPageAddress(text), {}, s_.settings);
  if (t.kind == TypedAddress::Kind::Search) {
    search_.SearchFor(t.text, t.searchTarget);
    return;
  }
  NavigateTypedText(t.text, !s_.tabs.ActiveChild() || choice->newTab);
}

void AddressBoxController::OpenGivenAddress(u16view given, bool show) {
  u16 text = Trim(given);
  if (!text.empty() && s_.shell) {
    // Local paths become file addresses (folders go to the desktop) before the completion.
    HandOffResult r = HandOffTypedEntry(text, s_.tabs.RuleSettings(), *s_.shell);
    if (!r.message.empty() && s_.prompts) s_.prompts->Message(r.message);
    if (r.handled) return;
    if (!r.text.empty()) text = r.text;
  }
  if (!text.empty()) {
    TypedAddress t = CompleteTypedAddress(text, {}, s_.settings);
    if (t.kind == TypedAddress::Kind::Search) {
      search_.SearchFor(t.text, t.searchTarget);
      return;
    }
    text = t.text;
  }
  s_.tabs.OpenUrl(text, {.tab = TabChoice::ReuseBlank, .start = StartKind::Address, .show = show});
}

void AddressBoxController::RegisterCommands() {
  CommandRegistry& c = s_.commands;
  c.Add(cmd::kClearTypedAddresses, [this] { ClearTypedHistory(); });
  c.Add(cmd::kOpenFile, [this] { OpenDialog(); });
  c.Add(cmd::kFunctionKeyF8, [this] { s_.tabs.FocusAddressBox(); });
  c.Add(cmd::kFunctionKeyF9, [this] {
    s_.tabs.FocusAddressBox();
    if (bar_) bar_->PopupAddressList();
  });
  c.Add(cmd::kUp, [this] {
     CVOPView* v = s_.tabs.ActiveView();
     if (!v) return;
     u16 parent = ParentAddress(v->CurrentAddress());
     if (parent == v->CurrentAddress()) return;
     if (s_.shell && IsShellHandled(parent, s_.tabs.RuleSettings())) {
       s_.shell->OpenLocation(parent);
     } else if (s_.settings.newtablink) {
       s_.tabs.OpenUrl(parent, {.show = s_.settings.activateNewTabs});
     } else {
       v->Navigate(parent);
     }
   }).Enabled([this] {
    // Only where there is a level to go up to.
    CVOPView* v = s_.tabs.ActiveView();
    return v && ParentAddress(v->CurrentAddress()) != v->CurrentAddress();
  });
  c.Add(cmd::kOffline,
        [this] {
          bool now = false;
          if (s_.registry) {
            auto v = s_.registry->GetDword(kHkcuInternetSettings, u"GlobalUserOffline");
            now = !(v && *v);
            s_.registry->SetValue(kHkcuInternetSettings, u"GlobalUserOffline",
                                  RegValue::Dw(now ? 1 : 0));
          } else {
            now = !offline_;
          }
          offline_ = now;
          if (s_.engines) s_.engines->SetOffline(offline_);
        })
      .Checked([this] { return offline_; });
}

}  // namespace zel
