#include "favorites/gtk/favorites_dialogs.h"

#include <functional>
#include <memory>

#include "base/files.h"
#include "base/mnemonic.h"
#include "favorites/favorites_folder.h"
#include "favorites/organize.h"
#include "platform/linux/message_box.h"
#include "platform/prompt_port.h"

namespace zel {

namespace {

// A label of the tables with its "&" mnemonic, as GTK writes it.
std::string Label(const char16_t* text) { return ToUtf8(MnemonicToGtk(text)); }

// Every folder of the tree, as (shown text, path), the root first.
void CollectFolders(const std::string& root, const std::string& folder, int depth,
                    RegistryPort* registry, std::vector<std::pair<std::string, std::string>>& out) {
  if (depth > 32) return;
  for (const FavoriteItem& item : ListFavorites(root, RelativeFavoritesPath(root, folder), registry)) {
    if (!item.folder) continue;
    std::string path = JoinPath(folder, ToUtf8(item.name));
    out.emplace_back(std::string(size_t(depth + 1) * 2, ' ') + ToUtf8(item.name), path);
    CollectFolders(root, path, depth + 1, registry, out);
  }
}

// A folder picker over the tree.
class FolderChoice : public Gtk::ComboBoxText {
 public:
  FolderChoice(const std::string& root, RegistryPort* registry) {
    folders_.emplace_back("收藏夹", root);
    CollectFolders(root, root, 0, registry, folders_);
    for (const auto& f : folders_) append(f.first);
    set_active(0);
  }
  std::string Chosen() const {
    int i = get_active_row_number();
    return i >= 0 && size_t(i) < folders_.size() ? folders_[size_t(i)].second : folders_[0].second;
  }

