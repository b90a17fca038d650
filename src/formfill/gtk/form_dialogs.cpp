#include "formfill/gtk/form_dialogs.h"

#include "base/mnemonic.h"
#include "formfill/form_manager.h"
#include "platform/prompt_port.h"

namespace zel {

namespace {

// "编辑数据(&E)" -> "编辑数据(_E)"
std::string Mnemonic(u16view text) { return ToUtf8(MnemonicToGtk(text)); }

bool Ask(Gtk::Window& parent, u16view text) {
  Gtk::MessageDialog m(parent, ToUtf8(text), false, Gtk::MESSAGE_QUESTION, Gtk::BUTTONS_NONE,
                       true);
  m.set_name("form-question");
  m.set_title(ToUtf8(kAppTitle));
  m.add_button("是", Gtk::RESPONSE_YES);
  m.add_button("否", Gtk::RESPONSE_NO);
  return m.run() == Gtk::RESPONSE_YES;
}

// Dialog 299: one line of text under its label.
std::optional<u16> EditText(Gtk::Window& parent, u16view initial) {
  Gtk::Dialog d(ToUtf8(kManagerCaption), parent, true);
  d.set_name("form-item-dialog");
  d.add_button("取消", Gtk::RESPONSE_CANCEL);
  d.add_button("确定", Gtk::RESPONSE_OK);
  d.set_default_response(Gtk::RESPONSE_OK);
  Gtk::Label label(ToUtf8(kEditItemLabel));
  label.set_xalign(0);
  Gtk::Entry entry;
  entry.set_name("form-item-text");
  entry.set_text(ToUtf8(initial));
  entry.set_activates_default(true);
  entry.set_width_chars(40);
  Gtk::Box* box = d.get_content_area();
  box->set_spacing(6);
  box->set_border_width(10);
  box->pack_start(label, false, false);
  box->pack_start(entry, false, false);
  d.show_all();
  if (d.run() != Gtk::RESPONSE_OK) return std::nullopt;
  return FromUtf8(entry.get_text().raw());
}

class ManagerDialog : public Gtk::Dialog {
 public:
  ManagerDialog(Gtk::Window& parent, FormManager& m)
      : Gtk::Dialog(ToUtf8(kManagerCaption), parent, true), m_(m) {
    set_name("form-manager");
    set_default_size(680, 420);
    add_button("取消", Gtk::RESPONSE_CANCEL);
    add_button("确定", Gtk::RESPONSE_OK);

    sectionModel_ = Gtk::ListStore::create(sectionCols_);
    sections_.set_model(sectionModel_);
    sections_.set_name("form-sections");
    sections_.append_column(ToUtf8(kAddressColumn), sectionCols_.name);
    itemModel_ = Gtk::ListStore::create(itemCols_);
    items_.set_model(itemModel_);
    items_.set_name("form-items");
    items_.append_column(ToUtf8(kNameColumn), itemCols_.name);
    items_.append_column(ToUtf8(kDataColumn), itemCols_.value);
    for (Gtk::TreeView* tree : {&sections_, &items_}) {
      tree->set_headers_clickable(true);
      for (int c = 0; c < int(tree->get_n_columns()); ++c) {
        Gtk::TreeViewColumn* col = tree->get_column(c);
        col->set_resizable(true);
        col->signal_clicked().connect([this, tree, c] { OnHeader(tree, c); });
      }
    }
    sections_.get_selection()->signal_changed().connect([this] { OnSectionChanged(); });
    items_.signal_row_activated().connect(
        [this](const Gtk::TreeModel::Path&, Gtk::TreeViewColumn*) { OnEdit(); });

    auto* left = Gtk::manage(new Gtk::ScrolledWindow());
    left->add(sections_);
    left->set_size_request(260, -1);
    auto* right = Gtk::manage(new Gtk::ScrolledWindow());
    right->add(items_);
    right->set_hexpand(true);
    right->set_vexpand(true);

    auto* buttons = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 4));
    auto button = [&](u16view text, const char* name, void (ManagerDialog::*act)()) {
      auto* b = Gtk::manage(new Gtk::Button(Mnemonic(text), true));
      b->set_name(name);
      b->signal_clicked().connect([this, act] { (this->*act)(); });
      buttons->pack_start(*b, false, false);
    };
    button(kEditButton, "form-edit", &ManagerDialog::OnEdit);
    button(kDeleteButton, "form-delete", &ManagerDialog::OnDelete);
    button(kDeleteAllButton, "form-delete-all", &ManagerDialog::OnDeleteAll);
    button(kMasterButton, "form-master-password", &ManagerDialog::OnMaster);
    button(kFillPasswordButton, "form-fill-password", &ManagerDialog::OnFillPassword);
    autoSubmit_.set_label(Mnemonic(kAutoSubmitCheck));
    autoSubmit_.set_use_underline(true);
    autoSubmit_.set_name("form-auto-submit");
    autoSubmit_.signal_toggled().connect([this] {
      if (!filling_) m_.SetAutoSubmit(autoSubmit_.get_active());
    });
    buttons->pack_start(autoSubmit_, false, false);

