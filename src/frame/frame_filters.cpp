// The frame's filters: the lists, the popup decision, the content filter's hook, the
// floating-ad script, the page-element switches and their commands.
#include <utility>

#include "base/files.h"
#include "res/page_scripts.h"
#include "filters/content_filter_port.h"
#include "filters/popup_filter.h"
#include "frame/child_frame.h"
#include "frame/commands.h"
#include "frame/frame_window.h"
#include "frame/main_frame.h"
#include "platform/key_state.h"
#include "platform/prompt_port.h"
#include "platform/registry_port.h"
#include "view/vop_view.h"

namespace zel {

std::string CMainFrame::ProgramPath(const char* relative) const {
  return JoinPath(ToUtf8(rules_.programFolder), relative);
}

void CMainFrame::SyncFilterSwitches() {
  settings_.popupFilter = filters_.switches.popup;
  settings_.contentFilter = filters_.switches.content;
  settings_.killFlying = filters_.switches.floatingAd;
  if (ports_.window) ports_.window->RefreshCommandStates();
}

void CMainFrame::LoadFilterLists() {
  if (!popupFilter_) {
    popupFilter_ = std::make_unique<PopupFilter>(*this, filters_);
    popupPolicy_ = popupFilter_.get();
  }
  filters_.SetControlKeyQuery([this] { return ports_.keys && ports_.keys->Ctrl(); });
  filters_.switches.popup = settings_.popupFilter;
  filters_.switches.content = settings_.contentFilter;
  filters_.switches.floatingAd = settings_.killFlying;
  filters_.switches.dialog = true;
  filters_.LoadFilterLists();
  filters_.LoadAllowedSites(ProgramPath("profile/Defaults/Unblocksite.dat"));
  UpdateFilterHook();
  // With the floating-ad filter on, the script is ready but not run yet.
  if (filters_.switches.floatingAd) LoadFloatingAd();
}

void CMainFrame::UpdateFilterHook() {
  filters_.RebuildContentIndex();
  if (ports_.contentFilter) ports_.contentFilter->Update(filters_, filters_.switches.content);
}

void CMainFrame::LoadFloatingAd() {
  auto text = ReadUtf16LeFile(ProgramPath("Resource/KillFlyAd.htm"));
  if (text && text->empty()) text.reset();
  if (!LoadFloatingAdScript(text, floatingAd_) && ports_.prompts)
    ports_.prompts->Message(kScriptContentError);
}

void CMainFrame::RunPageScript(CChildFrame* child, const u16& script, const u16& language) {
  if (!child || !child->view()) return;
  if (!IsJavaScriptLanguage(language)) {
    // The page engine runs JavaScript only.
    if (reportScriptErrors) SetStatusText(kRunScriptError);
    return;
  }
  bool report = reportScriptErrors;
  child->view()->RunScript(script, [this, report](const ScriptResult& r) {
    if (!r.ok && report && !closed_) SetStatusText(kRunScriptError);
  });
}

void CMainFrame::RunFloatingAdScript(CChildFrame* child) {
  reportScriptErrors = false;
  RunPageScript(child, floatingAd_.text, floatingAd_.language);
  reportScriptErrors = true;
}

void CMainFrame::OnPopupBlocked(CVOPView& view, u16view url) {
  CChildFrame* opener = TabAt(view.openerIndex);
  if (!opener) opener = active_;
  if (settings_.showInfoBar && opener && ports_.window) ports_.window->popupBars().ShowPopupBar(opener, url);
  if (settings_.sound && ports_.window) ports_.window->popupBars().Beep();
}

void CMainFrame::AllowSiteOf(CChildFrame* child) {
  if (!child || !child->view()) return;
  if (ports_.window) ports_.window->popupBars().HidePopupBar(child);
  filters_.AllowSite(child->view()->CurrentAddress(),
                     ProgramPath("profile/Defaults/Unblocksite.dat"));
}

int CMainFrame::DeliveredElementFlags(const CVOPView& view) const {
  return view.pageElementFlags | (activeXDownloadBan ? 0x400 : 0);
}

void CMainFrame::ToggleElementBit(int bit) {
  CVOPView* v = ActiveView();
  if (!v) return;
  v->pageElementFlags ^= bit;
  // The last applied flags are what new tabs without an opener start from.
  settings_.ctlpro = v->pageElementFlags;
  bool ctrl = ports_.keys && ports_.keys->Ctrl();
  v->ApplyPageElementFlags(!ctrl);
  // Images switched back on without a reload: the page's missing images load again.
  if (ctrl && bit == 0x10 && (v->pageElementFlags & 0x10))
    RunPageScript(active_, FromUtf8(kReloadImagesJs), u"JavaScript");
  if (ports_.window) ports_.window->RefreshCommandStates();
}

void CMainFrame::RegisterFilterCommands() {
  commands_[cmd::kPopupFilter] = [this] {
    filters_.TogglePopupFilter();
    SyncFilterSwitches();
  };
  commands_[cmd::kContentFilter] = [this] {
    filters_.switches.content = !filters_.switches.content;
    SyncFilterSwitches();
    UpdateFilterHook();
  };
  commands_[cmd::kDialogFilter] = [this] {
    filters_.switches.dialog = !filters_.switches.dialog;
    SyncFilterSwitches();
    UpdateFilterHook();
  };
  commands_[cmd::kFloatingAdFilter] = [this] {
    filters_.switches.floatingAd = !filters_.switches.floatingAd;
    SyncFilterSwitches();
    if (!filters_.switches.floatingAd) return;
    LoadFloatingAd();
    if (active_) RunFloatingAdScript(active_);
  };
  commands_[cmd::kAllFilters] = [this] {
    FilterSwitchEffect effect = filters_.ToggleAllFilters();
    SyncFilterSwitches();
    UpdateFilterHook();
    if (effect.runFloatingAd) {
      LoadFloatingAd();
      if (active_) RunFloatingAdScript(active_);
    }
  };
  commands_[cmd::kAddToContentFilter] = [this] {
    if (!ports_.prompts) return;
    auto text = ports_.prompts->AskText(u"将该地址添加到页面内容过滤列表(可使用通配符 * ):", u"输入",
                                        contextAddress, false);
    if (!text) return;
    if (filters_.AddToContentFilter(*text)) UpdateFilterHook();
  };
  commands_[cmd::kAllowSite] = [this] { AllowSiteOf(active_); };
  commands_[cmd::kShowImages] = [this] { ToggleElementBit(0x10); };
  commands_[cmd::kPlayVideos] = [this] { ToggleElementBit(0x20); };
  commands_[cmd::kPlaySounds] = [this] { ToggleElementBit(0x40); };
  commands_[cmd::kAllowScripts] = [this] { ToggleElementBit(0x80); };
  commands_[cmd::kAllowJava] = [this] { ToggleElementBit(0x100); };
  commands_[cmd::kAllowActiveX] = [this] { ToggleElementBit(0x200); };
  commands_[cmd::kNoActiveXDownload] = [this] {
    activeXDownloadBan = !activeXDownloadBan;
    if (ports_.window) ports_.window->RefreshCommandStates();
  };
  commands_[cmd::kAnimations] = [this] {
    if (!ports_.registry) return;
    auto v = ports_.registry->GetString(kHkcuIeMain, u"Play_Animations");
    bool on = !v || EqualsNoCase(*v, u"yes");
    ports_.registry->SetValue(kHkcuIeMain, u"Play_Animations", RegValue::Str(on ? u"no" : u"yes"));
    if (ports_.window) ports_.window->RefreshCommandStates();
  };
  commands_[cmd::kNoFlash] = [this] {
    if (!ports_.registry) return;
    auto v = ports_.registry->GetDword(kHklmFlashCompat, u"Compatibility Flags");
    uint32_t next = v && *v == 1024 ? 0 : 1024;
    ports_.registry->SetValue(kHklmFlashCompat, u"Compatibility Flags", RegValue::Dw(next));
    if (ports_.window) ports_.window->RefreshCommandStates();
  };
}


}  // namespace zel
