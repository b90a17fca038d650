#include "frame/gtk/pane_host.h"

#include <algorithm>

namespace zel {

PaneHost::PaneHost(Gtk::Widget& pages) : Gtk::Paned(Gtk::ORIENTATION_HORIZONTAL) {
  set_name("pane-host");
  panes_.set_name("pane-side");
  panes_.set_scrollable(true);
  // Closed until a pane is shown: show_all() of the window leaves it so.
  panes_.set_no_show_all(true);
  pack1(panes_, false, false);
  pack2(pages, true, false);
  set_position(position_);
  // The divider dragged by the user is the width remembered.
  property_position().signal_changed().connect([this] {
    if (panes_.get_visible()) position_ = get_position();
  });
}

void PaneHost::AddPane(Gtk::Widget& pane, const std::string& title, int id) {
  auto* label = Gtk::manage(new Gtk::Label(title));
  label->set_name("pane-title");
  // The skin finds each pane's tab by its class (its icon).
  if (id) label->get_style_context()->add_class("pane-" + std::to_string(id));
  label->show();
  pane.set_no_show_all(true);
  pane.hide();
  panes_.append_page(pane, *label);
  panes_.set_tab_reorderable(pane, true);
  if (id) byId_[id] = &pane;
}

void PaneHost::ShowPane(Gtk::Widget& pane) {
  if (pane.get_parent() != &panes_) return;
  pane.show();
  Follow();
  panes_.set_current_page(panes_.page_num(pane));
}

void PaneHost::HidePane(Gtk::Widget& pane) {
  if (pane.get_parent() != &panes_) return;
  pane.hide();
  Follow();
}

void PaneHost::HidePane() {
  for (Gtk::Widget* w : panes_.get_children()) w->hide();
  Follow();
}

void PaneHost::Follow() {
  bool any = false;
  for (Gtk::Widget* w : panes_.get_children()) any = any || w->get_visible();
  if (any && !panes_.get_visible()) {
    panes_.show();
    set_position(position_);
  } else if (!any) {
    panes_.hide();
  }
}

Gtk::Widget* PaneHost::ShownPane() const {
  if (!panes_.get_visible()) return nullptr;
  int page = panes_.get_current_page();
  return page < 0 ? nullptr : const_cast<Gtk::Notebook&>(panes_).get_nth_page(page);
}

void PaneHost::SetPanePosition(int width) {
  position_ = std::max(width, 0);
  if (panes_.get_visible()) set_position(position_);
}

void PaneHost::ShowPane(int id) {
  if (auto it = byId_.find(id); it != byId_.end()) ShowPane(*it->second);
}

void PaneHost::HidePane(int id) {
  if (auto it = byId_.find(id); it != byId_.end()) HidePane(*it->second);
}

bool PaneHost::PaneShown(int id) const {
  auto it = byId_.find(id);
  return it != byId_.end() && it->second->get_visible() && panes_.get_visible();
}

}  // namespace zel
