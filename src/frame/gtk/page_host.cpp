#include "frame/gtk/page_host.h"

#include <algorithm>

#include "base/commands.h"
#include "view/child_frame.h"

namespace zel {

// A tab's page: its notification bar above the engine's widget.
struct PageHost::Page {
  Gtk::Box box{Gtk::ORIENTATION_VERTICAL};
  Gtk::InfoBar bar;
  Gtk::Label text;
  GtkWidget* view = nullptr;
};

PageHost::PageHost() {
  set_name("page-host");
  set_vexpand(true);
  set_hexpand(true);
  cover_.set_name("page-cover");
  cover_.show();
  add(cover_);
}

PageHost::~PageHost() {
  while (!pages_.empty()) RemoveChildView(pages_.begin()->first);
}

GtkWidget* PageHost::PageWidget(CChildFrame* child) const {
  auto it = pages_.find(child);
  return it == pages_.end() ? nullptr : it->second->view;
}

void PageHost::AddChildView(CChildFrame* child) {
  if (!child || !child->view() || !child->view()->engine()) return;
  auto* w = static_cast<GtkWidget*>(child->view()->engine()->NativeWidget());
  if (!w) return;
  auto page = std::make_unique<Page>();
  page->view = w;
  page->box.set_name("page");
  page->bar.set_name("popup-bar");
  page->text.set_name("popup-bar-text");
  page->text.set_xalign(0);
  page->text.set_ellipsize(Pango::ELLIPSIZE_MIDDLE);
  dynamic_cast<Gtk::Container*>(page->bar.get_content_area())->add(page->text);
  page->bar.add_button("允许此站点的弹出窗口", cmd::kAllowSite);
  page->bar.set_show_close_button(true);
  page->bar.set_message_type(Gtk::MESSAGE_INFO);
  page->bar.signal_response().connect([this, child](int response) {
    if (!actions_.allowSite) return;
    if (response == cmd::kAllowSite)
      actions_.allowSite(child);
    else
      HidePopupBar(child);
  });
  page->bar.set_no_show_all(true);
  page->text.show();
  page->box.pack_start(page->bar, Gtk::PACK_SHRINK);
  gtk_box_pack_start(GTK_BOX(page->box.gobj()), w, TRUE, TRUE, 0);
  gtk_widget_show(w);
  page->box.show();
  add(page->box);
  Gtk::Widget* added = &page->box;
  pages_[child] = std::move(page);
  // A tab not yet shown keeps the page that is in front.
  if (auto* current = get_visible_child())
    if (current != added) set_visible_child(*current);
}

void PageHost::RemoveChildView(CChildFrame* child) {
  auto it = pages_.find(child);
  if (it == pages_.end()) return;
  gtk_container_remove(GTK_CONTAINER(it->second->box.gobj()), it->second->view);
  remove(it->second->box);
  if (shown_ == child) shown_ = nullptr;
  pages_.erase(it);
}

void PageHost::ShowChildView(CChildFrame* child) {
  auto it = pages_.find(child);
  if (it == pages_.end()) return;
  shown_ = child;
  // Under the cover the page waits until the cover goes.
  if (!covered_) set_visible_child(it->second->box);
}

void PageHost::CoverPages(bool covered) {
  covers_ = std::max(0, covers_ + (covered ? 1 : -1));
  if ((covers_ > 0) == covered_) return;
  covered_ = covers_ > 0;
  if (covered_) {
    set_visible_child(cover_);
    return;
  }
  auto it = pages_.find(shown_);
  if (it != pages_.end()) set_visible_child(it->second->box);
}

PagePointer PageHost::PointerInPage(CChildFrame* child) const {
  PagePointer p;
  GtkWidget* w = PageWidget(child);
  GdkWindow* win = w ? gtk_widget_get_window(w) : nullptr;
  if (!win) return p;
  GdkDisplay* d = gtk_widget_get_display(w);
  GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(d));
  int x = 0, y = 0;
  gdk_window_get_device_position(win, pointer, &x, &y, nullptr);
  GtkAllocation a;
  gtk_widget_get_allocation(w, &a);
  // The right margin holds the scroll bar, the bottom margin the horizontal one.
  const int margin = 16;
  p.height = a.height - margin;
  p.y = y;
  p.inside = x >= 0 && y >= 0 && x < a.width - margin && y < a.height - margin;
  return p;
}

int PageHost::PageHeight(CChildFrame* child) const {
  GtkWidget* w = PageWidget(child);
  return w ? gtk_widget_get_allocated_height(w) : 0;
}

void PageHost::ShowPopupBar(CChildFrame* child, u16view text) {
  auto it = pages_.find(child);
  if (it == pages_.end()) return;
  it->second->text.set_text(ToUtf8(text));
  it->second->bar.show();
}

void PageHost::HidePopupBar(CChildFrame* child) {
  auto it = pages_.find(child);
  if (it != pages_.end()) it->second->bar.hide();
}

void PageHost::Beep() {
  if (auto display = get_display()) display->beep();
}

Gtk::MenuItem* PageHost::MakePopupItem(const MenuItem& item) {
  if (item.IsSeparator()) return Gtk::manage(new Gtk::SeparatorMenuItem());
  auto* mi = Gtk::manage(new Gtk::MenuItem(ToUtf8(MnemonicToGtk(item.text)), true));
  if (!item.children.empty()) {
    auto* sub = Gtk::manage(new Gtk::Menu());
    for (const auto& child : item.children) sub->append(*MakePopupItem(child));
    mi->set_submenu(*sub);
    return mi;
  }
  int id = item.id;
  mi->set_sensitive(!actions_.commandEnabled || actions_.commandEnabled(id));
  // The command runs once the menu is gone, so a dialog it opens is not under the menu.
  mi->signal_activate().connect([this, id] {
    if (actions_.postCommand) actions_.postCommand(id);
  });
  return mi;
}

void PageHost::PopupMenu(const std::vector<MenuItem>& items, CChildFrame* child, int x, int y) {
  // A new menu (or none) takes the place of the one on screen.
  popupMenu_ = std::make_unique<Gtk::Menu>();
  if (items.empty()) return;
  popupMenu_->set_name("page-menu");
  for (const auto& item : items) popupMenu_->append(*MakePopupItem(item));
  popupMenu_->attach_to_widget(*get_toplevel());
  popupMenu_->show_all();
  GtkWidget* page = child ? PageWidget(child) : nullptr;
  GdkWindow* win = page ? gtk_widget_get_window(page) : nullptr;
  if (!win) {
    popupMenu_->popup_at_pointer(nullptr);
    return;
  }
  // The menu may come well after the click (the page is asked for its selection first),
  // so it is placed at the point rather than at an event.
  if (!gtk_widget_get_has_window(page)) {
    GtkAllocation a;
    gtk_widget_get_allocation(page, &a);
    x += a.x;
    y += a.y;
  }
  Gdk::Rectangle at(x, y, 1, 1);
  GdkEvent* trigger = gtk_get_current_event();
  popupMenu_->popup_at_rect(Glib::wrap(win, true), at, Gdk::GRAVITY_NORTH_WEST,
                            Gdk::GRAVITY_NORTH_WEST, trigger);
  if (trigger) gdk_event_free(trigger);
}

}  // namespace zel
