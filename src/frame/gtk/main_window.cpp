#include "frame/gtk/main_window.h"

#include <algorithm>

#include "view/child_frame.h"
#include "frame/gtk/tab_icons.h"
#include "base/commands.h"
#include "filters/filters_controller.h"
#include "frame/address_box.h"
#include "frame/main_frame.h"
#include "search/search_controller.h"
#include "platform/prompt_port.h"

namespace zel {

struct MainWindow::Entry {
  Gtk::Box page;  // the strip's (empty) page for this entry
  Gtk::EventBox label;
  Gtk::Box row{Gtk::ORIENTATION_HORIZONTAL, 4};
  Gtk::Image icon;
  Gtk::Label text;
  Gtk::Button close;
  CChildFrame* child = nullptr;
};

namespace {
// What a window title or a tab shows of a text: a page's megabyte title would only cost the
// layout seconds for nothing anyone can read.
std::string Shown(u16view text) {
  constexpr size_t kMax = 512;
  if (text.size() <= kMax) return ToUtf8(text);
  size_t n = kMax;
  if (text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
  return ToUtf8(text.substr(0, n)) + "…";
}
}  // namespace

struct MainWindow::Page {
  Gtk::Box box{Gtk::ORIENTATION_VERTICAL};
  Gtk::InfoBar bar;
  Gtk::Label text;
};

bool ParseKey(u16view key, guint* keyval, Gdk::ModifierType* mods) {
  *mods = Gdk::ModifierType(0);
  std::vector<u16> parts = Split(key, u'+');
  if (parts.empty()) return false;
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    if (parts[i] == u"Ctrl") *mods |= Gdk::CONTROL_MASK;
    else if (parts[i] == u"Shift") *mods |= Gdk::SHIFT_MASK;
    else if (parts[i] == u"Alt") *mods |= Gdk::MOD1_MASK;
    else return false;
  }
  std::string name = ToUtf8(parts.back());
  static const std::map<std::string, std::string> names = {
      {"PgDn", "Page_Down"}, {"PgUp", "Page_Up"}, {"Esc", "Escape"},
      {"Enter", "Return"},   {"Del", "Delete"},   {"Ins", "Insert"},
  };
  if (auto it = names.find(name); it != names.end()) name = it->second;
  if (name.size() == 1) name = std::string(1, char(std::tolower(name[0])));
  guint kv = gdk_keyval_from_name(name.c_str());
  if (kv == GDK_KEY_VoidSymbol || kv == 0) return false;
  *keyval = kv;
  return true;
}

MainWindow::MainWindow() : address_(*addressBox_.get_entry()) {
  set_title(ToUtf8(kAppTitle));
  strip_.set_scrollable(true);
  strip_.set_show_border(false);
  strip_.set_vexpand(false);
  strip_.signal_switch_page().connect([this](Gtk::Widget*, guint) {
    if (!selecting_ && frame_) frame_->PostMessage(5127);
  });
  pages_.set_vexpand(true);
  pages_.set_hexpand(true);
  BuildStandardBar();
  address_.set_placeholder_text("地址");
  address_.signal_key_press_event().connect(sigc::mem_fun(*this, &MainWindow::OnAddressKey),
                                            false);
  addressBox_.signal_changed().connect([this] {
    // A pick from the list (typing changes the text too, but selects no row).
    if (fillingAddressList_ || !frame_ || addressBox_.get_active_row_number() < 0) return;
    frame_->controller<AddressBoxController>().OnAddressListChoice(FromUtf8(addressBox_.get_active_text().raw()));
  });
  bars_.pack_start(standard_, Gtk::PACK_SHRINK);
  bars_.pack_start(addressBox_, Gtk::PACK_EXPAND_WIDGET);
  BuildSearchBar();
  bars_.set_spacing(4);
  progress_.set_size_request(120, -1);
  progress_.set_valign(Gtk::ALIGN_CENTER);
  progress_.set_no_show_all(true);
  secure_.set_from_icon_name("channel-secure-symbolic", Gtk::ICON_SIZE_MENU);
  secure_.set_tooltip_text("安全连接");
  secure_.set_no_show_all(true);
  statusRow_.pack_start(status_, Gtk::PACK_EXPAND_WIDGET);
  statusRow_.pack_start(secure_, Gtk::PACK_SHRINK);
  statusRow_.pack_start(progress_, Gtk::PACK_SHRINK);
  box_.pack_start(menuBar_, Gtk::PACK_SHRINK);
  box_.pack_start(bars_, Gtk::PACK_SHRINK);
  box_.pack_start(strip_, Gtk::PACK_SHRINK);
  box_.pack_start(pages_, Gtk::PACK_EXPAND_WIDGET);
  box_.pack_start(statusRow_, Gtk::PACK_SHRINK);
  add(box_);
  box_.show_all();
  signal_key_press_event().connect(sigc::mem_fun(*this, &MainWindow::OnKey), false);
}

MainWindow::~MainWindow() {
  pendingTabMenu_.disconnect();
  // Entries leave the strip before their widgets go.
  selecting_ = true;
  while (strip_.get_n_pages() > 0) strip_.remove_page(0);
  entries_.clear();
  while (!pageHosts_.empty()) RemoveChildView(pageHosts_.begin()->first);
}

void MainWindow::BuildStandardBar() {
  struct Button {
    int id;
    const char* icon;
    const char* text;
  } buttons[] = {
      {817, "go-previous", "后退"},  {818, "go-next", "前进"},  {809, "view-refresh", "刷新"},
      {808, "process-stop", "停止"}, {819, "go-home", "主页"},
  };
  standard_.set_toolbar_style(Gtk::TOOLBAR_ICONS);
  standard_.set_icon_size(Gtk::ICON_SIZE_SMALL_TOOLBAR);
  for (const auto& b : buttons) {
    auto* item = Gtk::manage(new Gtk::ToolButton());
    item->set_icon_name(b.icon);
    item->set_label(b.text);
    item->set_tooltip_text(b.text);
    int id = b.id;
    item->signal_clicked().connect([this, id] {
      if (frame_) frame_->OnCommand(id);
    });
    standard_.append(*item);
    standardButtons_[id] = item;
  }
}

Gtk::ToolButton* MainWindow::StandardButton(int id) const {
  auto it = standardButtons_.find(id);
  return it == standardButtons_.end() ? nullptr : it->second;
}

bool MainWindow::OnAddressKey(GdkEventKey* e) {
  if (e->keyval != GDK_KEY_Return && e->keyval != GDK_KEY_KP_Enter) return false;
  EnterAddress(address_.get_text(), GdkModifierType(e->state));
  return true;
}

void MainWindow::EnterAddress(const std::string& text, GdkModifierType mods) {
  if (!frame_) return;
  ModifierState keys;
  keys.ctrl = mods & GDK_CONTROL_MASK;
  keys.shift = mods & GDK_SHIFT_MASK;
  keys.alt = mods & GDK_MOD1_MASK;
  frame_->controller<AddressBoxController>().OnAddressEnter(FromUtf8(text), keys);
}

void MainWindow::BuildSearchBar() {
  keywordBox_.get_entry()->set_placeholder_text("搜索");
  keywordBox_.get_entry()->set_width_chars(16);
  keywordBox_.get_entry()->signal_key_press_event().connect(
      sigc::mem_fun(*this, &MainWindow::OnKeywordKey), false);
  engineFace_.pack_start(engineIcon_, Gtk::PACK_SHRINK);
  engineFace_.pack_start(engineLabel_, Gtk::PACK_SHRINK);
  engineButton_.add(engineFace_);
  engineButton_.set_relief(Gtk::RELIEF_NONE);
  engineButton_.set_tooltip_text("选择搜索引擎");
  searchButton_.signal_clicked().connect([this] {
    if (!frame_) return;
    frame_->controller<SearchController>().searchTarget = 1;
    frame_->OnCommand(1242);
  });
  bars_.pack_start(engineButton_, Gtk::PACK_SHRINK);
  bars_.pack_start(keywordBox_, Gtk::PACK_SHRINK);
  bars_.pack_start(searchButton_, Gtk::PACK_SHRINK);
}

bool MainWindow::OnKeywordKey(GdkEventKey* e) {
  if (e->keyval != GDK_KEY_Return && e->keyval != GDK_KEY_KP_Enter) return false;
  EnterSearch(keywordBox_.get_entry()->get_text(), GdkModifierType(e->state));
  return true;
}

void MainWindow::EnterSearch(const std::string& text, GdkModifierType mods) {
  if (!frame_) return;
  keywordBox_.get_entry()->set_text(text);
  bool ctrl = mods & GDK_CONTROL_MASK, shift = mods & GDK_SHIFT_MASK;
  // Enter searches the web; Ctrl or Shift+Enter finds in the page, both highlight.
  frame_->controller<SearchController>().searchTarget = ctrl && shift ? 4 : (ctrl || shift) ? 2 : 1;
  frame_->OnCommand(1242);
}

u16 MainWindow::SearchBoxText() const {
  return FromUtf8(const_cast<Gtk::ComboBoxText&>(keywordBox_).get_entry()->get_text().raw());
}

void MainWindow::SetSearchBoxText(u16view text) { keywordBox_.get_entry()->set_text(ToUtf8(text)); }

void MainWindow::SetKeywordList(const std::vector<u16>& keywords) {
  std::string text = keywordBox_.get_entry()->get_text();
  keywordBox_.remove_all();
  for (const auto& k : keywords) keywordBox_.append(Shown(k));
  keywordBox_.get_entry()->set_text(text);
}

void MainWindow::SetEngineMenu(const EngineMenu& menu) {
  engineMenu_ = std::make_unique<Gtk::Menu>();
  engineIcon_.clear();
  engineLabel_.set_text("搜索引擎");
  for (size_t i = 0; i < menu.items.size(); ++i) {
    const EngineMenuItem& item = menu.items[i];
    auto* row = Gtk::manage(new Gtk::MenuItem());
    auto* box = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 6));
    Glib::RefPtr<Gdk::Pixbuf> icon;
    if (!item.iconPath.empty()) {
      try {
        icon = Gdk::Pixbuf::create_from_file(item.iconPath, 16, 16, true);
      } catch (const Glib::Error&) {
        // An icon that does not load leaves the item without an image.
      }
    }
    if (icon) box->pack_start(*Gtk::manage(new Gtk::Image(icon)), Gtk::PACK_SHRINK);
    box->pack_start(*Gtk::manage(new Gtk::Label(ToUtf8(item.title))), Gtk::PACK_SHRINK);
    row->add(*box);
    int id = item.id;
    row->signal_activate().connect([this, id] {
      if (frame_) frame_->OnCommand(id);
    });
    engineMenu_->append(*row);
    if (int(i) == menu.currentItem) {
      if (icon) engineIcon_.set(icon);
      engineLabel_.set_text(ToUtf8(item.title));
    }
  }
  engineMenu_->show_all();
  engineButton_.set_popup(*engineMenu_);
  engineFace_.show_all();
}

