// The frame's window-level modes: the bars shown or hidden (59392, 968, 811, 59393), their
// lock (1031), full screen (875, F11), auto-hidden bars (1082, F12), the tab windows'
// restore and minimize (910, 911), showing the frame (973), the tray icon (showtray,
// minitray, closetray) and the boss key. The bars' layout is kept in CommandBars.ini under
// "CommandBars" across runs.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "services/frame_controller.h"
#include "services/frame_services.h"
#include "window/tray_port.h"
#include "window/window_modes_view.h"

namespace zel {

struct BarLayout {
  bool standard = true, search = true, tabs = true, status = true;
  bool locked = true;
  std::vector<u16> order = {u"Standard", u"Address", u"Search"};
  bool operator==(const BarLayout&) const = default;
};
// The "CommandBars" section of the layout file's text; the default layout for what is
// missing or unreadable.
BarLayout ParseBarLayout(const std::string& fileBytes);
// The file's text with the section replaced (other sections kept as they are).
std::string WriteBarLayout(const std::string& fileBytes, const BarLayout& layout);
// The toolbar row's order after a bar was dropped in front of the bar at `before` of the
// order as it is (at the end from order.size() on); unchanged for a name not in it.
std::vector<u16> MoveBarInOrder(const std::vector<u16>& order, u16view moved, size_t before);

class WindowController : public FrameController {
 public:
  struct Hooks {
    // Asks for a tab's password ("密码错误" on a wrong one); true when it was right.
    std::function<bool(CChildFrame*)> askPassword;
    // Covers the pages (true) or takes the cover away (false) around that question.
    std::function<void(bool)> coverPages;
  };
  WindowController(FrameServices services, WindowModesView* view, Hooks hooks);
  ~WindowController() override;

  // Tray and global keys come from the desktop side after the frame is made.
  void SetDesktop(TrayPort* tray, HotKeyPort* hotKeys);

  void ToggleFullScreen();
  void ToggleAutoHide();
  bool autoHide() const { return autoHide_; }
  bool fullScreen() const { return view_ && view_->FullScreen(); }
  bool locked() const { return locked_; }
  // The boss key or a request to show the frame; handOff: the request came from a second
  // start, which never asks a tab's password.
  void OnBossKey(bool handOff);
  // The window's close box: true when it hid the frame to the tray instead.
  bool TakeCloseBox();
  // The window was minimized: hides it to the tray when that is the choice.
  void OnMinimized();
  // The minimized window was restored (from the task bar): a password tab in front asks its
  // password first, and a wrong one minimizes the window again.
  void OnRestored();
  // A second start without an address: a hidden frame shows through the show path (which
  // asks a password tab's password), a minimized one is restored.
  void ShowForRaise();
  // A second start handing over an address: the frame shows without any password question.
  void ShowForHandOff();
  // A bar of the toolbar row dragged by its grip (only while the bars are not locked).
  void OnBarMoved(u16view name, size_t before);
  void HideToTray();

  void OnSettingsLoaded() override;
  void OnDeferredStartup() override;
  void OnShutdown() override;

 private:
  void StartDesktop();
  void ToggleBar(FrameBar bar);
  bool AnyPasswordTab() const;
  void ShowFrame(bool handOff);
  // Restores of the window the program itself makes are not asked about.
  void SkipRestoreQuestion();
  bool restoreQuestionSkipped() const;
  void SaveLayout();

  FrameServices s_;
  WindowModesView* view_;
  Hooks hooks_;
  TrayPort* tray_ = nullptr;
  HotKeyPort* hotKeys_ = nullptr;
  bool locked_ = true;
  bool autoHide_ = false;
  bool bossKeyRegistered_ = false;
  bool closed_ = false;
  int64_t skipRestoreUntilMs_ = -1;
  bool asking_ = false;
  std::vector<u16> order_ = BarLayout().order;
  std::string saved_;  // the section last written or read
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace zel
