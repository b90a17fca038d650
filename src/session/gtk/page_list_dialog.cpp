#include "session/gtk/page_list_dialog.h"

#include "base/commands.h"

namespace zel {

namespace {
// A row shows at most this much of a text.
std::string RowText(u16view text) {
  constexpr size_t kMax = 512;
  if (text.size() <= kMax) return ToUtf8(text);
  size_t n = kMax;
  if (text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
  return ToUtf8(text.substr(0, n)) + "…";
}

struct ButtonSpec {
  int id;
  const char* text;
};
constexpr ButtonSpec kButtons[] = {
    {cmd::kPageListCheckAll, "全部选中"},      {cmd::kPageListUncheckAll, "全部取消"},
    {cmd::kPageListEditAddress, "编辑地址..."}, {cmd::kPageListEditTitle, "编辑名称..."},
    {cmd::kPageListRemove, "删除"},            {cmd::kPageListRemoveChecked, "删除选中项"},
    {cmd::kPageListOpen, "打开"},              {cmd::kPageListOpenChecked, "打开选中项"},
};
}  // namespace

PageListDialog::PageListDialog(Gtk::Window& parent) : parent_(parent) {}

PageListDialog::~PageListDialog() {
  if (dialog_) dialog_->hide();
}

void PageListDialog::Build() {
  dialog_ = std::make_unique<Gtk::Dialog>("页面列表", parent_, true);
  dialog_->set_name("page-list");
  dialog_->set_default_size(720, 440);
  for (int t = 0; t < kPageListTabs; ++t) {
    Page& p = pages_[t];
    p.store = Gtk::ListStore::create(columns_);
    p.view.set_model(p.store);
    p.view.set_name("page-list-tab-" + std::to_string(t));
    auto* check = Gtk::manage(new Gtk::CellRendererToggle());
    int c = p.view.append_column("", *check) - 1;
    p.view.get_column(c)->add_attribute(check->property_active(), columns_.checked);
    check->signal_toggled().connect([this, t](const Glib::ustring& path) {
      Gtk::TreeModel::iterator it = pages_[t].store->get_iter(path);
      if (!it || !list_) return;
      bool on = !(*it)[columns_.checked];
      (*it)[columns_.checked] = on;
      list_->SetChecked(t, std::stoi(path.raw()), on);
    });
    // The name column shows the tab icon of an open tab before its title.
    auto* nameColumn = Gtk::manage(new Gtk::TreeViewColumn("名称"));
    nameColumn->pack_start(columns_.icon, false);
    nameColumn->pack_start(columns_.name, true);
    p.view.append_column(*nameColumn);
    p.view.append_column("地址", columns_.address);
    p.view.get_column(1)->set_fixed_width(200);
    p.view.get_column(1)->set_sizing(Gtk::TREE_VIEW_COLUMN_FIXED);
    p.view.get_column(1)->set_resizable(true);
    p.view.get_column(2)->set_expand(true);
    p.view.signal_row_activated().connect(
        [this, t](const Gtk::TreeModel::Path& path, Gtk::TreeViewColumn*) {
          if (!list_ || path.empty()) return;
          list_->Activate(t, path[0]);
          FillAll();
        });
    p.view.signal_button_press_event().connect(
        [this, t](GdkEventButton* e) {
          if (e->type != GDK_2BUTTON_PRESS || e->button != 3 || !list_) return false;
          Gtk::TreeModel::Path path;
          Gtk::TreeViewColumn* column = nullptr;
          int cx, cy;
          if (!pages_[t].view.get_path_at_pos(int(e->x), int(e->y), path, column, cx, cy) ||
              path.empty())
            return false;
          list_->EditByRightDoubleClick(t, path[0], column == pages_[t].view.get_column(2));
          Fill(t);
          return true;
        },
        false);
    p.scroll.add(p.view);
    p.scroll.set_policy(Gtk::POLICY_AUTOMATIC, Gtk::POLICY_AUTOMATIC);
    auto* label = Gtk::manage(new Gtk::Label(ToUtf8(kPageListTabCaptions[t])));
    notebook_.append_page(p.scroll, *label);
  }
  auto* buttons = Gtk::manage(new Gtk::ButtonBox(Gtk::ORIENTATION_HORIZONTAL));
  buttons->set_layout(Gtk::BUTTONBOX_START);
  buttons->set_spacing(4);
  for (const ButtonSpec& b : kButtons) {
    auto* button = Gtk::manage(new Gtk::Button(b.text));
    button->set_name("page-list-" + std::to_string(b.id));
    int id = b.id;
    button->signal_clicked().connect([this, id] { RunCommand(id); });
    buttons->pack_start(*button, Gtk::PACK_SHRINK);
  }
  offline_.set_name("page-list-" + std::to_string(cmd::kPageListOffline));
  offline_.signal_toggled().connect([this] {
    if (!filling_) RunCommand(cmd::kPageListOffline);
  });
  Gtk::Box* area = dialog_->get_content_area();
  area->set_spacing(6);
  area->pack_start(notebook_, Gtk::PACK_EXPAND_WIDGET);
  area->pack_start(*buttons, Gtk::PACK_SHRINK);
  area->pack_start(offline_, Gtk::PACK_SHRINK);
  dialog_->add_button("确定", Gtk::RESPONSE_OK)->set_name("page-list-ok");
  dialog_->add_button("取消", Gtk::RESPONSE_CANCEL)->set_name("page-list-cancel");
  dialog_->signal_response().connect([this](int response) {
    if (response == Gtk::RESPONSE_OK && list_) list_->Ok(CurrentTab());
    Finish();
  });
}

void PageListDialog::Show(std::unique_ptr<PageList> list, int firstTab) {
  if (!dialog_) Build();
  list_ = std::move(list);
  FillAll();
  filling_ = true;
  offline_.set_active(list_->offline());
  filling_ = false;
  dialog_->show_all();
  notebook_.set_current_page(firstTab < 0 ? 0 : firstTab >= kPageListTabs ? kPageListTabs - 1 : firstTab);
  dialog_->present();
}

void PageListDialog::Fill(int tab) {
  if (!list_) return;
  Page& p = pages_[tab];
  p.store->clear();
  for (const PageListItem& item : list_->Items(tab)) {
    Gtk::TreeModel::Row row = *p.store->append();
    row[columns_.checked] = item.checked;
    row[columns_.name] = RowText(item.title);
    row[columns_.address] = RowText(item.url);
    if (item.tab && icons_) row[columns_.icon] = icons_(item.icon);
  }
}

void PageListDialog::FillAll() {
  for (int t = 0; t < kPageListTabs; ++t) Fill(t);
}

int PageListDialog::CurrentTab() const { return notebook_.get_current_page(); }

int PageListDialog::SelectedRow(int tab) const {
  auto selection = const_cast<Gtk::TreeView&>(pages_[tab].view).get_selection();
  Gtk::TreeModel::iterator it = selection->get_selected();
  if (!it) return -1;
  Gtk::TreeModel::Path path = pages_[tab].store->get_path(it);
  return path.empty() ? -1 : path[0];
}

void PageListDialog::RunCommand(int id) {
  if (!list_) return;
  int tab = CurrentTab();
  if (tab < 0) return;
  bool close = list_->Command(tab, id, SelectedRow(tab));
  if (close) {
    Finish();
    return;
  }
  FillAll();
}

void PageListDialog::Finish() {
  if (dialog_) dialog_->hide();
  // The list goes after the handler that may still be using it has returned.
  if (list_)
    Glib::signal_idle().connect_once([moved = std::shared_ptr<PageList>(std::move(list_))] {});
}

}  // namespace zel
