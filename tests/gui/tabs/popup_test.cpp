// Popups of real pages: a window opened without a click stays out of the strip.
#include <gtest/gtest.h>

#include "base/commands.h"
#include "filters/filters_controller.h"
#include "frame/address_box.h"
#include "frame/page_menus.h"
#include "search/search_controller.h"
#include "frame/gtk/main_window.h"
#include "base/files.h"
#include "support/menu_path.h"
#include "support/pump.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class Popups : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    frame().settings().popupFilter = true;
    frame().settings().showInfoBar = true;
    frame().controller<FiltersController>().lists().switches.popup = true;
    server_.SetPage("/auto", R"HTML(<html><head><title>Auto</title></head><body>
        <button id="b" onclick="window.open('/t/Clicked')">open</button>
        <script>window.onload = function () { window.open('/t/Unasked'); };</script>
        </body></html>)HTML");
  }
};

TEST_F(Popups, WindowWithoutAClickIsBlockedOneWithAClickOpens) {
  CChildFrame* tab = OpenAndWait("/auto", "Auto");
  ASSERT_NE(tab, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return frame().controller<FiltersController>().lists().blockedPopupCount == 1; }));
  PumpFor(300ms);
  EXPECT_EQ(Entries(), std::vector<std::string>{"Auto"});
  EXPECT_EQ(server_.Hits("/t/Unasked"), 0);
  std::string bar = probe().PopupBarText(tab);
  EXPECT_NE(bar.find("/t/Unasked"), std::string::npos) << bar;
  // A real click lets its window through, as a tab.
  Click(tab, "b");
  ASSERT_TRUE(PumpUntil([&] { return Entries().size() == 2; }))
      << ::testing::PrintToString(Entries());
  EXPECT_TRUE(PumpUntil([&] { return frame().TabAt(1)->caption == u"Clicked"; }));
}

TEST_F(Popups, FilterOffOpensEveryWindow) {
  frame().OnCommand(cmd::kPopupFilter);
  ASSERT_FALSE(frame().controller<FiltersController>().lists().switches.popup);
  OpenAndWait("/auto", "Auto");
  EXPECT_TRUE(PumpUntil([&] { return Entries().size() == 2; }))
      << ::testing::PrintToString(Entries());
  EXPECT_EQ(frame().controller<FiltersController>().lists().blockedPopupCount, 0);
}

// 工具 → 广告过滤 → 弹出窗口过滤列表: the allowed sites, added and removed by the user, kept
// in Unblocksite.dat, and their windows let through while they are on the list.
TEST_F(Popups, AllowedSitesAreSeenAddedAndRemovedInTheListDialog) {
  GtkWidget* bar = probe().Find("menu-bar");
  ASSERT_TRUE(ActivateMenuPath(bar, {"工具", "广告过滤", "弹出窗口过滤列表"}));
  GtkWidget* dialog = nullptr;
  ASSERT_TRUE(PumpUntil([&] {
    for (Gtk::Window* w : Gtk::Window::list_toplevels())
      if (w->get_name() == "popup-lists" && w->get_visible()) dialog = GTK_WIDGET(w->gobj());
    return dialog != nullptr;
  }));
  GtkWidget* list = FindWidget(dialog, "allowed-sites");
  GtkWidget* entry = FindWidget(dialog, "allowed-site-entry");
  GtkWidget* add = FindWidget(dialog, "allowed-site-add");
  GtkWidget* remove = FindWidget(dialog, "allowed-site-remove");
  ASSERT_TRUE(list && entry && add && remove);
  EXPECT_TRUE(TreeRows(list).empty());
  const std::string sitesFile = ProfileFolder() + "/Unblocksite.dat";
  for (const char* typed : {"www.Example.com", "http://127.0.0.1:8/x"}) {
    gtk_entry_set_text(GTK_ENTRY(entry), typed);
    gtk_button_clicked(GTK_BUTTON(add));
  }
  EXPECT_EQ(TreeRows(list), (std::vector<std::string>{".example.com", "127.0.0.1"}));
  EXPECT_EQ(ToUtf8(ReadUtf16LeFile(sitesFile).value_or(u"")), ".example.com,127.0.0.1,");
  // The page's window without a click is let through: its site is allowed.
  CChildFrame* tab = OpenAndWait("/auto", "Auto");
  ASSERT_NE(tab, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return server_.Hits("/t/Unasked") == 1; }));
  // Removed, the site's windows are blocked again, and the file no longer has it.
  GtkTreeIter second;
  GtkTreeModel* model = gtk_tree_view_get_model(GTK_TREE_VIEW(list));
  ASSERT_TRUE(gtk_tree_model_iter_nth_child(model, &second, nullptr, 1));
  gtk_tree_selection_select_iter(gtk_tree_view_get_selection(GTK_TREE_VIEW(list)), &second);
  gtk_button_clicked(GTK_BUTTON(remove));
  EXPECT_EQ(TreeRows(list), std::vector<std::string>{".example.com"});
  EXPECT_EQ(ToUtf8(ReadUtf16LeFile(sitesFile).value_or(u"")), ".example.com,");
  int blocked = frame().controller<FiltersController>().lists().blockedPopupCount;
  OpenAndWait("/auto", "Auto");
  EXPECT_TRUE(PumpUntil([&] {
    return frame().controller<FiltersController>().lists().blockedPopupCount == blocked + 1;
  }));
  EXPECT_EQ(server_.Hits("/t/Unasked"), 1);
}

