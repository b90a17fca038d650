#include "favorites/favorites_controller.h"

#include <sys/stat.h>

#include "base/commands.h"
#include "base/files.h"
#include "favorites/bookmark_html.h"
#include "settings/settings_file.h"
#include "view/child_frame.h"
#include "view/vop_view.h"

namespace zel {

namespace {
constexpr char kFavoritesFolder[] = "Favorites";
}

FavoritesController::FavoritesController(FrameServices services, ContextLink contextLink)
    : services_(services), contextLink_(std::move(contextLink)) {
  CommandRegistry& c = services_.commands;
  c.Add(cmd::kAddToFavorites, [this] { Add(); });
  c.Add(cmd::kAddLinkToFavorites, [this] { AddLink(); });
  c.Add(cmd::kOrganizeFavorites, [this] { Organize(); });
  c.Add(cmd::kImportExportFavorites, [this] { Transfer(); });
  for (int id = kFavoriteMenuFirst; id <= kFavoriteMenuLast; ++id)
    c.Add(id, [this, id] { OpenMenuItem(id); });
}

std::string FavoritesController::Root() const {
  std::string root = JoinPath(JoinPath(SettingsFile::BaseFolder(), SettingsFile::ProfileSub()),
                              kFavoritesFolder);
  if (!DirExists(root)) CreateFolderLevels(root);
  return root;
}

std::optional<FavoritesMenu> FavoritesController::MenuIfStale() {
  if (!menu_.urls.empty()) return std::nullopt;
  menu_ = BuildFavoritesMenu(Root(), services_.registry);
  return menu_;
}

const std::vector<std::pair<u16, u16>>& FavoritesController::Links() {
  if (!links_) {
    FavoritesMenu menu = BuildFavoritesMenu(Root(), services_.registry);
    links_.emplace();
    std::function<void(const std::vector<FavoriteMenuNode>&)> walk =
        [&](const std::vector<FavoriteMenuNode>& nodes) {
          for (const FavoriteMenuNode& n : nodes) {
            if (n.id == 0) walk(n.children);
            else if (u16 url = menu.UrlFor(n.id); !url.empty()) links_->emplace_back(url, n.text);
          }
        };
    walk(menu.items);
  }
  return *links_;
}

void FavoritesController::ResetFavorites() {
  links_.reset();
  menu_ = FavoritesMenu();
  if (pane_) pane_->Reset();
  if (menuChanged_) menuChanged_();
}

void FavoritesController::OpenEntry(const std::string& path) {
  u16 url = FavoriteUrl(path);
  if (url.empty()) return;
  services_.tabs.OpenUrl(url, {.tab = TabChoice::New, .start = StartKind::Address, .show = true});
}

void FavoritesController::OpenMenuItem(int id) {
  u16 url = menu_.UrlFor(id);
  if (url.empty()) {
    services_.tabs.OpenUrl(u"", {.tab = TabChoice::New, .start = StartKind::Blank, .show = true});
    return;
  }
  services_.tabs.OpenUrl(url, {.tab = TabChoice::New, .start = StartKind::Address, .show = true});
}

void FavoritesController::Add() {
  CChildFrame* tab = services_.tabs.ActiveChild();
  if (!tab || !tab->view() || !dialogs_) return;
  u16 url = tab->view()->CurrentAddress();
  if (url.empty()) return;
  u16 title = tab->caption.empty() ? url : tab->caption;
  const std::string root = Root();
  auto choice = dialogs_->AskAdd(FavoriteFileTitle(title), root);
  if (!choice) return;
  if (!AddFavorite(choice->folder.empty() ? root : choice->folder, choice->name, url))
    dialogs_->Tell(u"无法保存收藏: " + choice->name);
  ResetFavorites();
}

void FavoritesController::AddLink() {
  if (!contextLink_) return;
  auto [url, text] = contextLink_();
  if (url.empty()) return;
  u16 title = FavoriteFileTitle(Trim(text).empty() ? url : text);
  const std::string root = Root();
  std::string folder = root;
  if (dialogs_) {
    auto choice = dialogs_->AskAdd(title, root);
    if (!choice) return;
    title = choice->name;
    if (!choice->folder.empty()) folder = choice->folder;
  }
  AddFavorite(folder, title, url);
  ResetFavorites();
}

void FavoritesController::Organize() {
  if (!dialogs_) return;
  dialogs_->Organize(Root());
  ResetFavorites();
}

void FavoritesController::Transfer() {
  if (!dialogs_) return;
  const std::string root = Root();
  auto t = dialogs_->AskTransfer(root);
  if (!t || t->file.empty()) return;
  if (t->import) {
    std::string bytes;
    if (ReadFileBytes(t->file, &bytes) != ReadStatus::Ok) {
      dialogs_->Tell(u"无法读取文件: " + FromUtf8(t->file));
      return;
    }
    int n = ImportBookmarks(root, t->folder.empty() ? root : t->folder, ParseBookmarkHtml(bytes),
                            services_.registry);
    ResetFavorites();
    dialogs_->Tell(Format(u"已导入 %d 个收藏。", n));
  } else {
    if (!WriteFileAtomic(t->file, WriteBookmarkHtml(ReadFavoritesTree(root, services_.registry))))
      dialogs_->Tell(u"无法写入文件: " + FromUtf8(t->file));
  }
}

}  // namespace zel
