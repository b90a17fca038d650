// The toolbar row: the bars beside the address box, laid out so the row never sets the
// window's width. The address bar takes the width the other bars leave, and at least half
// the row; the others get what they ask for while it fits, then shrink: first down to the
// tool items a bar keeps (its first few buttons: the navigation ones), then to their
// smallest (a toolbar folds its buttons into its own arrow), and a bar that still does not
// fit goes whole: its buttons are offered in the row's overflow menu at the end, whatever
// they are.
#pragma once

#include <gtkmm.h>

#include <memory>
#include <vector>

namespace zel {

class ToolbarRow : public Gtk::Container {
 public:
  ToolbarRow();
  ~ToolbarRow() override;

  // Adds a bar at the end; the stretch bar is the one that takes the spare width. keepItems:
  // how many of the first tool items of the bar's toolbar stay on screen while the other
  // bars give up their width first.
  void Append(Gtk::Widget& bar, bool stretch = false, int keepItems = 0);
  // Moves a bar to the position among the bars.
  void Reorder(Gtk::Widget& bar, int position);
  // The bars that did not fit at the last layout (empty while all fit).
  std::vector<Gtk::Widget*> FoldedBars() const;

 protected:
  Gtk::SizeRequestMode get_request_mode_vfunc() const override;
  void get_preferred_width_vfunc(int& minimum, int& natural) const override;
  void get_preferred_height_vfunc(int& minimum, int& natural) const override;
  void get_preferred_height_for_width_vfunc(int width, int& minimum, int& natural) const override;
  void get_preferred_width_for_height_vfunc(int height, int& minimum, int& natural) const override;
  void on_size_allocate(Gtk::Allocation& allocation) override;
  void forall_vfunc(gboolean includeInternals, GtkCallback callback, gpointer data) override;
  void on_add(Gtk::Widget* child) override;
  void on_remove(Gtk::Widget* child) override;
  GType child_type_vfunc() const override;

 private:
  struct Bar {
    Gtk::Widget* widget;
    bool stretch;
    int keepItems = 0;
    bool folded = false;
  };
  void ShowOverflowMenu();

  std::vector<Bar> bars_;
  Gtk::Button overflow_;  // internal: shown while a bar is folded
  std::unique_ptr<Gtk::Menu> overflowMenu_;
  int spacing_ = 4;
};

}  // namespace zel
