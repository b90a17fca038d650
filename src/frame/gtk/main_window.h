// The top-level window: menu bar, the page view and the status bar.
#pragma once

#include <gtkmm.h>
#include <webkit2/webkit2.h>

#include "frame/frame_window.h"
#include "frame/menu_model.h"

namespace zel {

class CMainFrame;

class MainWindow : public Gtk::Window, public FrameWindow {
 public:
  explicit MainWindow(WebKitWebContext* context);
  ~MainWindow() override;

  void AttachFrame(CMainFrame* frame) { frame_ = frame; }
  // Fills the menu bar from the menu model.
  void BuildMenus(const std::vector<MenuItem>& menus);
  WebKitWebView* page() const { return view_; }

  // FrameWindow
  void SetCaption(u16view text) override;
  void SetStatusText(u16view text) override;
  void ShowPage(u16view address) override;
  bool IsVisible() const override;
  bool IsMinimized() const override { return state_ & GDK_WINDOW_STATE_ICONIFIED; }
  bool IsMaximized() const override { return state_ & GDK_WINDOW_STATE_MAXIMIZED; }
  bool IsFullScreen() const override { return state_ & GDK_WINDOW_STATE_FULLSCREEN; }
  WindowRect GetRect() const override;
  void Restore() override;
  void Present() override;
  void HideFrame() override;
  void Destroy() override;

 protected:
  bool on_delete_event(GdkEventAny* event) override;
  bool on_window_state_event(GdkEventWindowState* event) override;

 private:
  Gtk::MenuItem* MakeItem(const MenuItem& item);
  static void OnTitleChanged(WebKitWebView* view, GParamSpec*, MainWindow* self);

  CMainFrame* frame_ = nullptr;
  Gtk::Box box_{Gtk::ORIENTATION_VERTICAL};
  Gtk::MenuBar menuBar_;
  Gtk::Statusbar status_;
  WebKitWebView* view_ = nullptr;
  GdkWindowState state_ = GdkWindowState(0);
  bool destroyed_ = false;
};

}  // namespace zel
