#include "frame/gtk/tab_strip.h"

#include <algorithm>

#include "base/commands.h"
#include "view/child_frame.h"
#include "frame/gtk/pick_menu.h"
#include "frame/gtk/shown_text.h"
#include "frame/gtk/tab_icons.h"
#include "frame/main_frame.h"
#include "frame/menu_model.h"

namespace zel {

struct TabStrip::Entry {
  Gtk::Box page;  // the strip's (empty) page for this entry
  Gtk::EventBox label;
  Gtk::Box row{Gtk::ORIENTATION_HORIZONTAL, 4};
  Gtk::Image icon;
  Gtk::Label text;
  Gtk::Button close;
  CChildFrame* child = nullptr;
  int iconIndex = 0;
};

namespace {
// The small style's icons and their entries' padding; the normal style is the theme's.
constexpr int kSmallIcon = 12;
constexpr char kSmallTabsCss[] =
    "#tab-strip.small-tabs tab { padding: 0 4px; min-height: 0; }"
    "#tab-strip.small-tabs tab #tab-caption { font-size: smaller; }"
    "#tab-strip.small-tabs tab button { padding: 0; min-height: 0; min-width: 0; }"
    "#tab-strip.small-tabs > header { padding: 0; }"
    "#tab-strip.small-tabs > header > box button { padding: 0 2px; min-height: 0; min-width: 0; }";
}  // namespace

TabStrip::TabStrip() {
  set_name("tab-strip");
  set_scrollable(true);
  set_show_border(false);
  set_vexpand(false);
  signal_switch_page().connect([this](Gtk::Widget*, guint) {
    if (!selecting_ && actions_.selected) actions_.selected();
  });
  struct Item {
    Gtk::Button* button;
    int id;
    const char* icon;
    const char* tip;
  } items[] = {{&sidebar_, cmd::kTabSidebar, "view-dual-symbolic", "显示或关闭侧栏"},
               {&tabList_, cmd::kTabList, "view-list-symbolic", "全部标签页"}};
  for (const Item& it : items) {
    it.button->set_name("command-" + std::to_string(it.id));
    it.button->set_image_from_icon_name(it.icon, Gtk::ICON_SIZE_MENU);
    it.button->set_tooltip_text(it.tip);
    it.button->set_relief(Gtk::RELIEF_NONE);
    it.button->set_focus_on_click(false);
    items_.pack_start(*it.button, Gtk::PACK_SHRINK);
  }
  // The new-tab button (the skin's TabNew icon) after the tabs.
  newTab_.set_name("tab-new");
  newTab_.set_image_from_icon_name("tab-new-symbolic", Gtk::ICON_SIZE_MENU);
  newTab_.set_tooltip_text("新建空白页");
  newTab_.set_relief(Gtk::RELIEF_NONE);
  newTab_.set_focus_on_click(false);
  newTab_.signal_clicked().connect([this] {
    if (actions_.command) actions_.command(cmd::kNewBlankPage);
  });
  items_.pack_start(newTab_, Gtk::PACK_SHRINK);
  items_.reorder_child(newTab_, 0);
  sidebar_.signal_toggled().connect([this] {
    if (!refreshing_ && actions_.command) actions_.command(cmd::kTabSidebar);
  });
  tabList_.signal_clicked().connect([this] { ShowTabList(); });
  items_.show_all();
  set_action_widget(&items_, Gtk::PACK_END);
  auto css = Gtk::CssProvider::create();
  css->load_from_data(kSmallTabsCss);
  get_style_context()->add_provider_for_screen(Gdk::Screen::get_default(), css,
                                               GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 1);
}

Glib::RefPtr<Gdk::Pixbuf> TabStrip::IconFor(int icon) const {
  Glib::RefPtr<Gdk::Pixbuf> full = TabIcon(icon);
  if (!small_ || !full) return full;
  return full->scale_simple(kSmallIcon, kSmallIcon, Gdk::INTERP_BILINEAR);
}

void TabStrip::StyleEntry(Entry& e) {
  e.icon.set(IconFor(e.iconIndex));
  if (auto* image = dynamic_cast<Gtk::Image*>(e.close.get_image()))
    image->set_pixel_size(small_ ? kSmallIcon : -1);
  e.row.set_spacing(small_ ? 2 : 4);
}

void TabStrip::SetSmallTabs(bool small) {
  if (small == small_) return;
  small_ = small;
  if (small) get_style_context()->add_class("small-tabs");
  else get_style_context()->remove_class("small-tabs");
  for (auto& [page, e] : entries_) StyleEntry(*e);
  for (Gtk::Button* b : {static_cast<Gtk::Button*>(&sidebar_), &tabList_})
    if (auto* image = dynamic_cast<Gtk::Image*>(b->get_image()))
      image->set_pixel_size(small ? kSmallIcon : -1);
}

void TabStrip::RefreshStates() {
  if (!actions_.checked) return;
  refreshing_ = true;
  bool open = actions_.checked(cmd::kTabSidebar).value_or(false);
  if (sidebar_.get_active() != open) sidebar_.set_active(open);
  refreshing_ = false;
}

void TabStrip::ShowTabList() {
  const int count = get_n_pages();
  if (count == 0) return;
  // Made when asked for: the captions are the tabs' as they are now.
  tabListMenu_ = std::make_unique<Gtk::Menu>();
  tabListMenu_->set_name("tab-list-menu");
  tabListMenu_->attach_to_widget(tabList_);
  const int current = get_current_page();
  for (int i = 0; i < count; ++i) {
    Entry* e = EntryAt(i);
    if (!e) continue;
    Gtk::CheckMenuItem* mi = PickMenuItem(e->text.get_text(), i == current);
    CChildFrame* child = e->child;
    // The pick goes through the strip's selection, as a click on the entry would.
    mi->signal_activate().connect([this, child] {
      for (int k = 0; k < get_n_pages(); ++k) {
        Entry* x = EntryAt(k);
        if (x && x->child == child && k != get_current_page()) set_current_page(k);
      }
    });
    tabListMenu_->append(*mi);
  }
  tabListMenu_->show_all();
  tabListMenu_->popup_at_widget(&tabList_, Gdk::GRAVITY_SOUTH_EAST, Gdk::GRAVITY_NORTH_EAST,
                                nullptr);
}

TabStrip::~TabStrip() {
  pendingTabMenu_.disconnect();
  if (tabMenuTrigger_) gdk_event_free(tabMenuTrigger_);
  // Entries leave the strip before their widgets go.
  selecting_ = true;
  while (get_n_pages() > 0) remove_page(0);
  entries_.clear();
}

void TabStrip::SetTabWidths(int minWidth, int maxWidth) {
  minTabWidth_ = std::max(minWidth, 16);
  maxTabWidth_ = std::max(maxWidth, minTabWidth_);
}

TabStrip::Entry* TabStrip::EntryAt(int index) const {
  Gtk::Widget* page = const_cast<TabStrip*>(this)->get_nth_page(index);
  auto it = entries_.find(page);
  return it == entries_.end() ? nullptr : it->second.get();
}

int TabStrip::IndexOfLabel(const Gtk::Widget* label) const {
  for (const auto& [page, e] : entries_)
    if (&e->label == label) return const_cast<TabStrip*>(this)->page_num(*page);
  return -1;
}

void TabStrip::InsertTabEntry(int index, u16view caption, CChildFrame* child) {
  auto e = std::make_unique<Entry>();
  e->child = child;
  e->icon.set(TabIcon(0));
  e->icon.set_name("tab-icon");
  e->text.set_name("tab-caption");
  e->text.set_text(ShownText(caption));
  e->text.set_ellipsize(Pango::ELLIPSIZE_END);
  e->text.set_xalign(0);
  // The entry stays within the tab width limits: the text gets what the icon and the close
  // button leave of the largest width.
  e->text.set_size_request(std::max(maxTabWidth_ - 42, std::max(minTabWidth_ - 42, 24)), -1);
  e->text.set_max_width_chars(1);
  e->close.set_name("tab-close");
  e->close.set_relief(Gtk::RELIEF_NONE);
  e->close.set_focus_on_click(false);
  e->close.set_image_from_icon_name("window-close-symbolic", Gtk::ICON_SIZE_MENU);
  e->close.set_tooltip_text("关闭");
  StyleEntry(*e);
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
    if (i >= 0 && actions_.mouse) actions_.mouse(i, TabMouse::CloseButton);
  });
  e->label.show_all();
  e->page.show();
  selecting_ = true;
  insert_page(e->page, e->label, index);
  selecting_ = false;
  entries_[&e->page] = std::move(e);
}

