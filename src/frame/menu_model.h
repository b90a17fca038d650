// The menus as data: the GTK front end builds its menu bar from this, so a menu item is a
// row here and its command a row in the frame's command table.
#pragma once

#include <vector>

#include "base/text.h"

namespace zel {

struct MenuItem {
  u16 text;         // with "&" before the mnemonic, as in "退出(&X)"; empty for a separator
  int id = 0;       // command id; 0 for a popup or separator
  u16 accel;        // shown key, e.g. "Ctrl+W" (the first key of the command's keys)
  bool check = false;  // shows a check mark that the frame keeps current
  std::vector<MenuItem> children;  // popup contents

  bool IsSeparator() const { return text.empty() && id == 0 && children.empty(); }
};

// Main menu 128: the top-level popups with the items whose commands exist.
std::vector<MenuItem> MainMenu();

// "退出(&X)" -> "退出(_X)"; "&&" is a literal "&", a literal "_" is doubled.
u16 MnemonicToGtk(u16view text);

}  // namespace zel