void MainWindow::FocusSearchBox() { keywordBox_.get_entry()->grab_focus(); }

bool MainWindow::SearchBoxHasFocus() const {
  return const_cast<Gtk::ComboBoxText&>(keywordBox_).get_entry()->has_focus();
}

void MainWindow::PopupAddressList() { addressBox_.popup(); }

std::optional<AddressBarView::OpenChoice> MainWindow::AskOpenAddress(
    const std::vector<u16>& history) {
  Gtk::Dialog d("打开", *this, true);
  d.add_button("确定", Gtk::RESPONSE_OK);
  d.add_button("取消", Gtk::RESPONSE_CANCEL);
  d.set_default_response(Gtk::RESPONSE_OK);
  Gtk::Label prompt("请键入 Internet 地址或文件名, Zel浏览器将为您打开它.");
  prompt.set_xalign(0);
  Gtk::ComboBoxText combo(true);
  for (const auto& h : history) combo.append(Shown(h));
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

void MainWindow::SetAddressList(const std::vector<u16>& entries) {
  fillingAddressList_ = true;
  std::string text = address_.get_text();
  addressBox_.remove_all();
  for (const auto& e : entries) addressBox_.append(Shown(e));
  address_.set_text(text);
  fillingAddressList_ = false;
}

void MainWindow::SetAddressText(u16view text) {
  std::string t = ToUtf8(text);
  if (address_.get_text() != t) address_.set_text(t);
}

void MainWindow::FocusAddressBox() {
  address_.grab_focus();
  address_.select_region(0, -1);
}

void MainWindow::SetProgress(int percentage) {
  if (percentage < 0) {
    progress_.hide();
    return;
  }
  progress_.set_fraction(std::min(percentage, 100) / 100.0);
  progress_.show();
}

void MainWindow::SetSecureIndicator(bool secure) {
  if (secure)
    secure_.show();
  else
    secure_.hide();
}

PagePointer MainWindow::PointerInPage(CChildFrame* child) const {
  PagePointer p;
  GtkWidget* w = PageWidget(child);
  GdkWindow* win = w ? gtk_widget_get_window(w) : nullptr;
  if (!win) return p;
  GdkDisplay* d = gtk_widget_get_display(w);
  GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(d));
  int x = 0, y = 0;
  gdk_window_get_device_position(win, pointer, &x, &y, nullptr);
  GtkAllocation a;
  gtk_widget_get_allocation(w, &a);
  // The right margin holds the scroll bar, the bottom margin the horizontal one.
  const int margin = 16;
  p.height = a.height - margin;
  p.y = y;
  p.inside = x >= 0 && y >= 0 && x < a.width - margin && y < a.height - margin;
  return p;
}

