// The side of the window left of the pages where side panes live: a paned area whose
// first half holds the open panes (as tabs of the area, under their titles) and whose
// second half is the page host. With no pane open the first half is hidden and the pages
// take the whole width.
#pragma once

#include <gtkmm.h>

#include <map>
#include <string>

#include "panes/side_pane_view.h"

namespace zel {

class PaneHost : public Gtk::Paned, public SidePaneView {
 public:
  explicit PaneHost(Gtk::Widget& pages);

  // Adds a pane (not shown yet); the host does not own it. id: its pane id for the
  // controllers (0 for none).
  void AddPane(Gtk::Widget& pane, const std::string& title, int id = 0);
  // Shows an added pane in the side in front of the others, opening the side if it was
  // closed.
  void ShowPane(Gtk::Widget& pane);
  void HidePane(Gtk::Widget& pane);
  // Closes the side with every pane; the pages take the whole width again.
  void HidePane();
  // The pane in front in the side, or null when it is closed.
  Gtk::Widget* ShownPane() const;
  // The width of the side in pixels (the divider's place), remembered while it is closed.
  int PanePosition() const { return position_; }
  void SetPanePosition(int width);

  // SidePaneView
  void ShowPane(int id) override;
  void HidePane(int id) override;
  bool PaneShown(int id) const override;
  int AreaWidth() const override { return position_; }
  void SetAreaWidth(int width) override { SetPanePosition(width); }

 private:
  void Follow();  // the side opens or closes with its panes
  Gtk::Notebook panes_;
  std::map<int, Gtk::Widget*> byId_;
  int position_ = 220;
};

}  // namespace zel
