#include "proxy/gtk/proxy_dialogs.h"

#include "platform/prompt_port.h"

namespace zel {

namespace {

void Tell(Gtk::Window& parent, u16view text) {
  Gtk::MessageDialog m(parent, ToUtf8(text), false, Gtk::MESSAGE_WARNING, Gtk::BUTTONS_NONE,
                       true);
  m.set_title(ToUtf8(kAppTitle));
  m.add_button("确定", Gtk::RESPONSE_OK);
  m.run();
}

bool Ask(Gtk::Window& parent, u16view text) {
  Gtk::MessageDialog m(parent, ToUtf8(text), false, Gtk::MESSAGE_QUESTION, Gtk::BUTTONS_NONE,
                       true);
  m.set_title(ToUtf8(kAppTitle));
  m.add_button("是", Gtk::RESPONSE_YES);
  m.add_button("否", Gtk::RESPONSE_NO);
  return m.run() == Gtk::RESPONSE_YES;
}

// "代理项目": name and address; both must be given.
bool EditEntry(Gtk::Window& parent, ProxyEntry& entry) {
  Gtk::Dialog d("代理项目", parent, true);
  d.set_name("proxy-entry-dialog");
  d.add_button("取消", Gtk::RESPONSE_CANCEL);
  d.add_button("确定", Gtk::RESPONSE_OK);
  d.set_default_response(Gtk::RESPONSE_OK);
  Gtk::Grid grid;
  grid.set_row_spacing(6);
  grid.set_column_spacing(8);
  grid.set_border_width(10);
  Gtk::Label nameLabel("代理名称:"), addressLabel("代理地址:");
  Gtk::Label hint("代理地址格式例如:http://127.0.0.1:80");
  Gtk::Entry name, address;
  name.set_name("proxy-entry-name");
  address.set_name("proxy-entry-address");
  name.set_text(ToUtf8(entry.alias));
  address.set_text(ToUtf8(entry.address));
  address.set_activates_default(true);
  name.set_hexpand(true);
  grid.attach(nameLabel, 0, 0);
  grid.attach(name, 1, 0);
  grid.attach(addressLabel, 0, 1);
  grid.attach(address, 1, 1);
  grid.attach(hint, 0, 2, 2, 1);
  d.get_content_area()->pack_start(grid);
  d.show_all();
  while (d.run() == Gtk::RESPONSE_OK) {
    u16 alias = FromUtf8(name.get_text().raw()), addr = FromUtf8(address.get_text().raw());
    if (auto problem = CheckProxyEntry(alias, addr)) {
      Tell(d, *problem);
      continue;
    }
    entry.alias = Trim(alias);
    entry.address = Trim(addr);
    return true;
  }
  return false;
}

class ProxyDialog : public Gtk::Dialog {
 public:
  ProxyDialog(Gtk::Window& parent, ProxyDialogState& s)
      : Gtk::Dialog("设置代理", parent, true), s_(s) {
    set_name("proxy-dialog");
    set_default_size(640, 420);
    add_button("取消", Gtk::RESPONSE_CANCEL);
    add_button("确定", Gtk::RESPONSE_OK);

    catModel_ = Gtk::ListStore::create(catCols_);
    categories_.set_model(catModel_);
    categories_.set_name("proxy-categories");
    categories_.set_headers_visible(false);
    auto* catColumn = Gtk::manage(new Gtk::TreeViewColumn());
    catColumn->pack_start(catCols_.icon, false);
    catColumn->pack_start(catCols_.name, true);
    categories_.append_column(*catColumn);

    entryModel_ = Gtk::ListStore::create(entryCols_);
    entries_.set_model(entryModel_);
    entries_.set_name("proxy-entries");
    entries_.append_column("名称", entryCols_.alias);
    entries_.append_column("地址", entryCols_.address);
    entries_.append_column("速度", entryCols_.speed);

    // An entry dragged onto another category moves there (Control: is copied).
    std::vector<Gtk::TargetEntry> targets = {
        Gtk::TargetEntry("ZEL_PROXY_ENTRY", Gtk::TARGET_SAME_APP)};
    entries_.drag_source_set(targets, Gdk::BUTTON1_MASK, Gdk::ACTION_MOVE | Gdk::ACTION_COPY);
    entries_.signal_drag_data_get().connect(
        [](const Glib::RefPtr<Gdk::DragContext>&, Gtk::SelectionData& data, guint, guint) {
          data.set("ZEL_PROXY_ENTRY", 8, reinterpret_cast<const guint8*>("e"), 1);
        });
    categories_.drag_dest_set(targets, Gtk::DEST_DEFAULT_DROP | Gtk::DEST_DEFAULT_HIGHLIGHT,
                              Gdk::ACTION_MOVE | Gdk::ACTION_COPY);
    // The pointer shows what the drop will do: a move, a copy only with Control.
    categories_.signal_drag_motion().connect(
        [this](const Glib::RefPtr<Gdk::DragContext>& ctx, int, int, guint time) {
          if (categories_.drag_dest_find_target(ctx).empty()) return false;
          ctx->drag_status(ctx->get_actions() & Gdk::ACTION_MOVE ? Gdk::ACTION_MOVE
                                                                 : Gdk::ACTION_COPY,
                           time);
          return true;
        },
        false);
    categories_.signal_drag_data_received().connect(
        [this](const Glib::RefPtr<Gdk::DragContext>& ctx, int x, int y, const Gtk::SelectionData&,
               guint, guint time) {
          // GTK offers a plain drag as a copy; the drag copies only when Control held at
          // the drop left copying as the one action it allows.
          OnDrop(x, y, !(ctx->get_actions() & Gdk::ACTION_MOVE));
          ctx->drag_finish(false, false, time);
        });

    categories_.get_selection()->signal_changed().connect([this] { OnCategoryChanged(); });
    entries_.get_selection()->signal_changed().connect([this] { OnEntryChanged(); });
    entries_.signal_row_activated().connect(
        [this](const Gtk::TreeModel::Path&, Gtk::TreeViewColumn*) { OnEdit(); });

    Gtk::ScrolledWindow* catScroll = Gtk::manage(new Gtk::ScrolledWindow());
    catScroll->add(categories_);
    catScroll->set_size_request(170, -1);
    Gtk::ScrolledWindow* entryScroll = Gtk::manage(new Gtk::ScrolledWindow());
    entryScroll->add(entries_);
    entryScroll->set_hexpand(true);
    entryScroll->set_vexpand(true);

    Gtk::Box* buttons = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 4));
    auto button = [&](const char* text, const char* name, void (ProxyDialog::*f)()) {
      auto* b = Gtk::manage(new Gtk::Button(text));
      b->set_name(name);
      b->signal_clicked().connect(sigc::mem_fun(*this, f));
      buttons->pack_start(*b, Gtk::PACK_SHRINK);
    };
    button("添加", "proxy-add", &ProxyDialog::OnAdd);
    button("编辑", "proxy-edit", &ProxyDialog::OnEdit);
    button("删除", "proxy-delete", &ProxyDialog::OnDelete);
    button("插入类别", "proxy-category-insert", &ProxyDialog::OnInsertCategory);
    button("删除类别", "proxy-category-delete", &ProxyDialog::OnDeleteCategory);

