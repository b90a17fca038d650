#include "page/gtk/find_bar.h"

namespace zel {

FindBar::FindBar() : Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 6) {
  set_name("find-bar");
  set_border_width(2);
  entry_.set_name("find-entry");
  previous_.set_name("find-previous");
  next_.set_name("find-next");
  matchCase_.set_name("find-match-case");
  count_.set_name("find-count");
  close_.set_name("find-close");
  close_.set_image_from_icon_name("window-close-symbolic", Gtk::ICON_SIZE_MENU);
  close_.set_relief(Gtk::RELIEF_NONE);
  close_.set_tooltip_text("关闭查找栏");
  entry_.set_width_chars(28);
  count_.set_width_chars(10);
  count_.set_xalign(0);
  pack_start(title_, Gtk::PACK_SHRINK);
  pack_start(entry_, Gtk::PACK_SHRINK);
  pack_start(previous_, Gtk::PACK_SHRINK);
  pack_start(next_, Gtk::PACK_SHRINK);
  pack_start(matchCase_, Gtk::PACK_SHRINK);
  pack_start(count_, Gtk::PACK_SHRINK);
  pack_end(close_, Gtk::PACK_SHRINK);
  show_all_children();
  set_no_show_all(true);
  hide();

  entry_.signal_changed().connect([this] {
    if (actions_.textChanged) actions_.textChanged();
  });
  matchCase_.signal_toggled().connect([this] {
    if (actions_.textChanged) actions_.textChanged();
  });
  entry_.signal_key_press_event().connect(
      [this](GdkEventKey* e) {
        if (e->keyval != GDK_KEY_Return && e->keyval != GDK_KEY_KP_Enter) return false;
        if (actions_.step) actions_.step(!(e->state & GDK_SHIFT_MASK));
        return true;
      },
      false);
  previous_.signal_clicked().connect([this] {
    if (actions_.step) actions_.step(false);
  });
  next_.signal_clicked().connect([this] {
    if (actions_.step) actions_.step(true);
  });
  close_.signal_clicked().connect([this] {
    if (actions_.close) actions_.close();
  });
}

bool FindBar::TakeEscape() {
  if (!get_visible()) return false;
  auto* top = dynamic_cast<Gtk::Window*>(get_toplevel());
  Gtk::Widget* focus = top ? top->get_focus() : nullptr;
  if (!focus || (focus != this && !focus->is_ancestor(*this))) return false;
  if (actions_.close) actions_.close();
  return true;
}

void FindBar::ShowFindBar() {
  show();
  entry_.grab_focus();
  entry_.select_region(0, -1);
}

void FindBar::HideFindBar() { hide(); }

u16 FindBar::FindBarText() const { return FromUtf8(entry_.get_text().raw()); }

void FindBar::SetFindCount(u16view label, bool notFound) {
  count_.set_text(ToUtf8(label));
  // A text that is not in the page is shown in red, as browsers do.
  auto style = entry_.get_style_context();
  if (notFound)
    style->add_class("error");
  else
    style->remove_class("error");
}

}  // namespace zel
