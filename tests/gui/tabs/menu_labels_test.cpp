// The menus and dialogs built from the resource tables as they are on screen: no label shows
// a table's "&" (GTK underlines the mnemonic instead), and the favorites menu opens at its
// full height the first time and after each add.
#include <gtest/gtest.h>

#include <regex>
#include <gtkmm.h>

#include <functional>
#include <set>

#include "base/commands.h"
#include "base/files.h"
#include "favorites/favorites_folder.h"
#include "support/pump.h"
#include "support/synth_input.h"
#include "frame/gtk/main_window.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

// Every label's shown text under w (menus of menu items included).
void ShownTexts(GtkWidget* w, std::vector<std::string>& out) {
  if (GTK_IS_LABEL(w)) out.push_back(gtk_label_get_text(GTK_LABEL(w)));
  if (GTK_IS_MENU_ITEM(w))
    if (GtkWidget* sub = gtk_menu_item_get_submenu(GTK_MENU_ITEM(w))) ShownTexts(sub, out);
  if (GTK_IS_CONTAINER(w)) {
    GList* kids = gtk_container_get_children(GTK_CONTAINER(w));
    for (GList* k = kids; k; k = k->next) ShownTexts(GTK_WIDGET(k->data), out);
    g_list_free(kids);
  }
}

// A table's mnemonic left as it was written: "&" before a letter, digit or bracket.
bool ShowsAmpersand(const std::string& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == '&' && (std::isalnum(static_cast<unsigned char>(text[i + 1])) || text[i + 1] == ')'))
      return true;
  return false;
}

// A label a Chinese user cannot read: Latin letters and no Chinese, and not one of the names
// that stay as they are (the program's name, addresses, key names, skin and encoding names,
// "Cookies").
bool LatinOnly(const std::string& text) {
  bool letters = false;
  for (unsigned char c : text) {
    if (c >= 0x80) return false;  // Chinese (or other non-ASCII) text in it
    if (std::isalpha(c)) letters = true;
  }
  if (!letters) return false;
  static const std::regex allowed(
      R"(^(Zel.*|[A-Za-z]+://.*|.*\.[a-z]{2,}.*|(Ctrl|Alt|Shift)\+.*|F[0-9]+|Esc|Enter|Del|Tab|)"
      R"(default|Default|Ink|[A-Z]{2,6}|HTTP.*|SOCKS.*|Unicode.*|Cookies|.*[0-9]+.*)$)");
  return !std::regex_match(text, allowed);
}

class MenuLabels : public FrameTest {
 protected:
  std::string Favorites() const { return ProfileFolder() + "/Favorites"; }
  void BeforeStart() override {
    CreateFolderLevels(Favorites() + "/子目录");
    for (const char* n : {"一", "二", "三", "四", "五", "六"})
      WriteFileAtomic(Favorites() + "/" + n + ".url", ShortcutFileText(u"http://127.0.0.1:1/"));
  }
  GtkWidget* TopItem(const std::string& label) {
    GtkWidget* found = nullptr;
    GList* items = gtk_container_get_children(GTK_CONTAINER(probe().Find("menu-bar")));
    for (GList* l = items; l; l = l->next) {
      const char* t = gtk_menu_item_get_label(GTK_MENU_ITEM(l->data));
      if (t && label == t) found = GTK_WIDGET(l->data);
    }
    g_list_free(items);
    return found;
  }
  // Opens a menu bar popup with a click, as a user does; its menu once it is on screen.
  GtkWidget* ClickOpen(const std::string& label) {
    GtkWidget* item = TopItem(label);
    if (!item) return nullptr;
    ClickWidget(item);
    GtkWidget* menu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(item));
    if (!menu || !PumpUntil([&] { return gtk_widget_get_mapped(menu); })) return nullptr;
    PumpFor(100ms);
    return menu;
  }
  void CloseMenus() {
    gtk_menu_shell_deactivate(GTK_MENU_SHELL(probe().Find("menu-bar")));
    PumpFor(50ms);
  }
  // The menu's window is as tall as its rows ask (no scroll arrows).
  static bool FullHeight(GtkWidget* menu, int* shown, int* wanted) {
    GtkWidget* top = gtk_widget_get_toplevel(menu);
    *shown = gtk_widget_get_allocated_height(top);
    int min = 0;
    gtk_widget_get_preferred_height(menu, &min, wanted);
    return *shown >= *wanted;
  }
};

