// The skin object: what one skin's mskin.ini and images give the frame's drawing (images,
// colours, metrics and the icons of the main commands). One for the program, read by
// ReadSkin and turned into a style sheet by SkinCss.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "base/text.h"
#include "skin/skin_image.h"

namespace zel {

// A colour as 0x00BBGGRR (red in the low byte).
using SkinColor = uint32_t;

// "RRGGBB" (base 16) as 0x00BBGGRR; nullopt for text that is not hexadecimal.
std::optional<SkinColor> ParseSkinColor(u16view text);
// 0x00BBGGRR as "#rrggbb".
std::string CssColor(SkinColor c);

enum class PartMode { Stretch = 1, Tile = 2 };

// An image drawn in three parts: fixed start and end (left/top, right/bottom) and a middle
// that is stretched or tiled.
struct PartImage {
  SkinImagePtr image;
  int startOffset = 0;
  int endOffset = 0;
  PartMode mode = PartMode::Tile;
};

struct ButtonImage {
  SkinImagePtr image;
  SkinImagePtr hover;
  int drawBackground = -1;
  int offsetX = 0, offsetY = 0;
  int extendSpace = 0;
};

struct Gradient {
  SkinColor start = 0;
  SkinColor end = 0;
};

enum class GripperStyle { Dashed, Solid };
enum class IconState { Normal, Disabled, Hover };

struct SkinData {
  // Global
  int customFrame = 1;
  SkinImagePtr frameImage;
  int cornerSize = 0, cornerRadius = 0;
  int editHeight = 22;
  // Backgrounds: a gradient for the "GFill" style, the part image for "3Image".
  std::optional<Gradient> mainPanel;
  PartImage mainPanelImage;
  SkinColor captionText = 0;
  PartImage buttonHover, buttonPressed, buttonChecked;
  // SideBar
  std::optional<Gradient> sideTabBackground;
  PartImage sideTabBackgroundImage;
  PartImage sideTabNormal, sideTabActive, sideTabHover;
  std::optional<Gradient> titleBackground;
  PartImage titleBackgroundImage;
  // Menus and bars
  std::optional<Gradient> menu;
  PartImage menuImage;
  Gradient floatBar;
  std::optional<Gradient> favToolBar;
  PartImage menuItemHover;
  int menuSeparatorWidth = 1, menuSeparatorOffset = 50;
  SkinColor menuSeparator = 0, menuSeparatorShadow = 0;
  SkinColor toolbarText = 0, toolbarDisabledText = 0;
  SkinColor comboText = 0, comboDisabledText = 0;
  GripperStyle gripper = GripperStyle::Dashed;  // kept from skin to skin unless named
  int gripperWidth = 2;
  SkinColor gripperColor = 0, gripperShadow = 0;
  SkinColor menuText = 0, menuDisabledText = 0, menuBorder = 0;
  bool transparentToolbars = false;
  SkinColor tabNormalText = 0, tabHoverText = 0, tabActiveText = 0;
  std::optional<SkinColor> tabInsertSign;
  std::optional<Gradient> treeCtrl, blockBar, autoHidePane;
  // The page tabs
  PartImage tabNormal, tabHover, tabActive;
  SkinImagePtr tabNew, tabNewHover, split, splitDisable, splitHover;
  ButtonImage tabClose;
  PartImage tabBarBackground, tabBarInactiveBackground;
  PartImage statusBar, progress;
  SkinImagePtr favoritesIcon, historyIcon;
  // The address and search boxes
  PartImage addressNormal, addressHover;
  SkinImagePtr addressThumb, addressThumbHover;
  PartImage searchNormal, searchHover;
  SkinImagePtr searchThumb, searchThumbHover;
  SkinImagePtr searchIcon16, pageIcon, folderCloseIcon, folderOpenIcon;
  // The window icon: an ".ico" file is the window's icon, another image command 700's.
  SkinImagePtr captionIcon;
  bool captionIconIsIco = false;
  int defaultWidth = 0, defaultHeight = 0;
  // The command icons by command and state, and the commands' icon offsets.
  std::map<std::pair<int, IconState>, SkinImagePtr> commandIcons;
  std::map<int, std::pair<int, int>> commandOffsets;

  SkinImagePtr CommandIcon(int id, IconState state) const {
    auto it = commandIcons.find({id, state});
    return it == commandIcons.end() ? nullptr : it->second;
  }
  // Before a skin is read again: every image goes and each part image is (none, 0, 0,
  // tile); the command offsets stay (a new value for a command replaces its entry).
  void Reset();
};

}  // namespace zel
