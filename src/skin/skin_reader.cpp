#include "skin/skin_reader.h"

#include <map>

#include "base/commands.h"
#include "base/files.h"

namespace zel {

namespace {

constexpr size_t kValueLimit = 259;

class Reader {
 public:
  Reader(const IniDocument& ini, const std::string& folder, const OtherImageDecoder& other)
      : ini_(ini), folder_(folder), other_(other) {}

  std::optional<u16> Str(u16view section, u16view key) const {
    std::optional<u16> v = ini_.Get(section, key);
    if (v && v->size() > kValueLimit) v->resize(kValueLimit);
    return v;
  }
  bool Has(u16view section, u16view key) const { return ini_.Get(section, key).has_value(); }
  int Int(u16view section, u16view key, int def) const {
    std::optional<u16> v = Str(section, key);
    return v ? ToInt(*v) : def;
  }
  SkinColor Color(u16view section, u16view key) const {
    std::optional<u16> v = Str(section, key);
    return v ? ParseSkinColor(*v).value_or(0) : 0;
  }
  std::optional<SkinColor> OptColor(u16view section, u16view key) const {
    std::optional<u16> v = Str(section, key);
    if (!v) return std::nullopt;
    return ParseSkinColor(*v).value_or(0);
  }
  Gradient Fill(u16view section, u16view element) const {
    u16 e(element);
    return {Color(section, e + u".Fill.ColorStart"), Color(section, e + u".Fill.ColorEnd")};
  }
  // Optional gradients are there when either end is named.
  std::optional<Gradient> OptFill(u16view section, u16view element) const {
    u16 e(element);
    auto s = OptColor(section, e + u".Fill.ColorStart");
    auto t = OptColor(section, e + u".Fill.ColorEnd");
    if (!s && !t) return std::nullopt;
    return Gradient{s.value_or(0), t.value_or(0)};
  }
  // "3Image" means the element's part image; anything else (or nothing) the gradient.
  bool ImageStyle(u16view section, u16view element) const {
    std::optional<u16> v = Str(section, u16(element) + u".Style");
    return v && EqualsNoCase(Trim(*v), u"3Image");
  }

  SkinImagePtr Image(u16view section, u16view key) {
    std::optional<u16> v = Str(section, key);
    if (!v) return nullptr;
    std::string name = ToUtf8(Trim(*v));
    for (char& c : name)
      if (c == '\\') c = '/';
    if (name.empty() || name[0] == '/') return nullptr;
    for (const u16& part : Split(FromUtf8(name), u'/'))
      if (part == u"..") return nullptr;
    std::string path = JoinPath(folder_, name);
    auto it = cache_.find(path);
    if (it != cache_.end()) return it->second;
    SkinImagePtr image = LoadSkinImageFile(path, other_);
    cache_[path] = image;
    return image;
  }
  PartImage Part(u16view section, u16view key) {
    PartImage p;
    p.image = Image(section, key);
    u16 k(key);
    p.startOffset = Int(section, k + u".StartOffset", 0);
    p.endOffset = Int(section, k + u".EndOffset", 0);
    p.mode = Int(section, k + u".Stretch", 0) ? PartMode::Stretch : PartMode::Tile;
    return p;
  }
  ButtonImage Button(u16view section, u16view key) {
    ButtonImage b;
    u16 k(key);
    b.image = Image(section, key);
    b.hover = Image(section, k + u".Hover");
    if (Has(section, k + u".DrawBackground")) {
      b.drawBackground = Int(section, k + u".DrawBackground", -1);
    } else {
      std::tie(b.offsetX, b.offsetY) = ParseSkinOffset(Str(section, k + u".Offset").value_or(u""));
      b.extendSpace = Int(section, k + u".ExtendSpace", 0);
    }
    return b;
  }

