// Drags from a page dropped on it, with the pointer moved through the X server.
#include <gtest/gtest.h>

#include <cstdio>

#include "base/commands.h"
#include "filters/filters_controller.h"
#include "frame/address_box.h"
#include "frame/page_menus.h"
#include "search/search_controller.h"
#include "frame/gtk/main_window.h"
#include "support/pump.h"
#include "support/xtest_input.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class Drags : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    server_.SetPage("/drag", R"(<!DOCTYPE html><html><head><meta charset="utf-8">
      <title>Drag</title></head><body style="margin:0">
      <p style="margin:60px;font-size:24px"><a id="link" href="/t/Dropped">drag this link</a></p>
      <p id="words" style="margin:60px;font-size:24px">dragged words</p>
      <div style="height:2000px"></div></body></html>)");
  }
  XPointerKeeper pointer_;
};

TEST_F(Drags, LinkToTheRightOpensItToTheLeftShowsTheLinkMenu) {
  CChildFrame* tab = OpenAndWait("/drag", "Drag");
  ASSERT_NE(tab, nullptr);
  auto [x, y] = Center(tab, "link");
  ASSERT_GT(x, 0);
  XDrag(PageOf(tab), x, y, x + 150, y + 10);
  ASSERT_TRUE(PumpUntil([&] { return frame().TabCount() == 2; }));
  ASSERT_TRUE(PumpUntil([&] { return frame().TabAt(1)->caption == u"Dropped"; }));
  EXPECT_EQ(tab->caption, u"Drag");
  frame().ActivateTab(tab);
  PumpFor(200ms);
  XDrag(PageOf(tab), x, y, x - 50, y + 5);
  ASSERT_TRUE(PumpUntil([&] { return !probe().ShownPopupMenu().empty(); }));
  EXPECT_EQ(probe().ShownPopupMenu().size(), LinkMenu().size() - 3);  // less separators
  EXPECT_EQ(frame().controller<PageMenuController>().contextKind, ContextKind::Link);
  EXPECT_EQ(ToUtf8(frame().controller<PageMenuController>().contextAddress),
            server_.Url("/t/Dropped"));
  EXPECT_EQ(frame().TabCount(), 2);
}

TEST_F(Drags, SelectedTextUpwardsIsHighlighted) {
  CChildFrame* tab = OpenAndWait("/drag", "Drag");
  ASSERT_NE(tab, nullptr);
  Run(tab, "getSelection().selectAllChildren(document.getElementById('words'))");
  auto [x, y] = Center(tab, "words");
  XDrag(PageOf(tab), x, y, x + 10, y - 80);
  ASSERT_TRUE(PumpUntil([&] { return window().searchBar().SearchBoxText() == u"dragged words"; }));
  EXPECT_EQ(frame().controller<SearchController>().searchTarget, 4);
  ASSERT_TRUE(PumpUntil([&] {
    return Run(tab, "document.querySelectorAll('[style*=\"yellow\"]').length") != "0";
  }));
}

}  // namespace
