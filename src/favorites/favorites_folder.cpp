#include "favorites/favorites_folder.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <unordered_map>

#include "base/files.h"
#include "base/ini_document.h"

namespace zel {

namespace {

// A real shortcut file is a few hundred bytes; anything past this is not read.
constexpr off_t kShortcutFileMax = 64 * 1024;

bool IsUrlName(u16view name) { return name.size() >= 4 && EndsWithNoCase(name, u".url"); }

u16 ShortcutUrl(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kShortcutFileMax)
    return u16();
  std::string bytes;
  if (ReadFileBytes(path, &bytes) != ReadStatus::Ok) return u16();
  IniDocument doc = IniDocument::ParseOwned(std::move(bytes));
  u16 url = doc.Get(u"InternetShortcut", u"URL").value_or(u16());
  if (url.size() > kShortcutUrlMax) url.resize(kShortcutUrlMax);
  return url;
}

void BuildLevel(const std::string& root, const u16& relative, RegistryPort* registry,
                std::vector<FavoriteMenuNode>& out, FavoritesMenu& menu, int& nextId, int depth) {
  const std::string folder = relative.empty() ? root : JoinPath(root, ToUtf8(relative));
  for (const FavoriteItem& item : ListFavorites(root, relative, registry)) {
    FavoriteMenuNode node;
    if (item.folder) {
      node.text = item.name;
      // Links may make the tree endless; so deep is no real folder.
      if (depth < 32) {
        u16 sub = relative.empty() ? item.name : relative + u"/" + item.name;
        BuildLevel(root, sub, registry, node.children, menu, nextId, depth + 1);
      }
    } else {
      if (nextId > kFavoriteMenuLast) continue;
      node.text = FavoriteDisplayName(item.name);
      node.id = nextId++;
      menu.urls.emplace_back(node.id, FavoriteUrl(JoinPath(folder, ToUtf8(item.name))));
    }
    out.push_back(std::move(node));
  }
}

}  // namespace

std::vector<FavoriteItem> OrderFavoriteItems(const std::vector<u16>& folders,
                                             const std::vector<u16>& files,
                                             const std::optional<MenuOrder>& order) {
  std::vector<u16> f = folders, g = files;
  std::vector<bool> usedF(f.size()), usedG(g.size());
  std::vector<FavoriteItem> out;
  out.reserve(f.size() + g.size());
  if (order) {
    // Each entry takes the first name not taken yet that equals it but for case: looked up
    // by the lowered name, so a folder of a hundred thousand entries orders at once.
    auto byName = [](const std::vector<u16>& names) {
      std::unordered_map<u16, std::deque<size_t>> map;
      for (size_t i = 0; i < names.size(); ++i) map[ToLower(names[i])].push_back(i);
      return map;
    };
    auto folderNames = byName(f), fileNames = byName(g);
    for (int index : order->Sequence()) {
      const MenuOrderEntry& e = order->entries[size_t(index)];
      bool isFolder = e.IsFolder();
      auto& names = isFolder ? f : g;
      auto& used = isFolder ? usedF : usedG;
      auto& map = isFolder ? folderNames : fileNames;
      auto it = map.find(ToLower(e.longName));
      if (it == map.end() || it->second.empty()) continue;
      size_t i = it->second.front();
      it->second.pop_front();
      used[i] = true;
      out.push_back({names[i], isFolder});
    }
  }
  for (size_t i = 0; i < f.size(); ++i)
    if (!usedF[i]) out.push_back({f[i], true});
  for (size_t i = 0; i < g.size(); ++i)
    if (!usedG[i]) out.push_back({g[i], false});
  return out;
}

std::vector<FavoriteItem> ListFavorites(const std::string& root, u16view relative,
                                        RegistryPort* registry) {
  const std::string folder = relative.empty() ? root : JoinPath(root, ToUtf8(relative));
  std::vector<std::string> folders, files;
  if (DIR* d = opendir(folder.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string name = e->d_name;
      if (name.empty() || name[0] == '.') continue;  // hidden, "." and ".."
      // The listing's own type when the file system gives one, so a large folder costs no
      // call per entry.
      unsigned char type = e->d_type;
      if (type == DT_UNKNOWN) {
        struct stat st;
        if (lstat(JoinPath(folder, name).c_str(), &st) != 0) continue;
        type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG
                                   : S_ISLNK(st.st_mode) ? DT_LNK : DT_UNKNOWN;
      }
      if (type == DT_DIR) folders.push_back(name);
      else if (type == DT_REG || type == DT_LNK) files.push_back(name);
    }
    closedir(d);
  }
  std::sort(folders.begin(), folders.end());
  std::sort(files.begin(), files.end());
  std::vector<u16> f, g;
  for (auto& n : folders) f.push_back(FromUtf8(n));
  for (auto& n : files) g.push_back(FromUtf8(n));
  std::optional<MenuOrder> order;
  if (registry) order = ReadMenuOrder(*registry, relative);
  return OrderFavoriteItems(f, g, order);
}