 private:
  const IniDocument& ini_;
  const std::string& folder_;
  const OtherImageDecoder& other_;
  std::map<std::string, SkinImagePtr> cache_;  // a file named by several keys is read once
};

// The states of a main-toolbar command icon that are read.
enum : unsigned { kN = 1, kD = 2, kH = 4, kO = 8 };
struct CommandIconRow {
  const char16_t* key;
  int id;
  unsigned states;
  bool icons16;   // always from Icons16
  bool fallback;  // from Icons16 when the chosen section lacks the key
};
constexpr CommandIconRow kToolbarIcons[] = {
    {u"New", cmd::kNewBlankPage, kN, false, false},
    {u"Back", cmd::kBack, kN | kD | kH | kO, false, false},
    {u"Forward", cmd::kForward, kN | kD | kH | kO, false, false},
    {u"HistoryMenu", cmd::kHistoryMenu, kN | kD | kH | kO, false, false},
    {u"Refresh", cmd::kRefresh, kN | kH | kO, false, false},
    {u"Stop", cmd::kStop, kN | kH | kO, false, false},
    {u"Undo", cmd::kReopenClosedPage, kN | kH | kD | kO, false, false},
    {u"Home", cmd::kHome, kN | kH | kO, false, false},
    {u"Go", cmd::kGo, kN | kH, false, true},
    {u"Search", cmd::kSearch, kN | kH, false, true},
    {u"TabSidebar", cmd::kTabSidebar, kN | kH, false, false},
    {u"_Add", cmd::kAddToFavorites, kN, true, false},
    {u"_Edit", cmd::kOrganizeFavorites, kN, true, false},
    {u"AdHunter", cmd::kAdHunter, kN, true, false},
    {u"ForceTabInBK", cmd::kForceTabInBack, kN, true, false},
    {u"Zoom", cmd::kZoomButton, kN, true, false},
};

void CommandIcon(Reader& r, SkinData& s, u16view section, u16view key, int id, IconState state) {
  if (SkinImagePtr image = r.Image(section, key)) s.commandIcons[{id, state}] = image;
}

}  // namespace

std::optional<SkinColor> ParseSkinColor(u16view text) {
  u16 t = Trim(text);
  size_t i = 0;
  if (t.size() >= 2 && t[0] == u'0' && (t[1] == u'x' || t[1] == u'X')) i = 2;
  uint32_t v = 0;
  size_t digits = 0;
  for (; i < t.size() && digits < 8; ++i, ++digits) {
    char16_t c = t[i];
    int d = c >= u'0' && c <= u'9'   ? c - u'0'
            : c >= u'a' && c <= u'f' ? c - u'a' + 10
            : c >= u'A' && c <= u'F' ? c - u'A' + 10
                                     : -1;
    if (d < 0) break;
    v = v << 4 | uint32_t(d);
  }
  if (!digits) return std::nullopt;
  return (v & 0xFF) << 16 | (v & 0xFF00) | (v >> 16 & 0xFF);
}

std::string CssColor(SkinColor c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF);
  return buf;
}

void SkinData::Reset() {
  auto offsets = std::move(commandOffsets);
  GripperStyle g = gripper;
  *this = SkinData();
  commandOffsets = std::move(offsets);
  gripper = g;
}

std::pair<int, int> ParseSkinOffset(u16view text) {
  u16 t = Trim(text);
  int x = ToInt(t);
  size_t space = t.rfind(u' ');
  int y = space == u16::npos ? 0 : ToInt(u16view(t).substr(space + 1));
  return {x, y};
}

