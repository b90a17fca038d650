// The side panes and the favorites menu in the real window: the menu lists a prepared
// Favorites folder in its stored order and opens its items in tabs; Ctrl+D adds the page
// and the favorites pane shows it; the history pane groups the pages visited and reopens
// one; a page of the web page pane opens its target=_blank link as a tab of the frame.
#include <gtest/gtest.h>
#include <gtkmm.h>
#include <webkit2/webkit2.h>

#include "base/commands.h"
#include "base/files.h"
#include "favorites/favorites_folder.h"
#include "favorites/menu_order.h"
#include "frame/gtk/main_window.h"
#include "history/history_store.h"
#include "platform/ini_registry.h"
#include "support/pump.h"
#include "support/synth_input.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class SidePanes : public FrameTest {
 protected:
  std::string Favorites() const { return ProfileFolder() + "/Favorites"; }
  static std::string Label(GtkWidget* item) {
    const char* t = gtk_menu_item_get_label(GTK_MENU_ITEM(item));
    return t ? t : "";
  }
  // The menu bar's popup with that label, opened as a user opens it.
  GtkWidget* OpenPopup(const std::string& label) {
    GtkWidget* bar = probe().Find("menu-bar");
    if (!bar) return nullptr;
    GList* items = gtk_container_get_children(GTK_CONTAINER(bar));
    GtkWidget* found = nullptr;
    for (GList* l = items; l; l = l->next)
      if (Label(GTK_WIDGET(l->data)) == label) found = GTK_WIDGET(l->data);
    g_list_free(items);
    if (!found) return nullptr;
    gtk_menu_item_activate(GTK_MENU_ITEM(found));
    return gtk_menu_item_get_submenu(GTK_MENU_ITEM(found));
  }
  static std::vector<GtkWidget*> Items(GtkWidget* menu) {
    std::vector<GtkWidget*> out;
    GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
    for (GList* l = items; l; l = l->next) out.push_back(GTK_WIDGET(l->data));
    g_list_free(items);
    return out;
  }
  static std::vector<std::string> Labels(GtkWidget* menu) {
    std::vector<std::string> out;
    for (GtkWidget* w : Items(menu))
      out.push_back(GTK_IS_SEPARATOR_MENU_ITEM(w) ? "-" : Label(w));
    return out;
  }
  // The texts of a tree's rows under parent (top level for null), in order.
  static std::vector<std::string> Rows(GtkWidget* tree, GtkTreeIter* parent) {
    return TreeRows(tree, parent);
  }
  // The row of that text under parent; opens it (as a click on its expander does).
  static bool RowNamed(GtkWidget* tree, GtkTreeIter* parent, const std::string& text,
                       GtkTreeIter* out) {
    GtkTreeModel* model = gtk_tree_view_get_model(GTK_TREE_VIEW(tree));
    for (bool ok = gtk_tree_model_iter_children(model, out, parent); ok;
         ok = gtk_tree_model_iter_next(model, out)) {
      gchar* t = nullptr;
      gtk_tree_model_get(model, out, 0, &t, -1);
      bool match = t && text == t;
      g_free(t);
      if (match) return true;
    }
    return false;
  }
  static void Expand(GtkWidget* tree, GtkTreeIter* it) {
    GtkTreePath* path = gtk_tree_model_get_path(gtk_tree_view_get_model(GTK_TREE_VIEW(tree)), it);
    gtk_tree_view_expand_row(GTK_TREE_VIEW(tree), path, FALSE);
    gtk_tree_path_free(path);
  }
  static Gtk::Window* ShownDialog(const char* name) {
    for (Gtk::Window* w : Gtk::Window::list_toplevels())
      if (w->get_name() == name && w->get_mapped()) return w;
    return nullptr;
  }
  CChildFrame* ActiveWithCaption(const std::string& caption) {
    CChildFrame* a = frame().ActiveChild();
    return a && ToUtf8(a->caption) == caption ? a : nullptr;
  }
};

class FavoritesMenuTest : public SidePanes {
 protected:
  void BeforeStart() override {
    CreateFolderLevels(Favorites() + "/Sub");
    WriteFileAtomic(Favorites() + "/Alpha.url", ShortcutFileText(FromUtf8(server_.Url("/t/Alpha"))));
    WriteFileAtomic(Favorites() + "/Bravo.url", ShortcutFileText(FromUtf8(server_.Url("/t/Bravo"))));
    WriteFileAtomic(Favorites() + "/Sub/c.d.url", ShortcutFileText(u"http://127.0.0.1:1/"));
    WriteFileAtomic(Favorites() + "/New.url", ShortcutFileText(u"http://127.0.0.1:1/"));
    IniRegistry registry(ProfileFolder() + "/registry.ini");
    WriteMenuOrder(registry, u"",
                   {{u"bravo.url", false}, {u"Sub", true}, {u"Alpha.url", false}});
  }
};

