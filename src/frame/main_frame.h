// The main frame: owns the tabs, the frame-wide settings and switches; opens addresses in
// new or reused tabs; handles the private messages and commands; runs the shutdown order.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "settings/frame_settings.h"
#include "frame/address_entry.h"
#include "frame/context_rules.h"
#include "frame/menu_model.h"
#include "gestures/gesture_table.h"
#include "search/keyword_history.h"
#include "search/search_engines.h"
#include "filters/filter_lists.h"
#include "filters/floating_ad.h"
#include "base/text.h"
#include "frame/frame_window.h"
#include "view/engine_port.h"
#include "view/url_rules.h"

namespace zel {

class CChildFrame;
class CVOPView;
class ClipboardPort;
class KeyState;
class PopupPolicy;
class PopupFilter;
class ContentFilterPort;
class FrameWindow;
class MessageLoop;
class PromptPort;
class RegistryPort;
class ShellPort;

// Where a close request came from: the window's close box, the exit command, or the
// system ending the session (a signal here). Only the first asks the quit question.
enum class CloseSource { Window, ExitCommand, System };

// Mouse actions on a tab-strip entry.
enum class TabMouse { LeftDouble, Middle, RightDouble, CloseButton };

class CMainFrame {
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
  };
  explicit CMainFrame(const Ports& ports);
  ~CMainFrame();

  FrameSettings& settings() { return settings_; }
  const FrameSettings& settings() const { return settings_; }
  void SetProgramFolder(u16view folder) { rules_.programFolder = u16(folder); }
  // FTP addresses: 0 load in the tab, 1 the other browser, 2 the FTP program.
  void SetFtpMode(int mode, u16view program = u"") {
    rules_.ftpMode = mode;
    rules_.ftpProgram = u16(program);
  }
  UrlRuleSettings RuleSettings() const;

  // Early load, the per-start registry value and the start-mode rule.
  void LoadEarlySettings(int engineFlags);

  // ---- Tabs ----
  // The one way to get a new or reused tab for a page. mode 0: pick or create a tab, do not
  // start it; 1: reuse a blank tab when there is one, else create one, and start it; 2 or
  // more: always a new tab, started. startKind: 0 blank, 1 engine home, 2 the address,
  // 3 the request. Returns nothing for script and mail addresses, handed-off addresses and
  // when no tab can be made. forceNew: never reuse a blank tab (a page's new window must get
  // a fresh engine made for it).
  CChildFrame* OpenUrl(int mode, int startKind, u16view address, CVOPView* opener, bool show,
                       const NavRequest* request = nullptr, bool forceNew = false);
  // Enter in the address box with the modifier keys held.
  void OnAddressEnter(u16view text, ModifierState keys);
  // An entry of the address box's list was chosen.
  void OnAddressListChoice(u16view text);
  const std::vector<u16>& typedAddresses() const { return typedAddresses_; }
  // The list of typed addresses to and from the registry (TypedURLs, url1 ...).
  void LoadTypedHistory();
  void SaveTypedHistory();
  void ClearTypedHistory();
  // The words go to the search box and are searched with the given mode (1 web search in a
  // new tab, 2 find in the page, 4 highlight in the page).
  void SearchFor(u16view words, int target);
  // The search bar's engines and keyword history (when the bar is made).
  void LoadSearchBar();
  const SearchEngines& searchEngines() const { return searchEngines_; }
  const KeywordHistory& keywordHistory() const { return keywords_; }
  // The start page: the home page for start mode 1, else a blank tab.
  void OpenStartPage();

  // Called by a view the first time its navigation survives: the tab enters the strip.
  void InsertTab(CChildFrame* child, u16view title, int position = -1);
  // MDI activation of a tab. fromTabBar: the user selected it on the strip.
  void ActivateTab(CChildFrame* child, bool fromTabBar = false, bool handOff = false);
  // Posts a close to the tab (it runs after the current handler).
  void PostCloseTab(CChildFrame* child);
  // The tab's close handler. Returns true when the tab went away.
  bool CloseTab(CChildFrame* child);
  void CloseAllTabs();
  void GoHomePage();
  void NewPageByMode();
  void PreviousTab();
  void NextTab();
  void SelectTabByNumber(int index);
  void ToggleLock(CChildFrame* child);
  // Asks for a password and sets it; an empty answer clears nothing.
  void SetTabPassword(CChildFrame* child);
  void ClearTabPassword(CChildFrame* child);
  void OnTabMouse(int index, TabMouse action);

