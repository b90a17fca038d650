#include "frame/gtk/address_bar.h"

#include "base/commands.h"
#include "frame/gtk/shown_text.h"
#include "frame/gtk/tab_icons.h"
#include "platform/linux/combo_list.h"

namespace zel {

AddressBar::AddressBar() : Gtk::ComboBoxText(true), edit_(*get_entry()) {
  set_name("address-box");
  edit_.set_placeholder_text("地址");
  // However narrow the window, an address of 30 characters stays readable; the row gives
  // the box every other pixel it can spare.
  edit_.set_width_chars(30);
  // Before the box's own keys: Up, Down and Enter go to the suggestions while they show.
  SetUpSuggestions();
  edit_.signal_key_press_event().connect(sigc::mem_fun(*this, &AddressBar::OnKey), false);
  reopenBar_.set_name("address-bar-buttons");
  reopenBar_.set_toolbar_style(Gtk::TOOLBAR_ICONS);
  reopenBar_.set_icon_size(Gtk::ICON_SIZE_SMALL_TOOLBAR);
  reopen_.set_name("command-985");
  reopen_.set_icon_name("edit-undo");
  reopen_.set_label("恢复最近关闭的页面");
  reopen_.set_tooltip_text("恢复最近关闭的页面");
  reopen_.set_menu(closedMenu_);
  closedMenu_.set_name("closed-pages-menu");
  reopen_.set_sensitive(false);
  reopen_.signal_clicked().connect([this] {
    if (actions_.command) actions_.command(cmd::kReopenClosedPage);
  });
  reopenBar_.append(reopen_);
  edit_.signal_changed().connect([this] {
    if (settingText_ || fillingList_) return;
    edited_ = true;
    if (actions_.typing && edit_.has_focus()) actions_.typing(FromUtf8(edit_.get_text().raw()));
  });
  edit_.signal_focus_out_event().connect(
      [this](GdkEventFocus*) {
        edited_ = false;
        return false;
      },
      false);
  signal_changed().connect([this] {
    // A pick from the list (typing changes the text too, but selects no row).
    if (fillingList_ || !actions_.listChoice || get_active_row_number() < 0) return;
    edited_ = false;
    actions_.listChoice(FromUtf8(get_active_text().raw()));
  });
}

void AddressBar::SetAddressIcon(int icon) {
  edit_.set_icon_from_pixbuf(TabIcon(icon), Gtk::ENTRY_ICON_PRIMARY);
}

bool AddressBar::TakeEscape() {
  if (!edit_.is_focus()) return false;
  edited_ = false;
  if (actions_.escape) actions_.escape();
  return true;
}

bool AddressBar::OnKey(GdkEventKey* e) {
  if (e->keyval != GDK_KEY_Return && e->keyval != GDK_KEY_KP_Enter) return false;
  if (!actions_.enter) return true;
  ModifierState keys;
  keys.ctrl = e->state & GDK_CONTROL_MASK;
  keys.shift = e->state & GDK_SHIFT_MASK;
  keys.alt = e->state & GDK_MOD1_MASK;
  edited_ = false;
  actions_.enter(FromUtf8(edit_.get_text().raw()), keys);
  return true;
}

void AddressBar::SetAddressList(const std::vector<u16>& entries) {
  fillingList_ = true;
  std::string text = edit_.get_text();
  std::vector<std::string> rows;
  for (size_t i = 0; i < entries.size() && i < kMaxComboRows; ++i)
    rows.push_back(ShownText(entries[i]));
  FillComboList(*this, rows);
  if (edit_.get_text() != text) edit_.set_text(text);
  fillingList_ = false;
}

void AddressBar::ShowText(const std::string& text) {
  settingText_ = true;
  if (edit_.get_text() != text) edit_.set_text(text);
  settingText_ = false;
  if (edit_.is_focus()) edit_.select_region(0, -1);
}

void AddressBar::SetAddressText(u16view text) {
  if (edited_ && edit_.is_focus()) return;
  // A blank page has nothing to show: the box is left empty for typing.
  ShowText(text == u"about:blank" ? std::string() : ToUtf8(text));
}

void AddressBar::FocusAddressBox() {
  edit_.grab_focus();
  edit_.select_region(0, -1);
}

void AddressBar::PopupAddressList() { popup(); }

void AddressBar::SetClosedPages(const std::vector<ClosedMenuEntry>& newestFirst) {
  for (Gtk::Widget* item : closedMenu_.get_children()) {
    closedMenu_.remove(*item);
    delete item;
  }
  for (const ClosedMenuEntry& e : newestFirst) {
    auto* item = new Gtk::MenuItem(ShownText(e.title));
    item->set_name("command-" + std::to_string(e.command));
    int id = e.command;
    item->signal_activate().connect([this, id] {
      if (actions_.command) actions_.command(id);
    });
    closedMenu_.append(*item);
    item->show();
  }
  reopen_.set_sensitive(!newestFirst.empty());
}

void AddressBar::SetUpSuggestions() {
  suggestionRows_ = Gtk::ListStore::create(suggestionColumns_);
  suggestions_ = Gtk::EntryCompletion::create();
  suggestions_->set_model(suggestionRows_);
  // The rows are chosen by the controller: every row it gives is shown.
  suggestions_->set_match_func([](const Glib::ustring&, const Gtk::TreeModel::const_iterator&) {
    return true;
  });
  suggestions_->set_minimum_key_length(1);
  suggestions_->set_inline_completion(false);
  suggestions_->set_popup_set_width(true);
  suggestions_->set_popup_single_match(true);
  // The page's title, then its address in grey.
  auto* title = Gtk::manage(new Gtk::CellRendererText());
  title->property_ellipsize() = Pango::ELLIPSIZE_END;
  title->property_width_chars() = 14;
  suggestions_->pack_start(*title, false);
  suggestions_->add_attribute(title->property_text(), suggestionColumns_.title);
  auto* url = Gtk::manage(new Gtk::CellRendererText());
  url->property_ellipsize() = Pango::ELLIPSIZE_END;
  url->property_foreground() = "#6a6a6a";
  suggestions_->pack_start(*url, true);
  suggestions_->add_attribute(url->property_text(), suggestionColumns_.url);
  suggestions_->signal_match_selected().connect(
      [this](const Gtk::TreeModel::iterator& row) {
        std::string address = Glib::ustring((*row)[suggestionColumns_.url]).raw();
        ShowText(address);
        edited_ = false;
        suggestionRows_->clear();
        if (actions_.enter) actions_.enter(FromUtf8(address), ModifierState{});
        return true;
      },
      false);
  edit_.set_completion(suggestions_);
}

void AddressBar::ShowSuggestions(const std::vector<AddressSuggestion>& rows) {
  suggestionRows_->clear();
  for (const AddressSuggestion& s : rows) {
    auto row = *suggestionRows_->append();
    row[suggestionColumns_.url] = ShownText(s.url);
    row[suggestionColumns_.title] = ShownText(s.title);
  }
  // Shown (or gone) at once for what is in the box now.
  if (edit_.has_focus()) suggestions_->complete();
}

std::vector<std::string> AddressBar::ShownSuggestions() const {
  std::vector<std::string> out;
  for (const auto& row : suggestionRows_->children())
    out.push_back(Glib::ustring(row[suggestionColumns_.url]).raw());
  return out;
}

std::optional<AddressBarView::OpenChoice> AddressBar::AskOpenAddress(
    const std::vector<u16>& history) {
  Gtk::Dialog d("打开", true);
  if (auto* window = dynamic_cast<Gtk::Window*>(get_toplevel())) d.set_transient_for(*window);
  d.add_button("确定", Gtk::RESPONSE_OK);
  d.add_button("取消", Gtk::RESPONSE_CANCEL);
  d.set_default_response(Gtk::RESPONSE_OK);
  Gtk::Label prompt("请键入 Internet 地址或文件名, Zel浏览器将为您打开它.");
  prompt.set_xalign(0);
  Gtk::ComboBoxText combo(true);
  for (const auto& h : history) combo.append(ShownText(h));
  // Typing completes from the typed history.
  auto completion = Gtk::EntryCompletion::create();
  completion->set_model(combo.get_model());
  completion->set_text_column(0);
  completion->set_inline_completion(true);
  combo.get_entry()->set_completion(completion);
  combo.get_entry()->set_activates_default(true);
  Gtk::Button browse("浏览(_B)...", true);
  Gtk::CheckButton newTab("在新页面中打开");
  browse.signal_clicked().connect([&] {
    Gtk::FileChooserDialog chooser(d, "打开", Gtk::FILE_CHOOSER_ACTION_OPEN);
    chooser.add_button("取消", Gtk::RESPONSE_CANCEL);
    chooser.add_button("打开", Gtk::RESPONSE_OK);
    // "HTML 文件|*.htm;*.html|文本文件|*.txt|GIF 文件|*.gif|JPEG 文件|*.jpg;*.jpeg|AU 文件|*.au|
    //  AIFF 文件|*.aif;*.aiff|XBM 文件|*.xbm|所有文件|*.*||"
    const char* filters[][2] = {{"HTML 文件", "*.htm;*.html"}, {"文本文件", "*.txt"},
                                {"GIF 文件", "*.gif"},         {"JPEG 文件", "*.jpg;*.jpeg"},
                                {"AU 文件", "*.au"},           {"AIFF 文件", "*.aif;*.aiff"},
                                {"XBM 文件", "*.xbm"},         {"所有文件", "*"}};
    for (auto& f : filters) {
      auto filter = Gtk::FileFilter::create();
      filter->set_name(f[0]);
      std::string patterns = f[1];
      size_t start = 0;
      while (start <= patterns.size()) {
        size_t end = patterns.find(';', start);
        filter->add_pattern(patterns.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
      }
      chooser.add_filter(filter);
    }
    if (chooser.run() == Gtk::RESPONSE_OK) combo.get_entry()->set_text(chooser.get_filename());
  });
  Gtk::Box row(Gtk::ORIENTATION_HORIZONTAL, 6);
  row.pack_start(combo, Gtk::PACK_EXPAND_WIDGET);
  row.pack_start(browse, Gtk::PACK_SHRINK);
  auto* area = d.get_content_area();
  area->set_spacing(8);
  area->set_border_width(10);
  area->pack_start(prompt, Gtk::PACK_SHRINK);
  area->pack_start(row, Gtk::PACK_SHRINK);
  area->pack_start(newTab, Gtk::PACK_SHRINK);
  d.set_default_size(460, -1);
  d.show_all();
  if (d.run() != Gtk::RESPONSE_OK) return std::nullopt;
  return OpenChoice{FromUtf8(combo.get_entry()->get_text().raw()), newTab.get_active()};
}

}  // namespace zel
