// The top-level window: the menu bar, the "Standard" bar beside the address box and the
// "Search" bar, the tab strip, the side panes and the pages, and the status bar. Each part
// is its own widget with its own small interface; the window lays them out and wires their
// user input to the frame in one place (AttachFrame).
#pragma once

#include <gtkmm.h>

#include <functional>

#include "frame/frame_window.h"
#include "frame/gtk/address_bar.h"
#include "frame/gtk/command_bars.h"
#include "frame/gtk/page_host.h"
#include "frame/gtk/pane_host.h"
#include "frame/gtk/status_bar.h"
#include "frame/gtk/tab_strip.h"
#include "frame/gtk/toolbar_row.h"
#include "frame/menu_model.h"
#include "downloads/gtk/downloads_bar.h"
#include "page/gtk/find_bar.h"
#include "search/gtk/search_bar.h"
#include "window/window_modes_view.h"

namespace zel {

class CMainFrame;

class MainWindow : public Gtk::Window, public FrameWindow, public WindowModesView {
 public:
  MainWindow();

  // Routes the parts' user input (Enter, list picks, buttons, menus, keys, the tab mouse
  // actions and menu, the close box) to the frame.
  void AttachFrame(CMainFrame* frame);
  // Fills the menu bar and the key table.
  void BuildMenus(const std::vector<MenuItem>& menus, const std::vector<KeyBinding>& keys);
  // Tab entry width limits in pixels.
  void SetTabWidths(int minWidth, int maxWidth) { tabStrip_.SetTabWidths(minWidth, maxWidth); }
  // The side left of the pages where the side panes are shown.
  PaneHost& paneHost() { return paneHost_; }
  // The menu bar and keys (for popups whose items are made when they open).
  CommandBars& commandBars() { return commands_; }
  // The window's outermost box, top to bottom (the skin's caption goes first).
  Gtk::Box& layout() { return box_; }

  // FrameWindow
  StatusBarView& statusBar() override { return statusBar_; }
  AddressBarView& addressBar() override { return addressBar_; }
  SearchBarView& searchBar() override { return searchBar_; }
  TabStripView& tabStrip() override { return tabStrip_; }
  PageHostView& pageHost() override { return pageHost_; }
  PopupBarView& popupBars() override { return pageHost_; }
  FindBarView* findBar() override { return &findBar_; }
  DownloadsBarView* downloadsBar() override { return &downloadsBar_; }
  WindowModesView* modes() override { return this; }
  void SetCaption(u16view text) override;
  void RefreshCommandStates() override {
    commands_.RefreshStates();
    statusBar_.RefreshPanes();
    tabStrip_.RefreshStates();
  }
  bool IsVisible() const override { return get_visible(); }
  bool IsMinimized() const override { return state_ & GDK_WINDOW_STATE_ICONIFIED; }
  bool IsActive() const override { return is_active(); }
  bool FocusWhereUserTypes() const override;
  // Without a window manager that maximizes, GTK still marks a window maximized that was
  // asked to be; it is taken as maximized only while it covers its monitor.
  bool IsMaximized() const override;
  bool IsFullScreen() const override { return fullScreen_; }
  WindowRect GetRect() const override;
  void Restore() override;
  void Minimize() override { iconify(); }
  void Present() override;
  void HideFrame() override { hide(); }
  void Destroy() override;

  // WindowModesView
  void ShowBar(FrameBar bar, bool shown) override;
  bool BarShown(FrameBar bar) const override;
  void SetBarsLocked(bool locked) override;
  void SetTabBarAtBottom(bool bottom) override;
  void SetSmallTabs(bool small) override { tabStrip_.SetSmallTabs(small); }
  void SetToolbarOrder(const std::vector<u16>& names) override;
  void SetFullScreen(bool on) override;
  bool FullScreen() const override { return fullScreen_; }
  void SetAutoHide(bool on) override;
  bool FrameShown() const override { return get_visible() && !IsMinimized(); }
  bool FrameMinimized() const override { return get_visible() && IsMinimized(); }
  void MinimizeFrame() override { iconify(); }
  void ShowFrame() override;
  void MinimizeAndHideFrame() override;

 protected:
  bool on_delete_event(GdkEventAny* event) override;
  bool on_window_state_event(GdkEventWindowState* event) override;

 private:
  Gtk::Widget* BarWidget(FrameBar bar) const;
  // The top area (menu bar, bars, a tab strip on top) comes back while the pointer is
  // at the window's top edge and goes again when it leaves.
  void RevealTop(bool shown);

  std::function<void()> close_;  // the close box: the frame decides
  std::function<void()> minimized_;
  std::function<void()> leaveFullScreen_;  // Esc in full screen
  std::function<void()> restored_;         // no longer minimized
  Gtk::Box box_{Gtk::ORIENTATION_VERTICAL};
  Gtk::Revealer topRevealer_;
  Gtk::EventBox topEvents_;
  Gtk::Box top_{Gtk::ORIENTATION_VERTICAL};
  Gtk::EventBox topEdge_;  // the strip the pointer touches to bring auto-hidden bars back
  CommandBars commands_;
  // The bars beside the address box; they never set the window's width.
  ToolbarRow bars_;
  // The toolbar row's bars, each in a slot with the grip it is dragged by while the bars are
  // not locked.
  struct BarSlot {
    u16 name;
    Gtk::Box box{Gtk::ORIENTATION_HORIZONTAL, 2};
    Gtk::EventBox grip;
    Gtk::DrawingArea dots;
  };
  BarSlot standardSlot_, addressSlot_, searchSlot_;
  void SetUpBarSlot(BarSlot& slot, u16view name);
  void DropBar(const u16& name, double xRoot);
  std::function<void(u16, size_t)> barMoved_;
  AddressBar addressBar_;
  SearchBar searchBar_;
  TabStrip tabStrip_;
  PageHost pageHost_;
  PaneHost paneHost_{pageHost_};
  FindBar findBar_;
  DownloadsBar downloadsBar_;
  StatusBar statusBar_;
  GdkWindowState state_ = GdkWindowState(0);
  bool fullScreen_ = false;
  bool ownFullScreen_ = false;  // covered the monitor by hand: no window manager took it
  bool autoHide_ = false;
  bool barsLocked_ = true;
  bool tabsAtBottom_ = false;
  WindowRect normalRect_;  // the rectangle before full screen
  sigc::connection hideTop_;
  bool destroyed_ = false;
};

}  // namespace zel