int MainWindow::PageHeight(CChildFrame* child) const {
  GtkWidget* w = PageWidget(child);
  return w ? gtk_widget_get_allocated_height(w) : 0;
}

Gtk::MenuItem* MainWindow::MakeItem(const MenuItem& item) {
  if (item.IsSeparator()) return Gtk::manage(new Gtk::SeparatorMenuItem());
  std::string label = ToUtf8(MnemonicToGtk(item.text));
  Gtk::MenuItem* mi = item.check ? Gtk::manage(new Gtk::CheckMenuItem(label, true))
                                 : Gtk::manage(new Gtk::MenuItem(label, true));
  if (!item.children.empty() || item.id == 0) {
    auto* sub = Gtk::manage(new Gtk::Menu());
    for (const auto& child : item.children) sub->append(*MakeItem(child));
    mi->set_submenu(*sub);
    return mi;
  }
  guint kv;
  Gdk::ModifierType mods;
  if (!item.accel.empty() && ParseKey(item.accel, &kv, &mods)) {
    if (auto* al = dynamic_cast<Gtk::AccelLabel*>(mi->get_child())) al->set_accel(kv, mods);
  }
  int id = item.id;
  mi->signal_activate().connect([this, id] {
    if (!refreshing_ && frame_) frame_->OnCommand(id);
  });
  commandItems_[id] = mi;
  return mi;
}

