// "弹出窗口过滤列表": the popup filter's list dialog, a window beside the frame with a page
// for the allowed sites (a list, a box to type a site into, "添加" and "删除").
#pragma once

#include <gtkmm.h>

#include <memory>

#include "filters/popup_lists_view.h"

namespace zel {

class PopupListsDialog : public PopupListsView {
 public:
  explicit PopupListsDialog(Gtk::Window* parent) : parent_(parent) {}
  ~PopupListsDialog() override;
  void ShowPopupLists(Actions actions) override;

 private:
  void Build();
  void Fill();
  void Add();
  void Remove();

  Gtk::Window* parent_;
  Actions actions_;
  std::unique_ptr<Gtk::Dialog> dialog_;
  Gtk::Notebook pages_;
  Gtk::Box sitesPage_{Gtk::ORIENTATION_VERTICAL, 6};
  Gtk::Label note_;
  Gtk::ScrolledWindow scroll_;
  Gtk::TreeView list_;
  Gtk::TreeModelColumn<Glib::ustring> site_;
  Gtk::TreeModelColumnRecord columns_;
  Glib::RefPtr<Gtk::ListStore> store_;
  Gtk::Box row_{Gtk::ORIENTATION_HORIZONTAL, 6};
  Gtk::Entry entry_;
  Gtk::Button add_{"添加"};
  Gtk::Button remove_{"删除"};
};

}  // namespace zel