  const std::vector<CChildFrame*>& Tabs() const { return strip_; }
  int TabCount() const { return int(strip_.size()); }
  int TabIndexOf(const CChildFrame* child) const;
  CChildFrame* TabAt(int index) const;
  CChildFrame* ActiveChild() const { return active_; }
  CVOPView* ActiveView() const;
  size_t ChildCount() const { return children_.size(); }
  int recordedTabCount() const { return recordedTabCount_; }
  bool tabListChanged() const { return tabListChanged_; }
  void ClearTabListChanged() { tabListChanged_ = false; }
  bool activateNewTabs() const { return settings_.activateNewTabs; }
  int passwordTabCount() const { return passwordTabs_; }

  // Tabs by the name pages target them with, and by address (after the drive-path rule,
  // case-insensitive; the last in tab order wins). except is left out of the search.
  CChildFrame* FindTabByName(u16view name, const CVOPView* except) const;
  CChildFrame* FindTabByAddress(u16view address, const CChildFrame* except) const;

  // What the views show through the frame.
  void SetAddressText(u16view text);
  void FocusAddressBox();
  void SetStatusText(u16view text);
  void SetProgress(int percentage);
  void SetSecureIndicator(bool secure);
  // The clipboard's text goes into the address box when it is an address.
  void OfferClipboardAddress();
  bool FrameVisible() const;
  std::optional<PagePointer> CursorInPage(CChildFrame* child) const;
  int PageHeight(CChildFrame* child) const;

  // ---- Filters ----
  FilterLists& filters() { return filters_; }
  // The lists of blockage.ini and the allowed sites of Unblocksite.dat (deferred start-up).
  void LoadFilterLists();
  // The content filter's hook follows the switches: lists and switch go to the web processes.
  void UpdateFilterHook();
  // A popup of view's page was stopped: its opener's tab shows the notification bar.
  void OnPopupBlocked(CVOPView& view, u16view url);
  // Allow-this-site of a tab (command 1424 from its notification bar).
  void AllowSiteOf(CChildFrame* child);
  // The menu context: what the context menu or a drag acts on, and where the menu or the
  // drag began (the view's coordinates in the active tab; a link is clicked there).
  u16 contextAddress;
  u16 contextText;  // the link's text or the selected text
  ContextKind contextKind = ContextKind::Text;
  int contextX = 0, contextY = 0;
  // The page's context menu: the image, link or text menu in place of the engine's own.
  // False when the point has none of them (the engine's menu is shown).
  bool ShowPageMenu(CVOPView& view, const PageHit& hit, int x, int y);
  // Shows the menu of a context kind at (x, y) of the active page.
  void ShowContextMenu(ContextKind kind, int x, int y);
  // A drag from the page dropped on it: true when handled here, false for the engine.
  bool OnPageDrop(const PageDrop& drop);
  // Opens a context text: an address in a tab, anything else as a search.
  void OpenContextText(u16view text, bool show);
  // Opens a context link through a click on it with the pending new-window flags.
  void OpenContextLink(u16view address, int flags);
  // The gesture table and the mouse switches (1235 gestures, 1234 MOUSESET/rdrag).
  const GestureTable& gestureTable() const { return gestureTable_; }
  GestureTable& gestureTable() { return gestureTable_; }
  bool gesturesOn = true;
  bool wheelTabSwitch = true;
  // The system commands minimize (61472) and restore (61728) of the main window.
  void SystemCommand(int id);
  // Runs a script in a tab's top document; a failure shows "运行脚本错误!" while the
  // report flag is on.
  void RunPageScript(CChildFrame* child, const u16& script, const u16& language);
  void RunFloatingAdScript(CChildFrame* child);
  const PageScript& floatingAdScript() const { return floatingAd_; }
  bool reportScriptErrors = true;
  bool activeXDownloadBan = false;
  // The page-element flags as the engine is given them (0x400 added under the ban).
  int DeliveredElementFlags(const CVOPView& view) const;

  // Ports the views use.
  MessageLoop* loop() const { return ports_.loop; }
  PromptPort* prompts() const { return ports_.prompts; }
  ShellPort* shell() const { return ports_.shell; }
  KeyState* keys() const { return ports_.keys; }
  PopupPolicy* popupPolicy() const { return popupPolicy_; }
  void SetPopupPolicy(PopupPolicy* p) { popupPolicy_ = p; }

  // Frame-wide switches the views read.
  bool spoofCheck = true;         // ask before a spoofed address
  bool namedTargetReuse = true;   // a named target reuses its tab
  bool statusFilter = false;      // command 946
  bool showTitle = true;          // the page title goes into the frame caption
  bool tabNumbering = false;      // tab captions "%d-%s"
  int toolbarRefreshMode = 0;
  bool focusOnBlankPage = false;
  int autoScrollMode = 0;         // 0, 4, 2 or 1 (commands 1038..1041)
  int autoScrollSpeed = 1;        // the last chosen speed, for new views (981..983)
  bool autoScrollWaitLoaded = false;  // the last value of command 980, for new views
  bool autoScrollCursorMode = false;
  bool autoScrollAll = false;
  int autoRefreshSeconds = 60;
  bool refreshActiveTab = true;
  u16 lastRequestedAddress;
  u16 searchWords;       // what the search box holds
  int searchTarget = 1;  // where the next search goes
  bool secureShown = false;

