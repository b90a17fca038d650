// The main frame: owns the tabs (opening in new or reused tabs, the strip, activation,
// closing), routes messages, commands and timers, and runs the start-up and shutdown
// order. Everything else is a controller it owns: each subsystem registers its commands
// and hears of the frame's moments through FrameController.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/commands.h"
#include "base/text.h"
#include "frame/frame_window.h"
#include "services/command_registry.h"
#include "services/frame_controller.h"
#include "settings/frame_settings.h"
#include "view/engine_port.h"
#include "view/tab_host.h"
#include "view/url_rules.h"

namespace zel {

class CChildFrame;
class CVOPView;
class ClipboardPort;
class ContentFilterPort;
class DestinationPort;
class DownloadSource;
class KeyState;
class MessageLoop;
class PromptPort;
class RegistryPort;
class ShellPort;
class AddressBoxController;
class FiltersController;
class PageMenuController;
class PageCommandsController;
class TabCommandsController;
class TabLockController;
class SearchController;

// Where a close request came from: the window's close box, the exit command, or the
// system ending the session (a signal here). Only the first asks the quit question.
enum class CloseSource { Window, ExitCommand, System };

// Mouse actions on a tab-strip entry.
enum class TabMouse { LeftDouble, Middle, RightDouble, CloseButton };

class CMainFrame : public TabHost {
 public:
  struct Ports {
    FrameWindow* window = nullptr;
    MessageLoop* loop = nullptr;
    PromptPort* prompts = nullptr;
    RegistryPort* registry = nullptr;
    ShellPort* shell = nullptr;
    EngineFactory* engines = nullptr;
    KeyState* keys = nullptr;
    ClipboardPort* clipboard = nullptr;
    ContentFilterPort* contentFilter = nullptr;
    DownloadSource* downloads = nullptr;
    DestinationPort* destinations = nullptr;
  };
  explicit CMainFrame(const Ports& ports);
  ~CMainFrame() override;

  const Ports& ports() const { return ports_; }
  // The tab strip's mouse actions (tab commands).
  void OnTabMouse(int index, TabMouse action);
  FrameSettings& settings() { return settings_; }
  const FrameSettings& settings() const override { return settings_; }
  ViewSwitches& switches() { return switches_; }
  const ViewSwitches& switches() const override { return switches_; }
  int DeliveredElementFlags(int flags) const override;
  void SetProgramFolder(u16view folder) { rules_.programFolder = u16(folder); }
  const u16& programFolder() const { return rules_.programFolder; }
  // FTP addresses: 0 load in the tab, 1 the other browser, 2 the FTP program.
  void SetFtpMode(int mode, u16view program = u"") {
    rules_.ftpMode = mode;
    rules_.ftpProgram = u16(program);
  }
  UrlRuleSettings RuleSettings() const override;

  // Early load, the per-start registry value and the start-mode rule.
  void LoadEarlySettings(int engineFlags);

  // ---- Controllers ----
  // The controller of a kind (every kind the frame makes is there).
  template <class T>
  T& controller() const {
    for (const auto& c : controllers_)
      if (auto* t = dynamic_cast<T*>(c.get())) return *t;
    std::abort();
  }
  CommandRegistry& commands() { return commands_; }
  PageCommandsController& pageCommands() const { return *pageCommands_; }

  // ---- Tabs ----
  // The one way to get a new or reused tab for a page. Returns nothing for script and mail
  // addresses, handed-off addresses and when no tab can be made.
  CChildFrame* OpenUrl(u16view address, const OpenOptions& options) override;

  // Called by a view the first time its navigation survives: the tab enters the strip.
  void InsertTab(CChildFrame* child, u16view title) override { InsertTab(child, title, -1); }
  void InsertTab(CChildFrame* child, u16view title, int position);
  // MDI activation of a tab. fromTabBar: the user selected it on the strip.
  void ActivateTab(CChildFrame* child) override { ActivateTab(child, false, false); }
  void ActivateTab(CChildFrame* child, bool fromTabBar, bool handOff = false);
  // Posts a close to the tab (it runs after the current handler).
  void PostCloseTab(CChildFrame* child) override;
  // The start page: the home page for start mode 1, else a blank tab.
  void OpenStartPage();
  // The tab's close handler. Returns true when the tab went away.
  bool CloseTab(CChildFrame* child);

  const std::vector<CChildFrame*>& Tabs() const { return strip_; }
  int TabCount() const { return int(strip_.size()); }
  int TabIndexOf(const CChildFrame* child) const override;
  CChildFrame* TabAt(int index) const override;
  CChildFrame* ActiveChild() const override { return active_; }
  using TabHost::ActiveView;
  size_t ChildCount() const { return children_.size(); }
  int recordedTabCount() const override { return recordedTabCount_; }
  bool tabListChanged() const { return tabListChanged_; }
  void ClearTabListChanged() { tabListChanged_ = false; }
  bool activateNewTabs() const { return settings_.activateNewTabs; }
  // A page opened for the user in a tab of its own (the new-tab switch decides the front).
  void OpenInNewTab(u16view address, bool show) {
    OpenUrl(address, {.tab = TabChoice::ReuseBlank, .start = StartKind::Address, .show = show});
  }

  // Tabs by the name pages target them with, and by address (after the drive-path rule,
  // case-insensitive; the last in tab order wins). except is left out of the search.
  CChildFrame* FindTabByName(u16view name, const CVOPView* except) const override;
  CChildFrame* FindTabByAddress(u16view address, const CChildFrame* except) const override;

