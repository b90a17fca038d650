// The side of the window left of the pages where side panes live: a paned area whose
// first half holds the panes (one shown at a time, under its title) and whose second half
// is the page host. With no pane shown the first half is hidden and the pages take the
// whole width.
#pragma once

#include <gtkmm.h>

#include <string>

namespace zel {

class PaneHost : public Gtk::Paned {
 public:
  explicit PaneHost(Gtk::Widget& pages);

  // Adds a pane (not shown yet); the host does not own it.
  void AddPane(Gtk::Widget& pane, const std::string& title);
  // Shows an added pane in the side, opening the side if it was closed.
  void ShowPane(Gtk::Widget& pane);
  // Closes the side; the pages take the whole width again.
  void HidePane();
  // The pane in the side, or null when it is closed.
  Gtk::Widget* ShownPane() const;
  // The width of the side in pixels (the divider's place), remembered while it is closed.
  int PanePosition() const { return position_; }
  void SetPanePosition(int width);

 private:
  Gtk::Box side_{Gtk::ORIENTATION_VERTICAL};
  Gtk::Label title_;
  Gtk::Stack panes_;
  int position_ = 200;
  int added_ = 0;  // names the stack's children
};

}  // namespace zel
