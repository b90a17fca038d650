#include "frame/gtk/command_bars.h"

#include "base/commands.h"
#include "frame/gtk/pick_menu.h"
#include "frame/gtk/shown_text.h"

namespace zel {

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
      {"=", "equal"},        {"-", "minus"},
  };
  if (auto it = names.find(name); it != names.end()) name = it->second;
  if (name.size() == 1) name = std::string(1, char(std::tolower(name[0])));
  guint kv = gdk_keyval_from_name(name.c_str());
  if (kv == GDK_KEY_VoidSymbol || kv == 0) return false;
  *keyval = kv;
  return true;
}

CommandBars::CommandBars() {
  struct Button {
    int id;
    const char* icon;
    const char* text;
    const char* tip = nullptr;  // when it says more than the text
    bool toggle = false;        // shows its command's check mark
  } buttons[] = {
      {cmd::kBack, "go-previous-symbolic", "后退"},
      {cmd::kForward, "go-next-symbolic", "前进"},
      {cmd::kRefresh, "view-refresh-symbolic", "刷新"},
      {cmd::kStop, "process-stop-symbolic", "停止"},
      {cmd::kHome, "go-home-symbolic", "主页"},
      {cmd::kUp, "go-up-symbolic", "向上"},
      {cmd::kFormFill, "document-edit-symbolic", "填表"},
      {cmd::kAllFilters, "security-high-symbolic", "启用过滤器", nullptr, true},
      {cmd::kProxyEnable, nullptr, "代理", "启用代理服务器", true},
      {cmd::kSystemProxy, nullptr, "IE 代理", "启用 IE 代理设置", true},
  };
  // Symbolic icons take the text colour, so a button that cannot be used is drawn in the
  // theme's grey; fading it as well makes Back, Forward and Stop plainly off when they are.
  auto css = Gtk::CssProvider::create();
  css->load_from_data("#standard-bar button:disabled image { opacity: 0.4; }");
  standard_.get_style_context()->add_provider_for_screen(
      Gdk::Screen::get_default(), css, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  menuBar_.set_name("menu-bar");
  menuBar_.signal_button_press_event().connect(
      [this](GdkEventButton*) {
        FillStaleTails();
        return false;
      },
      false);
  standard_.set_name("standard-bar");
  standard_.set_toolbar_style(Gtk::TOOLBAR_ICONS);
  standard_.set_icon_size(Gtk::ICON_SIZE_SMALL_TOOLBAR);
  // Buttons that do not fit the row fold into the bar's arrow menu: the bar never makes the
  // window wider than the user wants it.
  standard_.set_show_arrow(true);
  for (const auto& b : buttons) {
    Gtk::ToolButton* item = b.toggle ? Gtk::manage(new Gtk::ToggleToolButton())
                                     : Gtk::manage(new Gtk::ToolButton());
    // Named by its command, so accessibility tools and tests tell the buttons apart.
    item->set_name("command-" + std::to_string(b.id));
    if (b.toggle) {
      // A switch shows its word: the bar draws icons only.
      auto* word = Gtk::manage(new Gtk::Label(b.text));
      word->show();
      item->set_icon_widget(*word);
      // As wide as its word: the icon buttons keep their own width.
      item->set_homogeneous(false);
    } else {
      item->set_icon_name(b.icon);
    }
    item->set_label(b.text);
    item->set_tooltip_text(b.tip ? b.tip : b.text);
    int id = b.id;
    item->signal_clicked().connect([this, id] {
      if (!refreshing_ && actions_.run) actions_.run(id);
    });
    standard_.append(*item);
    standardButtons_[id] = item;
    if (id == cmd::kForward) {
      // The history list: a narrow arrow between Forward and Refresh.
      historyButton_ = Gtk::manage(new Gtk::ToolButton());
      historyButton_->set_name("command-" + std::to_string(cmd::kHistoryMenu));
      historyButton_->set_icon_name("pan-down-symbolic");
      historyButton_->set_label("历史记录");
      historyButton_->set_tooltip_text("最近浏览的页面");
      historyButton_->set_sensitive(false);
      historyButton_->set_homogeneous(false);
      historyButton_->signal_clicked().connect([this] { ShowHistoryMenu(); });
      standard_.append(*historyButton_);
    }
  }
}

void CommandBars::ShowHistoryMenu() {
  if (!actions_.historyMenu) return;
  std::vector<HistoryMenuEntry> rows = actions_.historyMenu();
  if (rows.empty()) return;
  // A new menu each time: the list is the tab's as it is now.
  historyMenu_ = std::make_unique<Gtk::Menu>();
  historyMenu_->set_name("history-menu");
  historyMenu_->attach_to_widget(*historyButton_);
  for (const HistoryMenuEntry& row : rows) {
    // The page shown is checked and goes nowhere.
    Gtk::CheckMenuItem* mi = PickMenuItem(ShownText(row.text), row.offset == 0);
    int offset = row.offset;
    if (offset != 0) {
      mi->signal_activate().connect([this, offset] {
        if (actions_.travel) actions_.travel(offset);
      });
    }
    historyMenu_->append(*mi);
  }
  historyMenu_->show_all();
  historyMenu_->popup_at_widget(historyButton_, Gdk::GRAVITY_SOUTH_WEST, Gdk::GRAVITY_NORTH_WEST,
                                nullptr);
}

Gtk::MenuItem* CommandBars::MakeItem(const MenuItem& item) {
  if (item.IsSeparator()) return Gtk::manage(new Gtk::SeparatorMenuItem());
  std::string label = ToUtf8(MnemonicToGtk(item.text));
  Gtk::MenuItem* mi = item.check ? Gtk::manage(new Gtk::CheckMenuItem(label, true))
                                 : Gtk::manage(new Gtk::MenuItem(label, true));
  if (!item.children.empty() || item.id == 0) {
    auto* sub = Gtk::manage(new Gtk::Menu());
    for (const auto& child : item.children) sub->append(*MakeItem(child));
    mi->set_submenu(*sub);
    // A menu whose items are not there yet is not shown as an empty box.
    if (item.children.empty()) mi->set_no_show_all(true);
    return mi;
  }
  guint kv;
  Gdk::ModifierType mods;
  if (!item.accel.empty() && ParseKey(item.accel, &kv, &mods)) {
    if (auto* al = dynamic_cast<Gtk::AccelLabel*>(mi->get_child())) al->set_accel(kv, mods);
  }
  int id = item.id;
  mi->signal_activate().connect([this, id] {
    if (!refreshing_ && actions_.run) actions_.run(id);
  });
  commandItems_[id] = mi;
  return mi;
}

void CommandBars::BuildMenus(const std::vector<MenuItem>& menus,
                             const std::vector<KeyBinding>& keys) {
  for (auto* child : menuBar_.get_children()) menuBar_.remove(*child);
  commandItems_.clear();
  for (auto& [text, tail] : tails_) {
    tail.shown.clear();
    tail.menu = nullptr;
  }
  for (const auto& m : menus) {
    Gtk::MenuItem* top = MakeItem(m);
    menuBar_.append(*top);
    auto it = tails_.find(m.text);
    if (it == tails_.end() || !top->get_submenu()) continue;
    Gtk::Menu* sub = top->get_submenu();
    it->second.menu = sub;
    // A change the idle fill has not taken yet is taken before GTK measures the popup: on
    // the press that opens it and on its mnemonic (a popup filled once it is up keeps the
    // height GTK gave it). A popup already filled is left alone.
    // A popup opened otherwise (the keyboard's F10 and arrows) is filled as it opens.
    top->signal_activate().connect([this] { FillStaleTails(); });
    top->signal_mnemonic_activate().connect(
        [this](bool) {
          FillStaleTails();
          return false;
        },
        false);
    TailChanged(m.text);
  }
  menuBar_.show_all();
  keys_.clear();
  for (const auto& k : keys) {
    guint kv;
    Gdk::ModifierType mods;
    if (ParseKey(k.key, &kv, &mods)) keys_[{kv, guint(mods)}] = k.id;
  }
}

bool CommandBars::OnKey(GdkEventKey* e, const Glib::RefPtr<Gdk::Display>& display) {
  guint mods = e->state & (GDK_CONTROL_MASK | GDK_SHIFT_MASK | GDK_MOD1_MASK);
  guint kv = gdk_keyval_to_lower(e->keyval);
  // Shift+digit arrives as a symbol; keys are matched on the unshifted key.
  GdkKeymapKey* entries = nullptr;
  guint* values = nullptr;
  gint n = 0;
  if (gdk_keymap_get_entries_for_keycode(gdk_keymap_get_for_display(display->gobj()),
                                         e->hardware_keycode, &entries, &values, &n) &&
      n > 0) {
    kv = gdk_keyval_to_lower(values[0]);
  }
  g_free(entries);
  g_free(values);
  auto it = keys_.find({kv, mods});
  if (it == keys_.end() || !actions_.run) return false;
  // A key whose command cannot run now goes on to the page (Esc with nothing loading
  // closes the page's own overlays).
  if (actions_.enabled && !actions_.enabled(it->second)) return false;
  actions_.run(it->second);
  return true;
}

void CommandBars::FillStaleTails() {
  for (auto& [text, t] : tails_) {
    if (t.fresh || !t.menu || !t.fill) continue;
    t.idle.disconnect();
    FillTail(*t.menu, t.shown, t.fill);
    t.fresh = true;
  }
}

void CommandBars::SetPopupTail(u16view popupText, PopupTail tail) {
  tails_[u16(popupText)].fill = std::move(tail);
  TailChanged(popupText);
}

void CommandBars::TailChanged(u16view popupText) {
  auto it = tails_.find(u16(popupText));
  if (it == tails_.end()) return;
  it->second.fresh = false;
  if (!it->second.menu || !it->second.fill || it->second.idle.connected()) return;
  u16 text(popupText);
  it->second.idle = Glib::signal_idle().connect([this, text] {
    auto t = tails_.find(text);
    if (t != tails_.end() && t->second.menu && !t->second.menu->get_mapped()) {
      FillTail(*t->second.menu, t->second.shown, t->second.fill);
      t->second.fresh = true;
    }
    return false;
  });
}

void CommandBars::ForgetItem(Gtk::Widget* item) {
  auto* mi = dynamic_cast<Gtk::MenuItem*>(item);
  if (!mi) return;
  for (auto it = commandItems_.begin(); it != commandItems_.end();) {
    if (it->second == mi) it = commandItems_.erase(it);
    else ++it;
  }
  if (Gtk::Menu* sub = mi->get_submenu())
    for (Gtk::Widget* child : sub->get_children()) ForgetItem(child);
}

void CommandBars::FillTail(Gtk::Menu& menu, std::vector<Gtk::MenuItem*>& shown,
                           const PopupTail& tail) {
  if (!tail) return;
  std::optional<std::vector<MenuItem>> items = tail();
  if (!items) return;
  for (Gtk::MenuItem* old : shown) {
    ForgetItem(old);
    menu.remove(*old);
  }
  shown.clear();
  for (const MenuItem& item : *items) {
    Gtk::MenuItem* mi = MakeItem(item);
    menu.append(*mi);
    shown.push_back(mi);
  }
  menu.show_all();
  // A popup filled as it opens is measured again, so it opens at its full height.
  if (menu.get_visible()) {
    menu.queue_resize();
    menu.reposition();
  }
  RefreshStates();
}

void CommandBars::RefreshStates() {
  if (!actions_.checked || !actions_.enabled) return;
  refreshing_ = true;
  for (auto& [id, item] : commandItems_) {
    if (auto* check = dynamic_cast<Gtk::CheckMenuItem*>(item)) {
      auto on = actions_.checked(id);
      if (on && check->get_active() != *on) check->set_active(*on);
    }
    item->set_sensitive(actions_.enabled(id));
  }
  for (auto& [id, button] : standardButtons_) {
    button->set_sensitive(actions_.enabled(id));
    if (auto* toggle = dynamic_cast<Gtk::ToggleToolButton*>(button)) {
      // Pressed exactly while its command is on: a click that changed nothing (a refused
      // switch) springs back here.
      bool on = actions_.checked(id).value_or(false);
      if (toggle->get_active() != on) toggle->set_active(on);
    }
  }
  if (historyButton_)
    historyButton_->set_sensitive(actions_.enabled(cmd::kBack) || actions_.enabled(cmd::kForward));
  refreshing_ = false;
}

}  // namespace zel
