// The window's modes: bars shown and hidden, the tab strip's place, full screen and the
// auto-hidden top area, hiding and showing the whole frame.
#include "frame/gtk/main_window.h"

// After gtkmm: Xlib defines names gtkmm uses.
#include <gdk/gdkx.h>

#include <algorithm>

namespace zel {

Gtk::Widget* MainWindow::BarWidget(FrameBar bar) const {
  auto* me = const_cast<MainWindow*>(this);
  switch (bar) {
    case FrameBar::StandardBar:
      return &me->standardSlot_.box;
    case FrameBar::SearchBar:
      return &me->searchSlot_.box;
    case FrameBar::TabBar:
      return &me->tabStrip_;
    case FrameBar::StatusBar:
      return &me->statusBar_;
  }
  return nullptr;
}

void MainWindow::ShowBar(FrameBar bar, bool shown) {
  Gtk::Widget* w = BarWidget(bar);
  if (shown) w->show();
  else w->hide();
}

bool MainWindow::BarShown(FrameBar bar) const { return BarWidget(bar)->get_visible(); }

void MainWindow::SetTabBarAtBottom(bool bottom) {
  if (bottom == tabsAtBottom_) return;
  tabsAtBottom_ = bottom;
  Gtk::Box& from = bottom ? top_ : box_;
  Gtk::Box& to = bottom ? box_ : top_;
  from.remove(tabStrip_);
  to.pack_start(tabStrip_, Gtk::PACK_SHRINK);
  // Below the pages, above the find and downloads bars; on top, under the bars.
  if (!bottom) return;
  std::vector<Gtk::Widget*> children = box_.get_children();
  auto pages = std::find(children.begin(), children.end(), static_cast<Gtk::Widget*>(&paneHost_));
  if (pages != children.end()) box_.reorder_child(tabStrip_, int(pages - children.begin()) + 1);
}

void MainWindow::SetToolbarOrder(const std::vector<u16>& names) {
  int position = 0;
  for (const u16& name : names)
    for (BarSlot* slot : {&standardSlot_, &addressSlot_, &searchSlot_})
      if (slot->name == name) bars_.Reorder(slot->box, position++);
}

namespace {
// Whether a window manager runs that knows the hint (_NET_WM_STATE_FULLSCREEN ...).
bool WindowManagerKnows(const Glib::RefPtr<Gdk::Display>& display, const char* hint) {
  if (!GDK_IS_X11_DISPLAY(display->gobj())) return true;
  GdkScreen* screen = gdk_display_get_default_screen(display->gobj());
  return gdk_x11_screen_supports_net_wm_hint(screen, gdk_atom_intern_static_string(hint));
}
}  // namespace

bool MainWindow::IsMaximized() const {
  if (!(state_ & GDK_WINDOW_STATE_MAXIMIZED)) return false;
  auto* me = const_cast<MainWindow*>(this);
  Glib::RefPtr<Gdk::Display> display = me->get_display();
  if (WindowManagerKnows(display, "_NET_WM_STATE_MAXIMIZED_VERT")) return true;
  Glib::RefPtr<Gdk::Window> gw = me->get_window();
  Glib::RefPtr<Gdk::Monitor> monitor = gw ? display->get_monitor_at_window(gw) : Glib::RefPtr<Gdk::Monitor>();
  if (!monitor) return false;
  Gdk::Rectangle geo;
  monitor->get_geometry(geo);
  WindowRect r = GetRect();
  return r.x <= geo.get_x() && r.y <= geo.get_y() && r.width >= geo.get_width() &&
         r.height >= geo.get_height();
}

void MainWindow::SetFullScreen(bool on) {
  if (on == fullScreen_) return;
  Glib::RefPtr<Gdk::Window> gw = get_window();
  if (on) {
    normalRect_ = GetRect();
    fullScreen_ = true;
    // Only the menu bar (and the caption) go: the address box, the buttons and the search
    // box stay in reach.
    commands_.menuBar().hide();
    Glib::RefPtr<Gdk::Display> display = get_display();
    Glib::RefPtr<Gdk::Monitor> monitor =
        gw ? display->get_monitor_at_window(gw) : display->get_primary_monitor();
    if (!monitor) monitor = display->get_monitor(0);
    int index = 0;
    for (int i = 0; i < display->get_n_monitors(); ++i)
      if (display->get_monitor(i) == monitor) index = i;
    GdkScreen* screen = gdk_display_get_default_screen(display->gobj());
    // A window manager that knows full screen takes it; without one the window covers the
    // monitor itself.
    bool managed = GDK_IS_X11_DISPLAY(display->gobj())
                       ? gdk_x11_screen_supports_net_wm_hint(
                             screen, gdk_atom_intern_static_string("_NET_WM_STATE_FULLSCREEN"))
                       : true;
    ownFullScreen_ = !managed;
    if (managed) {
      fullscreen_on_monitor(Glib::wrap(screen, true), index);
    } else if (monitor) {
      Gdk::Rectangle geo;
      monitor->get_geometry(geo);
      set_decorated(false);
      move(geo.get_x(), geo.get_y());
      resize(geo.get_width(), geo.get_height());
    }
  } else {
    fullScreen_ = false;
    commands_.menuBar().show();
    if (ownFullScreen_) {
      set_decorated(true);
    } else {
      unfullscreen();
    }
    ownFullScreen_ = false;
    move(normalRect_.x, normalRect_.y);
    resize(std::max(normalRect_.width, 1), std::max(normalRect_.height, 1));
  }
}

void MainWindow::SetAutoHide(bool on) {
  autoHide_ = on;
  hideTop_.disconnect();
  if (on) topEdge_.show();
  else topEdge_.hide();
  topRevealer_.set_reveal_child(!on);
}

void MainWindow::RevealTop(bool shown) {
  hideTop_.disconnect();
  if (!autoHide_) return;
  if (shown) {
    topRevealer_.set_reveal_child(true);
    return;
  }
  // A short grace, so a pointer passing over the edge of a menu does not flick the bars.
  hideTop_ = Glib::signal_timeout().connect(
      [this] {
        if (!autoHide_) return false;
        int x = 0, y = 0;
        get_pointer(x, y);
        if (y < 0 || y > topRevealer_.get_allocated_height())
          topRevealer_.set_reveal_child(false);
        return false;
      },
      400);
}

void MainWindow::ShowFrame() {
  if (IsMinimized()) deiconify();
  show();
  present();
}

void MainWindow::MinimizeAndHideFrame() {
  iconify();
  hide();
}

}  // namespace zel
