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
#include "support/pump.h"
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
