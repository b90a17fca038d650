// The favorites: the "收藏(&A)" menu built from the Favorites folder, Add (833, Ctrl+D),
// Organize (834), Import/Export (835), adding a page's link (1151) and the menu's items
// (41000 ...). The pane and the dialogs are views handed over by the host.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <optional>
#include <string>
#include <utility>

#include "favorites/favorites_folder.h"
#include "favorites/favorites_views.h"
#include "services/frame_controller.h"
#include "services/frame_services.h"

namespace zel {

class FavoritesController : public FrameController {
 public:
  // The link under the pointer of the page's last context menu: its address and text.
  using ContextLink = std::function<std::pair<u16, u16>()>;
  FavoritesController(FrameServices services, ContextLink contextLink);
  ~FavoritesController() override;
  void OnShutdown() override;
  // An import of bookmarks is running on its thread.
  bool importing() const { return importing_; }

  void SetPane(FavoritesPaneView* pane) { pane_ = pane; }
  // Told when the menu's source changed (the window then asks MenuIfStale before the
  // menu is next shown).
  void SetMenuChanged(std::function<void()> changed) { menuChanged_ = std::move(changed); }
  // Every favorite's address and title (read from the folder once after each change).
  const std::vector<std::pair<u16, u16>>& Links();
  void SetDialogs(FavoritesDialogsView* dialogs) { dialogs_ = dialogs; }

  // The Favorites folder (made when missing).
  std::string Root() const;
  // The menu's folder part when it must be built again (the command-URL table is empty:
  // at the first opening and after ResetFavorites); nothing when the last one stands.
  std::optional<FavoritesMenu> MenuIfStale();
  // The pane's tree and menu read the folder again.
  void ResetFavorites();
  // A click on a favorite of the pane: its address in a new tab in front (nothing for an
  // entry without one).
  void OpenEntry(const std::string& path);
  // The address of a menu item.
  u16 UrlForCommand(int id) const { return menu_.UrlFor(id); }
  RegistryPort* registry() const { return services_.registry; }

 private:
  void Add();
  void AddLink();
  void Organize();
  void Transfer();
  void OpenMenuItem(int id);

  FrameServices services_;
  ContextLink contextLink_;
  FavoritesPaneView* pane_ = nullptr;
  FavoritesDialogsView* dialogs_ = nullptr;
  FavoritesMenu menu_;
  // A menu made off the main loop (by an import, whose folder may hold a hundred thousand
  // entries), taken by the next MenuIfStale unless the favorites change first.
  std::optional<FavoritesMenu> prebuilt_;
  std::atomic<int> favoritesChanges_{0};  // counts ResetFavorites: a menu made before one is old
  bool built_ = false;
  std::function<void()> menuChanged_;
  std::optional<std::vector<std::pair<u16, u16>>> links_;
  // A bookmark file is imported on a thread of its own; the window answers meanwhile.
  void StartImport(std::string file, std::string folder);
  std::thread import_;
  std::atomic<bool> stopImport_{false};
  bool importing_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace zel