TEST_F(FavoritesMenuTest, ListsTheFolderInItsStoredOrderAndOpensAnItemInANewTab) {
  ASSERT_TRUE(PumpUntil([&] { return frame().deferredStartupDone(); }));
  GtkWidget* menu = OpenPopup("收藏(_A)");
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(Labels(menu), (std::vector<std::string>{"添加到收藏夹(_A)...", "整理收藏夹(_M)...",
                                                    "导入导出(_I)...", "-", "Bravo", "Sub",
                                                    "Alpha", "New"}));
  GtkWidget* sub = nullptr;
  for (GtkWidget* w : Items(menu))
    if (!GTK_IS_SEPARATOR_MENU_ITEM(w) && Label(w) == "Sub")
      sub = gtk_menu_item_get_submenu(GTK_MENU_ITEM(w));
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(Labels(sub), (std::vector<std::string>{"c.d"}));
  gtk_menu_shell_deactivate(GTK_MENU_SHELL(probe().Find("menu-bar")));

  const int before = probe().EntryCount();
  for (GtkWidget* w : Items(menu))
    if (!GTK_IS_SEPARATOR_MENU_ITEM(w) && Label(w) == "Bravo") gtk_menu_item_activate(GTK_MENU_ITEM(w));
  ASSERT_TRUE(PumpUntil([&] { return ActiveWithCaption("Bravo") != nullptr; }))
      << probe().EntryCount();
  EXPECT_EQ(probe().EntryCount(), before + 1);
  EXPECT_EQ(ToUtf8(frame().ActiveChild()->view()->CurrentAddress()), server_.Url("/t/Bravo"));
}

TEST_F(SidePanes, CtrlDAddsThePageAndThePaneShowsIt) {
  CChildFrame* tab = OpenAndWait("/t/Saved%20Page", "Saved Page");
  ASSERT_NE(tab, nullptr);
  std::string shownName;
  bool answered = false;
  sigc::connection watch = Glib::signal_timeout().connect(
      [&] {
        Gtk::Window* d = ShownDialog("favorites-add-dialog");
        if (!d) return true;
        GtkWidget* name = FindWidget(GTK_WIDGET(d->gobj()), "favorites-add-name");
        shownName = name ? gtk_entry_get_text(GTK_ENTRY(name)) : "";
        static_cast<Gtk::Dialog*>(d)->response(Gtk::RESPONSE_OK);
        answered = true;
        return false;
      },
      50);
  PressKeyIn(GTK_WIDGET(window().gobj()), GDK_KEY_d, GDK_CONTROL_MASK);
  ASSERT_TRUE(PumpUntil([&] { return answered; }));
  watch.disconnect();
  EXPECT_EQ(shownName, "Saved Page");
  const std::string file = Favorites() + "/Saved Page.url";
  ASSERT_TRUE(PumpUntil([&] { return FileExists(file); }));
  EXPECT_EQ(ToUtf8(FavoriteUrl(file)), server_.Url("/t/Saved%20Page"));

  frame().OnCommand(cmd::kFavoritesPane);
  EXPECT_EQ(frame().CommandChecked(cmd::kFavoritesPane), std::optional<bool>(true));
  GtkWidget* tree = probe().Find("favorites-tree");
  ASSERT_NE(tree, nullptr);
  ASSERT_TRUE(PumpUntil([&] {
    return gtk_widget_get_mapped(tree) &&
           Rows(tree, nullptr) == std::vector<std::string>{"Saved Page"};
  })) << Rows(tree, nullptr).size();
  // A second page added while the pane is open shows at once.
  CChildFrame* other = OpenAndWait("/t/Other", "Other");
  ASSERT_NE(other, nullptr);
  watch = Glib::signal_timeout().connect(
      [&] {
        Gtk::Window* d = ShownDialog("favorites-add-dialog");
        if (!d) return true;
        static_cast<Gtk::Dialog*>(d)->response(Gtk::RESPONSE_OK);
        return false;
      },
      50);
  frame().OnCommand(cmd::kAddToFavorites);
  watch.disconnect();
  EXPECT_EQ(Rows(tree, nullptr), (std::vector<std::string>{"Other", "Saved Page"}));
  frame().OnCommand(cmd::kFavoritesPane);
  EXPECT_EQ(frame().CommandChecked(cmd::kFavoritesPane), std::optional<bool>(false));
}

