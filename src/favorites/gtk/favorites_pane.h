// The favorites pane: a toolbar (Add 833, Organize 834) over the Favorites folder's tree in
// its stored order; folders fill when they are opened; a click on an entry opens it in a
// new tab in front.
#pragma once

#include <gtkmm.h>

#include <functional>
#include <map>
#include <string>

#include "favorites/favorites_controller.h"

namespace zel {

class FavoritesPane : public Gtk::Box, public FavoritesPaneView {
 public:
  FavoritesPane(FavoritesController& controller, std::function<void(int)> runCommand);
  // FavoritesPaneView
  void Reset() override;
  // The skin's page and folder icons; null ones are the theme's.
  void SetTreeIcons(Glib::RefPtr<Gdk::Pixbuf> page, Glib::RefPtr<Gdk::Pixbuf> folderClosed,
                    Glib::RefPtr<Gdk::Pixbuf> folderOpen);

 private:
  struct Columns : Gtk::TreeModelColumnRecord {
    Columns() {
      add(text);
      add(icon);
      add(path);
      add(folder);
      add(filled);
      add(siteIcon);
    }
    Gtk::TreeModelColumn<Glib::ustring> text;
    Gtk::TreeModelColumn<Glib::ustring> icon;
    Gtk::TreeModelColumn<std::string> path;
    Gtk::TreeModelColumn<bool> folder;
    Gtk::TreeModelColumn<bool> filled;
    // The site's icon from the browser's icon cache, when it holds one.
    Gtk::TreeModelColumn<Glib::RefPtr<Gdk::Pixbuf>> siteIcon;
  };
  void Fill(const Gtk::TreeModel::iterator* parent, const std::string& folder);
  void FillFolder(const Gtk::TreeModel::iterator& it);
  bool OnPress(GdkEventButton* e);

  FavoritesController& controller_;
  std::function<void(int)> run_;
  Gtk::Toolbar bar_;
  Gtk::ScrolledWindow scroll_;
  Gtk::TreeView tree_;
  Columns columns_;
  // The skin's icons by the theme name they stand for.
  std::map<std::string, Glib::RefPtr<Gdk::Pixbuf>> skinIcons_;
  Glib::RefPtr<Gtk::TreeStore> store_;
  bool filled_ = false;
  // The entry a press opened last, and when (a double-click's second press opens nothing).
  std::string lastOpened_;
  guint32 lastOpenTime_ = 0;
};

}  // namespace zel
