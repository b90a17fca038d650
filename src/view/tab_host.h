// What a tab's view needs of the frame that holds it: its place among the tabs, the frame's
// displays, the seams of the popup filter and the page menus, and the frame switches it
// applies. The frame implements it; the view never knows the frame itself.
#pragma once

#include <optional>

#include "base/text.h"
#include "settings/frame_settings.h"
#include "view/engine_port.h"
#include "view/url_rules.h"

namespace zel {

class CChildFrame;
class CVOPView;
class GestureTable;
class KeyState;
class MessageLoop;
class PopupPolicy;
class PromptPort;
class ShellPort;

// The pointer over a tab's page: its height in the page and the page's height less the
// bottom margin; inside is false outside the page or in its right or bottom margin.
struct PagePointer {
  bool inside = false;
  int y = 0;
  int height = 0;
};

// How a page gets its tab.
enum class TabChoice {
  Pick,        // pick an idle blank tab or make one; the page is not started
  ReuseBlank,  // reuse an idle blank tab when there is one, else make one; start the page
  New,         // always a new tab, started
};
// What the tab starts with.
enum class StartKind { Blank = 0, EngineHome = 1, Address = 2, Request = 3 };

struct OpenOptions {
  TabChoice tab = TabChoice::ReuseBlank;
  StartKind start = StartKind::Address;
  bool show = false;             // bring the tab forward
  CVOPView* opener = nullptr;    // the view whose page opens this one
  const NavRequest* request = nullptr;
  bool forceNew = false;         // never reuse a blank tab (a page's new window)
  Engine* related = nullptr;     // without an opener view: the engine whose page opens it
};

// Frame-wide switches the views apply (the frame keeps them current).
struct ViewSwitches {
  bool spoofCheck = true;         // ask before a spoofed address
  bool namedTargetReuse = true;   // a named target reuses its tab
  bool statusFilter = false;      // command 946
  bool showTitle = true;          // the page title goes into the frame caption
  bool tabNumbering = false;      // tab captions "%d-%s"
  int toolbarRefreshMode = 0;
  bool focusOnBlankPage = true;   // a finished page: focus to the blank tab's address box or the page
  int autoScrollMode = 0;         // 0, 4, 2 or 1 (commands 1038..1041)
  bool autoScrollCursorMode = false;
  bool autoScrollAll = false;
  int autoRefreshSeconds = 60;
  bool refreshActiveTab = true;
  bool gesturesOn = true;         // command 1235
  bool wheelTabSwitch = true;
};

class TabHost {
 public:
  virtual ~TabHost() = default;

  // Ports.
  virtual MessageLoop* loop() const = 0;
  virtual PromptPort* prompts() const = 0;
  virtual ShellPort* shell() const = 0;
  virtual KeyState* keys() const = 0;

  // What the view applies.
  virtual const FrameSettings& settings() const = 0;
  virtual const ViewSwitches& switches() const = 0;
  // A view's page-element flags as the engine is given them (the frame's bans added).
  virtual int DeliveredElementFlags(int flags) const { return flags; }
  virtual UrlRuleSettings RuleSettings() const = 0;
  virtual const GestureTable& gestureTable() const = 0;
  // The popup decision the view asks; null lets everything through.
  virtual PopupPolicy* popupPolicy() const = 0;
  // The popup filter's switch (command 850).
  virtual bool PopupFilterOn() const = 0;

  // Tabs.
  virtual CChildFrame* OpenUrl(u16view address, const OpenOptions& options) = 0;
  // The tab enters the strip (the first time its navigation survives).
  virtual void InsertTab(CChildFrame* child, u16view title) = 0;
  virtual void ActivateTab(CChildFrame* child) = 0;
  virtual void PostCloseTab(CChildFrame* child) = 0;
  virtual CChildFrame* ActiveChild() const = 0;
  // The active tab's view, if there is an active tab.
  CVOPView* ActiveView() const;
  virtual CChildFrame* TabAt(int index) const = 0;
  virtual int TabIndexOf(const CChildFrame* child) const = 0;
  virtual int recordedTabCount() const = 0;
  virtual CChildFrame* FindTabByName(u16view name, const CVOPView* except) const = 0;
  virtual CChildFrame* FindTabByAddress(u16view address, const CChildFrame* except) const = 0;
  virtual void SetTabCaption(CChildFrame* child, u16view caption) = 0;
  virtual void SetTabIcon(CChildFrame* child, int icon) = 0;
  virtual bool FrameVisible() const = 0;
  // A finished page may take the keyboard focus: the user is not typing in one of the
  // frame's boxes or panes.
  virtual bool PageMayTakeFocus() const { return false; }
  virtual std::optional<PagePointer> CursorInPage(CChildFrame* child) const = 0;
  virtual int PageHeight(CChildFrame* child) const = 0;

  // The frame's displays.
  virtual void SetAddressText(u16view text) = 0;
  virtual void FocusAddressBox() = 0;
  virtual void OfferClipboardAddress() = 0;
  // A status text belongs to the tab in front and its page: another page in that tab
  // clears it, another tab in front replaces it (ActivateTab).
  virtual void SetStatusText(u16view text) = 0;
  // The tab's top document changed.
  virtual void OnPageChanged(CChildFrame* child) = 0;
  virtual void SetProgress(int percentage) = 0;
  virtual void SetSecureIndicator(bool secure) = 0;
  virtual void RefreshCommandStates() = 0;
  // The toolbars follow the tab's state after the current handler.
  virtual void PostToolbarRefresh() = 0;
  // Runs a frame command after the current handler.
  virtual void PostCommand(int id) = 0;

  // What happens on the page that the frame's subsystems answer.
  virtual void NoteRequestedAddress(u16view address) = 0;
  // A tab's top document (not the blank page) finished loading.
  virtual void OnDocumentComplete(CChildFrame* child, u16view url) = 0;
  virtual void SystemCommand(int id) = 0;
  virtual bool ShowPageMenu(CVOPView& view, const PageHit& hit, int x, int y) = 0;
  virtual bool OnPageDrop(const PageDrop& drop) = 0;
  // A file was written for the user from the tab's page (a saved page).
  virtual void OnFileSaved(CChildFrame* child, u16view path) {}
};

}  // namespace zel