    Gtk::Box* lists = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 6));
    lists->pack_start(*catScroll, Gtk::PACK_SHRINK);
    lists->pack_start(*entryScroll, Gtk::PACK_EXPAND_WIDGET);
    lists->pack_start(*buttons, Gtk::PACK_SHRINK);

    enable_.set_label("启用代理服务");
    enable_.set_name("proxy-enable");
    enable_.set_active(s_.enable);
    bypassLabel_.set_text("以下地址不使用代理(用空格分开):");
    bypassLabel_.set_halign(Gtk::ALIGN_START);
    bypass_.set_name("proxy-bypass");
    bypass_.set_text(ToUtf8(s_.bypass));

    Gtk::Box* content = get_content_area();
    content->set_spacing(6);
    content->set_border_width(8);
    content->pack_start(*lists, Gtk::PACK_EXPAND_WIDGET);
    content->pack_start(enable_, Gtk::PACK_SHRINK);
    content->pack_start(bypassLabel_, Gtk::PACK_SHRINK);
    content->pack_start(bypass_, Gtk::PACK_SHRINK);

    FillCategories(InitialCategory());
    show_all();
  }

  // The edits the dialog keeps only on OK.
  void Collect() {
    ConfirmProxyChoice(s_, SelectedCategory(), SelectedEntry());
    s_.enable = enable_.get_active();
    s_.bypass = FromUtf8(bypass_.get_text().raw());
  }

 private:
  struct CategoryColumns : Gtk::TreeModel::ColumnRecord {
    CategoryColumns() { add(icon), add(name); }
    Gtk::TreeModelColumn<Glib::RefPtr<Gdk::Pixbuf>> icon;
    Gtk::TreeModelColumn<Glib::ustring> name;
  };
  struct EntryColumns : Gtk::TreeModel::ColumnRecord {
    EntryColumns() { add(alias), add(address), add(speed); }
    Gtk::TreeModelColumn<Glib::ustring> alias, address, speed;
  };

  int InitialCategory() const {
    int k = s_.chosen.empty() ? -1 : s_.list.CategoryOf(s_.chosen);
    if (k < 0) k = s_.list.BypassCategory();
    return k < 0 ? 0 : k;
  }

  int SelectedCategory() {
    auto it = categories_.get_selection()->get_selected();
    if (!it) return -1;
    return catModel_->get_path(it)[0];
  }
  int SelectedEntry() {
    auto it = entries_.get_selection()->get_selected();
    if (!it) return -1;
    return entryModel_->get_path(it)[0];
  }

  void FillCategories(int select) {
    filling_ = true;
    catModel_->clear();
    auto theme = Gtk::IconTheme::get_default();
    auto icon = [&theme](const char* name) -> Glib::RefPtr<Gdk::Pixbuf> {
      try {
        return theme->load_icon(name, 16, Gtk::ICON_LOOKUP_FORCE_SIZE);
      } catch (const Glib::Error&) {
        return {};
      }
    };
    Glib::RefPtr<Gdk::Pixbuf> server = icon("network-server"), web = icon("web-browser");
    for (const auto& c : s_.list.categories) {
      auto row = *catModel_->append();
      row[catCols_.icon] = c.web() ? web : server;
      row[catCols_.name] = ToUtf8(c.name);
    }
    filling_ = false;
    if (select >= 0 && size_t(select) < s_.list.categories.size())
      categories_.get_selection()->select(Gtk::TreePath(std::to_string(select)));
    else
      FillEntries(-1);
  }

  void FillEntries(int select) {
    filling_ = true;
    entryModel_->clear();
    int k = SelectedCategory();
    if (k >= 0) {
      const auto& c = s_.list.categories[size_t(k)];
      for (size_t i = 0; i < c.entries.size(); ++i) {
        auto row = *entryModel_->append();
        row[entryCols_.alias] = ToUtf8(c.entries[i].alias);
        row[entryCols_.address] = ToUtf8(c.entries[i].address);
        row[entryCols_.speed] = ToUtf8(SpeedText(c.entries[i].speed));
        const u16& current = c.web() ? s_.webTemplate : s_.chosen;
        if (select < 0 && !current.empty() && EqualsNoCase(c.entries[i].address, current))
          select = int(i);
      }
    }
    filling_ = false;
    if (select >= 0 && k >= 0 && size_t(select) < s_.list.categories[size_t(k)].entries.size())
      entries_.get_selection()->select(Gtk::TreePath(std::to_string(select)));
  }

  void OnCategoryChanged() {
    if (!filling_) FillEntries(-1);
  }
  void OnEntryChanged() {
    if (filling_) return;
    SelectProxyEntry(s_, SelectedCategory(), SelectedEntry());
  }
  void OnAdd() {
    int k = SelectedCategory();
    if (k < 0) return;
    ProxyEntry e;
    if (!EditEntry(*this, e)) return;
    FillEntries(AddProxyEntry(s_, k, SelectedEntry(), std::move(e)));
  }
  void OnEdit() {
    int k = SelectedCategory(), i = SelectedEntry();
    if (k < 0 || i < 0) return;
    ProxyEntry e = s_.list.categories[size_t(k)].entries[size_t(i)];
    if (!EditEntry(*this, e)) return;
    s_.list.categories[size_t(k)].entries[size_t(i)] = std::move(e);
    FillEntries(i);
  }
  void OnDelete() {
    int k = SelectedCategory(), i = SelectedEntry();
    if (k < 0 || i < 0) return;
    auto& entries = s_.list.categories[size_t(k)].entries;
    entries.erase(entries.begin() + i);
    FillEntries(-1);
  }
  void OnInsertCategory() { FillCategories(InsertProxyCategory(s_, SelectedCategory())); }
  void OnDeleteCategory() {
    int k = SelectedCategory();
    if (k < 0 || !Ask(*this, kAskDeleteCategory)) return;
    FillCategories(DeleteProxyCategory(s_, k));
  }
  void OnDrop(int x, int y, bool copy) {
    int from = SelectedCategory(), entry = SelectedEntry();
    int bx = 0, by = 0;
    categories_.convert_widget_to_bin_window_coords(x, y, bx, by);
    Gtk::TreeModel::Path path;
    Gtk::TreeViewColumn* column = nullptr;
    int cx = 0, cy = 0;
    if (from < 0 || entry < 0 || !categories_.get_path_at_pos(bx, by, path, column, cx, cy))
      return;
    int to = path[0];
    if (to == from) return;
    if (s_.list.categories[size_t(from)].type != s_.list.categories[size_t(to)].type) {
      Tell(*this, kCannotMoveProxy);
      return;
    }
    MoveProxyEntry(s_, from, entry, to, copy);
    FillEntries(-1);
  }

  ProxyDialogState& s_;
  CategoryColumns catCols_;
  EntryColumns entryCols_;
  Glib::RefPtr<Gtk::ListStore> catModel_, entryModel_;
  Gtk::TreeView categories_, entries_;
  Gtk::CheckButton enable_;
  Gtk::Label bypassLabel_;
  Gtk::Entry bypass_;
  bool filling_ = false;
};

}  // namespace

