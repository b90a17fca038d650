// A row of a menu that picks one of a list (the history list, the tab list): the current
// one marked as a radio item, a long text cut with "…" at 50 characters.
#pragma once

#include <gtkmm.h>

#include <string>

namespace zel {

inline Gtk::CheckMenuItem* PickMenuItem(const std::string& text, bool current) {
  auto* item = Gtk::manage(new Gtk::CheckMenuItem(text));
  if (auto* label = dynamic_cast<Gtk::Label*>(item->get_child())) {
    label->set_max_width_chars(50);
    label->set_ellipsize(Pango::ELLIPSIZE_END);
  }
  item->set_draw_as_radio(true);
  item->set_active(current);
  return item;
}

}  // namespace zel
