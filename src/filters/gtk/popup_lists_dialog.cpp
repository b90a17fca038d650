#include "filters/gtk/popup_lists_dialog.h"

namespace zel {

PopupListsDialog::~PopupListsDialog() = default;

void PopupListsDialog::ShowPopupLists(Actions actions) {
  actions_ = std::move(actions);
  if (!dialog_) Build();
  Fill();
  dialog_->show_all();
  dialog_->present();
}

void PopupListsDialog::Build() {
  dialog_ = std::make_unique<Gtk::Dialog>("弹出窗口过滤列表", false);
  dialog_->set_name("popup-lists");
  if (parent_) dialog_->set_transient_for(*parent_);
  dialog_->set_default_size(420, 360);
  dialog_->add_button("关闭", Gtk::RESPONSE_CLOSE);
  dialog_->signal_response().connect([this](int) { dialog_->hide(); });

  note_.set_text("这些网站打开的新窗口不被阻止 (网站地址包含其中一项即可):");
  note_.set_xalign(0);
  note_.set_line_wrap(true);
  columns_.add(site_);
  store_ = Gtk::ListStore::create(columns_);
  list_.set_model(store_);
  list_.append_column("网站", site_);
  list_.set_name("allowed-sites");
  scroll_.set_shadow_type(Gtk::SHADOW_IN);
  scroll_.set_policy(Gtk::POLICY_AUTOMATIC, Gtk::POLICY_AUTOMATIC);
  scroll_.add(list_);
  entry_.set_name("allowed-site-entry");
  entry_.set_placeholder_text("网站或地址, 例如 example.com");
  entry_.set_activates_default(false);
  add_.set_name("allowed-site-add");
  remove_.set_name("allowed-site-remove");
  row_.pack_start(entry_, Gtk::PACK_EXPAND_WIDGET);
  row_.pack_start(add_, Gtk::PACK_SHRINK);
  row_.pack_start(remove_, Gtk::PACK_SHRINK);
  sitesPage_.set_border_width(8);
  sitesPage_.pack_start(note_, Gtk::PACK_SHRINK);
  sitesPage_.pack_start(scroll_, Gtk::PACK_EXPAND_WIDGET);
  sitesPage_.pack_start(row_, Gtk::PACK_SHRINK);
  pages_.append_page(sitesPage_, "允许的网站");
  dialog_->get_content_area()->pack_start(pages_, Gtk::PACK_EXPAND_WIDGET);

  add_.signal_clicked().connect([this] { Add(); });
  entry_.signal_activate().connect([this] { Add(); });
  remove_.signal_clicked().connect([this] { Remove(); });
  auto selection = list_.get_selection();
  selection->signal_changed().connect(
      [this, selection] { remove_.set_sensitive(bool(selection->get_selected())); });
}

void PopupListsDialog::Fill() {
  store_->clear();
  if (actions_.sites)
    for (const u16& site : actions_.sites()) (*store_->append())[site_] = ToUtf8(site);
  remove_.set_sensitive(false);
}

void PopupListsDialog::Add() {
  std::string text = entry_.get_text();
  if (text.empty() || !actions_.add) return;
  if (!actions_.add(FromUtf8(text))) {
    entry_.grab_focus();
    return;  // no host in it: the text stays to be corrected
  }
  entry_.set_text("");
  Fill();
}

void PopupListsDialog::Remove() {
  auto it = list_.get_selection()->get_selected();
  if (!it || !actions_.remove) return;
  actions_.remove(FromUtf8(Glib::ustring((*it)[site_]).raw()));
  Fill();
}

}  // namespace zel
