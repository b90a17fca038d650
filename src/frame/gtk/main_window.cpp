#include "frame/gtk/main_window.h"

#include <cmath>

#include "base/commands.h"
#include "frame/gtk/shown_text.h"
#include "filters/filters_controller.h"
#include "frame/address_box.h"
#include "frame/main_frame.h"
#include "frame/tab_locks.h"
#include "downloads/downloads_controller.h"
#include "page/find_bar_controller.h"
#include "search/search_controller.h"
#include "platform/prompt_port.h"
#include "view/vop_view.h"
#include "window/window_controller.h"

namespace zel {

MainWindow::MainWindow() {
  set_title(ToUtf8(kAppTitle));
  set_name("main-window");
  SetUpBarSlot(standardSlot_, u"Standard");
  SetUpBarSlot(addressSlot_, u"Address");
  SetUpBarSlot(searchSlot_, u"Search");
  standardSlot_.box.pack_start(commands_.standardBar(), Gtk::PACK_SHRINK);
  addressSlot_.box.pack_start(addressBar_, Gtk::PACK_EXPAND_WIDGET);
  addressSlot_.box.pack_start(addressBar_.reopenButton(), Gtk::PACK_SHRINK);
  searchSlot_.box.pack_start(searchBar_, Gtk::PACK_SHRINK);
  bars_.Append(standardSlot_.box, /*stretch=*/false, /*keepItems=*/6);
  bars_.Append(addressSlot_.box, /*stretch=*/true);
  bars_.Append(searchSlot_.box);
  top_.pack_start(commands_.menuBar(), Gtk::PACK_SHRINK);
  top_.pack_start(bars_, Gtk::PACK_SHRINK);
  top_.pack_start(tabStrip_, Gtk::PACK_SHRINK);
  topEvents_.add(top_);
  topRevealer_.add(topEvents_);
  topRevealer_.set_reveal_child(true);
  topRevealer_.set_transition_type(Gtk::REVEALER_TRANSITION_TYPE_SLIDE_DOWN);
  topRevealer_.set_transition_duration(150);
  box_.pack_start(topRevealer_, Gtk::PACK_SHRINK);
  topEdge_.set_name("auto-hide-edge");
  topEdge_.set_size_request(-1, 3);
  topEdge_.set_no_show_all(true);
  topEdge_.add_events(Gdk::ENTER_NOTIFY_MASK);
  topEdge_.signal_enter_notify_event().connect([this](GdkEventCrossing*) {
    RevealTop(true);
    return false;
  });
  topEvents_.add_events(Gdk::LEAVE_NOTIFY_MASK);
  topEvents_.signal_leave_notify_event().connect([this](GdkEventCrossing* e) {
    // Leaving into a child (a menu, the address list) is not leaving the bars.
    if (autoHide_ && e->detail != GDK_NOTIFY_INFERIOR) RevealTop(false);
    return false;
  });
  box_.pack_start(topEdge_, Gtk::PACK_SHRINK);
  box_.pack_start(paneHost_, Gtk::PACK_EXPAND_WIDGET);
  box_.pack_start(findBar_, Gtk::PACK_SHRINK);
  box_.pack_start(downloadsBar_, Gtk::PACK_SHRINK);
  box_.pack_start(statusBar_, Gtk::PACK_SHRINK);
  add(box_);
  box_.show_all();
  SetBarsLocked(true);
  signal_key_press_event().connect(
      [this](GdkEventKey* e) {
        bool plain = !(e->state & (GDK_CONTROL_MASK | GDK_SHIFT_MASK | GDK_MOD1_MASK));
        // Esc in full screen stops the page and leaves full screen.
        if (e->keyval == GDK_KEY_Escape && plain && fullScreen_ && leaveFullScreen_) {
          leaveFullScreen_();
          return true;
        }
        if (e->keyval == GDK_KEY_Escape && plain && addressBar_.TakeEscape()) return true;
        if (e->keyval == GDK_KEY_Escape && plain && findBar_.TakeEscape()) return true;
        return commands_.OnKey(e, get_display());
      },
      false);
}

namespace {

// A bar's grip. Without a skin: three dots down the middle in the theme's text colour. A
// skin gives its gripper's look through the grip's style: the colour, and a left border
// whose width, style (dashed: a column of dots, solid: a line) and colour (the shadow,
// one pixel down and right) are the skin's.
void DrawGrip(Gtk::Widget& grip, const Cairo::RefPtr<Cairo::Context>& cr) {
  const int w = grip.get_allocated_width(), h = grip.get_allocated_height();
  auto style = grip.get_style_context();
  Gdk::RGBA c = style->get_color(grip.get_state_flags());
  int width = 0;
  GtkBorderStyle kind = GTK_BORDER_STYLE_NONE;
  GdkRGBA* shadow = nullptr;
  gtk_style_context_get(style->gobj(), gtk_style_context_get_state(style->gobj()), "border-left-width", &width,
                        "border-left-style", &kind, "border-left-color", &shadow, nullptr);
  const bool skinned = width > 0 && (kind == GTK_BORDER_STYLE_SOLID || kind == GTK_BORDER_STYLE_DASHED);
  if (!skinned) {
    if (shadow) gdk_rgba_free(shadow);
    cr->set_source_rgba(c.get_red(), c.get_green(), c.get_blue(), 0.6);
    for (int i = -1; i <= 1; ++i) cr->arc(w / 2.0, h / 2.0 + i * 5, 1.5, 0, 2 * M_PI);
    cr->fill();
    return;
  }
  const double x = std::floor((w - width) / 2.0), top = 4, bottom = std::max(top, h - 4.0);
  auto paint = [&](double dx, double dy) {
    if (kind == GTK_BORDER_STYLE_SOLID) {
      cr->rectangle(x + dx, top + dy, width, bottom - top);
    } else {
      for (double y = top; y + width <= bottom; y += 2 * width) cr->rectangle(x + dx, y + dy, width, width);
    }
    cr->fill();
  };
  if (shadow && shadow->alpha > 0) {
    gdk_cairo_set_source_rgba(cr->cobj(), shadow);
    paint(1, 1);
  }
  if (shadow) gdk_rgba_free(shadow);
  cr->set_source_rgba(c.get_red(), c.get_green(), c.get_blue(), c.get_alpha());
  paint(0, 0);
}

}  // namespace

void MainWindow::SetUpBarSlot(BarSlot& slot, u16view name) {
  slot.name = u16(name);
  slot.box.set_name("bar-slot-" + ToUtf8(name));
  slot.grip.set_name("bar-grip-" + ToUtf8(name));
  slot.grip.set_tooltip_text("拖动以移动工具栏");
  slot.dots.set_size_request(8, -1);
  slot.dots.signal_draw().connect([&slot](const Cairo::RefPtr<Cairo::Context>& cr) {
    DrawGrip(slot.dots, cr);
    return true;
  });
  slot.grip.add(slot.dots);
  slot.grip.add_events(Gdk::BUTTON_PRESS_MASK | Gdk::BUTTON_RELEASE_MASK);
  // Pressed on the grip and let go over the row: the bar goes in front of the bar whose
  // middle lies past the pointer.
  slot.grip.signal_button_release_event().connect([this, &slot](GdkEventButton* e) {
    if (e->button == 1) DropBar(slot.name, e->x_root);
    return true;
  });
  slot.grip.signal_realize().connect([&slot] {
    if (auto w = slot.grip.get_window())
      w->set_cursor(Gdk::Cursor::create(slot.grip.get_display(), "grab"));
  });
  slot.box.pack_start(slot.grip, Gtk::PACK_SHRINK);
}

void MainWindow::SetBarsLocked(bool locked) {
  barsLocked_ = locked;
  for (BarSlot* slot : {&standardSlot_, &addressSlot_, &searchSlot_}) slot->grip.set_visible(!locked);
}

void MainWindow::DropBar(const u16& name, double xRoot) {
  if (barsLocked_ || !barMoved_ || !bars_.get_window()) return;
  int ox = 0, oy = 0;
  bars_.get_window()->get_origin(ox, oy);
  const double x = xRoot - ox;
  // The slots in the row's order; hidden ones keep their place.
  size_t before = 0, index = 0;
  for (Gtk::Widget* child : bars_.get_children()) {
    ++index;
    Gtk::Allocation a = child->get_allocation();
    if (child->get_visible() && a.get_x() + a.get_width() / 2.0 < x) before = index;
  }
  barMoved_(name, before);
}

// Every call the window's parts make on the frame is wired here.
void MainWindow::AttachFrame(CMainFrame* frame) {
  CMainFrame* f = frame;
  if (!f) {
    close_ = nullptr;
    minimized_ = nullptr;
    barMoved_ = nullptr;
    leaveFullScreen_ = nullptr;
    restored_ = nullptr;
    statusBar_.SetActions({});
    commands_.SetActions({});
    addressBar_.SetActions({});
    searchBar_.SetActions({});
    tabStrip_.SetActions({});
    pageHost_.SetActions({});
    findBar_.SetActions({});
    downloadsBar_.SetActions({});
    return;
  }
  close_ = [f] {
    // With the close-to-tray choice the close box only hides the frame.
    if (!f->controller<WindowController>().TakeCloseBox()) f->Close(CloseSource::Window);
  };
  minimized_ = [f] { f->controller<WindowController>().OnMinimized(); };
  restored_ = [f] { f->controller<WindowController>().OnRestored(); };
  leaveFullScreen_ = [f] {
    f->OnCommand(cmd::kStop);
    if (f->controller<WindowController>().fullScreen()) f->OnCommand(cmd::kFullScreen);
  };
  barMoved_ = [f](u16 name, size_t before) {
    f->controller<WindowController>().OnBarMoved(name, before);
  };
  statusBar_.SetActions({
      .run = [f](int id) { f->OnCommand(id); },
      .checked = [f](int id) { return f->CommandChecked(id); },
      .zoomPercent = [f] { return f->ActiveView() ? f->ActiveView()->zoomPercent : 100; },
  });
  commands_.SetActions({
      .run = [f](int id) { f->OnCommand(id); },
      .checked = [f](int id) { return f->CommandChecked(id); },
      .enabled = [f](int id) { return f->CommandEnabled(id); },
      .historyMenu = [f] { return f->pageCommands().HistoryMenu(); },
      .travel = [f](int offset) { f->pageCommands().GoToHistoryEntry(offset); },
  });
  addressBar_.SetActions({
      .enter = [f](u16 text, ModifierState keys) { f->controller<AddressBoxController>().OnAddressEnter(text, keys); },
      .listChoice = [f](u16 text) { f->controller<AddressBoxController>().OnAddressListChoice(text); },
      .escape = [f] { f->controller<AddressBoxController>().RestoreAddress(); },
      .command = [f](int id) { f->OnCommand(id); },
      .typing = [f](u16 text) { f->controller<AddressBoxController>().OnAddressTyping(text); },
  });
  searchBar_.SetActions({
      .search =
          [f](int target) {
            f->controller<SearchController>().searchTarget = target;
            f->OnCommand(cmd::kSearch);
          },
      .command = [f](int id) { f->OnCommand(id); },
  });
  tabStrip_.SetActions({
      .selected = [f] { f->PostMessage(msg::kApplyTabSelection); },
      .mouse = [f](int index, TabMouse action) { f->OnTabMouse(index, action); },
      .isOpen = [f](CChildFrame* child) { return f->TabIndexOf(child) >= 0; },
      .toggleLock = [f](CChildFrame* child) { f->controller<TabLockController>().ToggleLock(child); },
      .setPassword = [f](CChildFrame* child) { f->controller<TabLockController>().SetTabPassword(child); },
      .clearPassword = [f](CChildFrame* child) { f->controller<TabLockController>().ClearTabPassword(child); },
      .close = [f](CChildFrame* child) { f->PostCloseTab(child); },
      .command = [f](int id) { f->OnCommand(id); },
      .checked = [f](int id) { return f->CommandChecked(id); },
  });
  findBar_.SetActions({
      .textChanged = [f] { f->controller<FindBarController>().OnTextChanged(); },
      .step = [f](bool forward) { f->controller<FindBarController>().OnStep(forward); },
      .close = [f] { f->controller<FindBarController>().OnClose(); },
  });
  downloadsBar_.SetActions({
      .cancel = [f](int id) { f->controller<DownloadsController>().CancelDownload(id); },
      .open = [f](int id) { f->controller<DownloadsController>().OpenDownload(id); },
      .openFolder = [f](int id) { f->controller<DownloadsController>().OpenDownloadFolder(id); },
      .close = [f] { f->controller<DownloadsController>().CloseBar(); },
  });
  pageHost_.SetActions({
      .allowSite = [f](CChildFrame* child) { f->controller<FiltersController>().AllowSiteOf(child); },
      .commandEnabled = [f](int id) { return f->CommandEnabled(id); },
      .postCommand = [f](int id) { f->PostMessage(msg::kCommand, id); },
  });
}

void MainWindow::BuildMenus(const std::vector<MenuItem>& menus,
                            const std::vector<KeyBinding>& keys) {
  commands_.BuildMenus(menus, keys);
}

void MainWindow::SetCaption(u16view text) { set_title(ShownText(text)); }

WindowRect MainWindow::GetRect() const {
  // In full screen the window's own rectangle is the one it goes back to.
  if (fullScreen_) return normalRect_;
  WindowRect r;
  const_cast<MainWindow*>(this)->get_position(r.x, r.y);
  const_cast<MainWindow*>(this)->get_size(r.width, r.height);
  return r;
}

void MainWindow::Restore() {
  if (IsMinimized()) deiconify();
  if (!get_visible()) show();
}

void MainWindow::Present() {
  if (!get_visible()) show();
  present();
}

void MainWindow::Destroy() {
  if (destroyed_) return;
  destroyed_ = true;
  hide();
  // The program's main loop ends with the frame (tests run the frame without one).
  if (gtk_main_level() > 0) Gtk::Main::quit();
}

bool MainWindow::on_delete_event(GdkEventAny*) {
  // The frame decides; the window itself never closes on its own.
  if (close_)
    close_();
  else
    Destroy();
  return true;
}

bool MainWindow::on_window_state_event(GdkEventWindowState* event) {
  bool nowMinimized = (event->new_window_state & GDK_WINDOW_STATE_ICONIFIED) &&
                      !(state_ & GDK_WINDOW_STATE_ICONIFIED);
  bool nowRestored = !(event->new_window_state & GDK_WINDOW_STATE_ICONIFIED) &&
                     (state_ & GDK_WINDOW_STATE_ICONIFIED);
  state_ = event->new_window_state;
  if (nowMinimized && minimized_) minimized_();
  if (nowRestored && restored_) restored_();
  return Gtk::Window::on_window_state_event(event);
}

}  // namespace zel

namespace zel {

bool MainWindow::FocusWhereUserTypes() const {
  GtkWidget* focus = gtk_window_get_focus(const_cast<GtkWindow*>(gobj()));
  if (!focus) return false;
  if (GTK_IS_EDITABLE(focus) || GTK_IS_TEXT_VIEW(focus)) return true;
  for (GtkWidget* w = focus; w; w = gtk_widget_get_parent(w))
    if (g_strcmp0(gtk_widget_get_name(w), "pane-host") == 0) return true;
  return false;
}

}  // namespace zel