void TabStrip::RemoveTabEntry(int index) {
  Gtk::Widget* page = get_nth_page(index);
  if (!page) return;
  selecting_ = true;
  remove_page(index);
  selecting_ = false;
  entries_.erase(page);
}

void TabStrip::SelectTabEntry(int index) {
  if (index < 0 || index >= get_n_pages()) return;
  selecting_ = true;
  set_current_page(index);
  selecting_ = false;
}

int TabStrip::SelectedTabEntry() const { return get_current_page(); }

void TabStrip::SetTabEntryText(int index, u16view caption) {
  if (Entry* e = EntryAt(index)) {
    e->text.set_text(ShownText(caption));
    e->label.set_tooltip_text(ShownText(caption));
  }
}

void TabStrip::SetTabEntryIcon(int index, int icon) {
  if (Entry* e = EntryAt(index)) {
    e->iconIndex = icon;
    e->icon.set(IconFor(icon));
  }
}

bool TabStrip::OnEntryButton(GdkEventButton* ev, Gtk::Widget* label) {
  int index = IndexOfLabel(label);
  if (index < 0 || !actions_.mouse) return false;
  if (ev->type == GDK_2BUTTON_PRESS && ev->button == 1) {
    actions_.mouse(index, TabMouse::LeftDouble);
    return true;
  }
  if (ev->type == GDK_2BUTTON_PRESS && ev->button == 3) {
    pendingTabMenu_.disconnect();
    actions_.mouse(index, TabMouse::RightDouble);
    return true;
  }
  if (ev->type == GDK_BUTTON_PRESS && ev->button == 2) {
    actions_.mouse(index, TabMouse::Middle);
    return true;
  }
  if (ev->type == GDK_BUTTON_PRESS && ev->button == 3) {
    // The tab's menu waits out the double-click time, so a right double click stays a
    // double click.
    int ms = 400;
    g_object_get(gtk_settings_get_default(), "gtk-double-click-time", &ms, nullptr);
    pendingTabMenu_.disconnect();
    if (tabMenuTrigger_) gdk_event_free(tabMenuTrigger_);
    tabMenuTrigger_ = gdk_event_copy(reinterpret_cast<GdkEvent*>(ev));
    pendingTabMenu_ = Glib::signal_timeout().connect(
        [this, label] {
          int i = IndexOfLabel(label);
          if (i >= 0) ShowTabMenu(i);
          return false;
        },
        ms + 20);
    return true;
  }
  return false;
}

