// The favorites dialogs: "添加到收藏夹" (name and folder), "整理收藏夹" (the tree with new
// folder, rename, delete, up, down and moves by dragging) and "导入导出" (a bookmark file
// into a folder, or the whole tree out to one).
#pragma once

#include <gtkmm.h>

#include "favorites/favorites_views.h"

namespace zel {

class RegistryPort;

class FavoritesDialogs : public FavoritesDialogsView {
 public:
  FavoritesDialogs(Gtk::Window* parent, RegistryPort* registry)
      : parent_(parent), registry_(registry) {}
  std::optional<AddChoice> AskAdd(u16view title, const std::string& root) override;
  void Organize(const std::string& root) override;
  std::optional<Transfer> AskTransfer(const std::string& root) override;
  void Tell(u16view text) override;

 private:
  Gtk::Window* parent_;
  RegistryPort* registry_;
};

}  // namespace zel
