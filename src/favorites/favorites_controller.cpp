#include "favorites/favorites_controller.h"

#include <sys/stat.h>

#include "base/commands.h"
#include "base/files.h"
#include "favorites/bookmark_html.h"
#include "favorites/menu_order.h"
#include "platform/message_loop.h"
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
  if (prebuilt_) {
    menu_ = std::move(*prebuilt_);
    prebuilt_.reset();
    return menu_;
  }
  if (!menu_.urls.empty()) return std::nullopt;
  menu_ = BuildFavoritesMenu(Root(), services_.registry);
  return menu_;
}

namespace {
std::vector<std::pair<u16, u16>> LinksOf(const FavoritesMenu& menu) {
  std::vector<std::pair<u16, u16>> links;
  std::function<void(const std::vector<FavoriteMenuNode>&)> walk =
      [&](const std::vector<FavoriteMenuNode>& nodes) {
        for (const FavoriteMenuNode& n : nodes) {
          if (n.id == 0) walk(n.children);
          else if (u16 url = menu.UrlFor(n.id); !url.empty()) links.emplace_back(url, n.text);
        }
      };
  walk(menu.items);
  return links;
}
}  // namespace

const std::vector<std::pair<u16, u16>>& FavoritesController::Links() {
  if (links_) return *links_;
  // From the menu made since the last change when there is one (an import's, or the one the
  // window shows); the folder is read again only when neither is.
  if (prebuilt_) links_ = LinksOf(*prebuilt_);
  else if (!menu_.urls.empty()) links_ = LinksOf(menu_);
  else links_ = LinksOf(BuildFavoritesMenu(Root(), services_.registry));
  return *links_;
}

void FavoritesController::ResetFavorites() {
  links_.reset();
  prebuilt_.reset();
  ++favoritesChanges_;
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

FavoritesController::~FavoritesController() {
  alive_.reset();
  stopImport_ = true;
  if (import_.joinable()) import_.join();
}

void FavoritesController::OnShutdown() {
  // What is written is kept (its folders' order is not); the rest of a running import is
  // given up with the program.
  stopImport_ = true;
  if (import_.joinable()) import_.join();
}

void FavoritesController::StartImport(std::string file, std::string folder) {
  if (importing_) {
    dialogs_->Tell(u"正在导入收藏, 请稍候。");
    return;
  }
  MessageLoop* loop = services_.loop;
  const std::string root = Root();
  std::vector<OrderedName> order;
  for (const FavoriteItem& item : ListFavorites(root, RelativeFavoritesPath(root, folder),
                                                services_.registry))
    order.push_back({item.name, item.folder});
  if (import_.joinable()) import_.join();
  importing_ = true;
  services_.tabs.SetStatusText(u"正在导入收藏...");
  std::weak_ptr<bool> alive = alive_;
  auto post = [loop, alive](std::function<void()> work) {
    if (!loop) return work();
    loop->Post([alive, work = std::move(work)] {
      if (!alive.expired()) work();
    });
  };
  import_ = std::thread([this, post, root, file, folder, order = std::move(order)]() mutable {
    std::string bytes;
    if (ReadFileBytes(file, &bytes) != ReadStatus::Ok) {
      post([this, file] {
        importing_ = false;
        services_.tabs.SetStatusText(u"");
        dialogs_->Tell(u"无法读取文件: " + FromUtf8(file));
      });
      return;
    }
    auto result = std::make_shared<BookmarkImport>(ImportBookmarksOffThread(
        root, folder, ParseBookmarkHtml(bytes), std::move(order), [this, post](int written) {
          post([this, written] {
            services_.tabs.SetStatusText(Format(u"正在导入收藏: %d", written));
          });
        }, &stopImport_));
    // The folders' order here too: for a hundred thousand entries it is a value of megabytes,
    // a second's work the window would wait for (the registry takes one change at a time).
    if (services_.registry && !stopImport_)
      for (const auto& [relative, entries] : result->orders)
        WriteMenuOrder(*services_.registry, relative, entries);
    // And the menu the import's folders make, for the same reason (listing, ordering and
    // numbering a hundred thousand entries takes a second).
    auto menu = std::make_shared<FavoritesMenu>();
    const int changes = favoritesChanges_;
    if (!stopImport_) *menu = BuildFavoritesMenu(root, services_.registry);
    post([this, result, menu, changes] {
      importing_ = false;
      const bool current = changes == favoritesChanges_;  // nothing changed them meanwhile
      ResetFavorites();
      if (current && !stopImport_) prebuilt_ = std::move(*menu);
      services_.tabs.SetStatusText(Format(u"已导入 %d 个收藏。", result->written));
      dialogs_->Tell(Format(u"已导入 %d 个收藏。", result->written));
    });
  });
}

void FavoritesController::Transfer() {
  if (!dialogs_) return;
  const std::string root = Root();
  auto t = dialogs_->AskTransfer(root);
  if (!t || t->file.empty()) return;
  if (t->import) {
    StartImport(t->file, t->folder.empty() ? root : t->folder);
  } else {
    if (!WriteFileAtomic(t->file, WriteBookmarkHtml(ReadFavoritesTree(root, services_.registry))))
      dialogs_->Tell(u"无法写入文件: " + FromUtf8(t->file));
  }
}

}  // namespace zel
