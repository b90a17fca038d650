// The view inside one tab: owns the engine, turns its events into tab captions, icons,
// status and frame state, moves user-initiated navigations into new tabs, and hands every
// new window to the frame as a new tab.
#pragma once

#include "base/commands.h"
#include "view/html_view_base.h"

namespace zel {

struct UrlRuleSettings;

class TabHost;
class CChildFrame;

// Tab icons: 0 page, 1-3 loading, 4 locked, 5 unseen page, 6 password, 11 a page whose
// web process ended; -1 the normal icon.
inline constexpr int kIconPage = 0;
inline constexpr int kIconLocked = 4;
inline constexpr int kIconUnseen = 5;
inline constexpr int kIconPassword = 6;
inline constexpr int kIconStopped = 11;
inline constexpr int kIconNormal = -1;
inline constexpr int kNotLoading = -10;

// The page-element (download-control) bits of a view's pageElementFlags.
enum PageElementBits : int {
  kElementImages = 0x10,
  kElementVideos = 0x20,
  kElementSounds = 0x40,
  kElementNoScripts = 0x80,
  kElementNoJava = 0x100,
  kElementNoActiveX = 0x200,
  kElementNoActiveXDownload = kDownloadControlNoActiveX,  // added when the engine is given the flags
};

// Pending new-window flags of the open-link actions.
inline constexpr int kPendingNewTab = 1;         // activated as the frame's switch says
inline constexpr int kPendingActivate = 2;
inline constexpr int kPendingBackground = 4;

// Auto-scroll and auto-refresh timers.
inline constexpr int kAutoScrollTimer = 2132;
inline constexpr int kAutoRefreshTimerBase = 3132;
inline constexpr int kCursorControlledPeriod = 950;
// A second click on the same link within this time opens no second tab.
inline constexpr int kDuplicateClickMs = 1000;

// The load percentage from a progress report: -10 when not loading.
int LoadPercentage(int progress, int progressMax);
// The tab icon while loading (percentage 0..100): 1, 2 or 3.
int LoadingIcon(int percentage);
// The auto-scroll timer period for a speed (1..3): 100 / speed² ms.
int AutoScrollPeriod(int speed);
// The cursor-controlled period: 101 − y × 100 / h ms for a cursor at height y of h.
int CursorControlledPeriod(int y, int h);

class CVOPView : public CHtmlViewBase {
 public:
  CVOPView(TabHost& frame, CChildFrame& child, std::unique_ptr<Engine> engine);
  ~CVOPView() override;

  CChildFrame& child() const { return child_; }
  TabHost& host() const { return host_; }

  // The start message: 0 blank page, 1 engine home page, 2 load address, 3 the request.
  void Start(int kind, u16view address, const NavRequest* request);
  // Starts on a page with the back/forward history it had when its tab closed (the
  // engine's own serialised history): the engine takes the history back and loads its
  // current entry. Without a history the engine accepts, the address loads as usual.
  void StartWithHistory(u16view address, const std::string& history);
  // Stores the address as current, marks the initial navigation and loads it (through the
  // web proxy when this view's proxy mode is on).
  void Navigate(u16view address);
  // Navigate for an address a page chose (a link moved to a new tab, a named target): the
  // desktop's programs are asked about before they get it.
  void NavigateForPage(u16view address);
  // The view's refresh action: a blank page is never reloaded.
  void Refresh();
  // Stop: the engine stops and a loading icon becomes the normal or unseen icon.
  void StopLoading();
  // The current address: the stored one, refreshed from the engine on its events.
  const u16& CurrentAddress() const { return currentAddress_; }
  void SetCurrentAddress(u16view a) { currentAddress_ = u16(a); }
  bool IsActiveView() const;

  // Sets the tab icon, remembering it for the tab strip.
  void SetTabIcon(int icon);
  int tabIcon() const { return tabIcon_; }
  bool pageStopped() const { return pageStopped_; }
  // What the page last put in the status bar (the link under the pointer).
  const u16& statusText() const { return lastStatus_; }
  // The icon for the stopped state (locked 4, password 6, active normal, unseen 5).
  void RefreshStoppedIcon();

  // The user action record: the time of the last click or Enter on the page and its kind.
  void RecordUserAction(bool leftClickOrEnter, bool rightClick);
  int64_t userActionTime() const { return userActionTime_; }
  bool leftClickFlag() const { return leftClick_; }
  // Also on (the flag's value 2) while a script of the system runs in the page.
  bool rightClickFlag() const { return rightClick_ || scriptActions_ > 0; }
  const u16& pendingNewTabAddress() const { return pendingNewTabAddress_; }
  // No navigation of this view has survived yet (the tab is not in the strip).
  bool FirstNavigationPending() const { return !firstSurvived_; }
  // Page elements: the download-control flags go to the engine (images, media, sound,
  // scripts); with reload the page loads again as after a switch.
  void ApplyPageElementFlags(bool reload);

  // Runs the code of a script element in the page. asUser: while it runs, the right-click
  // user action flag holds 2, so windows the script opens are never popup candidates. done
  // (may be empty) hears whether it ran: false for a failure and for a language the engine
  // cannot run; it is dropped when the tab went away meanwhile.
  void RunPageCode(const u16& code, const u16& language, bool asUser,
                   std::function<void(bool ok)> done);
  // The zoom of zoomCommand set again (the body's CSS zoom of the new page).
  void ApplyZoom();