TEST_F(SidePanes, VisitedPagesAppearUnderTodayAndTheirSiteAndOpenAgain) {
  for (const char* t : {"One", "Two", "Three"})
    ASSERT_NE(OpenAndWait(std::string("/t/") + t, t), nullptr) << t;
  // The visits reach the store on its own thread.
  ASSERT_TRUE(PumpUntil([&] {
    HistoryStore s;
    return s.Open(ProfileFolder() + "/history.sqlite") && s.All().size() >= 3;
  }));
  frame().OnCommand(cmd::kHistoryPane);
  EXPECT_EQ(frame().CommandChecked(cmd::kHistoryPane), std::optional<bool>(true));
  GtkWidget* tree = probe().Find("history-tree");
  ASSERT_NE(tree, nullptr);
  GtkTreeIter today, site, page;
  ASSERT_TRUE(PumpUntil([&] { return RowNamed(tree, nullptr, "今天", &today); }))
      << Rows(tree, nullptr).size();
  Expand(tree, &today);
  const std::string host = "127.0.0.1:" + std::to_string(server_.port());
  ASSERT_TRUE(RowNamed(tree, &today, host, &site)) << Rows(tree, &today).size();
  Expand(tree, &site);
  EXPECT_EQ(Rows(tree, &site), (std::vector<std::string>{"One", "Three", "Two"}));
  // Selecting the site opens no tab; selecting a page opens it in front.
  const int before = probe().EntryCount();
  gtk_tree_selection_select_iter(gtk_tree_view_get_selection(GTK_TREE_VIEW(tree)), &site);
  PumpFor(100ms);
  EXPECT_EQ(probe().EntryCount(), before);
  ASSERT_TRUE(RowNamed(tree, &site, "Two", &page));
  gtk_tree_selection_select_iter(gtk_tree_view_get_selection(GTK_TREE_VIEW(tree)), &page);
  ASSERT_TRUE(PumpUntil([&] { return ActiveWithCaption("Two") != nullptr; }));
  EXPECT_EQ(probe().EntryCount(), before + 1);
}

class BadHistoryTest : public SidePanes {
 protected:
  void BeforeStart() override {
    WriteFileAtomic(ProfileFolder() + "/history.sqlite", kNoDatabase);
  }
  static constexpr char kNoDatabase[] = "these are notes, not a database\n";
};

TEST_F(BadHistoryTest, BrowsingGoesOnAndTheStatusBarSaysHistoryIsUnavailable) {
  ASSERT_NE(OpenAndWait("/t/First", "First"), nullptr);
  EXPECT_TRUE(PumpUntil([&] { return probe().StatusText().find("历史记录不可用") == 0; }))
      << probe().StatusText();
  ASSERT_NE(OpenAndWait("/t/Second", "Second"), nullptr);
  frame().OnCommand(cmd::kHistoryPane);
  GtkWidget* tree = probe().Find("history-tree");
  ASSERT_NE(tree, nullptr);
  PumpFor(300ms);
  EXPECT_TRUE(Rows(tree, nullptr).empty());
  EXPECT_EQ(ReadFileBytes(ProfileFolder() + "/history.sqlite").value_or(""), kNoDatabase);
}

class WebPaneTest : public SidePanes {
 protected:
  void BeforeStart() override {
    // The default search engine's site is the pane's start page.
    const std::string engines = dir_.path() + "/profile/SearchEngine";
    CreateFolderLevels(engines);
    WriteFileAtomic(engines + "/config.ini", "[]\r\ncount=1\r\n0_title=Local\r\n0_s=" +
                                                 server_.Url("/find?q=%s") + "\r\n");
    server_.SetPage("/", "<html><head><title>Pane</title></head><body style='margin:0'>"
                         "<a id='link' href='/t/Opened%20Here' target='_blank' "
                         "style='display:block;width:100%;height:300px'>open</a></body></html>");
  }
};

TEST_F(WebPaneTest, ALinkWithTargetBlankBecomesATabOfTheFrame) {
  ASSERT_TRUE(PumpUntil([&] { return frame().deferredStartupDone(); }));
  frame().OnCommand(cmd::kWebPagePane);
  EXPECT_EQ(frame().CommandChecked(cmd::kWebPagePane), std::optional<bool>(true));
  GtkWidget* page = nullptr;
  ASSERT_TRUE(PumpUntil([&] {
    page = probe().Find("web-pane-page");
    return page && gtk_widget_get_mapped(page) && server_.Hits("/") > 0;
  })) << (page ? webkit_web_view_get_uri(WEBKIT_WEB_VIEW(page)) ?: "-" : "none") << " " << server_.Hits("/")
      << (server_.Requests().empty() ? "" : server_.Requests().back());
  ASSERT_TRUE(PumpUntil([&] {
    WebKitWebView* v = WEBKIT_WEB_VIEW(page);
    return !webkit_web_view_is_loading(v) && webkit_web_view_get_title(v) &&
           std::string(webkit_web_view_get_title(v)) == "Pane";
  }));
  const int before = probe().EntryCount();
  ClickAt(page, 40, 40);
  ASSERT_TRUE(PumpUntil([&] { return ActiveWithCaption("Opened Here") != nullptr; }))
      << probe().EntryCount();
  EXPECT_EQ(probe().EntryCount(), before + 1);
  EXPECT_EQ(server_.Hits("/t/Opened%20Here") + server_.Hits("/t/Opened Here"), 1);
  // The frame's keys work while the pane has the focus.
  gtk_widget_grab_focus(page);
  const int tabs = probe().EntryCount();
  PressKeyIn(GTK_WIDGET(window().gobj()), GDK_KEY_t, GDK_CONTROL_MASK);
  EXPECT_TRUE(PumpUntil([&] { return probe().EntryCount() == tabs + 1; }));
}

}  // namespace