// A page on the popup block list: its tab closes, the frame says why, and a frame never
// stays without a tab.
class ListedPages : public FrameTest {
 protected:
  void BeforeStart() override {
    WriteFileAtomic(ProfileFolder() + "/blockage.ini",
                    "[POPUP]\r\npop_block_count=1\r\nblock_0=http://127.0.0.1:*/t/Listed\r\n");
  }
  void SetUp() override {
    FrameTest::SetUp();
    frame().settings().showInfoBar = true;
    ASSERT_TRUE(ActivateMenuPath(probe().Find("menu-bar"), {"工具", "广告过滤", "启用弹出窗口过滤器"}));
    ASSERT_TRUE(frame().controller<FiltersController>().lists().switches.popup);
  }
  const std::string kWhy = "已阻止弹出窗口过滤列表中的网页: ";
};

TEST_F(ListedPages, ATypedListedAddressClosesItsTabAndSaysWhy) {
  CChildFrame* first = OpenAndWait("/t/First", "First");
  ASSERT_NE(first, nullptr);
  CChildFrame* second = OpenAndWait("/t/Second", "Second");
  ASSERT_NE(second, nullptr);
  ASSERT_EQ(frame().TabCount(), 2);
  probe().EnterAddress(server_.Url("/t/Listed"), GdkModifierType(0));
  ASSERT_TRUE(PumpUntil([&] { return frame().TabCount() == 1; })) << ::testing::PrintToString(Entries());
  CChildFrame* shown = frame().ActiveChild();
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown, first);
  EXPECT_TRUE(PumpUntil([&] { return probe().StatusText().rfind(kWhy, 0) == 0; })) << probe().StatusText();
  EXPECT_NE(probe().StatusText().find("/t/Listed"), std::string::npos);
  EXPECT_EQ(probe().PopupBarText(shown).rfind(kWhy, 0), 0u) << probe().PopupBarText(shown);
  EXPECT_EQ(server_.Hits("/t/Listed"), 0);
  // The last tab goes the same way, and a blank tab takes its place.
  probe().EnterAddress(server_.Url("/t/Listed"), GdkModifierType(0));
  ASSERT_TRUE(PumpUntil([&] { return frame().ActiveChild() && frame().ActiveChild() != first; }));
  EXPECT_EQ(frame().TabCount(), 1);
}

TEST_F(ListedPages, AListedStartPageLeavesABlankTabThatWorks) {
  frame().settings().startmode = 1;
  frame().settings().homepage = FromUtf8(server_.Url("/t/Listed"));
  frame().OpenStartPage();
  ASSERT_TRUE(PumpUntil([&] { return frame().controller<FiltersController>().lists().blockedPopupCount == 1; }));
  ASSERT_TRUE(PumpUntil([&] { return frame().TabCount() == 1 && frame().ActiveChild(); }));
  // A typed address opens in the blank tab.
  probe().EnterAddress(server_.Url("/t/Typed"), GdkModifierType(0));
  EXPECT_TRUE(PumpUntil([&] { return frame().ActiveChild() && frame().ActiveChild()->caption == u"Typed"; }));
  EXPECT_EQ(server_.Hits("/t/Listed"), 0);
}

}  // namespace
