// The content filter in the real frame: lists from blockage.ini reach the request hook of
// every tab; script errors of a page go to the status bar.
#include <gtest/gtest.h>

#include "base/files.h"
#include "filters/filters_controller.h"
#include "frame/address_box.h"
#include "frame/page_menus.h"
#include "search/search_controller.h"
#include "base/commands.h"
#include "frame/gtk/main_window.h"
#include "support/menu_path.h"
#include "support/pump.h"
#include "support/synth_input.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class ContentFilter : public FrameTest {
 protected:
  void BeforeStart() override {
    WriteFileAtomic(ProfileFolder() + "/blockage.ini",
                    "[URL]\r\nurl_block_count=1\r\nblock_0=http://127.0.0.1:*/ads/*\r\n");
    server_.SetPage("/page", R"HTML(<html><head><title>Page</title></head><body>
        <img id="ad" src="/ads/banner.png"><img id="own" src="/own.png"></body></html>)HTML");
    server_.SetPage("/ads/banner.png", "not really a png");
    server_.SetPage("/own.png", "not really a png");
  }
  std::string Size(CChildFrame* tab, const std::string& id) {
    return Run(tab, "(function(){var i=document.getElementById('" + id +
                        "');return i.complete ? i.naturalWidth + 'x' + i.naturalHeight : 'loading';})()");
  }
};

TEST_F(ContentFilter, ListedRequestsGetTheBlankImage) {
  CChildFrame* tab = OpenAndWait("/page", "Page");
  ASSERT_NE(tab, nullptr);
  EXPECT_TRUE(PumpUntil([&] { return Size(tab, "ad") == "\"1x1\""; })) << Size(tab, "ad");
  EXPECT_EQ(server_.Hits("/ads/banner.png"), 0);
  EXPECT_EQ(server_.Hits("/own.png"), 1);
  // Switched off (1028), the same page fetches the image.
  frame().OnCommand(cmd::kContentFilter);
  EXPECT_EQ(frame().CommandChecked(cmd::kContentFilter), false);
  CChildFrame* again = OpenAndWait("/page", "Page");
  ASSERT_NE(again, nullptr);
  EXPECT_TRUE(PumpUntil([&] { return server_.Hits("/ads/banner.png") == 1; }));
}

TEST_F(ContentFilter, AddedEntriesReachTheHook) {
  frame().controller<PageMenuController>().contextAddress = FromUtf8(server_.Url("/own.png"));
  prompts_.textAnswers = {FromUtf8(server_.Url("/own.png"))};
  frame().OnCommand(cmd::kAddToContentFilter);
  CChildFrame* tab = OpenAndWait("/page", "Page");
  ASSERT_NE(tab, nullptr);
  EXPECT_TRUE(PumpUntil([&] { return Size(tab, "own") == "\"1x1\""; })) << Size(tab, "own");
  EXPECT_EQ(server_.Hits("/own.png"), 0);
}

// An address added from the linked image's menu (the input box starts with the image's
// address) reaches the tab that is open: the same page loaded again in it never asks the
// server for it.
TEST_F(ContentFilter, AnAddedImageIsBlockedInTheOpenTab) {
  server_.SetPage("/linked", R"HTML(<html><head><title>Linked</title></head><body style="margin:0">
      <img id="ad" src="/ads/banner.png"><a id="link" href="/t/Elsewhere"><img id="own"
      src="/own.png" style="width:80px;height:80px;display:block"></a></body></html>)HTML");
  CChildFrame* tab = OpenAndWait("/linked", "Linked");
  ASSERT_NE(tab, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return Size(tab, "ad") == "\"1x1\""; })) << Size(tab, "ad");
  ASSERT_EQ(server_.Hits("/own.png"), 1);
  auto loadAgain = [&](int pageHits) {
    probe().EnterAddress(server_.Url("/linked"), GdkModifierType(0));
    return PumpUntil([&] {
      return server_.Hits("/linked") == pageHits && tab->view()->loadState < 0 &&
             Size(tab, "own") != "\"loading\"" && Size(tab, "ad") != "\"loading\"";
    });
  };
  const int ownBefore = server_.Hits("/own.png");
  // 添加到过滤器 on the linked image: the input box starts with the image's address.
  auto [x, y] = Center(tab, "own");
  ASSERT_GT(x, 0);
  MoveTo(PageOf(tab), x, y);
  ASSERT_TRUE(PumpUntil([&] { return !tab->view()->engine()->HitUnderPointer().image.empty(); }));
  ClickAt(PageOf(tab), x, y, 3);
  ASSERT_TRUE(PumpUntil([&] { return probe().ShownMenu("page-menu") != nullptr; }));
  GtkWidget* add = MenuItemAt(probe().ShownMenu("page-menu"), {"添加到过滤器"});
  ASSERT_NE(add, nullptr);
  const std::string image = server_.Url("/own.png");
  prompts_.textAnswers = {FromUtf8(image)};
  gtk_menu_item_activate(GTK_MENU_ITEM(add));
  gtk_menu_shell_deactivate(GTK_MENU_SHELL(probe().ShownMenu("page-menu")));
  ASSERT_TRUE(PumpUntil([&] { return !prompts_.initials.empty(); }));
  EXPECT_EQ(ToUtf8(prompts_.initials.back()), image);
  ASSERT_EQ(prompts_.longTextCaptions.size(), 1u);  // the multi-line box, titled "输入"
  EXPECT_EQ(prompts_.longTextCaptions.back(), u"输入");
  // The same page in the same tab: the added address never reaches the server again.
  ASSERT_TRUE(loadAgain(2));
  EXPECT_TRUE(PumpUntil([&] { return Size(tab, "own") == "\"1x1\""; })) << Size(tab, "own");
  EXPECT_EQ(server_.Hits("/own.png"), ownBefore);
  EXPECT_EQ(frame().TabCount(), 1);
}

