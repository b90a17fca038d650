// The frame's filters: the lists, the popup decision, the content filter's hook, the
// floating-ad script, the page-element switches and their commands.
#pragma once

#include <memory>
#include <string>

#include "filters/filter_lists.h"
#include "filters/floating_ad.h"
#include "filters/popup_filter.h"
#include "services/frame_controller.h"
#include "services/frame_services.h"

namespace zel {

class ContentFilterPort;
class PopupBarView;
class PopupListsView;

class FiltersController : public FrameController {
 public:
  FiltersController(const FrameServices& services, PopupBarView* bars,
                    ContentFilterPort* contentFilter, std::function<u16()> programFolder,
                    std::function<u16()> contextAddress);

  FilterLists& lists() { return lists_; }
  const FilterLists& lists() const { return lists_; }
  // The popup decision, once the lists are loaded (before that every window goes through).
  PopupPolicy* popupPolicy() { return listsLoaded_ ? &popupFilter_ : nullptr; }
  const PageScript& floatingAdScript() const { return floatingAd_; }
  bool activeXDownloadBan() const { return activeXDownloadBan_; }
  // The page-element flags as the engine is given them (the download ban added).
  int DeliveredElementFlags(const CVOPView& view) const;
  int DeliveredElementFlags(int flags) const;

  // The lists of blockage.ini and the allowed sites of Unblocksite.dat (deferred start-up).
  void LoadFilterLists();
  // The content filter's hook follows the switches: lists and switch go to the web processes.
  void UpdateFilterHook();
  // The popup filter's list dialog (command 30120).
  void SetDialogs(PopupListsView* dialogs) { dialogs_ = dialogs; }
  // Allow-this-site of a tab (command 1424 from its notification bar).
  void AllowSiteOf(CChildFrame* child);
  // Runs a script in a tab's top document; a failure shows "运行脚本错误!" while the
  // report flag is on. asUser: windows it opens are never popup candidates.
  void RunPageScript(CChildFrame* child, const u16& script, const u16& language,
                     bool asUser = false);
  void RunFloatingAdScript(CChildFrame* child);
  // The script runner: text is a whole script element ("<script ...>...</script>"). It runs
  // in target, else in the active tab, or in every tab while Ctrl and Shift are held. A text
  // that is no script element shows "脚本内容错误!" and returns false.
  bool RunScriptElement(u16view text, CChildFrame* target = nullptr);
  // Whether a failing script shows "运行脚本错误!" (off while the system's own scripts run).
  void SetReportScriptErrors(bool on) { reportScriptErrors_ = on; }

  void OnSettingsLoaded() override;
  void OnDeferredStartup() override { LoadFilterLists(); }
  void OnDocumentComplete(CChildFrame* tab, u16view url) override;
  void OnShutdown() override;

 private:
  void RegisterCommands();
  // Says what was blocked, in the bar of the tab it came from and in the status bar.
  void OnPopupBlocked(CVOPView& view, u16view url, bool listed);
  void ToggleElementBit(int bit);
  void LoadFloatingAd();
  std::string ProgramPath(const char* relative) const;

  FrameServices s_;
  PopupBarView* bars_;
  PopupListsView* dialogs_ = nullptr;
  ContentFilterPort* contentFilter_;
  std::function<u16()> programFolder_;
  std::function<u16()> contextAddress_;
  FilterLists lists_;
  PopupFilter popupFilter_;
  PageScript floatingAd_;
  bool reportScriptErrors_ = true;
  bool activeXDownloadBan_ = false;
  bool closed_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  bool switchesLoaded_ = false;
  bool listsLoaded_ = false;
};

}  // namespace zel
