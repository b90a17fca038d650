// Popups of real pages: a window opened without a click stays out of the strip.
#include <gtest/gtest.h>

#include "base/commands.h"
#include "filters/filters_controller.h"
#include "frame/address_box.h"
#include "frame/page_menus.h"
#include "search/search_controller.h"
#include "frame/gtk/main_window.h"
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

}  // namespace