void TabStrip::ShowTabMenu(int index) {
  Entry* e = EntryAt(index);
  if (!e || !actions_.isOpen) return;
  CChildFrame* child = e->child;
  tabMenu_ = std::make_unique<Gtk::Menu>();
  for (const auto& item : TabMenu(child->locked, child->hasPassword)) {
    if (item.IsSeparator()) {
      tabMenu_->append(*Gtk::manage(new Gtk::SeparatorMenuItem()));
      continue;
    }
    auto* mi = Gtk::manage(new Gtk::MenuItem(ToUtf8(MnemonicToGtk(item.text)), true));
    int id = item.id;
    mi->signal_activate().connect([this, child, id] { OnTabMenuItem(child, id); });
    tabMenu_->append(*mi);
  }
  tabMenu_->set_name("tab-menu");
  tabMenu_->attach_to_widget(*get_toplevel());
  tabMenu_->show_all();
  double x = 0, y = 0;
  GdkWindow* at = tabMenuTrigger_ ? gdk_event_get_window(tabMenuTrigger_) : nullptr;
  if (at && gdk_event_get_coords(tabMenuTrigger_, &x, &y))
    // Where the button went down, even when the pointer has moved on since.
    tabMenu_->popup_at_rect(Glib::wrap(at, true), Gdk::Rectangle(int(x), int(y), 1, 1),
                            Gdk::GRAVITY_NORTH_WEST, Gdk::GRAVITY_NORTH_WEST, tabMenuTrigger_);
  else
    tabMenu_->popup_at_widget(&e->label, Gdk::GRAVITY_SOUTH_WEST, Gdk::GRAVITY_NORTH_WEST, nullptr);
}

void TabStrip::OnTabMenuItem(CChildFrame* child, int id) {
  // The tab may have closed while its menu was open.
  if (!actions_.isOpen || !actions_.isOpen(child)) return;
  std::function<void(CChildFrame*)>* action = nullptr;
  switch (id) {
    case kTabMenuLock:
      action = &actions_.toggleLock;
      break;
    case kTabMenuSetPassword:
      action = &actions_.setPassword;
      break;
    case kTabMenuClearPassword:
      action = &actions_.clearPassword;
      break;
    case kTabMenuClose:
      action = &actions_.close;
      break;
  }
  if (action && *action) (*action)(child);
}

}  // namespace zel