void MainWindow::BuildMenus(const std::vector<MenuItem>& menus,
                            const std::vector<KeyBinding>& keys) {
  for (auto* child : menuBar_.get_children()) menuBar_.remove(*child);
  commandItems_.clear();
  for (const auto& m : menus) menuBar_.append(*MakeItem(m));
  menuBar_.show_all();
  keys_.clear();
  for (const auto& k : keys) {
    guint kv;
    Gdk::ModifierType mods;
    if (ParseKey(k.key, &kv, &mods)) keys_[{kv, guint(mods)}] = k.id;
  }
}

bool MainWindow::OnKey(GdkEventKey* e) {
  guint mods = e->state & (GDK_CONTROL_MASK | GDK_SHIFT_MASK | GDK_MOD1_MASK);
  guint kv = gdk_keyval_to_lower(e->keyval);
  // Shift+digit arrives as a symbol; keys are matched on the unshifted key.
  GdkKeymapKey* entries = nullptr;
  guint* values = nullptr;
  gint n = 0;
  if (gdk_keymap_get_entries_for_keycode(gdk_keymap_get_for_display(get_display()->gobj()),
                                         e->hardware_keycode, &entries, &values, &n) &&
      n > 0) {
    kv = gdk_keyval_to_lower(values[0]);
  }
  g_free(entries);
  g_free(values);
  auto it = keys_.find({kv, mods});
  if (it == keys_.end() || !frame_) return false;
  frame_->OnCommand(it->second);
  return true;
}

