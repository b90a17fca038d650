#include "frame/gtk/pane_host.h"

#include <algorithm>

namespace zel {

PaneHost::PaneHost(Gtk::Widget& pages) : Gtk::Paned(Gtk::ORIENTATION_HORIZONTAL) {
  set_name("pane-host");
  side_.set_name("pane-side");
  title_.set_name("pane-title");
  title_.set_xalign(0);
  title_.set_margin_start(4);
  side_.pack_start(title_, Gtk::PACK_SHRINK);
  side_.pack_start(panes_, Gtk::PACK_EXPAND_WIDGET);
  // Closed until a pane is shown: show_all() of the window leaves it so.
  side_.set_no_show_all(true);
  title_.show();
  panes_.show();
  pack1(side_, false, false);
  pack2(pages, true, false);
  set_position(position_);
  // The divider dragged by the user is the width remembered.
  property_position().signal_changed().connect([this] {
    if (side_.get_visible()) position_ = get_position();
  });
}

void PaneHost::AddPane(Gtk::Widget& pane, const std::string& title) {
  panes_.add(pane, "pane-" + std::to_string(++added_), title);
  pane.show();
}

void PaneHost::ShowPane(Gtk::Widget& pane) {
  if (pane.get_parent() != &panes_) return;
  panes_.set_visible_child(pane);
  title_.set_text(panes_.child_property_title(pane).get_value());
  if (!side_.get_visible()) {
    side_.show();
    set_position(position_);
  }
}

void PaneHost::HidePane() { side_.hide(); }

Gtk::Widget* PaneHost::ShownPane() const {
  if (!side_.get_visible()) return nullptr;
  return const_cast<Gtk::Stack&>(panes_).get_visible_child();
}

void PaneHost::SetPanePosition(int width) {
  position_ = std::max(width, 0);
  if (side_.get_visible()) set_position(position_);
}

}  // namespace zel
