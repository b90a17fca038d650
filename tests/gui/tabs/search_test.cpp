// Find and highlight in a real page from the keyword box, and web search from the address box.
#include <gtest/gtest.h>

#include "base/commands.h"
#include "filters/filters_controller.h"
#include "frame/address_box.h"
#include "frame/page_menus.h"
#include "search/search_controller.h"
#include "frame/gtk/main_window.h"
#include "search/find_rules.h"
#include "search/search_engines.h"
#include "support/pump.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class SearchInPage : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    server_.SetPage("/fruit", R"HTML(<html><head><meta charset="utf-8"><title>Fruit</title></head>
        <body><p>apple banana</p><p>apple cherry <b>App</b>le 苹果</p></body></html>)HTML");
  }
  std::string Status() { return probe().StatusText(); }
  std::string Selected(CChildFrame* tab) { return Run(tab, "String(window.getSelection())"); }
};

TEST_F(SearchInPage, FindStepsThroughTheMatchesAndWraps) {
  CChildFrame* tab = OpenAndWait("/fruit", "Fruit");
  ASSERT_NE(tab, nullptr);
  const std::string prefix = "查找关键字 当前/总计: ";
  probe().EnterSearch("apple", GDK_CONTROL_MASK);
  ASSERT_TRUE(PumpUntil([&] { return Status() == prefix + "1/3"; })) << Status();
  EXPECT_EQ(Selected(tab), "\"apple\"");
  frame().OnCommand(cmd::kFunctionKeyF2 + 5);  // F7: on
  ASSERT_TRUE(PumpUntil([&] { return Status() == prefix + "2/3"; })) << Status();
  frame().OnCommand(cmd::kFunctionKeyF2 + 5);
  ASSERT_TRUE(PumpUntil([&] { return Status() == prefix + "3/3"; })) << Status();
  // The match across two elements is one match and is selected whole.
  EXPECT_EQ(Selected(tab), "\"Apple\"");
  frame().OnCommand(cmd::kFunctionKeyF2 + 5);  // past the last: back to the first
  ASSERT_TRUE(PumpUntil([&] { return Status() == prefix + "1/3"; })) << Status();
  frame().OnCommand(cmd::kFunctionKeyF2 + 4);  // F6: backwards from the first wraps to the last
  ASSERT_TRUE(PumpUntil([&] { return Status() == prefix + "3/3"; })) << Status();
  // A Chinese keyword.
  probe().EnterSearch("苹果", GDK_CONTROL_MASK);
  ASSERT_TRUE(PumpUntil([&] { return Status() == prefix + "1/1"; })) << Status();
  EXPECT_EQ(Selected(tab), "\"苹果\"");
}

TEST_F(SearchInPage, HighlightTogglesTheMarks) {
  CChildFrame* tab = OpenAndWait("/fruit", "Fruit");
  ASSERT_NE(tab, nullptr);
  probe().EnterSearch("apple", GdkModifierType(GDK_CONTROL_MASK | GDK_SHIFT_MASK));
  ASSERT_TRUE(PumpUntil([&] { return Status() == "高亮关键字计数: 3"; })) << Status();
  EXPECT_EQ(Run(tab, "document.querySelectorAll('span.zel-highlight').length"), "3");
  EXPECT_EQ(Run(tab, "getComputedStyle(document.querySelector('span.zel-highlight')).color"),
            "\"rgb(255, 0, 0)\"");
  probe().EnterSearch("apple", GdkModifierType(GDK_CONTROL_MASK | GDK_SHIFT_MASK));
  ASSERT_TRUE(PumpUntil([&] { return Status() == "高亮关键字计数: -3"; })) << Status();
  EXPECT_EQ(Run(tab, "document.querySelectorAll('span.zel-highlight').length"), "0");
  EXPECT_EQ(Run(tab, "document.body.textContent.indexOf('apple banana') >= 0"), "true");
}

TEST_F(SearchInPage, EmptyKeywordAsksForOne) {
  ASSERT_NE(OpenAndWait("/fruit", "Fruit"), nullptr);
  probe().EnterSearch("   ", GDK_CONTROL_MASK);
  PumpFor(100ms);
  // An empty box does nothing for the search button; find asks for a keyword.
  frame().OnCommand(kCmdFindInPage);
  ASSERT_FALSE(prompts_.messages.empty());
  EXPECT_EQ(prompts_.messages.back(), kNoKeywordMessage);
}

TEST_F(SearchInPage, WordsInTheAddressBoxOpenASearchTab) {
  ASSERT_NE(OpenAndWait("/fruit", "Fruit"), nullptr);
  frame().OnCommand(kEngineMenuFirstId + 99);  // no such engine: the default template
  probe().EnterAddress("zel browser", GdkModifierType(0));
  ASSERT_TRUE(PumpUntil([&] { return frame().TabCount() == 2; }));
  // The new tab starts blank and is then sent to the search.
  PumpUntil([&] {
    return frame().ActiveView()->CurrentAddress() != u"about:blank";
  });
  EXPECT_EQ(frame().ActiveView()->CurrentAddress(),
            u"https://www.baidu.com/s?wd=zel+browser&tn=ZEL");
  EXPECT_EQ(window().searchBar().SearchBoxText(), u"zel browser");
}

}  // namespace

namespace {

TEST_F(SearchInPage, TypedAddressLoadsAndJoinsTheList) {
  CChildFrame* tab = OpenAndWait("/fruit", "Fruit");
  ASSERT_NE(tab, nullptr);
  // Typed as a user would, without the scheme.
  std::string typed = server_.Url("/t/Typed").substr(7);
  probe().EnterAddress(typed, GdkModifierType(0));
  ASSERT_TRUE(PumpUntil([&] { return tab->caption == u"Typed"; })) << ToUtf8(tab->caption);
  EXPECT_EQ(frame().TabCount(), 1);
  ASSERT_EQ(frame().controller<AddressBoxController>().typedAddresses().size(), 1u);
  EXPECT_EQ(frame().controller<AddressBoxController>().typedAddresses()[0], FromUtf8(server_.Url("/t/Typed")));
  // Alt+Enter: a new tab.
  probe().EnterAddress(server_.Url("/t/Other"), GDK_MOD1_MASK);
  ASSERT_TRUE(PumpUntil([&] { return frame().TabCount() == 2; }));
  EXPECT_TRUE(PumpUntil([&] { return frame().ActiveChild() && frame().ActiveChild()->caption == u"Other"; }));
}

}  // namespace