void MainWindow::SetTabWidths(int minWidth, int maxWidth) {
  minTabWidth_ = std::max(minWidth, 16);
  maxTabWidth_ = std::max(maxWidth, minTabWidth_);
}

GtkWidget* MainWindow::PageWidget(CChildFrame* child) const {
  auto it = views_.find(child);
  return it == views_.end() ? nullptr : it->second;
}

void MainWindow::SetCaption(u16view text) { set_title(Shown(text)); }

void MainWindow::SetStatusText(u16view text) {
  statusText_ = Shown(text);
  status_.pop();
  status_.push(statusText_);
}

void MainWindow::AddChildView(CChildFrame* child) {
  if (!child || !child->view() || !child->view()->engine()) return;
  auto* w = static_cast<GtkWidget*>(child->view()->engine()->NativeWidget());
  if (!w) return;
  views_[child] = w;
  auto page = std::make_unique<Page>();
  page->text.set_xalign(0);
  page->text.set_ellipsize(Pango::ELLIPSIZE_MIDDLE);
  dynamic_cast<Gtk::Container*>(page->bar.get_content_area())->add(page->text);
  page->bar.add_button("允许此站点的弹出窗口", 1424);
  page->bar.set_show_close_button(true);
  page->bar.set_message_type(Gtk::MESSAGE_INFO);
  page->bar.signal_response().connect([this, child](int response) {
    if (!frame_) return;
    if (response == 1424)
      frame_->controller<FiltersController>().AllowSiteOf(child);
    else
      HidePopupBar(child);
  });
  page->bar.set_no_show_all(true);
  page->text.show();
  page->box.pack_start(page->bar, Gtk::PACK_SHRINK);
  gtk_box_pack_start(GTK_BOX(page->box.gobj()), w, TRUE, TRUE, 0);
  gtk_widget_show(w);
  page->box.show();
  pages_.add(page->box);
  pageHosts_[child] = std::move(page);
  // A tab not yet shown keeps the page that is in front.
  if (auto* current = pages_.get_visible_child())
    if (current != &pageHosts_[child]->box) pages_.set_visible_child(*current);
}

void MainWindow::RemoveChildView(CChildFrame* child) {
  auto it = views_.find(child);
  if (it == views_.end()) return;
  auto host = pageHosts_.find(child);
  if (host != pageHosts_.end()) {
    gtk_container_remove(GTK_CONTAINER(host->second->box.gobj()), it->second);
    pages_.remove(host->second->box);
    pageHosts_.erase(host);
  }
  views_.erase(it);
}

void MainWindow::ShowChildView(CChildFrame* child) {
  auto it = pageHosts_.find(child);
  if (it == pageHosts_.end()) return;
  pages_.set_visible_child(it->second->box);
}

