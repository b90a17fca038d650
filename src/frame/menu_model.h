// The menus and keys as data: the GTK front end builds its menu bar and key table from
// this, so a menu item is a row here and its command a row in the frame's command table.
#pragma once

#include <vector>

#include "base/mnemonic.h"
#include "base/text.h"

namespace zel {

struct MenuItem {
  u16 text;         // with "&" before the mnemonic, as in "退出(&X)"; empty for a separator
  int id = 0;       // command id; 0 for a popup or separator
  u16 accel;        // the key shown beside the item, e.g. "Ctrl+W"
  bool check = false;  // shows a check mark that follows the frame's state
  std::vector<MenuItem> children;  // popup contents

  bool IsSeparator() const { return text.empty() && id == 0 && children.empty(); }
};

struct KeyBinding {
  u16 key;  // "Ctrl+Shift+W", "Alt+Home", "F4", "Ctrl+PgDn", "Ctrl+1"
  int id;
};

// Main menu 128: the top-level popups with the items whose commands exist.
std::vector<MenuItem> MainMenu();
// The frame's keys.
std::vector<KeyBinding> MainKeys();
// The page's context menus (also shown by drags): image 309, link 311, text 312. The
// text menu lists the search engines under "所有搜索引擎(&S)".
std::vector<MenuItem> ImageMenu();
std::vector<MenuItem> LinkMenu();
std::vector<MenuItem> TextMenu(const std::vector<u16>& engineTitles);

// The tab strip's menu of one tab (lock, password, close).
std::vector<MenuItem> TabMenu(bool locked, bool hasPassword);
// Ids of the tab menu, handled by the frame for the tab the menu belongs to.
inline constexpr int kTabMenuLock = 1;
inline constexpr int kTabMenuSetPassword = 2;
inline constexpr int kTabMenuClearPassword = 3;
inline constexpr int kTabMenuClose = 4;


}  // namespace zel