  // What the views show through the frame.
  void SetAddressText(u16view text) override;
  void FocusAddressBox() override;
  void OnPageChanged(CChildFrame* child) override;
  // A notice of the frame's own (not of a page): it stays through page and tab changes
  // until the next status text.
  void ShowNotice(u16view text);
  void SetStatusText(u16view text) override;
  void SetProgress(int percentage) override;
  void SetSecureIndicator(bool secure) override;
  bool secureShown() const { return secureShown_; }
  // The clipboard's text goes into the address box when it is an address.
  void OfferClipboardAddress() override;
  bool FrameVisible() const override;
  bool PageMayTakeFocus() const override;
  std::optional<PagePointer> CursorInPage(CChildFrame* child) const override;
  int PageHeight(CChildFrame* child) const override;
  void SetTabCaption(CChildFrame* child, u16view caption) override;
  void SetTabIcon(CChildFrame* child, int icon) override;

  // TabHost: the ports and seams the views use.
  MessageLoop* loop() const override { return ports_.loop; }
  PromptPort* prompts() const override { return ports_.prompts; }
  ShellPort* shell() const override { return ports_.shell; }
  KeyState* keys() const override { return ports_.keys; }
  const GestureTable& gestureTable() const override;
  PopupPolicy* popupPolicy() const override;
  // Another popup decision in place of the filters' own (null: the filters').
  void SetPopupPolicy(PopupPolicy* policy) { popupOverride_ = policy; }
  bool PopupFilterOn() const override;
  void NoteRequestedAddress(u16view address) override { lastRequestedAddress_ = u16(address); }
  const u16& lastRequestedAddress() const { return lastRequestedAddress_; }
  void OnDocumentComplete(CChildFrame* child, u16view url) override;
  void SystemCommand(int id) override;
  bool ShowPageMenu(CVOPView& view, const PageHit& hit, int x, int y) override;
  bool OnPageDrop(const PageDrop& drop) override;
  void OnFileSaved(CChildFrame* child, u16view path) override;
  void PostToolbarRefresh() override;
  void PostCommand(int id) override;

  // ---- Messages and commands ----
  void PostMessage(int message, intptr_t wparam = 0, intptr_t lparam = 0);
  void OnMessage(int message, intptr_t wparam, intptr_t lparam);
  // A hand-off text copied from the shared block (message 5120).
  void OnHandOff(u16view text);
  // A second start without a target: show the frame, un-hiding it when hidden.
  void OnRaiseRequest();
  void OnDeferredStartup();
  void OnFrameTimer();
  // The frame timer's period (750 ms; tests of what the periodic save leaves on disk make
  // it shorter). Takes effect at the deferred start-up.
  void SetFrameTimerPeriod(int ms) { frameTimerMs_ = ms > 0 ? ms : msg::kFrameTimerMs; }
  bool deferredStartupDone() const { return deferredDone_; }
  // Runs a command, then the menus and buttons follow the new state.
  bool OnCommand(int id);
  bool HasCommand(int id) const { return commands_.Has(id); }
  // Whether a check-mark command is on (884 ...); nullopt for commands without a mark.
  std::optional<bool> CommandChecked(int id) const { return commands_.Checked(id); }
  bool CommandEnabled(int id) const { return commands_.Enabled(id); }

  void SetFrameCaption(u16view caption);
  void RefreshCommandStates() override;
  // The caption for the active tab (or the empty caption without one).
  void RefreshFrameCaption();

  // Runs the shutdown order. Returns false when the user cancelled the quit question.
  bool Close(CloseSource source);
  bool closing() const { return closed_; }

  const u16& hostName() const { return hostName_; }
  const u16& downloadFolder() const { return downloadFolder_; }
  const u16& pictureFolder() const { return pictureFolder_; }

 private:
  void SavePlacement();
  CChildFrame* CreateChild(bool show, CVOPView* opener, Engine* related = nullptr);
  void DestroyChild(CChildFrame* child);
  void ApplyTabSelection();
  template <class F>
  void EachController(F f) {
    for (auto& c : controllers_) f(*c);
  }

  Ports ports_;
  FrameSettings settings_;
  ViewSwitches switches_;
  UrlRuleSettings rules_;
  CommandRegistry commands_;
  std::vector<std::unique_ptr<FrameController>> controllers_;
  std::vector<std::unique_ptr<CChildFrame>> children_;  // creation order (MDI order)
  std::vector<CChildFrame*> strip_;                     // tab-strip order
  CChildFrame* active_ = nullptr;
  int recordedTabCount_ = 0;
  bool tabListChanged_ = false;
  u16 hostName_;
  u16 downloadFolder_;
  u16 pictureFolder_;
  u16 lastRequestedAddress_;
  bool secureShown_ = false;
  bool deferredDone_ = false;
  int frameTicks_ = 0;
  int frameTimerMs_ = msg::kFrameTimerMs;
  bool statusIsNotice_ = false;
  bool closed_ = false;
  // Controllers the views reach through the frame (the page menus and the popup seam).
  FiltersController* filters_ = nullptr;
  PageMenuController* pageMenu_ = nullptr;
  PageCommandsController* pageCommands_ = nullptr;
  TabCommandsController* tabCommands_ = nullptr;
  TabLockController* tabLocks_ = nullptr;
  PopupPolicy* popupOverride_ = nullptr;
  // Posted work checks that the frame is still there.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// "%s - %s" with the tab caption (or "空白页" for an empty or blank page) and the title.
u16 FrameCaptionFor(u16view tabCaption);
// The strip caption of a tab: the title, or "空白页" for an empty or blank one.
u16 TabCaptionFor(u16view title);

}  // namespace zel