 private:
  std::vector<std::pair<std::string, std::string>> folders_;
};

// Asks for a line of text; nothing when cancelled.
std::optional<std::string> AskText(Gtk::Window& parent, const char* title, const std::string& text) {
  Gtk::Dialog d(title, parent, true);
  d.set_name("favorites-name-dialog");
  Gtk::Entry entry;
  entry.set_name("favorites-name");
  entry.set_text(text);
  entry.set_activates_default(true);
  d.get_content_area()->pack_start(entry, Gtk::PACK_SHRINK);
  d.add_button("取消", Gtk::RESPONSE_CANCEL);
  d.add_button("确定", Gtk::RESPONSE_OK);
  d.set_default_response(Gtk::RESPONSE_OK);
  d.show_all();
  if (d.run() != Gtk::RESPONSE_OK) return std::nullopt;
  return entry.get_text().raw();
}

class OrganizeDialog : public Gtk::Dialog {
 public:
  OrganizeDialog(Gtk::Window& parent, const std::string& root, RegistryPort* registry)
      : Gtk::Dialog("整理收藏夹", parent, true), root_(root), registry_(registry) {
    set_name("favorites-organize-dialog");
    set_default_size(420, 420);
    store_ = Gtk::TreeStore::create(columns_);
    tree_.set_name("favorites-organize-tree");
    tree_.set_model(store_);
    tree_.set_headers_visible(false);
    tree_.append_column("", columns_.text);
    // Moves by dragging: an item dropped into a folder goes in it, before or after an item
    // goes beside it.
    std::vector<Gtk::TargetEntry> targets = {
        Gtk::TargetEntry("zel-favorite", Gtk::TARGET_SAME_WIDGET, 0)};
    tree_.enable_model_drag_source(targets, Gdk::BUTTON1_MASK, Gdk::ACTION_MOVE);
    tree_.enable_model_drag_dest(targets, Gdk::ACTION_MOVE);
    tree_.signal_drag_data_get().connect(
        [this](const Glib::RefPtr<Gdk::DragContext>&, Gtk::SelectionData& data, guint, guint) {
          std::string path = Selected();
          data.set("zel-favorite", 8, reinterpret_cast<const guint8*>(path.data()), int(path.size()));
        },
        false);
    tree_.signal_drag_data_received().connect(
        [this](const Glib::RefPtr<Gdk::DragContext>& ctx, int x, int y,
               const Gtk::SelectionData& data, guint, guint time) {
          std::string from = data.get_data_as_string();
          Gtk::TreeModel::Path dest;
          Gtk::TreeViewDropPosition pos;
          bool done = false;
          if (!from.empty() && tree_.get_dest_row_at_pos(x, y, dest, pos)) {
            Drop(from, dest, pos);
            done = true;
          }
          ctx->drag_finish(done, false, time);
          tree_.signal_drag_data_received().emission_stop();
        },
        false);
    auto* scroll = Gtk::manage(new Gtk::ScrolledWindow());
    scroll->add(tree_);
    auto* buttons = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 4));
    struct B {
      const char* name;
      const char16_t* text;
      std::function<void()> run;
    } rows[] = {
        {"favorites-new-folder", u"新建文件夹(&N)", [this] { NewFolder(); }},
        {"favorites-rename", u"重命名(&R)", [this] { Rename(); }},
        {"favorites-delete", u"删除(&D)", [this] { Delete(); }},
        {"favorites-up", u"上移(&U)", [this] { Shift(-1); }},
        {"favorites-down", u"下移(&W)", [this] { Shift(1); }},
    };
    for (auto& r : rows) {
      auto* b = Gtk::manage(new Gtk::Button(Label(r.text), true));
      b->set_name(r.name);
      b->signal_clicked().connect(r.run);
      buttons->pack_start(*b, Gtk::PACK_SHRINK);
    }
    auto* box = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 6));
    box->pack_start(*scroll, Gtk::PACK_EXPAND_WIDGET);
    box->pack_start(*buttons, Gtk::PACK_SHRINK);
    get_content_area()->pack_start(*box, Gtk::PACK_EXPAND_WIDGET);
    add_button("关闭", Gtk::RESPONSE_CLOSE);
    Reload();
    show_all();
  }

 private:
  struct Columns : Gtk::TreeModelColumnRecord {
    Columns() {
      add(text);
      add(path);
      add(folder);
    }
    Gtk::TreeModelColumn<Glib::ustring> text;
    Gtk::TreeModelColumn<std::string> path;
    Gtk::TreeModelColumn<bool> folder;
  };

  void Fill(const Gtk::TreeModel::iterator* parent, const std::string& folder, int depth) {
    for (const FavoriteItem& item :
         ListFavorites(root_, RelativeFavoritesPath(root_, folder), registry_)) {
      auto it = parent ? store_->append((*parent)->children()) : store_->append();
      std::string path = JoinPath(folder, ToUtf8(item.name));
      (*it)[columns_.text] = ToUtf8(item.folder ? item.name : FavoriteDisplayName(item.name));
      (*it)[columns_.path] = path;
      (*it)[columns_.folder] = item.folder;
      if (item.folder && depth < 32) Fill(&it, path, depth + 1);
    }
  }
  void Reload(const std::string& select = std::string()) {
    store_->clear();
    Fill(nullptr, root_, 0);
    tree_.expand_all();
    if (select.empty()) return;
    store_->foreach_iter([&](const Gtk::TreeModel::iterator& it) {
      if (std::string((*it)[columns_.path]) != select) return false;
      tree_.get_selection()->select(it);
      return true;
    });
  }
  std::string Selected() const {
    auto it = const_cast<Gtk::TreeView&>(tree_).get_selection()->get_selected();
    return it ? std::string((*it)[columns_.path]) : std::string();
  }
  // The folder new items go in: the selected folder, or the selected item's folder.
  std::string TargetFolder() const {
    auto it = const_cast<Gtk::TreeView&>(tree_).get_selection()->get_selected();
    if (!it) return root_;
    std::string path = (*it)[columns_.path];
    return (*it)[columns_.folder] ? path : DirName(path);
  }
  void NewFolder() {
    auto name = AskText(*this, "新建文件夹", "新建文件夹");
    if (!name) return;
    Reload(NewFavoritesFolder(root_, TargetFolder(), FromUtf8(*name), registry_));
  }
  void Rename() {
    auto it = tree_.get_selection()->get_selected();
    if (!it) return;
    std::string path = (*it)[columns_.path];
    auto name = AskText(*this, "重命名", Glib::ustring((*it)[columns_.text]).raw());
    if (!name) return;
    RenameFavorite(root_, path, FromUtf8(*name), registry_);
    Reload();
  }
  void Delete() {
    auto it = tree_.get_selection()->get_selected();
    if (!it) return;
    std::string path = (*it)[columns_.path];
    Glib::ustring text = (*it)[columns_.text];
    auto ask = MakeMessageBox(this, "确实要删除“" + text + "”吗?", ToUtf8(kAppTitle),
                              Gtk::MESSAGE_QUESTION, BoxButtons::YesNo);
    ask->set_name("favorites-delete-question");
    if (ask->run() != Gtk::RESPONSE_YES) return;
    DeleteFavorite(root_, path, registry_);
    Reload();
  }
  void Shift(int delta) {
    std::string path = Selected();
    if (path.empty()) return;
    ShiftFavorite(root_, path, delta, registry_);
    Reload(path);
  }
  void Drop(const std::string& from, const Gtk::TreeModel::Path& dest,
            Gtk::TreeViewDropPosition pos) {
    auto it = store_->get_iter(dest);
    if (!it) return;
    std::string target = (*it)[columns_.path];
    bool into = (*it)[columns_.folder] && (pos == Gtk::TREE_VIEW_DROP_INTO_OR_BEFORE ||
                                            pos == Gtk::TREE_VIEW_DROP_INTO_OR_AFTER);
    if (into) {
      MoveFavorite(root_, from, target, -1, registry_);
    } else {
      int index = dest.back() + (pos == Gtk::TREE_VIEW_DROP_AFTER ? 1 : 0);
      MoveFavorite(root_, from, DirName(target), index, registry_);
    }
    Reload();
  }

  std::string root_;
  RegistryPort* registry_;
  Columns columns_;
  Glib::RefPtr<Gtk::TreeStore> store_;
  Gtk::TreeView tree_;
};

}  // namespace

