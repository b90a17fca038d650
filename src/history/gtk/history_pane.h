// The history pane: the groups of the visit store ("今天", weekdays, "上星期", "几星期前"),
// their sites and pages (title, the address as tooltip). Selecting a page opens it in a new
// tab in front; a group or site only opens. Sites and pages are put in the tree when
// their group or site is opened, so a large store shows at once.
#pragma once

#include <gtkmm.h>

#include <vector>

#include "history/history_controller.h"

namespace zel {

class HistoryPane : public Gtk::ScrolledWindow, public HistoryPaneView {
 public:
  explicit HistoryPane(HistoryController& controller);
  // HistoryPaneView
  void ShowTree(std::vector<HistoryGroup> groups) override;

 private:
  struct Columns : Gtk::TreeModelColumnRecord {
    Columns() {
      add(text);
      add(icon);
      add(url);
      add(tip);
      add(group);
      add(site);
      add(filled);
    }
    Gtk::TreeModelColumn<Glib::ustring> text;
    Gtk::TreeModelColumn<Glib::ustring> icon;
    Gtk::TreeModelColumn<Glib::ustring> url;  // pages only
    Gtk::TreeModelColumn<Glib::ustring> tip;  // the address as tooltip markup
    Gtk::TreeModelColumn<int> group;
    Gtk::TreeModelColumn<int> site;           // -1 for a group row
    Gtk::TreeModelColumn<bool> filled;
  };
  void FillRow(const Gtk::TreeModel::iterator& it);

  HistoryController& controller_;
  Gtk::TreeView tree_;
  Columns columns_;
  Glib::RefPtr<Gtk::TreeStore> store_;
  std::vector<HistoryGroup> groups_;
  bool filling_ = false;
};

}  // namespace zel