TEST_F(MenuLabels, NoMenuOrDialogFromTheTablesShowsAnAmpersand) {
  ASSERT_TRUE(PumpUntil([&] { return frame().deferredStartupDone(); }));
  ASSERT_NE(OpenAndWait("/t/Page", "Page"), nullptr);
  std::vector<std::string> bad, latin;
  // The menu bar, each popup opened once (their tails are filled then).
  GList* tops = gtk_container_get_children(GTK_CONTAINER(probe().Find("menu-bar")));
  std::vector<std::string> labels;
  for (GList* l = tops; l; l = l->next) labels.push_back(gtk_menu_item_get_label(GTK_MENU_ITEM(l->data)));
  g_list_free(tops);
  for (const std::string& label : labels) {
    GtkWidget* menu = ClickOpen(label);
    ASSERT_NE(menu, nullptr) << label;
    std::vector<std::string> texts;
    ShownTexts(menu, texts);
    EXPECT_GT(texts.size(), 1u) << label;
    for (const auto& t : texts) {
      if (ShowsAmpersand(t)) bad.push_back(label + ": " + t);
      if (LatinOnly(t)) latin.push_back(label + ": " + t);
    }
    CloseMenus();
  }
  // The dialogs, each as its command opens it; each is closed again once read.
  std::set<std::string> seen;
  for (int id : {cmd::kAddToFavorites, cmd::kOrganizeFavorites, cmd::kImportExportFavorites,
                 cmd::kClearTraces, cmd::kOptions, cmd::kProxyDialog}) {
    std::string name;
    sigc::connection watch = Glib::signal_timeout().connect(
        [&] {
          for (Gtk::Window* w : Gtk::Window::list_toplevels()) {
            auto* d = dynamic_cast<Gtk::Dialog*>(w);
            if (!d || !d->get_mapped()) continue;
            name = d->get_name();
            std::vector<std::string> texts;
            ShownTexts(GTK_WIDGET(d->gobj()), texts);
            for (const auto& t : texts) {
              if (ShowsAmpersand(t)) bad.push_back(name + ": " + t);
              if (LatinOnly(t)) latin.push_back(name + ": " + t);
            }
            d->response(Gtk::RESPONSE_CANCEL);
            return false;
          }
          return true;
        },
        50);
    frame().OnCommand(id);
    PumpUntil([&] { return !name.empty(); }, 5s);
    watch.disconnect();
    EXPECT_FALSE(name.empty()) << "command " << id << " showed no dialog";
    seen.insert(name);
  }
  EXPECT_EQ(seen.size(), 6u);
  EXPECT_TRUE(bad.empty()) << ::testing::PrintToString(bad);
  EXPECT_TRUE(latin.empty()) << ::testing::PrintToString(latin);
}

// A popup whose rows changed just before it is clicked open (the first time, after an add)
// opens at its full height: the rows are filled before GTK measures it.
TEST_F(MenuLabels, TheFavoritesMenuOpensAtItsFullHeightFirstAndAfterAnAdd) {
  ASSERT_TRUE(PumpUntil([&] { return frame().deferredStartupDone(); }));
  int shown = 0, wanted = 0;
  GtkWidget* menu = ClickOpen("收藏(_A)");
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(FullHeight(menu, &shown, &wanted)) << shown << " < " << wanted;
  EXPECT_GT(wanted, 150) << "the folder's rows are in";
  CloseMenus();

  ASSERT_NE(OpenAndWait("/t/Added", "Added"), nullptr);
  sigc::connection watch = Glib::signal_timeout().connect(
      [&] {
        for (Gtk::Window* w : Gtk::Window::list_toplevels())
          if (w->get_name() == "favorites-add-dialog" && w->get_mapped()) {
            static_cast<Gtk::Dialog*>(w)->response(Gtk::RESPONSE_OK);
            return false;
          }
        return true;
      },
      50);
  PressKeyIn(GTK_WIDGET(window().gobj()), GDK_KEY_d, GDK_CONTROL_MASK);
  ASSERT_TRUE(PumpUntil([&] { return FileExists(Favorites() + "/Added.url"); }));
  watch.disconnect();
  menu = ClickOpen("收藏(_A)");
  ASSERT_NE(menu, nullptr);
  int before = wanted;
  EXPECT_TRUE(FullHeight(menu, &shown, &wanted)) << shown << " < " << wanted;
  EXPECT_GT(wanted, before) << "the added page is a row more";
  CloseMenus();

  GtkWidget* skins = ClickOpen("皮肤(_K)");
  ASSERT_NE(skins, nullptr);
  EXPECT_TRUE(FullHeight(skins, &shown, &wanted)) << shown << " < " << wanted;
  CloseMenus();
}

// The engine's own menu (on a text field) reads Chinese whatever the session's locale.
TEST_F(MenuLabels, TheEnginesMenuOnATextFieldIsChinese) {
  server_.SetPage("/field", R"HTML(<html><head><title>Field</title></head><body style="margin:0">
      <input id="box" value="some text" style="width:300px;height:40px"></body></html>)HTML");
  CChildFrame* tab = OpenAndWait("/field", "Field");
  ASSERT_NE(tab, nullptr);
  Run(tab, "(function(){var b=document.getElementById('box');b.focus();b.select();return 1;})()");
  auto [x, y] = Center(tab, "box");
  ASSERT_GT(x, 0);
  MoveTo(PageOf(tab), x, y);
  PumpFor(100ms);
  ClickAt(PageOf(tab), x, y, 3);
  GtkWidget* shown = nullptr;
  ASSERT_TRUE(PumpUntil([&] {
    for (Gtk::Window* w : Gtk::Window::list_toplevels()) {
      if (!w->get_mapped() || w->get_type_hint() != Gdk::WINDOW_TYPE_HINT_POPUP_MENU) continue;
      if (auto* menu = dynamic_cast<Gtk::Menu*>(w->get_child())) shown = GTK_WIDGET(menu->gobj());
    }
    return shown != nullptr;
  }));
  PumpFor(100ms);
  std::vector<std::string> texts, latin;
  ShownTexts(shown, texts);
  EXPECT_GE(texts.size(), 3u);
  for (const auto& t : texts)
    if (LatinOnly(t)) latin.push_back(t);
  EXPECT_TRUE(latin.empty()) << ::testing::PrintToString(latin);
  gtk_menu_shell_deactivate(GTK_MENU_SHELL(shown));
}

}  // namespace