    encrypt_.set_label(ToUtf8(kEncryptCheck));
    encrypt_.set_name("form-encrypt");
    encrypt_.set_active(m_.encrypt);
    encrypt_.signal_toggled().connect([this] { m_.encrypt = encrypt_.get_active(); });

    auto* grid = Gtk::manage(new Gtk::Grid());
    grid->set_row_spacing(6);
    grid->set_column_spacing(8);
    grid->set_border_width(10);
    grid->attach(*left, 0, 0);
    grid->attach(*right, 1, 0);
    grid->attach(*buttons, 2, 0);
    grid->attach(encrypt_, 0, 1, 3, 1);
    get_content_area()->pack_start(*grid);
    FillSections();
    show_all();
  }

 private:
  struct SectionCols : Gtk::TreeModel::ColumnRecord {
    SectionCols() { add(name); }
    Gtk::TreeModelColumn<Glib::ustring> name;
  } sectionCols_;
  struct ItemCols : Gtk::TreeModel::ColumnRecord {
    ItemCols() {
      add(name);
      add(value);
    }
    Gtk::TreeModelColumn<Glib::ustring> name, value;
  } itemCols_;

  static int RowOf(Gtk::TreeView& tree) {
    auto it = tree.get_selection()->get_selected();
    if (!it) return -1;
    return tree.get_model()->get_path(it)[0];
  }

  void FillSections() {
    filling_ = true;
    sectionModel_->clear();
    for (const u16& s : m_.SectionNames()) (*sectionModel_->append())[sectionCols_.name] = ToUtf8(s);
    if (m_.selected() >= 0) {
      Gtk::TreeModel::Path p;
      p.push_back(m_.selected());
      sections_.get_selection()->select(p);
    }
    filling_ = false;
    FillItems();
  }
  void FillItems() {
    filling_ = true;
    itemModel_->clear();
    for (const ListedItem& i : m_.items()) {
      auto row = *itemModel_->append();
      row[itemCols_.name] = ToUtf8(i.name);
      row[itemCols_.value] = ToUtf8(i.value);
    }
    autoSubmit_.set_active(m_.autoSubmit());
    autoSubmit_.set_sensitive(m_.selected() >= 0);
    filling_ = false;
  }

  void OnHeader(Gtk::TreeView* tree, int column) {
    if (tree == &sections_) {
      m_.SortSections(column);
      FillSections();
    } else {
      m_.SortItems(column);
      FillItems();
    }
  }
  void OnSectionChanged() {
    if (filling_) return;
    m_.Select(RowOf(sections_));
    FillItems();
  }
  void OnEdit() {
    int row = RowOf(items_);
    if (row < 0) return;
    auto text = EditText(*this, m_.items()[size_t(row)].value);
    if (!text || !m_.EditItem(row, *text)) return;
    (*itemModel_->get_iter(Gtk::TreeModel::Path(std::to_string(row))))[itemCols_.value] =
        ToUtf8(*text);
  }
  void OnDelete() {
    if (m_.selected() < 0 || !m_.DeleteSection()) return;
    FillSections();
  }
  void OnDeleteAll() {
    if (!Ask(*this, kDeleteAllQuestion)) return;
    m_.DeleteAll();
    FillSections();
  }
  void OnMaster() {
    if (auto typed = AskFormPassword(*this)) m_.SetMasterPassword(*typed);
  }
  void OnFillPassword() {
    if (m_.selected() < 0) return;
    if (auto typed = AskFormPassword(*this)) m_.SetFillPassword(*typed);
  }

  FormManager& m_;
  bool filling_ = false;
  Glib::RefPtr<Gtk::ListStore> sectionModel_, itemModel_;
  Gtk::TreeView sections_, items_;
  Gtk::CheckButton autoSubmit_, encrypt_;
};

}  // namespace

std::optional<u16> AskFormPassword(Gtk::Window& parent) {
  Gtk::Dialog d(ToUtf8(kPasswordCaption), parent, true);
  d.set_name("form-password");
  d.add_button("取消", Gtk::RESPONSE_CANCEL);
  d.add_button("确定", Gtk::RESPONSE_OK);
  d.set_default_response(Gtk::RESPONSE_OK);
  Gtk::Label label(ToUtf8(kPasswordLabel));
  label.set_xalign(0);
  Gtk::Entry entry;
  entry.set_name("form-password-text");
  entry.set_visibility(false);
  entry.set_activates_default(true);
  Gtk::CheckButton remember(ToUtf8(kRememberPassword));
  remember.set_name("form-password-remember");
  Gtk::Box* box = d.get_content_area();
  box->set_spacing(6);
  box->set_border_width(10);
  box->pack_start(label, false, false);
  box->pack_start(entry, false, false);
  box->pack_start(remember, false, false);
  d.show_all();
  if (d.run() != Gtk::RESPONSE_OK) return std::nullopt;
  return FromUtf8(entry.get_text().raw());
}

std::optional<u16> FormDialogs::AskPassword() {
  if (!parent_) return std::nullopt;
  return AskFormPassword(*parent_);
}

bool FormDialogs::ShowManager(FormManager& manager) {
  if (!parent_) return false;
  ManagerDialog d(*parent_, manager);
  return d.run() == Gtk::RESPONSE_OK;
}

}  // namespace zel