std::optional<FavoritesDialogsView::AddChoice> FavoritesDialogs::AskAdd(u16view title,
                                                                        const std::string& root) {
  if (!parent_) return std::nullopt;
  Gtk::Dialog d("添加到收藏夹", *parent_, true);
  d.set_name("favorites-add-dialog");
  auto* grid = Gtk::manage(new Gtk::Grid());
  grid->set_row_spacing(6);
  grid->set_column_spacing(6);
  grid->set_border_width(8);
  Gtk::Label nameLabel(Label(u"名称(&N):"), true), folderLabel(Label(u"创建到(&I):"), true);
  Gtk::Entry name;
  name.set_name("favorites-add-name");
  name.set_text(ToUtf8(title));
  name.set_activates_default(true);
  name.set_width_chars(40);
  FolderChoice folder(root, registry_);
  folder.set_name("favorites-add-folder");
  nameLabel.set_mnemonic_widget(name);
  folderLabel.set_mnemonic_widget(folder);
  grid->attach(nameLabel, 0, 0);
  grid->attach(name, 1, 0);
  grid->attach(folderLabel, 0, 1);
  grid->attach(folder, 1, 1);
  d.get_content_area()->pack_start(*grid, Gtk::PACK_EXPAND_WIDGET);
  d.add_button("取消", Gtk::RESPONSE_CANCEL);
  d.add_button("确定", Gtk::RESPONSE_OK);
  d.set_default_response(Gtk::RESPONSE_OK);
  d.show_all();
  if (d.run() != Gtk::RESPONSE_OK) return std::nullopt;
  AddChoice c;
  c.name = FromUtf8(name.get_text().raw());
  c.folder = folder.Chosen();
  return c;
}

void FavoritesDialogs::Organize(const std::string& root) {
  if (!parent_) return;
  OrganizeDialog d(*parent_, root, registry_);
  d.run();
}

std::optional<FavoritesDialogsView::Transfer> FavoritesDialogs::AskTransfer(
    const std::string& root) {
  if (!parent_) return std::nullopt;
  Gtk::Dialog d("导入导出收藏夹", *parent_, true);
  d.set_name("favorites-transfer-dialog");
  Gtk::RadioButton import(Label(u"从文件导入收藏(&I)"), true),
      exportTo(Label(u"导出收藏到文件(&E)"), true);
  exportTo.join_group(import);
  Gtk::Label intoLabel("导入到:");
  intoLabel.set_xalign(0);
  FolderChoice folder(root, registry_);
  auto* box = d.get_content_area();
  box->set_spacing(6);
  box->pack_start(import, Gtk::PACK_SHRINK);
  box->pack_start(intoLabel, Gtk::PACK_SHRINK);
  box->pack_start(folder, Gtk::PACK_SHRINK);
  box->pack_start(exportTo, Gtk::PACK_SHRINK);
  exportTo.signal_toggled().connect([&] { folder.set_sensitive(!exportTo.get_active()); });
  d.add_button("取消", Gtk::RESPONSE_CANCEL);
  d.add_button("下一步", Gtk::RESPONSE_OK);
  d.show_all();
  if (d.run() != Gtk::RESPONSE_OK) return std::nullopt;
  Transfer t;
  t.import = import.get_active();
  t.folder = folder.Chosen();
  d.hide();
  Gtk::FileChooserDialog files(*parent_, t.import ? "导入收藏" : "导出收藏",
                               t.import ? Gtk::FILE_CHOOSER_ACTION_OPEN
                                        : Gtk::FILE_CHOOSER_ACTION_SAVE);
  files.add_button("取消", Gtk::RESPONSE_CANCEL);
  files.add_button(t.import ? "导入" : "保存", Gtk::RESPONSE_OK);
  auto html = Gtk::FileFilter::create();
  html->set_name("书签文件 (*.htm, *.html)");
  html->add_pattern("*.htm");
  html->add_pattern("*.html");
  files.add_filter(html);
  if (!t.import) {
    files.set_do_overwrite_confirmation(true);
    files.set_current_name("bookmark.htm");
  }
  if (files.run() != Gtk::RESPONSE_OK) return std::nullopt;
  t.file = files.get_filename();
  return t;
}

void FavoritesDialogs::Tell(u16view text) {
  if (!parent_) return;
  RunMessageBox(parent_, ToUtf8(text), ToUtf8(kAppTitle), Gtk::MESSAGE_INFO, BoxButtons::Ok);
}

}  // namespace zel