void MainWindow::ShowPopupBar(CChildFrame* child, u16view blockedAddress) {
  auto it = pageHosts_.find(child);
  if (it == pageHosts_.end()) return;
  it->second->text.set_text("已阻止弹出窗口: " + ToUtf8(blockedAddress));
  it->second->bar.show();
}

void MainWindow::HidePopupBar(CChildFrame* child) {
  auto it = pageHosts_.find(child);
  if (it != pageHosts_.end()) it->second->bar.hide();
}

std::string MainWindow::PopupBarText(CChildFrame* child) const {
  auto it = pageHosts_.find(child);
  if (it == pageHosts_.end() || !it->second->bar.get_visible()) return std::string();
  return it->second->text.get_text();
}

void MainWindow::Beep() {
  if (auto display = get_display()) display->beep();
}

MainWindow::Entry* MainWindow::EntryAt(int index) const {
  Gtk::Widget* page = const_cast<Gtk::Notebook&>(strip_).get_nth_page(index);
  auto it = entries_.find(page);
  return it == entries_.end() ? nullptr : it->second.get();
}

int MainWindow::IndexOfLabel(const Gtk::Widget* label) const {
  for (const auto& [page, e] : entries_)
    if (&e->label == label) return const_cast<Gtk::Notebook&>(strip_).page_num(*page);
  return -1;
}

void MainWindow::InsertTabEntry(int index, u16view caption, CChildFrame* child) {
  auto e = std::make_unique<Entry>();
  e->child = child;
  e->icon.set(TabIcon(0));
  e->text.set_text(Shown(caption));
  e->text.set_ellipsize(Pango::ELLIPSIZE_END);
  e->text.set_xalign(0);
  // The entry stays within the tab width limits: the text gets what the icon and the close
  // button leave of the largest width.
  e->text.set_size_request(std::max(maxTabWidth_ - 42, std::max(minTabWidth_ - 42, 24)), -1);
  e->text.set_max_width_chars(1);
  e->close.set_relief(Gtk::RELIEF_NONE);
  e->close.set_focus_on_click(false);
  e->close.set_image_from_icon_name("window-close-symbolic", Gtk::ICON_SIZE_MENU);
  e->close.set_tooltip_text("关闭");
  e->row.pack_start(e->icon, Gtk::PACK_SHRINK);
  e->row.pack_start(e->text, Gtk::PACK_EXPAND_WIDGET);
  e->row.pack_start(e->close, Gtk::PACK_SHRINK);
  e->label.add(e->row);
  e->label.add_events(Gdk::BUTTON_PRESS_MASK | Gdk::BUTTON_RELEASE_MASK);
  Gtk::Widget* labelWidget = &e->label;
  e->label.signal_button_press_event().connect(
      [this, labelWidget](GdkEventButton* ev) { return OnEntryButton(ev, labelWidget); }, false);
  e->close.signal_clicked().connect([this, labelWidget] {
    int i = IndexOfLabel(labelWidget);
    if (i >= 0 && frame_) frame_->OnTabMouse(i, TabMouse::CloseButton);
  });
  e->label.show_all();
  e->page.show();
  selecting_ = true;
  strip_.insert_page(e->page, e->label, index);
  selecting_ = false;
  entries_[&e->page] = std::move(e);
}

void MainWindow::RemoveTabEntry(int index) {
  Gtk::Widget* page = strip_.get_nth_page(index);
  if (!page) return;
  selecting_ = true;
  strip_.remove_page(index);
  selecting_ = false;
  entries_.erase(page);
}

void MainWindow::SelectTabEntry(int index) {
  if (index < 0 || index >= strip_.get_n_pages()) return;
  selecting_ = true;
  strip_.set_current_page(index);
  selecting_ = false;
}

std::string MainWindow::EntryText(int index) const {
  Entry* e = EntryAt(index);
  return e ? std::string(e->text.get_text()) : std::string();
}