void ReadSkin(const IniDocument& ini, const std::string& folder, const OtherImageDecoder& other,
              SkinData& s) {
  s.Reset();
  Reader r(ini, folder, other);
  // Global
  s.customFrame = r.Int(u"Global", u"CustomFrame", 1);
  s.frameImage = r.Image(u"Global", u"CustomFrame.Image");
  s.cornerSize = r.Int(u"Global", u"CustomFrame.CornerSize", 0);
  s.cornerRadius = r.Int(u"Global", u"CustomFrame.CornerRadius", 0);
  s.editHeight = r.Int(u"Global", u"Edit.Height", 22);
  // The main panel: any style but "3Image" is the gradient.
  if (r.ImageStyle(u"Backgrounds", u"MainPanel")) s.mainPanelImage = r.Part(u"Backgrounds", u"MainPanel.Image");
  else s.mainPanel = r.Fill(u"Backgrounds", u"MainPanel");
  s.captionText = r.Color(u"Colors", u"Caption.Text");
  s.buttonHover = r.Part(u"Backgrounds", u"Button.Hover.Image");
  s.buttonPressed = r.Part(u"Backgrounds", u"Button.Pressed.Image");
  s.buttonChecked = r.Part(u"Backgrounds", u"Button.Checked.Image");
  // The side bar
  if (r.ImageStyle(u"SideBar", u"TabBackground")) s.sideTabBackgroundImage = r.Part(u"SideBar", u"TabBackground.Image");
  else s.sideTabBackground = r.Fill(u"SideBar", u"TabBackground");
  s.sideTabNormal = r.Part(u"SideBar", u"Tab.Normal.Image");
  s.sideTabActive = r.Part(u"SideBar", u"Tab.Active.Image");
  s.sideTabHover = r.Part(u"SideBar", u"Tab.Hover.Image");
  if (r.ImageStyle(u"SideBar", u"TitleBackground")) s.titleBackgroundImage = r.Part(u"SideBar", u"TitleBackground.Image");
  else s.titleBackground = r.Fill(u"SideBar", u"TitleBackground");
  // Menus and bars
  if (r.ImageStyle(u"Backgrounds", u"Menu")) s.menuImage = r.Part(u"Backgrounds", u"Menu.Image");
  else s.menu = r.Fill(u"Backgrounds", u"Menu");
  s.floatBar = r.Fill(u"Backgrounds", u"FloatBar");
  s.favToolBar = r.OptFill(u"Backgrounds", u"FavToolBar");
  s.menuItemHover = r.Part(u"Backgrounds", u"MenuItem.Hover.Image");
  s.menuSeparatorWidth = r.Int(u"Colors", u"Menu.Separator.Width", 1);
  s.menuSeparatorOffset = r.Int(u"Colors", u"Menu.Separator.Offset", 50);
  s.menuSeparator = r.Color(u"Colors", u"Menu.Separator.Color");
  s.menuSeparatorShadow = r.Color(u"Colors", u"Menu.Separator.ShadowColor");
  s.toolbarText = r.Color(u"Colors", u"Toolbar.Normal.Text");
  s.toolbarDisabledText = r.Color(u"Colors", u"Toolbar.Disable.Text");
  s.comboText = r.Color(u"Colors", u"ComboBox.Text");
  s.comboDisabledText = r.Color(u"Colors", u"ComboBox.Disable.text");
  u16 gripper = Trim(r.Str(u"Colors", u"Toolbar.Gripper.Style").value_or(u"Dashed"));
  if (EqualsNoCase(gripper, u"Dashed")) s.gripper = GripperStyle::Dashed;
  else if (EqualsNoCase(gripper, u"Solid")) s.gripper = GripperStyle::Solid;
  s.gripperWidth = r.Int(u"Colors", u"Toolbar.Gripper.Width", 2);
  s.gripperColor = r.Color(u"Colors", u"Toolbar.Gripper.Color");
  s.gripperShadow = r.Color(u"Colors", u"Toolbar.Gripper.ShadowColor");
  s.menuText = r.Color(u"Colors", u"Menu.Normal.Text");
  s.menuDisabledText = r.Color(u"Colors", u"Menu.Disable.Text");
  s.menuBorder = r.Color(u"Colors", u"Menu.Border");
  s.transparentToolbars =
      EqualsNoCase(Trim(r.Str(u"Backgrounds", u"ToolBar.Style").value_or(u"")), u"Transparent");
  s.tabNormalText = r.Color(u"Colors", u"Tab.Normal.Text");
  s.tabHoverText = r.Color(u"Colors", u"Tab.Hover.Text");
  s.tabActiveText = r.Color(u"Colors", u"Tab.Active.Text");
  s.tabInsertSign = r.OptColor(u"Colors", u"Tab.InsertSign");
  s.treeCtrl = r.OptFill(u"Backgrounds", u"TreeCtrl");
  s.blockBar = r.OptFill(u"Backgrounds", u"BlockBarBackground");
  s.autoHidePane = r.OptFill(u"SideBar", u"AutoHidePaneBackground");
  // The page tabs
  s.tabNormal = r.Part(u"TabBar", u"Tab.Normal.Image");
  s.tabHover = r.Part(u"TabBar", u"Tab.Hover.Image");
  s.tabActive = r.Part(u"TabBar", u"Tab.Active.Image");
  s.tabNew = r.Image(u"Icons", u"TabNew");
  s.tabNewHover = r.Image(u"Icons", u"TabNew.Hover");
  s.split = r.Image(u"Icons", u"Split");
  s.splitDisable = r.Image(u"Icons", u"Split.Disable");
  s.splitHover = r.Image(u"Icons", u"Split.Hover");
  s.tabClose = r.Button(u"TabBar", u"TabClose");
  s.tabBarBackground = r.Part(u"TabBar", u"Background.Image");
  s.tabBarInactiveBackground = r.Part(u"TabBar", u"InactiveBackground.Image");
  s.statusBar = r.Part(u"Backgrounds", u"StatusBar.Image");
  s.progress = r.Has(u"Progress", u"Progress.Image") ? r.Part(u"Progress", u"Progress.Image")
                                                     : r.Part(u"Progress", u"Foreground.Image");
  s.favoritesIcon = r.Image(u"Icons16", u"Favorites");
  s.historyIcon = r.Image(u"Icons16", u"History");
  // The address box (from ComboBox when its own section names no normal background),
  // then the search box (the address box's images where it names none).
  const char16_t* address =
      r.Has(u"ComboBoxAddress", u"Background.Normal.Image") ? u"ComboBoxAddress" : u"ComboBox";
  s.addressNormal = r.Part(address, u"Background.Normal.Image");
  s.addressHover = r.Part(address, u"Background.Hover.Image");
  s.addressThumb = r.Image(address, u"Thumb.Normal.Image");
  s.addressThumbHover = r.Image(address, u"Thumb.Hover.Image");
  if (r.Has(u"ComboBoxSearch", u"Background.Normal.Image")) {
    s.searchNormal = r.Part(u"ComboBoxSearch", u"Background.Normal.Image");
    s.searchHover = r.Part(u"ComboBoxSearch", u"Background.Hover.Image");
  } else {
    s.searchNormal = s.addressNormal;
    s.searchHover = s.addressHover;
  }
  if (r.Has(u"ComboBoxSearch", u"Thumb.Normal.Image")) {
    s.searchThumb = r.Image(u"ComboBoxSearch", u"Thumb.Normal.Image");
    s.searchThumbHover = r.Image(u"ComboBoxSearch", u"Thumb.Hover.Image");
  } else {
    s.searchThumb = s.addressThumb;
    s.searchThumbHover = s.addressThumbHover;
  }
  s.searchIcon16 = r.Image(u"Icons16", u"Search");
  s.pageIcon = r.Image(u"Icons16", u"Page");
  s.folderCloseIcon = r.Image(u"Icons16", u"FolderClose");
  s.folderOpenIcon = r.Image(u"Icons16", u"FolderOpen");
  s.captionIcon = r.Image(u"Icons16", u"Caption");
  s.captionIconIsIco = EndsWithNoCase(Trim(r.Str(u"Icons16", u"Caption").value_or(u"")), u".ico");
  if (s.captionIcon && !s.captionIconIsIco) s.commandIcons[{cmd::kCaptionIcon, IconState::Normal}] = s.captionIcon;
  // The command icons: the toolbar's section by the default size.
  auto [w, h] = ParseSkinOffset(r.Str(u"Global", u"DefaultSize").value_or(u"0 0"));
  s.defaultWidth = w;
  s.defaultHeight = h;
  CommandIcon(r, s, u"Icons", u"SideClose", cmd::kSideClose, IconState::Normal);
  CommandIcon(r, s, u"Icons", u"SideClose.Hover", cmd::kSideClose, IconState::Hover);
  const char16_t* chosen = w == 16 ? u"Icons16" : u"Icons";
  for (const CommandIconRow& row : kToolbarIcons) {
    const char16_t* section = row.icons16 ? u"Icons16" : chosen;
    if (row.fallback && !r.Has(section, row.key)) section = u"Icons16";
    u16 key(row.key);
    if (row.states & kN) CommandIcon(r, s, section, key, row.id, IconState::Normal);
    if (row.states & kD) CommandIcon(r, s, section, key + u".Disable", row.id, IconState::Disabled);
    if (row.states & kH) CommandIcon(r, s, section, key + u".Hover", row.id, IconState::Hover);
    if ((row.states & kO) && r.Has(section, key + u".Offset"))
      s.commandOffsets[row.id] = ParseSkinOffset(*r.Str(section, key + u".Offset"));
  }
  CommandIcon(r, s, u"Icons", u"SkinSelect", cmd::kSkinMenu, IconState::Normal);
  CommandIcon(r, s, u"Icons", u"SkinSelect.Hover", cmd::kSkinMenu, IconState::Hover);
  const std::pair<const char16_t*, int> windowButtons[] = {
      {u"MenuMinimize", cmd::kWindowMinimize},
      {u"MenuRestore", cmd::kWindowRestore},
      {u"MenuMaximum", cmd::kWindowMaximize},
      {u"MenuClose", cmd::kWindowClose},
  };
  for (auto [key, id] : windowButtons) {
    CommandIcon(r, s, u"Icons", key, id, IconState::Normal);
    CommandIcon(r, s, u"Icons", u16(key) + u".Hover", id, IconState::Hover);
  }
}

bool LoadSkinFolder(const std::string& folder, const OtherImageDecoder& other, SkinData& skin) {
  std::string bytes;
  if (!ReadSkinFile(JoinPath(folder, kSkinIniName), kSkinIniMaxBytes, &bytes)) return false;
  ReadSkin(IniDocument::ParseOwned(std::move(bytes)), folder, other, skin);
  return true;
}

}  // namespace zel
