// Closed pages and the pages of the last run, in the real window with real WebKit tabs.
#include <gtest/gtest.h>
#include <gtkmm.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>

#include "base/commands.h"
#include "frame/gtk/main_window.h"
#include "session/session_controller.h"
#include "support/pump.h"
#include "support/synth_input.h"
#include "support/web_processes.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class SessionPages : public FrameTest {
 protected:
  void Press(guint keyval, guint state = 0) {
    PressKeyIn(GTK_WIDGET(window().gobj()), keyval, state);
    PumpFor(50ms);
  }
  CChildFrame* TabShowing(const std::string& path) {
    for (CChildFrame* c : frame().Tabs())
      if (c->view() && c->view()->CurrentAddress() == FromUtf8(server_.Url(path))) return c;
    return nullptr;
  }
  // A toplevel window of the process by its widget name (the page-list dialog).
  static GtkWidget* Toplevel(const std::string& name, bool shownOnly = true) {
    GList* all = gtk_window_list_toplevels();
    GtkWidget* found = nullptr;
    for (GList* l = all; l && !found; l = l->next)
      if (!shownOnly || gtk_widget_get_visible(GTK_WIDGET(l->data)))
        found = FindWidget(GTK_WIDGET(l->data), name);
    g_list_free(all);
    return found;
  }
};

// A tab that went A -> B is closed; Alt+Z brings back B, and Back then shows A. The only
// tab was closed, so B comes back into the blank tab that took its place, and A is the
// first page of its list.
TEST_F(SessionPages, AltZReopensAClosedPageWithItsBackList) {
  CChildFrame* tab = OpenAndWait("/t/A", "A");
  ASSERT_NE(tab, nullptr);
  Click(tab, "link");
  ASSERT_TRUE(PumpUntil([&] { return tab->caption == u"Linked" && tab->view()->loadState < 0; }));
  GtkWidget* reopen = probe().Find("command-985");
  ASSERT_NE(reopen, nullptr);
  EXPECT_FALSE(gtk_widget_get_sensitive(reopen));

  frame().PostCloseTab(tab);
  ASSERT_TRUE(PumpUntil([&] {
    return frame().TabCount() == 1 && TabShowing("/t/Linked") == nullptr &&
           frame().ActiveChild() != nullptr;
  }));
  CChildFrame* blank = frame().ActiveChild();
  EXPECT_TRUE(gtk_widget_get_sensitive(reopen));
  // The blank page left behind has loaded: a reopened page takes its place.
  ASSERT_TRUE(PumpUntil([&] { return blank->view() && blank->view()->loadState < 0; }));

  Press(GDK_KEY_z, GDK_MOD1_MASK);
  ASSERT_TRUE(PumpUntil([&] { return TabShowing("/t/Linked") != nullptr; }));
  CChildFrame* back = TabShowing("/t/Linked");
  EXPECT_EQ(back, blank);
  ASSERT_TRUE(PumpUntil([&] { return back->caption == u"Linked" && back->view()->loadState < 0; }));
  EXPECT_EQ(frame().TabCount(), 1);
  EXPECT_FALSE(gtk_widget_get_sensitive(reopen));
  ASSERT_TRUE(PumpUntil([&] { return frame().CommandEnabled(cmd::kBack); }));

  frame().ActivateTab(back);
  // WebKit drops a Back given while the reopened page is still loading.
  ASSERT_TRUE(PumpUntil([&] { return !back->view()->engine()->Busy(); }));
  frame().OnCommand(cmd::kBack);
  EXPECT_TRUE(PumpUntil([&] { return back->caption == u"A"; }));
  EXPECT_EQ(back->view()->CurrentAddress(), FromUtf8(server_.Url("/t/A")));
  // Nothing before A: the blank page the tab showed is not in the list.
  EXPECT_TRUE(PumpUntil([&] { return !frame().CommandEnabled(cmd::kBack); }));
  EXPECT_TRUE(frame().CommandEnabled(cmd::kForward));
}