int MainWindow::SelectedTabEntry() const { return strip_.get_current_page(); }

void MainWindow::SetTabEntryText(int index, u16view caption) {
  if (Entry* e = EntryAt(index)) {
    e->text.set_text(Shown(caption));
    e->label.set_tooltip_text(Shown(caption));
  }
}

void MainWindow::SetTabEntryIcon(int index, int icon) {
  if (Entry* e = EntryAt(index)) e->icon.set(TabIcon(icon));
}

bool MainWindow::OnEntryButton(GdkEventButton* ev, Gtk::Widget* label) {
  int index = IndexOfLabel(label);
  if (index < 0 || !frame_) return false;
  if (ev->type == GDK_2BUTTON_PRESS && ev->button == 1) {
    frame_->OnTabMouse(index, TabMouse::LeftDouble);
    return true;
  }
  if (ev->type == GDK_2BUTTON_PRESS && ev->button == 3) {
    pendingTabMenu_.disconnect();
    frame_->OnTabMouse(index, TabMouse::RightDouble);
    return true;
  }
  if (ev->type == GDK_BUTTON_PRESS && ev->button == 2) {
    frame_->OnTabMouse(index, TabMouse::Middle);
    return true;
  }
  if (ev->type == GDK_BUTTON_PRESS && ev->button == 3) {
    // The tab's menu waits out the double-click time, so a right double click stays a
    // double click.
    int ms = 400;
    g_object_get(gtk_settings_get_default(), "gtk-double-click-time", &ms, nullptr);
    guint32 time = ev->time;
    pendingTabMenu_.disconnect();
    pendingTabMenu_ = Glib::signal_timeout().connect(
        [this, label, time] {
          int i = IndexOfLabel(label);
          if (i >= 0) ShowTabMenu(i, time);
          return false;
        },
        ms + 20);
    return true;
  }
  return false;
}

void MainWindow::ShowTabMenu(int index, guint32) {
  Entry* e = EntryAt(index);
  if (!e || !frame_) return;
  CChildFrame* child = e->child;
  tabMenu_ = std::make_unique<Gtk::Menu>();
  for (const auto& item : TabMenu(child->locked, child->hasPassword)) {
    if (item.IsSeparator()) {
      tabMenu_->append(*Gtk::manage(new Gtk::SeparatorMenuItem()));
      continue;
    }
    auto* mi = Gtk::manage(new Gtk::MenuItem(ToUtf8(MnemonicToGtk(item.text)), true));
    int id = item.id;
    mi->signal_activate().connect([this, child, id] {
      if (!frame_ || frame_->TabIndexOf(child) < 0) return;
      switch (id) {
        case kTabMenuLock:
          frame_->ToggleLock(child);
          break;
        case kTabMenuSetPassword:
          frame_->SetTabPassword(child);
          break;
        case kTabMenuClearPassword:
          frame_->ClearTabPassword(child);
          break;
        case kTabMenuClose:
          frame_->PostCloseTab(child);
          break;
      }
    });
    tabMenu_->append(*mi);
  }
  tabMenu_->show_all();
  tabMenu_->popup_at_widget(&e->label, Gdk::GRAVITY_SOUTH_WEST, Gdk::GRAVITY_NORTH_WEST, nullptr);
}

Gtk::MenuItem* MainWindow::MakePopupItem(const MenuItem& item) {
  if (item.IsSeparator()) return Gtk::manage(new Gtk::SeparatorMenuItem());
  auto* mi = Gtk::manage(new Gtk::MenuItem(ToUtf8(MnemonicToGtk(item.text)), true));
  if (!item.children.empty()) {
    auto* sub = Gtk::manage(new Gtk::Menu());
    for (const auto& child : item.children) sub->append(*MakePopupItem(child));
    mi->set_submenu(*sub);
    return mi;
  }
  int id = item.id;
  mi->set_sensitive(!frame_ || frame_->CommandEnabled(id));
  // The command runs once the menu is gone, so a dialog it opens is not under the menu.
  mi->signal_activate().connect([this, id] {
    if (frame_) frame_->PostMessage(msg::kCommand, id);
  });
  return mi;
}

