// The favorites pane and the favorites dialogs as the controller sees them (GTK:
// favorites/gtk/).
#pragma once

#include <optional>
#include <string>

#include "base/text.h"

namespace zel {

class FavoritesPaneView {
 public:
  virtual ~FavoritesPaneView() = default;
  // Reads the Favorites folder again (the tree shows its top level; folders fill when
  // they are opened).
  virtual void Reset() = 0;
};

class FavoritesDialogsView {
 public:
  virtual ~FavoritesDialogsView() = default;
  struct AddChoice {
    u16 name;            // the favorite's name as typed
    std::string folder;  // the folder it goes in (under the root)
  };
  // "添加到收藏夹": the name (the page title to start with) and a folder of the tree.
  virtual std::optional<AddChoice> AskAdd(u16view title, const std::string& root) = 0;
  // "整理收藏夹": new folder, rename, delete, move and reorder over the tree at root.
  virtual void Organize(const std::string& root) = 0;
  // "导入导出": an import of a bookmark file into a folder, or an export of the tree.
  struct Transfer {
    bool import = true;
    std::string file;    // the bookmark file
    std::string folder;  // import: the folder it goes in
  };
  virtual std::optional<Transfer> AskTransfer(const std::string& root) = 0;
  // A short message to the user ("已导入 3 个收藏").
  virtual void Tell(u16view text) = 0;
};

}  // namespace zel
