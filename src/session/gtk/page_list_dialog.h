// The page-list dialog over the main window: a notebook of four checkable lists (name and
// address) with the dialog's command buttons, OK and cancel. It shows what its PageList
// holds and hands it every command.
#pragma once

#include <gtkmm.h>

#include <functional>
#include <memory>

#include "session/page_list.h"
#include "session/page_list_view.h"

namespace zel {

class PageListDialog : public PageListView {
 public:
  explicit PageListDialog(Gtk::Window& parent);
  ~PageListDialog() override;

  void Show(std::unique_ptr<PageList> list, int firstTab) override;
  // The picture of a tab icon number, for the open tabs' rows (none: no icons).
  void SetIconSource(std::function<Glib::RefPtr<Gdk::Pixbuf>(int icon)> source) {
    icons_ = std::move(source);
  }

 private:
  struct Columns : Gtk::TreeModelColumnRecord {
    Columns() {
      add(checked);
      add(name);
      add(address);
      add(icon);
    }
    Gtk::TreeModelColumn<bool> checked;
    Gtk::TreeModelColumn<Glib::ustring> name;
    Gtk::TreeModelColumn<Glib::ustring> address;
    Gtk::TreeModelColumn<Glib::RefPtr<Gdk::Pixbuf>> icon;
  };
  struct Page {
    Glib::RefPtr<Gtk::ListStore> store;
    Gtk::TreeView view;
    Gtk::ScrolledWindow scroll;
  };
  void Build();
  void Fill(int tab);
  void FillAll();
  int CurrentTab() const;
  int SelectedRow(int tab) const;
  void RunCommand(int id);
  void Finish();

  Gtk::Window& parent_;
  std::unique_ptr<Gtk::Dialog> dialog_;
  Gtk::Notebook notebook_;
  Columns columns_;
  Page pages_[kPageListTabs];
  Gtk::CheckButton offline_{"脱机工作"};
  std::unique_ptr<PageList> list_;
  bool filling_ = false;
  std::function<Glib::RefPtr<Gdk::Pixbuf>(int icon)> icons_;
};

}  // namespace zel
