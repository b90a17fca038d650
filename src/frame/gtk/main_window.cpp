#include "frame/gtk/main_window.h"

#include "frame/main_frame.h"
#include "platform/prompt_port.h"

namespace zel {

MainWindow::MainWindow(WebKitWebContext* context) {
  set_title(ToUtf8(kAppTitle));
  view_ = WEBKIT_WEB_VIEW(webkit_web_view_new_with_context(context));
  g_signal_connect(view_, "notify::title", G_CALLBACK(&MainWindow::OnTitleChanged), this);
  Gtk::Widget* page = Glib::wrap(GTK_WIDGET(view_));
  box_.pack_start(menuBar_, Gtk::PACK_SHRINK);
  box_.pack_start(*page, Gtk::PACK_EXPAND_WIDGET);
  box_.pack_start(status_, Gtk::PACK_SHRINK);
  add(box_);
  box_.show_all();
}

MainWindow::~MainWindow() = default;

Gtk::MenuItem* MainWindow::MakeItem(const MenuItem& item) {
  if (item.IsSeparator()) return Gtk::manage(new Gtk::SeparatorMenuItem());
  auto* mi = Gtk::manage(new Gtk::MenuItem(ToUtf8(MnemonicToGtk(item.text)), true));
  if (!item.children.empty()) {
    auto* sub = Gtk::manage(new Gtk::Menu());
    for (const auto& child : item.children) sub->append(*MakeItem(child));
    mi->set_submenu(*sub);
  } else if (item.id != 0) {
    int id = item.id;
    mi->signal_activate().connect([this, id] {
      if (frame_) frame_->OnCommand(id);
    });
  } else {
    // A top-level popup whose commands come later still opens as an empty menu.
    mi->set_submenu(*Gtk::manage(new Gtk::Menu()));
  }
  return mi;
}

void MainWindow::BuildMenus(const std::vector<MenuItem>& menus) {
  for (auto* child : menuBar_.get_children()) menuBar_.remove(*child);
  for (const auto& m : menus) menuBar_.append(*MakeItem(m));
  menuBar_.show_all();
}

void MainWindow::OnTitleChanged(WebKitWebView* view, GParamSpec*, MainWindow* self) {
  const char* t = webkit_web_view_get_title(view);
  if (self->frame_) self->frame_->OnPageTitle(FromUtf8(t ? t : ""));
}

void MainWindow::SetCaption(u16view text) { set_title(ToUtf8(text)); }

void MainWindow::SetStatusText(u16view text) {
  status_.pop();
  status_.push(ToUtf8(text));
}

void MainWindow::ShowPage(u16view address) {
  webkit_web_view_load_uri(view_, ToUtf8(address).c_str());
}

bool MainWindow::IsVisible() const { return get_visible(); }

WindowRect MainWindow::GetRect() const {
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

void MainWindow::HideFrame() { hide(); }

void MainWindow::Destroy() {
  if (destroyed_) return;
  destroyed_ = true;
  hide();
  Gtk::Main::quit();
}

bool MainWindow::on_delete_event(GdkEventAny*) {
  // The frame decides; the window itself never closes on its own.
  if (frame_) frame_->Close(CloseSource::Window);
  else Destroy();
  return true;
}

bool MainWindow::on_window_state_event(GdkEventWindowState* event) {
  state_ = event->new_window_state;
  return Gtk::Window::on_window_state_event(event);
}

}  // namespace zel