// The reopen button's menu lists the closed pages, newest first; an item brings its page back.
TEST_F(SessionPages, TheClosedPagesMenuReopensThePickedPage) {
  OpenAndWait("/t/Stays", "Stays");
  for (const char* title : {"One", "Two", "Three"}) {
    CChildFrame* t = OpenAndWait(std::string("/t/") + title, title);
    ASSERT_NE(t, nullptr);
    frame().PostCloseTab(t);
    ASSERT_TRUE(PumpUntil([&] { return TabShowing(std::string("/t/") + title) == nullptr; }));
  }
  // The drop-down menu lives in a popup window of its own until it is shown.
  GtkWidget* menu = Toplevel("closed-pages-menu", false);
  ASSERT_NE(menu, nullptr);
  std::vector<std::string> texts;
  GtkWidget* oneItem = nullptr;
  GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
  for (GList* l = items; l; l = l->next) {
    texts.push_back(gtk_menu_item_get_label(GTK_MENU_ITEM(l->data)));
    if (texts.back() == "One") oneItem = GTK_WIDGET(l->data);
  }
  g_list_free(items);
  EXPECT_EQ(texts, (std::vector<std::string>{"Three", "Two", "One"}));
  ASSERT_NE(oneItem, nullptr);
  gtk_menu_item_activate(GTK_MENU_ITEM(oneItem));
  ASSERT_TRUE(PumpUntil([&] { return TabShowing("/t/One") != nullptr; }));
  ASSERT_TRUE(PumpUntil([&] {
    GList* left = gtk_container_get_children(GTK_CONTAINER(menu));
    bool two = g_list_length(left) == 2;
    g_list_free(left);
    return two;
  }));
}

// The page-list dialog (Ctrl+M) lists the pages of the last run, checked; OK opens them.
class PageListDialogTest : public SessionPages {
 protected:
  void BeforeStart() override {
    std::ofstream(ProfileFolder() + "/last.ini", std::ios::binary)
        << "[visit]\r\ncount=2\r\ntitle_0=Last One\r\nurl_0=" << server_.Url("/t/LastOne")
        << "\r\ntitle_1=Last Two\r\nurl_1=" << server_.Url("/t/LastTwo") << "\r\n";
  }
};

TEST_F(PageListDialogTest, OpensTheCheckedPagesOfTheLastRun) {
  OpenAndWait("/t/Here", "Here");
  Press(GDK_KEY_m, GDK_CONTROL_MASK);
  GtkWidget* dialog = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (dialog = Toplevel("page-list")) != nullptr; }));
  GtkWidget* list = FindWidget(dialog, "page-list-tab-0");
  ASSERT_NE(list, nullptr);
  GtkTreeModel* model = gtk_tree_view_get_model(GTK_TREE_VIEW(list));
  ASSERT_EQ(gtk_tree_model_iter_n_children(model, nullptr), 2);
  GtkTreeIter it;
  ASSERT_TRUE(gtk_tree_model_get_iter_first(model, &it));
  gboolean checked = FALSE;
  gchar* name = nullptr;
  gtk_tree_model_get(model, &it, 0, &checked, 1, &name, -1);
  EXPECT_TRUE(checked);
  EXPECT_STREQ(name, "Last One");
  g_free(name);

  // The open tabs carry their tab icons.
  GtkWidget* open = FindWidget(dialog, "page-list-tab-2");
  ASSERT_NE(open, nullptr);
  GtkTreeModel* openModel = gtk_tree_view_get_model(GTK_TREE_VIEW(open));
  ASSERT_EQ(gtk_tree_model_iter_n_children(openModel, nullptr), 1);
  ASSERT_TRUE(gtk_tree_model_get_iter_first(openModel, &it));
  GdkPixbuf* icon = nullptr;
  gchar* openName = nullptr;
  gtk_tree_model_get(openModel, &it, 1, &openName, 3, &icon, -1);
  EXPECT_STREQ(openName, "Here");
  EXPECT_NE(icon, nullptr);
  g_free(openName);
  if (icon) g_object_unref(icon);

  GtkWidget* ok = FindWidget(dialog, "page-list-ok");
  ASSERT_NE(ok, nullptr);
  gtk_button_clicked(GTK_BUTTON(ok));
  EXPECT_TRUE(PumpUntil([&] { return TabShowing("/t/LastOne") && TabShowing("/t/LastTwo"); }));
  EXPECT_TRUE(PumpUntil([&] { return !gtk_widget_get_visible(dialog); }));
  EXPECT_EQ(frame().TabCount(), 3);
}

