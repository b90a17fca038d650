// The view inside one tab: owns the engine, turns its events into tab captions, icons and
// frame state, and hands every new window to the frame as a new tab.
#pragma once

#include "view/html_view_base.h"

namespace zel {

class CMainFrame;
class CChildFrame;

// Tab icons: 0 page, 1-3 loading, 4 locked, 5 unseen page, 6 password; -1 the normal icon.
inline constexpr int kIconPage = 0;
inline constexpr int kIconLocked = 4;
inline constexpr int kIconUnseen = 5;
inline constexpr int kIconPassword = 6;
inline constexpr int kIconNormal = -1;
inline constexpr int kNotLoading = -10;

// The load percentage from a progress report: -10 when not loading.
int LoadPercentage(int progress, int progressMax);
// The tab icon while loading (percentage 0..100): 1, 2 or 3.
int LoadingIcon(int percentage);

class CVOPView : public CHtmlViewBase {
 public:
  CVOPView(CMainFrame& frame, CChildFrame& child, std::unique_ptr<Engine> engine);
  ~CVOPView() override;

  CChildFrame& child() const { return child_; }

  // The start message: 0 blank page, 1 engine home page, 2 load address, 3 the request.
  void Start(int kind, u16view address, const NavRequest* request);
  // Stores the address as current, marks the initial navigation and loads it (through the
  // web proxy when this view's proxy mode is on).
  void Navigate(u16view address);
  // The view's refresh action: a blank page is never reloaded.
  void Refresh();
  // The current address: the stored one, refreshed from the engine on its events.
  const u16& CurrentAddress() const { return currentAddress_; }
  void SetCurrentAddress(u16view a) { currentAddress_ = u16(a); }
  bool IsActiveView() const;

  // Sets the tab icon, remembering it for the tab strip.
  void SetTabIcon(int icon);
  int tabIcon() const { return tabIcon_; }
  // The icon for the stopped state (locked 4, password 6, active normal, unseen 5).
  void RefreshStoppedIcon();

  // State the tab model reads and sets.
  bool closing = false;
  int loadState = kNotLoading;  // the load percentage; negative while idle
  bool started = false;
  bool activate = false;
  int openerIndex = -1;
  bool newWindowMark = false;  // opened by a page's new-window request
  int savedIcon = kIconNormal;  // the icon from before the tab was locked
  bool initialNavigation = false;
  bool backEnabled = false;
  bool forwardEnabled = false;
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

 private:
  void RefreshAddressFromEngine();

  CMainFrame& frame_;
  CChildFrame& child_;
  u16 currentAddress_;
  int tabIcon_ = kIconNormal;
  bool firstSurvived_ = false;
};

}  // namespace zel