void MainWindow::PopupMenu(const std::vector<MenuItem>& items, CChildFrame* child, int x,
                           int y) {
  // A new menu (or none) takes the place of the one on screen.
  popupMenu_ = std::make_unique<Gtk::Menu>();
  if (items.empty()) return;
  popupMenu_->set_name("page-menu");
  for (const auto& item : items) popupMenu_->append(*MakePopupItem(item));
  popupMenu_->attach_to_widget(*this);
  popupMenu_->show_all();
  GtkWidget* page = child ? PageWidget(child) : nullptr;
  GdkWindow* win = page ? gtk_widget_get_window(page) : nullptr;
  if (!win) {
    popupMenu_->popup_at_pointer(nullptr);
    return;
  }
  // The menu may come well after the click (the page is asked for its selection first),
  // so it is placed at the point rather than at an event.
  if (!gtk_widget_get_has_window(page)) {
    GtkAllocation a;
    gtk_widget_get_allocation(page, &a);
    x += a.x;
    y += a.y;
  }
  Gdk::Rectangle at(x, y, 1, 1);
  GdkEvent* trigger = gtk_get_current_event();
  popupMenu_->popup_at_rect(Glib::wrap(win, true), at, Gdk::GRAVITY_NORTH_WEST,
                            Gdk::GRAVITY_NORTH_WEST, trigger);
  if (trigger) gdk_event_free(trigger);
}

std::vector<std::string> MainWindow::ShownPopupMenu() const {
  std::vector<std::string> texts;
  if (!popupMenu_ || !popupMenu_->get_visible()) return texts;
  for (auto* child : const_cast<Gtk::Menu*>(popupMenu_.get())->get_children())
    if (auto* mi = dynamic_cast<Gtk::MenuItem*>(child))
      if (!dynamic_cast<Gtk::SeparatorMenuItem*>(mi)) texts.push_back(mi->get_label());
  return texts;
}

void MainWindow::RefreshCommandStates() {
  if (!frame_) return;
  refreshing_ = true;
  for (auto& [id, item] : commandItems_) {
    if (auto* check = dynamic_cast<Gtk::CheckMenuItem*>(item)) {
      auto on = frame_->CommandChecked(id);
      if (on && check->get_active() != *on) check->set_active(*on);
    }
    item->set_sensitive(frame_->CommandEnabled(id));
  }
  for (auto& [id, button] : standardButtons_) button->set_sensitive(frame_->CommandEnabled(id));
  refreshing_ = false;
}

bool MainWindow::IsVisible() const { return get_visible(); }

WindowRect MainWindow::GetRect() const {
  WindowRect r;
  const_cast<MainWindow*>(this)->get_position(r.x, r.y);
  const_cast<MainWindow*>(this)->get_size(r.width, r.height);
  return r;
}

void MainWindow::Restore() {
  if (IsMinimized()) deiconify();
  if (!get_visible()) show();
}

void MainWindow::Present() {
  if (!get_visible()) show();
  present();
}

void MainWindow::HideFrame() { hide(); }

void MainWindow::Destroy() {
  if (destroyed_) return;
  destroyed_ = true;
  hide();
  // The program's main loop ends with the frame (tests run the frame without one).
  if (gtk_main_level() > 0) Gtk::Main::quit();
}

bool MainWindow::on_delete_event(GdkEventAny*) {
  // The frame decides; the window itself never closes on its own.
  if (frame_)
    frame_->Close(CloseSource::Window);
  else
    Destroy();
  return true;
}

bool MainWindow::on_window_state_event(GdkEventWindowState* event) {
  state_ = event->new_window_state;
  return Gtk::Window::on_window_state_event(event);
}

}  // namespace zel
