#include "favorites/organize.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "base/files.h"
#include "favorites/favorites_folder.h"
#include "favorites/menu_order.h"
#include "platform/registry_port.h"

namespace zel {

namespace {

std::vector<OrderedName> OrderOf(const std::string& root, const std::string& folder,
                                 RegistryPort* registry) {
  std::vector<OrderedName> out;
  for (const FavoriteItem& item : ListFavorites(root, RelativeFavoritesPath(root, folder), registry))
    out.push_back({item.name, item.folder});
  return out;
}

void Store(const std::string& root, const std::string& folder, const std::vector<OrderedName>& o,
           RegistryPort* registry) {
  if (registry) WriteMenuOrder(*registry, RelativeFavoritesPath(root, folder), o);
}

int IndexOf(const std::vector<OrderedName>& o, u16view name) {
  for (size_t i = 0; i < o.size(); ++i)
    if (o[i].name == name) return int(i);
  return -1;
}

bool Inside(const std::string& root, const std::string& path) {
  return path.size() > root.size() && path.compare(0, root.size(), root) == 0 &&
         path[root.size()] == '/';
}

u16 CleanName(u16view name) {
  u16 n = Trim(FavoriteFileTitle(name));
  while (!n.empty() && n[0] == u'.') n[0] = u'_';
  return n;
}

// The folders below folder on disk, as paths relative to it ("a", "a/b" ...).
void SubFolders(const std::string& folder, const std::string& prefix, int depth,
                std::vector<std::string>& out) {
  if (depth > 32) return;
  DIR* d = opendir(folder.c_str());
  if (!d) return;
  std::vector<std::string> names;
  while (dirent* e = readdir(d)) {
    std::string n = e->d_name;
    if (n == "." || n == "..") continue;
    struct stat st;
    if (lstat(JoinPath(folder, n).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) names.push_back(n);
  }
  closedir(d);
  for (const std::string& n : names) {
    std::string rel = prefix.empty() ? n : prefix + "/" + n;
    out.push_back(rel);
    SubFolders(JoinPath(folder, n), rel, depth + 1, out);
  }
}

// A folder's stored order, and those of the folders in it, follow it from oldPath to
// newPath (it is at newPath on disk already).
void MoveOrders(const std::string& root, const std::string& oldPath, const std::string& newPath,
                RegistryPort* registry) {
  if (!registry) return;
  std::vector<std::string> rels{""};
  SubFolders(newPath, "", 0, rels);
  const u16 from = RelativeFavoritesPath(root, oldPath), to = RelativeFavoritesPath(root, newPath);
  for (const std::string& rel : rels) {
    const u16 tail = rel.empty() ? u16() : u"/" + FromUtf8(rel);
    const u16 oldKey = MenuOrderKey(from + tail), newKey = MenuOrderKey(to + tail);
    auto values = registry->Values(oldKey);
    if (values.empty()) continue;
    registry->ReplaceKey(newKey, values);
    registry->DeleteKey(oldKey);
  }
}

// The stored orders of a folder about to be deleted, and of the folders in it, go with it.
void DeleteOrders(const std::string& root, const std::string& path, RegistryPort* registry) {
  if (!registry) return;
  std::vector<std::string> rels{""};
  SubFolders(path, "", 0, rels);
  const u16 base = RelativeFavoritesPath(root, path);
  for (const std::string& rel : rels)
    registry->DeleteKey(MenuOrderKey(rel.empty() ? base : base + u"/" + FromUtf8(rel)));
}

}  // namespace

std::string NewFavoritesFolder(const std::string& root, const std::string& folder, u16view name,
                               RegistryPort* registry) {
  u16 clean = CleanName(name);
  if (clean.empty()) clean = u"新建文件夹";
  auto order = OrderOf(root, folder, registry);
  std::string free = FreeName(folder, ToUtf8(clean), "");
  std::string path = JoinPath(folder, free);
  if (mkdir(path.c_str(), 0755) != 0) return std::string();
  order.push_back({FromUtf8(free), true});
  Store(root, folder, order, registry);
  return path;
}

bool RenameFavorite(const std::string& root, const std::string& path, u16view name,
                    RegistryPort* registry) {
  if (!Inside(root, path)) return false;
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return false;
  u16 clean = CleanName(name);
  if (clean.empty()) return false;
  const std::string folder = DirName(path);
  const u16 old = FromUtf8(BaseName(path));
  std::string ext;
  if (!S_ISDIR(st.st_mode)) {
    size_t dot = BaseName(path).rfind('.');
    if (dot != std::string::npos) ext = BaseName(path).substr(dot);
  }
  auto order = OrderOf(root, folder, registry);
  std::string fresh = ToUtf8(clean) + ext;
  if (FromUtf8(fresh) != old) fresh = FreeName(folder, ToUtf8(clean), ext);
  if (rename(path.c_str(), JoinPath(folder, fresh).c_str()) != 0) return false;
  if (S_ISDIR(st.st_mode)) MoveOrders(root, path, JoinPath(folder, fresh), registry);
  int i = IndexOf(order, old);
  if (i >= 0) order[size_t(i)].name = FromUtf8(fresh);
  Store(root, folder, order, registry);
  return true;
}

bool DeleteFavorite(const std::string& root, const std::string& path, RegistryPort* registry) {
  if (!Inside(root, path)) return false;
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) DeleteOrders(root, path, registry);
  std::error_code ec;
  std::filesystem::remove_all(path, ec);
  if (ec) return false;
  const std::string folder = DirName(path);
  Store(root, folder, OrderOf(root, folder, registry), registry);
  return true;
}

bool MoveFavorite(const std::string& root, const std::string& path, const std::string& folder,
                  int index, RegistryPort* registry) {
  if (!Inside(root, path)) return false;
  if (folder != root && !Inside(root, folder)) return false;
  // A folder never goes into itself.
  if (folder == path || Inside(path, folder)) return false;
  const std::string from = DirName(path);
  const u16 name = FromUtf8(BaseName(path));
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return false;
  const bool isFolder = S_ISDIR(st.st_mode);
  auto target = OrderOf(root, folder, registry);
  u16 placed = name;
  if (from == folder) {
    int i = IndexOf(target, name);
    if (i < 0) return false;
    target.erase(target.begin() + i);
    if (index > i) --index;
  } else {
    std::string base = BaseName(path), stem = base, ext;
    if (!isFolder) {
      size_t dot = base.rfind('.');
      if (dot != std::string::npos) {
        stem = base.substr(0, dot);
        ext = base.substr(dot);
      }
    }
    std::string fresh = FreeName(folder, stem, ext);
    if (rename(path.c_str(), JoinPath(folder, fresh).c_str()) != 0) return false;
    if (isFolder) MoveOrders(root, path, JoinPath(folder, fresh), registry);
    placed = FromUtf8(fresh);
    Store(root, from, OrderOf(root, from, registry), registry);
    target = OrderOf(root, folder, registry);
    int i = IndexOf(target, placed);
    if (i >= 0) target.erase(target.begin() + i);
  }
  if (index < 0 || index > int(target.size())) index = int(target.size());
  target.insert(target.begin() + index, OrderedName{placed, isFolder});
  Store(root, folder, target, registry);
  return true;
}

bool ShiftFavorite(const std::string& root, const std::string& path, int delta,
                   RegistryPort* registry) {
  if (!Inside(root, path)) return false;
  const std::string folder = DirName(path);
  auto order = OrderOf(root, folder, registry);
  int i = IndexOf(order, FromUtf8(BaseName(path)));
  int j = i + delta;
  if (i < 0 || j < 0 || j >= int(order.size())) return false;
  std::swap(order[size_t(i)], order[size_t(j)]);
  Store(root, folder, order, registry);
  return true;
}

}  // namespace zel
