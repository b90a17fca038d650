#include "filters/filters_controller.h"

#include <utility>

#include "base/commands.h"
#include "base/files.h"
#include "filters/content_filter_port.h"
#include "filters/popup_bar_view.h"
#include "filters/popup_lists_view.h"
#include "platform/key_state.h"
#include "platform/message_loop.h"
#include "platform/prompt_port.h"
#include "platform/registry_port.h"
#include "res/page_scripts.h"
#include "view/child_frame.h"
#include "view/vop_view.h"

namespace zel {

FiltersController::FiltersController(const FrameServices& services, PopupBarView* bars,
                                     ContentFilterPort* contentFilter,
                                     std::function<u16()> programFolder,
                                     std::function<u16()> contextAddress)
    : s_(services),
      bars_(bars),
      contentFilter_(contentFilter),
      programFolder_(std::move(programFolder)),
      contextAddress_(std::move(contextAddress)),
      popupFilter_(services.tabs, lists_,
                   [this](CVOPView& view, u16view url, bool listed) {
                     OnPopupBlocked(view, url, listed);
                   }) {
  RegisterCommands();
}

std::string FiltersController::ProgramPath(const char* relative) const {
  return JoinPath(ToUtf8(programFolder_()), relative);
}

void FiltersController::OnSettingsLoaded() {
  switchesLoaded_ = true;
  lists_.switches.popup = s_.settings.popupFilter;
  lists_.switches.content = s_.settings.contentFilter;
  lists_.switches.floatingAd = s_.settings.killFlying;
}

void FiltersController::OnShutdown() {
  // The switches are saved with the other settings.
  closed_ = true;
  s_.settings.popupFilter = lists_.switches.popup;
  s_.settings.contentFilter = lists_.switches.content;
  s_.settings.killFlying = lists_.switches.floatingAd;
}

void FiltersController::LoadFilterLists() {
  // The switches come from the settings once; from then on they are the filters' own.
  if (!switchesLoaded_) OnSettingsLoaded();
  lists_.SetControlKeyQuery([this] { return s_.keys && s_.keys->Ctrl(); });
  lists_.switches.dialog = true;
  lists_.LoadFilterLists();
  listsLoaded_ = true;
  lists_.LoadAllowedSites(ProgramPath("profile/Defaults/Unblocksite.dat"));
  UpdateFilterHook();
  // With the floating-ad filter on, the script is ready but not run yet.
  if (lists_.switches.floatingAd) LoadFloatingAd();
}

void FiltersController::UpdateFilterHook() {
  lists_.RebuildContentIndex();
  if (contentFilter_) contentFilter_->Update(lists_, lists_.switches.content);
}

void FiltersController::LoadFloatingAd() {
  auto text = ReadUtf16LeFile(ProgramPath("Resource/KillFlyAd.htm"));
  if (text && text->empty()) text.reset();
  if (!LoadFloatingAdScript(text, floatingAd_) && s_.prompts)
    s_.prompts->Message(kScriptContentError);
}

void FiltersController::RunPageScript(CChildFrame* child, const u16& script,
                                      const u16& language, bool asUser) {
  if (!child || !child->view()) return;
  bool report = reportScriptErrors_;
  child->view()->RunPageCode(script, language, asUser, [this, report](bool ok) {
    if (!ok && report && !closed_) s_.tabs.SetStatusText(kRunScriptError);
  });
}

bool FiltersController::RunScriptElement(u16view text, CChildFrame* target) {
  auto element = ParseScriptElement(text);
  if (!element) {
    if (s_.prompts) s_.prompts->Message(kScriptContentError);
    return false;
  }
  std::vector<CChildFrame*> targets;
  if (target) {
    targets.push_back(target);
  } else if (s_.keys && s_.keys->Ctrl() && s_.keys->Shift()) {
    for (int i = 0; CChildFrame* tab = s_.tabs.TabAt(i); ++i) targets.push_back(tab);
  } else if (CChildFrame* active = s_.tabs.ActiveChild()) {
    targets.push_back(active);
  }
  for (CChildFrame* tab : targets) RunPageScript(tab, element->code, element->language, true);
  return true;
}

void FiltersController::RunFloatingAdScript(CChildFrame* child) {
  reportScriptErrors_ = false;
  RunPageScript(child, floatingAd_.text, floatingAd_.language);
  reportScriptErrors_ = true;
}

void FiltersController::OnDocumentComplete(CChildFrame* tab, u16view) {
  // Floating ads of the finished page go while their filter is on.
  if (lists_.switches.floatingAd) RunFloatingAdScript(tab);
}

void FiltersController::OnPopupBlocked(CVOPView& view, u16view url, bool listed) {
  u16 text = (listed ? u"已阻止弹出窗口过滤列表中的网页: " : u"已阻止弹出窗口: ") + u16(url);
  if (s_.settings.sound && bars_) bars_->Beep();
  if (!listed) {
    CChildFrame* opener = s_.tabs.TabAt(view.openerIndex);
    if (!opener) opener = s_.tabs.ActiveChild();
    if (s_.settings.showInfoBar && opener && bars_) bars_->ShowPopupBar(opener, text);
    s_.tabs.SetStatusText(text);
    return;
  }
  // A listed page's own tab closes (its close is posted right after this): the tab in front
  // after it, a blank one when it was the last, says why.
  CChildFrame* opener = s_.tabs.TabAt(view.openerIndex);
  auto say = [this, alive = std::weak_ptr<bool>(alive_), opener, text] {
    if (alive.expired() || closed_) return;
    CChildFrame* shown = opener && s_.tabs.TabIndexOf(opener) >= 0 ? opener : s_.tabs.ActiveChild();
    if (s_.settings.showInfoBar && shown && bars_) bars_->ShowPopupBar(shown, text);
    s_.tabs.SetStatusText(text);
  };
  if (s_.loop)
    s_.loop->Post([loop = s_.loop, say] { loop->Post(say); });  // after the close
  else
    say();
}

void FiltersController::AllowSiteOf(CChildFrame* child) {
  if (!child || !child->view()) return;
  if (bars_) bars_->HidePopupBar(child);
  lists_.AllowSite(child->view()->CurrentAddress(),
                   ProgramPath("profile/Defaults/Unblocksite.dat"));
}

int FiltersController::DeliveredElementFlags(const CVOPView& view) const {
  return DeliveredElementFlags(view.pageElementFlags);
}

int FiltersController::DeliveredElementFlags(int flags) const {
  return flags | (activeXDownloadBan_ ? kElementNoActiveXDownload : 0);
}

void FiltersController::ToggleElementBit(int bit) {
  CChildFrame* active = s_.tabs.ActiveChild();
  CVOPView* v = active ? active->view() : nullptr;
  if (!v) return;
  v->pageElementFlags ^= bit;
  // The last applied flags are what new tabs without an opener start from.
  s_.settings.ctlpro = v->pageElementFlags;
  bool ctrl = s_.keys && s_.keys->Ctrl();
  v->ApplyPageElementFlags(!ctrl);
  // Images switched back on without a reload: the page's missing images load again.
  if (ctrl && bit == kElementImages && (v->pageElementFlags & kElementImages))
    RunPageScript(active, FromUtf8(kReloadImagesJs), u"JavaScript");
}

void FiltersController::RegisterCommands() {
  CommandRegistry& c = s_.commands;
  c.Add(cmd::kPopupFilter, [this] { lists_.TogglePopupFilter(); })
      .Checked([this] { return lists_.switches.popup; });
  c.Add(cmd::kContentFilter,
        [this] {
          lists_.switches.content = !lists_.switches.content;
          UpdateFilterHook();
        })
      .Checked([this] { return lists_.switches.content; });
  c.Add(cmd::kDialogFilter,
        [this] {
          lists_.switches.dialog = !lists_.switches.dialog;
          UpdateFilterHook();
        })
      .Checked([this] { return lists_.switches.dialog; });
  c.Add(cmd::kFloatingAdFilter,
        [this] {
          lists_.switches.floatingAd = !lists_.switches.floatingAd;
          if (!lists_.switches.floatingAd) return;
          LoadFloatingAd();
          if (CChildFrame* active = s_.tabs.ActiveChild()) RunFloatingAdScript(active);
        })
      .Checked([this] { return lists_.switches.floatingAd; });
  c.Add(cmd::kAllFilters,
        [this] {
          FilterSwitchEffect effect = lists_.ToggleAllFilters();
          UpdateFilterHook();
          if (effect.runFloatingAd) {
            LoadFloatingAd();
            if (CChildFrame* active = s_.tabs.ActiveChild()) RunFloatingAdScript(active);
          }
        })
      .Checked([this] { return lists_.AnyFilterOn(); });
  c.Add(cmd::kAddToContentFilter, [this] {
    if (!s_.prompts) return;
    auto text = s_.prompts->AskLongText(u"将该地址添加到页面内容过滤列表(可使用通配符 * ):",
                                        u"输入", contextAddress_());
    if (!text) return;
    if (lists_.AddToContentFilter(*text)) UpdateFilterHook();
  });
  c.Add(cmd::kAllowSite, [this] { AllowSiteOf(s_.tabs.ActiveChild()); });
  c.Add(cmd::kPopupLists, [this] {
    if (!dialogs_) return;
    const std::string file = ProgramPath("profile/Defaults/Unblocksite.dat");
    dialogs_->ShowPopupLists({
        .sites = [this] { return lists_.allowedSites; },
        .add = [this, file](const u16& text) {
          auto r = lists_.AddAllowedSite(text, file);
          return r == AllowSiteResult::kAdded || r == AllowSiteResult::kAlreadyAllowed;
        },
        .remove = [this, file](const u16& site) { lists_.RemoveAllowedSite(site, file); },
    });
  });

  // The page elements of the active tab; the marks show its flags (new tabs' without one).
  auto flags = [this] {
    CChildFrame* a = s_.tabs.ActiveChild();
    return a && a->view() ? a->view()->pageElementFlags : s_.settings.ctlpro;
  };
  struct Element {
    int id;
    int bit;
    bool checkedWhenSet;
  };
  static constexpr Element kElements[] = {
      {cmd::kShowImages, kElementImages, true},      {cmd::kPlayVideos, kElementVideos, true},
      {cmd::kPlaySounds, kElementSounds, true},      {cmd::kAllowScripts, kElementNoScripts, false},
      {cmd::kAllowJava, kElementNoJava, false},      {cmd::kAllowActiveX, kElementNoActiveX, false},
  };
  for (const Element& e : kElements)
    c.Add(e.id, [this, e] { ToggleElementBit(e.bit); }).Checked([flags, e] {
      return ((flags() & e.bit) != 0) == e.checkedWhenSet;
    });
  c.Add(cmd::kNoActiveXDownload,
        [this] {
          activeXDownloadBan_ = !activeXDownloadBan_;
          // Every open page is given its flags again, with the ban or without it.
          for (int i = 0; CChildFrame* tab = s_.tabs.TabAt(i); ++i)
            if (tab->view()) tab->view()->ApplyPageElementFlags(false);
        })
      .Checked([this] { return activeXDownloadBan_; });
  c.Add(cmd::kAnimations,
        [this] {
          if (!s_.registry) return;
          auto v = s_.registry->GetString(kHkcuIeMain, u"Play_Animations");
          bool on = !v || EqualsNoCase(*v, u"yes");
          s_.registry->SetValue(kHkcuIeMain, u"Play_Animations",
                                RegValue::Str(on ? u"no" : u"yes"));
        })
      .Checked([this] {
        auto v = s_.registry ? s_.registry->GetString(kHkcuIeMain, u"Play_Animations")
                             : std::nullopt;
        return v && !EqualsNoCase(*v, u"yes");
      });
  c.Add(cmd::kNoFlash,
        [this] {
          if (!s_.registry) return;
          auto v = s_.registry->GetDword(kHklmFlashCompat, u"Compatibility Flags");
          uint32_t next = v && *v == 1024 ? 0 : 1024;
          s_.registry->SetValue(kHklmFlashCompat, u"Compatibility Flags", RegValue::Dw(next));
        })
      .Checked([this] {
        auto v = s_.registry ? s_.registry->GetDword(kHklmFlashCompat, u"Compatibility Flags")
                             : std::nullopt;
        return v && *v == 1024;
      });
}

}  // namespace zel
