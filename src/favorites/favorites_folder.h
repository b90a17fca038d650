// The Favorites folder (`Favorites/` in the profile folder): a tree of folders, Internet
// shortcut files (.url) and symbolic links standing for shell links. The folder is the
// only store of favorites; the pane's tree and the favorites menu both show it in the
// folder's stored order (menu_order.h), then the folders and files the order does not
// name.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/commands.h"
#include "base/text.h"
#include "favorites/menu_order.h"

namespace zel {

class RegistryPort;

// The first and last ids of the favorites menu's items (2001 items).
inline constexpr int kFavoriteMenuFirst = cmd::kFavoriteMenuFirst;
inline constexpr int kFavoriteMenuLast = cmd::kFavoriteMenuLast;
// A shortcut file's URL value is at most this long.
inline constexpr size_t kShortcutUrlMax = 2047;
// A link's target path is at most this long.
inline constexpr size_t kLinkTargetMax = 259;

struct FavoriteItem {
  u16 name;  // the file or folder name
  bool folder = false;
};

// The ordering rule: the items the order names (by name, ignoring case, folders among
// folders and files among files), then the other folders, then the other files, each in
// listing order.
std::vector<FavoriteItem> OrderFavoriteItems(const std::vector<u16>& folders,
                                             const std::vector<u16>& files,
                                             const std::optional<MenuOrder>& order);

// A folder's items: sub-folders and files that are not hidden (no leading "."), in name
// order, then ordered by the folder's stored order (registry may be null). relative is
// the folder's path under root ("" for root itself, "a/b" below it).
std::vector<FavoriteItem> ListFavorites(const std::string& root, u16view relative,
                                        RegistryPort* registry);

// The address of a favorite file: a .url file's InternetShortcut/URL value (cut to 2047
// characters; a file past 64 KB or without the value gives none); a symbolic link's
// target, or the target's URL when the target is a .url file; nothing for anything else.
u16 FavoriteUrl(const std::string& path);

// The name shown for a file: cut before its last ".".
u16 FavoriteDisplayName(u16view fileName);
// A title as a file name: \ / : * ? " < > | CR and LF become "_".
u16 FavoriteFileTitle(u16view title);

// The favorites menu: the folder tree with an id for every file, from kFavoriteMenuFirst.
struct FavoriteMenuNode {
  u16 text;
  int id = 0;  // 0 for a folder
  std::vector<FavoriteMenuNode> children;
};
struct FavoritesMenu {
  std::vector<FavoriteMenuNode> items;
  std::vector<std::pair<int, u16>> urls;  // the command-URL table
  // The first pair's URL for the id, or empty.
  u16 UrlFor(int id) const;
};
// Files past the last id are not listed (nothing would route their ids).
FavoritesMenu BuildFavoritesMenu(const std::string& root, RegistryPort* registry);

// Writes "<title>.url" (title as FavoriteFileTitle makes it; " (2)" ... when the name is
// taken) in the folder, atomically. Returns the file's path, or nothing on failure.
// durable: the file is on disk when it returns (off for many at once, synced together).
std::optional<std::string> AddFavorite(const std::string& folder, u16view title, u16view url,
                                       bool durable = true);
// The shortcut file's text.
std::string ShortcutFileText(u16view url);

// A name not yet used in the folder: name, else "stem (2)ext", "stem (3)ext" ...
std::string FreeName(const std::string& folder, const std::string& name, const std::string& ext);

// The folder's path relative to root ("" for root itself).
u16 RelativeFavoritesPath(const std::string& root, const std::string& folder);

}  // namespace zel