  // Tab captions and icons, from the views.
  void SetTabCaption(CChildFrame* child, u16view caption);
  void SetTabIcon(CChildFrame* child, int icon);

  // ---- Messages and commands ----
  void PostMessage(int message, intptr_t wparam = 0, intptr_t lparam = 0);
  void OnMessage(int message, intptr_t wparam, intptr_t lparam);
  // A hand-off text copied from the shared block (message 5120).
  void OnHandOff(u16view text);
  // A second start without a target: show the frame, un-hiding it when hidden.
  void OnRaiseRequest();
  void OnDeferredStartup();
  bool deferredStartupDone() const { return deferredDone_; }
  bool OnCommand(int id);
  bool HasCommand(int id) const { return commands_.count(id) != 0; }
  // Whether a check-mark command is on (884 ...); nullopt for commands without a mark.
  std::optional<bool> CommandChecked(int id) const;
  bool CommandEnabled(int id) const;

  void SetFrameCaption(u16view caption);
  void RefreshCommandStates();
  // The caption for the active tab (or the empty caption without one).
  void RefreshFrameCaption();

  // Runs the shutdown order. Returns false when the user cancelled the quit question.
  bool Close(CloseSource source);
  bool closing() const { return closed_; }

  const u16& hostName() const { return hostName_; }
  bool offline() const { return offline_; }
  const u16& downloadFolder() const { return downloadFolder_; }
  const u16& pictureFolder() const { return pictureFolder_; }

 private:
  void RegisterCommands();
  void SavePlacement();
  CChildFrame* CreateChild(bool show, CVOPView* opener);
  void DestroyChild(CChildFrame* child);
  void ApplyTabSelection();
  bool AskTabPassword(CChildFrame* child);
  void MoveOnFromLockedTab(CChildFrame* child);
  void RunFunctionKey(int id);
  void OpenInNewTabIfDifferent(const u16& address);

  Ports ports_;
  FrameSettings settings_;
  UrlRuleSettings rules_;
  std::map<int, std::function<void()>> commands_;
  std::vector<std::unique_ptr<CChildFrame>> children_;  // creation order (MDI order)
  std::vector<CChildFrame*> strip_;                     // tab-strip order
  CChildFrame* active_ = nullptr;
  int recordedTabCount_ = 0;
  bool tabListChanged_ = false;
  int passwordTabs_ = 0;
  bool lastChildMaximized_ = true;
  u16 hostName_;
  u16 downloadFolder_;
  u16 pictureFolder_;
  bool offline_ = false;
  bool deferredDone_ = false;
  bool closed_ = false;
  bool inTabSelection_ = false;
  PopupPolicy* popupPolicy_ = nullptr;
  FilterLists filters_;
  std::unique_ptr<PopupFilter> popupFilter_;
  PageScript floatingAd_;
  std::vector<u16> typedAddresses_;
  SearchEngines searchEngines_;
  KeywordHistory keywords_;
  void RegisterSearchCommands();
  void Search();
  // The trimmed keyword of the box for find and highlight (kept in the history unless
  // saveKeyword says otherwise); nothing, after "请先输入关键字!", when it is empty.
  std::optional<u16> PageSearchKeyword();
  void FindInPage(bool backwards);
  void HighlightInPage();
  // Runs the find script in view's page; done gets the match count (-1 on failure).
  void RunFindScript(CVOPView* view, const u16& keyword, int target, const char16_t* mode,
                     std::function<void(int)> done);
  // The page's selected text, trimmed, goes into the keyword box and is searched.
  void SearchSelection(int mode);
  void OpenDialog();
  void NavigateTypedText(u16view text, bool newTab);

  void RegisterContextCommands();
  void SetMenuContext(ContextKind kind, u16view address, u16view text, int x, int y);
  // The first link inside the page's selection, else a blank tab (1089, 1150).
  void OpenSelectedLink();
  void SaveContextText();
  GestureTable gestureTable_;

  void RegisterFilterCommands();
  void RegisterAddressCommands();
  void SyncFilterSwitches();
  void ToggleElementBit(int bit);
  void LoadFloatingAd();
  std::string ProgramPath(const char* relative) const;
};

// "%s - %s" with the tab caption (or "空白页" for an empty or blank page) and the title.
u16 FrameCaptionFor(u16view tabCaption);
// The strip caption of a tab: the title, or "空白页" for an empty or blank one.
u16 TabCaptionFor(u16view title);

}  // namespace zel