bool ProxyDialogs::EditProxies(ProxyDialogState& state) {
  if (!parent_) return false;
  ProxyDialogState edited = state;
  ProxyDialog d(*parent_, edited);
  if (d.run() != Gtk::RESPONSE_OK) return false;
  d.Collect();
  state = std::move(edited);
  return true;
}

std::optional<ProxyDialogsView::Scheme> ProxyDialogs::AskScheme(const std::vector<u16>& names,
                                                                bool import) {
  if (!parent_) return std::nullopt;
  Gtk::Dialog d("输入代理方案", *parent_, true);
  d.set_name("proxy-scheme-dialog");
  d.add_button("取消", Gtk::RESPONSE_CANCEL);
  d.add_button("确定", Gtk::RESPONSE_OK);
  d.set_default_response(Gtk::RESPONSE_OK);
  Gtk::ComboBoxText combo(true);
  combo.set_name("proxy-scheme");
  for (const u16& n : names) combo.append(ToUtf8(n));
  if (!names.empty()) combo.set_active(0);
  Gtk::CheckButton clear("清除方案");
  clear.set_name("proxy-scheme-clear");
  Gtk::Box* content = d.get_content_area();
  content->set_border_width(10);
  content->set_spacing(6);
  content->pack_start(combo, Gtk::PACK_SHRINK);
  if (import) content->pack_start(clear, Gtk::PACK_SHRINK);
  d.show_all();
  if (d.run() != Gtk::RESPONSE_OK) return std::nullopt;
  Scheme s;
  s.typed = Trim(FromUtf8(combo.get_entry_text().raw()));
  s.clear = import && clear.get_active();
  // Typed text that names a category picks it.
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == s.typed) s.index = int(i);
  return s;
}

std::optional<u16> ProxyDialogs::AskOpenFile(u16view filter) {
  Gtk::FileChooserDialog d("打开", Gtk::FILE_CHOOSER_ACTION_OPEN);
  d.set_name("proxy-import-chooser");
  if (parent_) d.set_transient_for(*parent_);
  d.add_button("取消", Gtk::RESPONSE_CANCEL);
  d.add_button("打开", Gtk::RESPONSE_OK);
  d.set_default_response(Gtk::RESPONSE_OK);
  std::vector<u16> parts = Split(filter, u'|');
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty()) break;
    auto f = Gtk::FileFilter::create();
    f->set_name(ToUtf8(parts[i]));
    for (const u16& pattern : Split(parts[i + 1], u';')) f->add_pattern(ToUtf8(pattern));
    d.add_filter(f);
  }
  if (d.run() != Gtk::RESPONSE_OK) return std::nullopt;
  std::string path = d.get_filename();
  if (path.empty()) return std::nullopt;
  return FromUtf8(path);
}

}  // namespace zel