// Start mode 2 with a large last run: only the page in front loads; the others wait under
// their stored titles, without a web process each, and load when first shown. Closing one
// that never loaded still brings its page back with Alt+Z.
class RestoredSession : public SessionPages {
 protected:
  static constexpr int kPages = 30;
  void BeforeStart() override {
    std::ofstream last(ProfileFolder() + "/last.ini", std::ios::binary);
    last << "[visit]\r\ncount=" << kPages << "\r\n";
    for (int i = 0; i < kPages; ++i)
      last << "title_" << i << "=Stored " << i << "\r\nurl_" << i << "="
           << server_.Url("/t/R" + std::to_string(i)) << "\r\n";
  }
  int PagesRequested() const {
    int n = 0;
    for (int i = 1; i < kPages; ++i) n += server_.Hits("/t/R" + std::to_string(i)) > 0;
    return n;
  }
};

TEST_F(RestoredSession, OnlyThePageInFrontLoadsTheOthersWhenShown) {
  frame().settings().storedStartmode = 2;
  frame().settings().normalquit = true;
  frame().settings().startmode = 2;
  frame().OpenStartPage();
  ASSERT_TRUE(PumpUntil([&] { return CaptionIs("R0 - Zel浏览器"); }, 20s)) << window().get_title();
  ASSERT_EQ(frame().TabCount(), kPages);
  // The waiting tabs show their stored titles; none of their pages is asked for.
  EXPECT_EQ(probe().EntryText(1), "Stored 1");
  EXPECT_EQ(probe().EntryText(kPages - 1), "Stored " + std::to_string(kPages - 1));
  EXPECT_FALSE(PumpUntil([&] { return PagesRequested() > 0; }, 3s)) << PagesRequested();
  const int processes = WebProcessesBelow(getpid());
  std::printf("%d restored pages: %d web processes\n", kPages, processes);
  EXPECT_LE(processes, 2);

  // The next tab comes forward with Ctrl+Tab and loads its page.
  CChildFrame* front = frame().ActiveChild();
  const auto pressed = std::chrono::steady_clock::now();
  PressKeyIn(GTK_WIDGET(window().gobj()), GDK_KEY_Tab, GDK_CONTROL_MASK);
  ASSERT_TRUE(PumpUntil([&] { return frame().ActiveChild() != front; }));
  std::printf("Ctrl+Tab acted after %lld ms\n",
              (long long)std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now() - pressed).count());
  ASSERT_TRUE(PumpUntil([&] { return CaptionIs("R1 - Zel浏览器"); }, 20s)) << window().get_title();
  EXPECT_EQ(server_.Hits("/t/R1"), 1);
  EXPECT_EQ(PagesRequested(), 1);

  // A tab never shown is closed; Alt+Z brings its page back, loaded.
  CChildFrame* waiting = nullptr;
  for (CChildFrame* c : frame().Tabs())
    if (c->caption == u"Stored 7") waiting = c;
  ASSERT_NE(waiting, nullptr);
  frame().PostCloseTab(waiting);
  ASSERT_TRUE(PumpUntil([&] { return frame().TabCount() == kPages - 1; }));
  EXPECT_EQ(server_.Hits("/t/R7"), 0);
  Press(GDK_KEY_z, GDK_MOD1_MASK);
  ASSERT_TRUE(PumpUntil([&] { return server_.Hits("/t/R7") == 1; }, 20s));
  ASSERT_TRUE(PumpUntil([&] {
    CChildFrame* back = TabShowing("/t/R7");
    return back && back->caption == u"R7";
  }, 20s));
}

}  // namespace
