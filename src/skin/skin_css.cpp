#include "skin/skin_css.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "base/commands.h"
#include "panes/side_pane_view.h"

namespace zel {

namespace {

std::string Px(int v) { return std::to_string(v) + "px"; }

std::string Quoted(const std::string& url) {
  std::string out = "url(\"";
  for (char c : url) {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '\n' || c == '\r') continue;
    out += c;
  }
  return out + "\")";
}

class Sheet {
 public:
  explicit Sheet(const SkinImageUrl& url) : url_(url) {}
  void Rule(const std::string& selector, const std::string& body) {
    if (!body.empty()) text_ += selector + " {\n" + body + "}\n";
  }
  std::string Image(const SkinImagePtr& image) const {
    if (!image || !url_) return {};
    std::string u = url_(image);
    return u.empty() ? std::string() : Quoted(u);
  }
  const SkinImageUrl& url() const { return url_; }
  std::string text() const { return text_; }

 private:
  const SkinImageUrl& url_;
  std::string text_;
};

std::string Decl(const std::string& name, const std::string& value) {
  return value.empty() ? std::string() : "  " + name + ": " + value + ";\n";
}
std::string Color(SkinColor c) { return Decl("color", CssColor(c)); }
std::string Background(const std::optional<Gradient>& g) {
  return g ? Decl("background-color", CssColor(g->start)) + Decl("background-image", CssGradient(*g))
           : std::string();
}
// Text that reads on a gradient: white on a dark one, black on a light one.
std::string ReadableOn(const Gradient& g) {
  auto lum = [](SkinColor c) {
    return 0.299 * (c & 0xFF) + 0.587 * ((c >> 8) & 0xFF) + 0.114 * ((c >> 16) & 0xFF);
  };
  return (lum(g.start) + lum(g.end)) / 2 < 128 ? "#ffffff" : "#000000";
}

// The part image when there is one, else the gradient when there is one.
std::string PartOr(const PartImage& part, const std::optional<Gradient>& g, const SkinImageUrl& url) {
  std::string p = CssPartImage(part, url);
  return p.empty() ? Background(g) : p;
}

// A command's icon on its button (the widget named "command-<id>" or a button inside it):
// the theme's icon made invisible and the skin's drawn as the image's background.
void CommandIcon(Sheet& sheet, const SkinData& skin, int id) {
  SkinImagePtr normal = skin.CommandIcon(id, IconState::Normal);
  std::string n = sheet.Image(normal);
  if (n.empty()) return;
  const std::string w = "#command-" + std::to_string(id);
  std::string body = Decl("color", "transparent") + Decl("-gtk-icon-shadow", "none") +
                     Decl("background-image", n) + Decl("background-repeat", "no-repeat") +
                     Decl("background-position", "center") +
                     Decl("background-size", Px(normal->width) + " " + Px(normal->height)) +
                     Decl("min-width", Px(normal->width)) + Decl("min-height", Px(normal->height));
  auto off = skin.commandOffsets.find(id);
  if (off != skin.commandOffsets.end()) {
    auto [x, y] = off->second;
    body += Decl(x >= 0 ? "margin-left" : "margin-right", Px(x >= 0 ? x : -x));
    body += Decl(y >= 0 ? "margin-top" : "margin-bottom", Px(y >= 0 ? y : -y));
  }
  sheet.Rule(w + " image, image" + w, body);
  std::string h = sheet.Image(skin.CommandIcon(id, IconState::Hover));
  sheet.Rule(w + ":hover image, " + w + " button:hover image", Decl("background-image", h));
  std::string d = sheet.Image(skin.CommandIcon(id, IconState::Disabled));
  sheet.Rule(w + ":disabled image, " + w + " button:disabled image",
             d.empty() ? std::string() : Decl("background-image", d) + Decl("opacity", "1"));
}

void ToolbarRules(Sheet& s, const SkinData& skin) {
  const std::string bars = "#menu-bar, #standard-bar, #search-bar, #address-bar-buttons";
  s.Rule(bars, skin.transparentToolbars ? Decl("background", "none") + Decl("box-shadow", "none")
                                        : Background(skin.mainPanel) + Decl("box-shadow", "none"));
  s.Rule("#standard-bar button label, #engine-button label, #engine-label, #status-bar label",
         Color(skin.toolbarText));
  s.Rule("#standard-bar button:disabled label, #engine-button:disabled label", Color(skin.toolbarDisabledText));
  s.Rule("#standard-bar button:hover, #address-bar-buttons button:hover", CssPartImage(skin.buttonHover, s.url()));
  s.Rule("#standard-bar button:active, #address-bar-buttons button:active", CssPartImage(skin.buttonPressed, s.url()));
  // A skin without a checked look shows the pressed one: the theme's own is drawn for
  // light bars and leaves light text unreadable on dark ones.
  const PartImage& checked = skin.buttonChecked.image ? skin.buttonChecked : skin.buttonPressed;
  s.Rule("#standard-bar button:checked", CssPartImage(checked, s.url()));
  // The status bar's switch panes and the tab bar's own items look like the bar's buttons;
  // the items' symbolic icons take the tabs' text colour.
  s.Rule("#status-bar button:hover, #tab-strip > header > box button:hover",
         CssPartImage(skin.buttonHover, s.url()));
  s.Rule("#status-bar button:checked, #tab-strip > header > box button:checked",
         CssPartImage(checked, s.url()));
  s.Rule("#tab-strip > header > box button", Color(skin.tabNormalText));
  // The bars' own drop arrows and symbolic icons take the bar's text colour, so they read
  // on a dark bar as on a light one; the search bar's buttons are the bar's too.
  s.Rule("#standard-bar button, #address-bar-buttons button, #search-bar button, #engine-button",
         Color(skin.toolbarText));
  s.Rule("#search-bar button:disabled", Color(skin.toolbarDisabledText));
  s.Rule("#search-bar button:hover", CssPartImage(skin.buttonHover, s.url()));
  s.Rule("#search-bar button:active", CssPartImage(skin.buttonPressed, s.url()));
  if (skin.transparentToolbars)
    s.Rule("#search-bar button", Decl("background", "none") + Decl("box-shadow", "none") +
                                     Decl("border-color", "transparent"));
  s.Rule("#find-bar, #downloads-bar", Background(Gradient(skin.floatBar)));
  // The floating bars' text (the file names, "已完成") on the bars' own colours.
  s.Rule("#find-bar label, #downloads-bar label, #find-bar button, #downloads-bar button, "
         "#downloads-bar progressbar, #downloads-bar progressbar text",
         Decl("color", ReadableOn(skin.floatBar)));
  // The grips of the bars, drawn by the window in the skin's gripper colour: the left
  // border carries the rest of the look (its width, dashed or solid, the shadow colour).
  s.Rule("#bar-grip-Standard *, #bar-grip-Address *, #bar-grip-Search *",
         Color(skin.gripperColor) +
             Decl("border-left", Px(std::clamp(skin.gripperWidth, 1, 8)) +
                                     (skin.gripper == GripperStyle::Solid ? " solid " : " dashed ") +
                                     CssColor(skin.gripperShadow)));
  s.Rule("#popup-bar", Background(skin.blockBar));
  // The plain panel over the pages while a password is asked.
  s.Rule("#page-cover", Background(skin.mainPanel));
}

void MenuRules(Sheet& s, const SkinData& skin) {
  std::string menu = PartOr(skin.menuImage, skin.menu, s.url());
  s.Rule("menu, .menu, .context-menu", menu + Decl("border", "1px solid " + CssColor(skin.menuBorder)));
  s.Rule("menu menuitem, .menu menuitem, #menu-bar > menuitem, #menu-bar > menuitem label",
         Color(skin.menuText));
  s.Rule("menu menuitem:disabled, .menu menuitem:disabled, menu menuitem:disabled label",
         Color(skin.menuDisabledText));
  s.Rule("menu menuitem:hover, .menu menuitem:hover", CssPartImage(skin.menuItemHover, s.url()));
  s.Rule("menu separator, .menu separator",
         Decl("min-height", Px(std::max(skin.menuSeparatorWidth, 0))) +
             Decl("background-color", CssColor(skin.menuSeparator)) +
             Decl("border-bottom", "1px solid " + CssColor(skin.menuSeparatorShadow)));
}

void TabRules(Sheet& s, const SkinData& skin) {
  s.Rule("#tab-strip > header", PartOr(skin.tabBarBackground, skin.mainPanel, s.url()));
  s.Rule("#tab-strip > header:backdrop", CssPartImage(skin.tabBarInactiveBackground, s.url()));
  s.Rule("#tab-strip tab", CssPartImage(skin.tabNormal, s.url()));
  s.Rule("#tab-strip tab:hover", CssPartImage(skin.tabHover, s.url()));
  s.Rule("#tab-strip tab:checked", CssPartImage(skin.tabActive, s.url()));
  s.Rule("#tab-strip tab #tab-caption", Color(skin.tabNormalText));
  s.Rule("#tab-strip tab:hover #tab-caption", Color(skin.tabHoverText));
  s.Rule("#tab-strip tab:checked #tab-caption", Color(skin.tabActiveText));
  // The new-tab button: the skin's TabNew image in place of the theme's symbol.
  std::string tabNew = s.Image(skin.tabNew);
  if (!tabNew.empty()) {
    std::string size = Px(skin.tabNew->width) + " " + Px(skin.tabNew->height);
    s.Rule("#tab-new image", Decl("color", "transparent") + Decl("-gtk-icon-shadow", "none") +
                                 Decl("background-image", tabNew) + Decl("background-repeat", "no-repeat") +
                                 Decl("background-position", "center") + Decl("background-size", size) +
                                 Decl("min-width", Px(skin.tabNew->width)) +
                                 Decl("min-height", Px(skin.tabNew->height)));
    s.Rule("#tab-new:hover image", Decl("background-image", s.Image(skin.tabNewHover)));
  }
  std::string close = s.Image(skin.tabClose.image);
  if (!close.empty()) {
    s.Rule("#tab-close", Decl("background-image", close) + Decl("background-repeat", "no-repeat") +
                             Decl("background-position", "center") + Decl("border-color", "transparent"));
    s.Rule("#tab-close image", Decl("color", "transparent"));
    s.Rule("#tab-close:hover", Decl("background-image", s.Image(skin.tabClose.hover)));
  }
  s.Rule("#pane-side > header", PartOr(skin.sideTabBackgroundImage, skin.sideTabBackground, s.url()));
  s.Rule("#pane-side tab", CssPartImage(skin.sideTabNormal, s.url()));
  s.Rule("#pane-side tab:hover", CssPartImage(skin.sideTabHover, s.url()));
  s.Rule("#pane-side tab:checked", CssPartImage(skin.sideTabActive, s.url()));
  s.Rule("#pane-title", PartOr(skin.titleBackgroundImage, skin.titleBackground, s.url()));
  // The pane tabs' captions read on the title background, whatever its colours.
  if (!skin.titleBackgroundImage.image && skin.titleBackground)
    s.Rule("#pane-title", Decl("color", ReadableOn(*skin.titleBackground)));
  else
    s.Rule("#pane-title", Color(skin.tabNormalText));
  // The side tabs' 16-pixel icons.
  const bool gradient = skin.titleBackground && !skin.titleBackgroundImage.image;
  for (auto [id, icon] : {std::pair{kFavoritesPaneId, skin.favoritesIcon},
                          std::pair{kHistoryPaneId, skin.historyIcon}}) {
    std::string i = s.Image(icon);
    if (i.empty()) continue;
    s.Rule("#pane-title.pane-" + std::to_string(id),
           Decl("background-image", gradient ? i + ", " + CssGradient(*skin.titleBackground) : i) +
               Decl("background-repeat", gradient ? "no-repeat, no-repeat" : "no-repeat") +
               Decl("background-position", gradient ? "2px center, 0 0" : "2px center") +
               Decl("padding-left", "20px"));
  }
  s.Rule("#favorites-tree, #history-tree", Background(skin.treeCtrl));
  // The tree's background must not cover its selected row: the skin has no selection
  // colours of its own, so a selected row takes the theme's, readable on any skin.
  s.Rule("#favorites-tree:selected, #history-tree:selected",
         Decl("background-image", "none") + Decl("background-color", "@theme_selected_bg_color") +
             Decl("color", "@theme_selected_fg_color"));
}

void BoxRules(Sheet& s, const char* box, const PartImage& normal, const PartImage& hover,
              const SkinImagePtr& thumb, const SkinImagePtr& thumbHover, const SkinData& skin) {
  const std::string b = box;
  s.Rule(b + " entry", CssPartImage(normal, s.url()) + Color(skin.comboText));
  s.Rule(b + " entry:hover", CssPartImage(hover, s.url()));
  s.Rule(b + " entry:disabled", Color(skin.comboDisabledText));
  std::string t = s.Image(thumb);
  if (!t.empty()) {
    s.Rule(b + " button", Decl("background-image", t) + Decl("background-repeat", "no-repeat") +
                              Decl("background-position", "center"));
    s.Rule(b + " button:hover", Decl("background-image", s.Image(thumbHover)));
  }
}

}  // namespace