u16 FavoriteUrl(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return u16();
  if (S_ISLNK(st.st_mode)) {
    char buf[4096];
    ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
    if (n <= 0) return u16();
    std::string target(buf, size_t(n));
    if (target[0] != '/') target = JoinPath(DirName(path), target);
    u16 t = FromUtf8(target);
    if (IsUrlName(t)) return ShortcutUrl(target);
    if (t.size() > kLinkTargetMax) t.resize(kLinkTargetMax);
    return t;
  }
  if (IsUrlName(FromUtf8(BaseName(path)))) return ShortcutUrl(path);
  return u16();
}

u16 FavoriteDisplayName(u16view fileName) {
  size_t dot = fileName.rfind(u'.');
  return u16(dot == u16view::npos ? fileName : fileName.substr(0, dot));
}

u16 FavoriteFileTitle(u16view title) {
  u16 out(title);
  for (char16_t& c : out) {
    switch (c) {
      case u'\\': case u'/': case u':': case u'*': case u'?': case u'"': case u'<':
      case u'>': case u'|': case u'\r': case u'\n':
        c = u'_';
        break;
      default:
        break;
    }
  }
  return out;
}

u16 FavoritesMenu::UrlFor(int id) const {
  for (const auto& [i, url] : urls)
    if (i == id) return url;
  return u16();
}

FavoritesMenu BuildFavoritesMenu(const std::string& root, RegistryPort* registry) {
  FavoritesMenu menu;
  int next = kFavoriteMenuFirst;
  BuildLevel(root, u16(), registry, menu.items, menu, next, 0);
  return menu;
}

std::string ShortcutFileText(u16view url) {
  return "[InternetShortcut]\r\nURL=" + ToUtf8(url) + "\r\n";
}

std::string FreeName(const std::string& folder, const std::string& name, const std::string& ext) {
  std::string candidate = name + ext;
  for (int n = 2; n < 10000; ++n) {
    struct stat st;
    if (lstat(JoinPath(folder, candidate).c_str(), &st) != 0) return candidate;
    candidate = name + " (" + std::to_string(n) + ")" + ext;
  }
  return candidate;
}

namespace {
// The longest start of name whose UTF-8 takes at most maxBytes, cut between characters.
u16 CutToUtf8Bytes(u16view name, size_t maxBytes) {
  size_t bytes = 0, i = 0;
  while (i < name.size()) {
    char16_t c = name[i];
    bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < name.size() && name[i + 1] >= 0xDC00 &&
                name[i + 1] <= 0xDFFF;
    size_t len = pair ? 4 : c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
    if (bytes + len > maxBytes) break;
    bytes += len;
    i += pair ? 2 : 1;
  }
  return u16(name.substr(0, i));
}
}  // namespace

std::optional<std::string> AddFavorite(const std::string& folder, u16view title, u16view url,
                                       bool durable) {
  u16 name = Trim(FavoriteFileTitle(title));
  if (name.empty()) name = FavoriteFileTitle(url);
  if (name.empty()) name = u"Untitled";
  // A name of a folder entry, within the file system's 255 bytes with ".url" and a " (n)"
  // that tells it from a namesake.
  name = CutToUtf8Bytes(name, 240);
  while (!name.empty() && name[0] == u'.') name[0] = u'_';
  if (!DirExists(folder) && !CreateFolderLevels(folder)) return std::nullopt;
  std::string path = JoinPath(folder, FreeName(folder, ToUtf8(name), ".url"));
  if (!WriteFileAtomic(path, ShortcutFileText(url), durable)) return std::nullopt;
  return path;
}

u16 RelativeFavoritesPath(const std::string& root, const std::string& folder) {
  if (folder.size() <= root.size() || folder.compare(0, root.size(), root) != 0) return u16();
  std::string rel = folder.substr(root.size());
  while (!rel.empty() && rel[0] == '/') rel.erase(0, 1);
  return FromUtf8(rel);
}

}  // namespace zel
