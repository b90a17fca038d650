#include "favorites/gtk/favorites_pane.h"

#include "base/commands.h"
#include "base/files.h"
#include "icons/site_icons.h"

namespace zel {

namespace {
// The cached icon of the site an entry points to, at 16x16; null when there is none.
Glib::RefPtr<Gdk::Pixbuf> SiteIconOf(const std::string& entry) {
  std::string file = CachedSiteIconFile(FavoriteUrl(entry));
  if (file.empty()) return {};
  try {
    return Gdk::Pixbuf::create_from_file(file, 16, 16, true);
  } catch (const Glib::Error&) {
    return {};  // not an image: the page icon stands
  }
}
}  // namespace

FavoritesPane::FavoritesPane(FavoritesController& controller, std::function<void(int)> runCommand)
    : Gtk::Box(Gtk::ORIENTATION_VERTICAL), controller_(controller), run_(std::move(runCommand)) {
  set_name("favorites-pane");
  struct Button {
    int id;
    const char* icon;
    const char* text;
  } buttons[] = {{cmd::kAddToFavorites, "bookmark-new-symbolic", "添加"},
                 {cmd::kOrganizeFavorites, "document-properties-symbolic", "整理"}};
  bar_.set_toolbar_style(Gtk::TOOLBAR_BOTH_HORIZ);
  bar_.set_icon_size(Gtk::ICON_SIZE_SMALL_TOOLBAR);
  for (const Button& b : buttons) {
    auto* item = Gtk::manage(new Gtk::ToolButton());
    item->set_name("command-" + std::to_string(b.id));
    item->set_icon_name(b.icon);
    item->set_label(b.text);
    item->set_is_important(true);
    int id = b.id;
    item->signal_clicked().connect([this, id] {
      if (run_) run_(id);
    });
    bar_.append(*item);
  }
  store_ = Gtk::TreeStore::create(columns_);
  tree_.set_name("favorites-tree");
  tree_.set_model(store_);
  tree_.set_headers_visible(false);
  tree_.set_tooltip_column(-1);
  auto* column = Gtk::manage(new Gtk::TreeViewColumn());
  auto* icon = Gtk::manage(new Gtk::CellRendererPixbuf());
  auto* text = Gtk::manage(new Gtk::CellRendererText());
  column->pack_start(*icon, false);
  column->pack_start(*text, true);
  // The skin's icon where it has one, else the theme's of that name.
  column->set_cell_data_func(*icon, [this, icon](Gtk::CellRenderer*, const Gtk::TreeModel::iterator& it) {
    Glib::RefPtr<Gdk::Pixbuf> site = (*it)[columns_.siteIcon];
    if (site) {
      icon->property_pixbuf() = site;
      return;
    }
    std::string name = Glib::ustring((*it)[columns_.icon]);
    auto skin = skinIcons_.find(name);
    if (skin != skinIcons_.end() && skin->second)
      icon->property_pixbuf() = skin->second;
    else
      icon->property_icon_name() = name;
  });
  column->add_attribute(text->property_text(), columns_.text);
  tree_.append_column(*column);
  // A folder fills when it is opened.
  tree_.signal_test_expand_row().connect(
      [this](const Gtk::TreeModel::iterator& it, const Gtk::TreeModel::Path&) {
        FillFolder(it);
        return false;
      },
      false);
  tree_.signal_row_expanded().connect(
      [this](const Gtk::TreeModel::iterator& it, const Gtk::TreeModel::Path&) {
        (*it)[columns_.icon] = "folder-open";
      });
  tree_.signal_row_collapsed().connect(
      [this](const Gtk::TreeModel::iterator& it, const Gtk::TreeModel::Path&) {
        (*it)[columns_.icon] = "folder";
      });
  tree_.signal_button_press_event().connect([this](GdkEventButton* e) { return OnPress(e); },
                                            false);
  // Enter (or Space) on an entry opens it; a double-click's activation does not, its first
  // press opened the entry already.
  tree_.signal_row_activated().connect(
      [this](const Gtk::TreeModel::Path& path, Gtk::TreeViewColumn*) {
        GdkEvent* e = gtk_get_current_event();
        bool pointer = e && (e->type == GDK_2BUTTON_PRESS || e->type == GDK_BUTTON_PRESS ||
                             e->type == GDK_BUTTON_RELEASE || e->type == GDK_3BUTTON_PRESS);
        if (e) gdk_event_free(e);
        auto it = store_->get_iter(path);
        if (!it) return;
        // A folder opens or closes, as in any tree.
        if ((*it)[columns_.folder]) {
          if (tree_.row_expanded(path)) tree_.collapse_row(path);
          else tree_.expand_row(path, false);
          return;
        }
        if (!pointer) controller_.OpenEntry((*it)[columns_.path]);
      });
  scroll_.set_policy(Gtk::POLICY_AUTOMATIC, Gtk::POLICY_AUTOMATIC);
  scroll_.add(tree_);
  pack_start(bar_, Gtk::PACK_SHRINK);
  pack_start(scroll_, Gtk::PACK_EXPAND_WIDGET);
  show_all_children();
  // The tree is read when the pane is first on screen.
  signal_map().connect([this] {
    if (!filled_) Reset();
  });
}

void FavoritesPane::SetTreeIcons(Glib::RefPtr<Gdk::Pixbuf> page,
                                 Glib::RefPtr<Gdk::Pixbuf> folderClosed,
                                 Glib::RefPtr<Gdk::Pixbuf> folderOpen) {
  skinIcons_ = {{"text-html", page}, {"folder", folderClosed}, {"folder-open", folderOpen}};
  tree_.queue_draw();
}

void FavoritesPane::Reset() {
  if (!get_mapped()) {
    filled_ = false;  // read again when next shown
    return;
  }
  filled_ = true;
  store_->clear();
  Fill(nullptr, controller_.Root());
}

void FavoritesPane::Fill(const Gtk::TreeModel::iterator* parent, const std::string& folder) {
  const std::string root = controller_.Root();
  u16 relative = RelativeFavoritesPath(root, folder);
  auto window = get_window();
  if (window) window->set_cursor(Gdk::Cursor::create(get_display(), Gdk::WATCH));
  for (const FavoriteItem& item : ListFavorites(root, relative, controller_.registry())) {
    Gtk::TreeModel::iterator it = parent ? store_->append((*parent)->children()) : store_->append();
    Gtk::TreeModel::Row row = *it;
    row[columns_.text] = ToUtf8(item.folder ? item.name : FavoriteDisplayName(item.name));
    row[columns_.icon] = item.folder ? "folder" : "text-html";
    row[columns_.path] = JoinPath(folder, ToUtf8(item.name));
    row[columns_.folder] = item.folder;
    row[columns_.filled] = false;
    if (!item.folder) row[columns_.siteIcon] = SiteIconOf(JoinPath(folder, ToUtf8(item.name)));
    // A folder shows its expander before its items are read.
    if (item.folder) store_->append(row.children());
  }
  if (window) window->set_cursor();
}

void FavoritesPane::FillFolder(const Gtk::TreeModel::iterator& it) {
  if ((*it)[columns_.filled]) return;
  (*it)[columns_.filled] = true;
  // The placeholder that gave the folder its expander goes.
  while (!it->children().empty()) store_->erase(it->children().begin());
  std::string path = (*it)[columns_.path];
  Fill(&it, path);
}

bool FavoritesPane::OnPress(GdkEventButton* e) {
  if (e->type != GDK_BUTTON_PRESS || e->button != 1) return false;
  Gtk::TreeModel::Path path;
  Gtk::TreeViewColumn* column = nullptr;
  int cx = 0, cy = 0;
  if (!tree_.get_path_at_pos(int(e->x), int(e->y), path, column, cx, cy)) return false;
  // The second press of a double-click on the entry just opened opens nothing more.
  int doubleClickMs = 400;
  if (auto settings = get_settings()) doubleClickMs = settings->property_gtk_double_click_time();
  const std::string key = path.to_string();
  const bool second = key == lastOpened_ && e->time - lastOpenTime_ <= guint32(doubleClickMs);
  auto it = store_->get_iter(path);
  if (!second && it && !(*it)[columns_.folder]) {
    lastOpened_ = key;
    lastOpenTime_ = e->time;
    controller_.OpenEntry((*it)[columns_.path]);
  }
  return false;  // the tree selects and opens as usual
}

}  // namespace zel