std::string CssGradient(const Gradient& g) {
  return "linear-gradient(to bottom, " + CssColor(g.start) + ", " + CssColor(g.end) + ")";
}

std::string CssPartImage(const PartImage& part, const SkinImageUrl& url) {
  if (!part.image || !url) return {};
  std::string u = url(part.image);
  if (u.empty()) return {};
  // Slices cannot be wider than the image.
  int start = std::clamp(part.startOffset, 0, part.image->width);
  int end = std::clamp(part.endOffset, 0, part.image->width - start);
  const char* repeat = part.mode == PartMode::Stretch ? "stretch" : "repeat";
  return Decl("background", "none") + Decl("border-style", "solid") +
         Decl("border-width", "0 " + Px(end) + " 0 " + Px(start)) +
         Decl("border-image", Quoted(u) + " 0 " + std::to_string(end) + " 0 " +
                                  std::to_string(start) + " " + repeat);
}

std::string SkinCss(const SkinData& skin, const SkinImageUrl& url) {
  Sheet s(url);
  s.Rule("#main-window", PartOr(skin.mainPanelImage, skin.mainPanel, url));
  std::string frame = s.Image(skin.frameImage);
  s.Rule("#skin-caption", frame.empty() ? Background(skin.mainPanel)
                                        : Decl("background-image", frame) +
                                              Decl("background-size", "100% 100%"));
  s.Rule("#skin-caption-title", Color(skin.captionText));
  s.Rule("#status-bar", PartOr(skin.statusBar, skin.mainPanel, url));
  s.Rule("#load-progress progress", CssPartImage(skin.progress, url));
  s.Rule("#address-box entry, #keyword-box entry", Decl("min-height", Px(std::max(skin.editHeight - 8, 0))));
  ToolbarRules(s, skin);
  MenuRules(s, skin);
  TabRules(s, skin);
  BoxRules(s, "#address-box", skin.addressNormal, skin.addressHover, skin.addressThumb,
           skin.addressThumbHover, skin);
  BoxRules(s, "#keyword-box", skin.searchNormal, skin.searchHover, skin.searchThumb,
           skin.searchThumbHover, skin);
  std::vector<int> ids;
  for (const auto& [key, image] : skin.commandIcons)
    if (key.second == IconState::Normal) ids.push_back(key.first);
  for (int id : ids) CommandIcon(s, skin, id);
  return s.text();
}

}  // namespace zel