// Switching the filter off (1028 from the menu, then 1393 from the toolbar with 1028 on
// again) reaches the open tab: the same page loaded again in it asks the server for the
// image it was given blank before, without F5.
TEST_F(ContentFilter, SwitchingOffReachesTheOpenTab) {
  CChildFrame* tab = OpenAndWait("/page", "Page");
  ASSERT_NE(tab, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return Size(tab, "ad") == "\"1x1\""; })) << Size(tab, "ad");
  int pageHits = server_.Hits("/page");
  auto loadAgain = [&] {
    probe().EnterAddress(server_.Url("/page"), GdkModifierType(0));
    ++pageHits;
    return PumpUntil([&] {
      return server_.Hits("/page") == pageHits && tab->view()->loadState < 0 &&
             Size(tab, "ad") != "\"loading\"";
    });
  };
  GtkWidget* bar = probe().Find("menu-bar");
  ASSERT_TRUE(ActivateMenuPath(bar, {"工具", "广告过滤", "启用页面内容过滤器"}));
  ASSERT_TRUE(loadAgain());
  EXPECT_TRUE(PumpUntil([&] { return server_.Hits("/ads/banner.png") == 1; }));
  EXPECT_NE(Size(tab, "ad"), "\"1x1\"");
  // On again: blank again, no request. Then off with the toolbar's master switch.
  ASSERT_TRUE(ActivateMenuPath(bar, {"工具", "广告过滤", "启用页面内容过滤器"}));
  ASSERT_TRUE(loadAgain());
  EXPECT_TRUE(PumpUntil([&] { return Size(tab, "ad") == "\"1x1\""; })) << Size(tab, "ad");
  EXPECT_EQ(server_.Hits("/ads/banner.png"), 1);
  auto* button = dynamic_cast<Gtk::ToggleToolButton*>(probe().StandardButton(cmd::kAllFilters));
  ASSERT_NE(button, nullptr);
  gtk_button_clicked(GTK_BUTTON(gtk_bin_get_child(GTK_BIN(button->gobj()))));
  ASSERT_TRUE(PumpUntil([&] { return !button->get_active(); }));
  ASSERT_TRUE(loadAgain());
  EXPECT_TRUE(PumpUntil([&] { return server_.Hits("/ads/banner.png") == 2; }));
  EXPECT_EQ(frame().TabCount(), 1);
}

// "启用过滤器" on the toolbar shows whether any filter is on and switches them all.
TEST_F(ContentFilter, TheMasterSwitchIsOnTheToolbar) {
  auto* button = dynamic_cast<Gtk::ToggleToolButton*>(probe().StandardButton(cmd::kAllFilters));
  ASSERT_NE(button, nullptr);
  EXPECT_TRUE(button->get_active());  // the content filter is on from the start
  EXPECT_EQ(button->get_label(), "启用过滤器");
  // Clicked as the pointer clicks it: the button inside the tool item.
  gtk_button_clicked(GTK_BUTTON(gtk_bin_get_child(GTK_BIN(button->gobj()))));
  ASSERT_TRUE(PumpUntil([&] { return !button->get_active(); }));
  GtkWidget* bar = probe().Find("menu-bar");
  EXPECT_FALSE(MenuItemChecked(MenuItemAt(bar, {"工具", "广告过滤", "启用页面内容过滤器"})));
  gtk_menu_shell_deactivate(GTK_MENU_SHELL(bar));
  CChildFrame* tab = OpenAndWait("/page", "Page");
  ASSERT_NE(tab, nullptr);
  EXPECT_TRUE(PumpUntil([&] { return server_.Hits("/ads/banner.png") == 1; }));
  // Switched from the menu, the button follows.
  ASSERT_TRUE(ActivateMenuPath(bar, {"工具", "广告过滤", "启用过滤器"}));
  EXPECT_TRUE(PumpUntil([&] { return button->get_active(); }));
}

TEST_F(ContentFilter, ScriptErrorsShowInTheStatusBar) {
  server_.SetPage("/broken", R"HTML(<html><head><title>Broken</title></head><body>
      <script>window.setTimeout(function () { undefinedFunction(); }, 200);</script>
      </body></html>)HTML");
  CChildFrame* tab = OpenAndWait("/broken", "Broken");
  ASSERT_NE(tab, nullptr);
  EXPECT_TRUE(PumpUntil([&] { return probe().StatusText() == "Script Error!"; }))
      << probe().StatusText();
  EXPECT_TRUE(prompts_.messages.empty());
}

}  // namespace

namespace {

TEST_F(ContentFilter, FloatingAdGoesAtItsFirstMove) {
  frame().controller<FiltersController>().lists().switches.floatingAd = true;
  server_.SetPage("/float", R"HTML(<html><head><title>Float</title></head><body>
      <div id="ad" style="position:absolute;left:10px;top:10px">ad</div>
      <div id="still" style="position:absolute;left:10px;top:60px">still</div>
      <script>window.setTimeout(function () {
        window.setInterval(function () {
          var a = document.getElementById('ad'); if (a) a.style.left = (parseInt(a.style.left) + 5) + 'px';
        }, 100); }, 500);</script></body></html>)HTML");
  CChildFrame* tab = OpenAndWait("/float", "Float");
  ASSERT_NE(tab, nullptr);
  EXPECT_TRUE(PumpUntil([&] { return Run(tab, "!!document.getElementById('ad')") == "false"; }));
  EXPECT_EQ(Run(tab, "!!document.getElementById('still')"), "true");
}

}  // namespace