  // Auto-scroll (984) and auto-refresh (994).
  void SetAutoScroll(bool on);
  bool autoScroll() const { return autoScrollOn_; }
  int autoScrollPeriod() const { return autoScrollPeriod_; }
  void SetAutoRefresh(bool on);
  bool autoRefresh() const { return autoRefreshId_ != 0; }
  int autoRefreshTimerId() const { return autoRefreshId_; }

  // State the tab model and the filters read and set.
  bool closing = false;
  int loadState = kNotLoading;  // the load percentage; negative while idle
  bool started = false;
  bool activate = false;
  int openerIndex = -1;
  bool newWindowMark = false;  // opened by a page's new-window request
  bool popupCandidate = false;
  bool blocked = false;
  u16 lastBlockedAddress;
  int savedIcon = kIconNormal;  // the icon from before the tab was locked
  bool initialNavigation = false;
  bool backEnabled = false;
  bool forwardEnabled = false;
  bool secure = false;
  bool spoofAccepted = false;
  u16 targetFrame;  // the name pages target this tab by
  int zoomCommand = cmd::kZoom100;
  // The page's zoom as it is shown: the fixed level, or where the steps (1125, 1126) took it.
  int zoomPercent = 100;
  int queuedCommand = 0;  // a command the frame runs when this view's page is complete
  // Per-view settings copied from the opener.
  u16 webProxyTemplate;
  bool webProxyMode = false;
  int pageElementFlags = 0;
  int autoScrollSpeed = 1;
  bool autoScrollWaitLoaded = false;
  bool autoScrollExtra = false;

  // EngineEvents
  void OnStatusTextChange(u16view text) override;
  void OnProgressChange(int progress, int progressMax) override;
  void OnCommandStateChange(int command, bool enabled) override;
  void OnTitleChange(u16view title) override;
  void OnNavigateComplete2(u16view url) override;
  void OnBeforeNavigate2(BeforeNavigateArgs& args) override;
  Engine* OnNewWindow2(const u16& url, bool userGesture) override;
  void OnDocumentComplete(u16view url, bool topLevel) override;
  bool OnUserInput(UserInput input, bool ctrl, bool editable) override;
  // A script of the page failed: no dialog, "Script Error!" in the status bar.
  void OnScriptError() override;
  void OnPageStopped(u16view url) override;
  void OnPageSaved(u16view path) override;
  void OnBecameDownload(u16view shown) override;
  // Gestures, the rocker, the wheel with the right button, the middle button and page
  // dragging (vop_view_mouse.cpp).
  bool OnMouse(const MouseInput& input) override;
  bool OnContextMenu(const PageHit& hit, int x, int y) override;
  bool OnPageDrop(const PageDrop& drop) override;

  // Carries out a gesture or button action number. False only when an open-link action
  // found no link under the pointer.
  bool DispatchAction(int number);
  // Opens the link under the pointer through a click the page sees as the user's, with
  // the pending new-window flags (1, 2 or 4). False when the pointer is not on a link.
  bool OpenLinkUnderPointer(int flags);
  // Forgets the user action record (a rocker click is not a click on the page).
  void ForgetUserAction() { userActionTime_ = 0; }
  bool capturingMouse() const { return capturing_; }

 private:
  void SecondStage(BeforeNavigateArgs& args);
  // A page's navigation to an address another program of the desktop would take: true when
  // it may go on to the hand-off rules (no program takes it, or the user allowed it).
  // shellLocation: a location the desktop opens; else an FTP address by the FTP setting.
  bool PageMayHandOff(u16view address, const UrlRuleSettings& rules, bool shellLocation);
  void RefreshAddressFromEngine();
  void StartAutoScrollTimer();
  void AutoScrollTick();
  void CloseSelf();
  void EndMouseCapture();
  void ShowGestureHint();

  TabHost& host_;
  CChildFrame& child_;
  u16 currentAddress_;
  u16 pendingNewTabAddress_;
  int64_t pendingNewTabTime_ = 0;  // when that tab was opened (the user-action clock)
  // The engine address of this view's own last Navigate (typed, a favorite, a command),
  // until the engine reports it: such an address goes to the desktop by the usual rules.
  u16 browserNavigation_;
  int tabIcon_ = kIconNormal;
  // The page's web process ended; the tab says so until the next navigation.
  bool pageStopped_ = false;
  bool firstSurvived_ = false;
  int64_t userActionTime_ = 0;
  bool leftClick_ = false, rightClick_ = false;
  int scriptActions_ = 0;  // scripts of the system running in the page
  bool enterWithCtrl_ = false;
  bool topDocumentKnown_ = false;
  // The page comes from back or forward: the engine may bring it back with the zoom it had.
  bool historyStep_ = false;
  u16 lastStatus_;
  bool autoScrollOn_ = false;
  int autoScrollPeriod_ = 0;
  int autoScrollTicks_ = 0;
  int autoRefreshId_ = 0;
  // Mouse capture while the right button is held (gestures or page dragging).
  bool capturing_ = false;
  bool passRightClick_ = false;  // a right click without strokes goes on to the page
  int dragX_ = 0, dragY_ = 0;    // the last point of page dragging
  bool trailDrawn_ = false;
};

}  // namespace zel
