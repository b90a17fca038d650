// Mouse gestures, the right button with the wheel, the middle button and the page's
// context menu, with events synthesized on real WebKit views.
#include <gtest/gtest.h>

#include <cstdio>

#include "base/commands.h"
#include "filters/filters_controller.h"
#include "frame/address_box.h"
#include "frame/page_menus.h"
#include "search/search_controller.h"
#include "frame/gtk/main_window.h"
#include "support/menu_path.h"
#include "support/pump.h"
#include "support/synth_input.h"
#include "tabs/frame_test.h"
#include "view/gtk/synth_events.h"
#include "view/gtk/webkit_engine.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class Gestures : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    server_.SetPage("/links", R"(<!DOCTYPE html><html><head><meta charset="utf-8">
      <title>Links</title></head><body style="margin:0">
      <p style="margin:40px"><a id="out" href="/t/Target">to another page</a></p>
      <p id="words" style="margin:40px;font-size:30px">selected words</p>
      <div style="height:3000px"></div></body></html>)");
    frame().controller<PageMenuController>().gestureTable().LoadFromText(u"");
  }
  // A right-button stroke through the points.
  void Stroke(CChildFrame* tab, std::vector<std::pair<double, double>> points) {
    GtkWidget* w = PageOf(tab);
    MoveTo(w, points[0].first, points[0].second);
    SynthButton(w, GDK_BUTTON_PRESS, points[0].first, points[0].second, 3, 0);
    for (size_t i = 1; i < points.size(); ++i) {
      SynthMotion(w, points[i].first, points[i].second, GDK_BUTTON3_MASK);
      PumpFor(20ms);
    }
    auto* engine = dynamic_cast<WebKitEngine*>(tab->view()->engine());
    trailWhileHeld_ = engine ? engine->TrailPoints() : 0;
    hintWhileHeld_ = probe().StatusText();
    SynthButton(w, GDK_BUTTON_RELEASE, points.back().first, points.back().second, 3,
                GDK_BUTTON3_MASK);
  }
  size_t trailWhileHeld_ = 0;
  std::string hintWhileHeld_;
  // Points the pointer at the element and waits until WebKit reports the link under it.
  void HoverLink(CChildFrame* tab, double x, double y) {
    MoveTo(PageOf(tab), x, y);
    ASSERT_TRUE(PumpUntil([&] { return !tab->view()->engine()->HitUnderPointer().link.empty(); }));
  }
};

TEST_F(Gestures, StrokeToTheLeftGoesBack) {
  CChildFrame* tab = OpenAndWait("/t/First", "First");
  ASSERT_NE(tab, nullptr);
  Run(tab, "location.href='/t/Second'");
  ASSERT_TRUE(PumpUntil([&] { return tab->caption == u"Second" && tab->view()->backEnabled; }));
  Stroke(tab, {{300, 300}, {280, 300}, {240, 302}, {200, 305}});
  ASSERT_TRUE(PumpUntil([&] { return tab->caption == u"First"; })) << ToUtf8(tab->caption);
  PumpFor(200ms);
  EXPECT_TRUE(probe().ShownPopupMenu().empty());
}

TEST_F(Gestures, UpThenDownRefreshes) {
  CChildFrame* tab = OpenAndWait("/t/Counted", "Counted");
  ASSERT_NE(tab, nullptr);
  ASSERT_EQ(server_.Hits("/t/Counted"), 1);
  frame().settings().showGestureHint = true;
  Stroke(tab, {{300, 300}, {300, 260}, {300, 220}, {300, 260}, {300, 300}});
  ASSERT_TRUE(PumpUntil([&] { return server_.Hits("/t/Counted") == 2; }));
  EXPECT_TRUE(probe().ShownPopupMenu().empty());
  // While the button was held: the hint and the trail through every point.
  EXPECT_EQ(hintWhileHeld_, "手势: UD => 刷新");
  EXPECT_EQ(trailWhileHeld_, 5u);
  auto* engine = dynamic_cast<WebKitEngine*>(tab->view()->engine());
  ASSERT_NE(engine, nullptr);
  EXPECT_EQ(engine->TrailPoints(), 0u);
}

// The trail follows the right button also with gestures (and page dragging) off.
TEST_F(Gestures, TheTrailIsDrawnWithGesturesOff) {
  CChildFrame* tab = OpenAndWait("/links", "Links");
  ASSERT_NE(tab, nullptr);
  GtkWidget* bar = probe().Find("menu-bar");
  ASSERT_TRUE(ActivateMenuPath(bar, {"工具", "鼠标手势"}));
  EXPECT_FALSE(MenuItemChecked(MenuItemAt(bar, {"工具", "鼠标手势"})));
  gtk_menu_shell_deactivate(GTK_MENU_SHELL(bar));
  ASSERT_FALSE(frame().settings().rdrag);
  // The menu has let go of the pointer before the stroke.
  ASSERT_TRUE(PumpUntil([&] { return gtk_grab_get_current() == nullptr; }));
  PumpFor(100ms);
  Stroke(tab, {{300, 300}, {300, 260}, {300, 220}, {300, 180}});
  // A line is drawn (a motion may come in merged with the next one).
  EXPECT_GE(trailWhileHeld_, 2u);
  auto* engine = dynamic_cast<WebKitEngine*>(tab->view()->engine());
  ASSERT_NE(engine, nullptr);
  EXPECT_EQ(engine->TrailPoints(), 0u);
  // No gesture ran: the page is where it was.
  EXPECT_EQ(tab->caption, u"Links");
}

TEST_F(Gestures, StrokesDownAndUpScrollByScreens) {
  CChildFrame* tab = OpenAndWait("/links", "Links");
  ASSERT_NE(tab, nullptr);
  Stroke(tab, {{300, 200}, {300, 240}, {300, 280}});
  ASSERT_TRUE(PumpUntil([&] { return std::atoi(Run(tab, "window.scrollY").c_str()) > 100; }));
  // The engine may still be moving the page (a smooth scroll): the next stroke starts once
  // it stands still, so it is measured from where the first one ended.
  int down = -1;
  ASSERT_TRUE(PumpUntil([&] {
    int before = down;
    PumpFor(std::chrono::milliseconds(100));
    down = std::atoi(Run(tab, "window.scrollY").c_str());
    return down == before;
  }));
  Stroke(tab, {{300, 280}, {300, 240}, {300, 200}});
  ASSERT_TRUE(PumpUntil([&] { return std::atoi(Run(tab, "window.scrollY").c_str()) < down; }));
}

TEST_F(Gestures, PageDraggingMovesTheContentWithThePointer) {
  frame().OnCommand(cmd::kPageDrag);
  CChildFrame* tab = OpenAndWait("/links", "Links");
  ASSERT_NE(tab, nullptr);
  Run(tab, "window.scrollTo(0, 500)");
  Stroke(tab, {{300, 300}, {300, 260}, {300, 200}});
  ASSERT_TRUE(PumpUntil([&] { return Run(tab, "window.scrollY") == "600"; }))
      << Run(tab, "window.scrollY");
  PumpFor(300ms);
  EXPECT_TRUE(probe().ShownPopupMenu().empty());
}

TEST_F(Gestures, RightClickOnALinkOpensTheLinkMenu) {
  CChildFrame* tab = OpenAndWait("/links", "Links");
  ASSERT_NE(tab, nullptr);
  auto [x, y] = Center(tab, "out");
  ASSERT_GT(x, 0);
  HoverLink(tab, x, y);
  ClickAt(PageOf(tab), x, y, 3);
  ASSERT_TRUE(PumpUntil([&] { return !probe().ShownPopupMenu().empty(); }));
  std::vector<std::string> items = probe().ShownPopupMenu();
  EXPECT_EQ(items.front(), "打开");
  EXPECT_NE(std::find(items.begin(), items.end(), "打开跳转的地址(_J)"), items.end());
  EXPECT_EQ(ToUtf8(frame().controller<PageMenuController>().contextAddress), server_.Url("/t/Target"));
  EXPECT_EQ(frame().controller<PageMenuController>().contextKind, ContextKind::Link);
  // "打开" clicks the link for the user: it opens in a new tab.
  window().pageHost().PopupMenu({});
  frame().OnCommand(cmd::kOpenContext);
  ASSERT_TRUE(PumpUntil([&] { return frame().TabCount() == 2; }));
  ASSERT_TRUE(PumpUntil([&] { return frame().TabAt(1)->caption == u"Target"; }));
  EXPECT_EQ(tab->caption, u"Links");
}

TEST_F(Gestures, RightClickOnSelectedTextOpensTheTextMenu) {
  CChildFrame* tab = OpenAndWait("/links", "Links");
  ASSERT_NE(tab, nullptr);
  Run(tab, "getSelection().selectAllChildren(document.getElementById('words'))");
  auto [x, y] = Center(tab, "words");
  MoveTo(PageOf(tab), x, y);
  PumpFor(200ms);
  ClickAt(PageOf(tab), x, y, 3);
  ASSERT_TRUE(PumpUntil([&] { return !probe().ShownPopupMenu().empty(); }));
  std::vector<std::string> items = probe().ShownPopupMenu();
  EXPECT_NE(std::find(items.begin(), items.end(), "保存文本(_T)..."), items.end());
  EXPECT_EQ(frame().controller<PageMenuController>().contextText, u"selected words");
  EXPECT_EQ(frame().controller<PageMenuController>().contextKind, ContextKind::Text);
}

TEST_F(Gestures, WheelWithTheRightButtonHeldSwitchesTabs) {
  CChildFrame* a = OpenAndWait("/t/A", "A");
  CChildFrame* b = OpenAndWait("/t/B", "B");
  ASSERT_TRUE(a && b);
  ASSERT_EQ(frame().ActiveChild(), b);
  GtkWidget* w = PageOf(b);
  MoveTo(w, 200, 200);
  SynthButton(w, GDK_BUTTON_PRESS, 200, 200, 3, 0);
  SynthScroll(w, 200, 200, true, GDK_BUTTON3_MASK);
  SynthButton(w, GDK_BUTTON_RELEASE, 200, 200, 3, GDK_BUTTON3_MASK);
  ASSERT_TRUE(PumpUntil([&] { return frame().ActiveChild() == a; }));
  PumpFor(400ms);
  EXPECT_TRUE(probe().ShownPopupMenu().empty());
  // Turned towards the user: the next tab.
  w = PageOf(a);
  SynthButton(w, GDK_BUTTON_PRESS, 200, 200, 3, 0);
  SynthScroll(w, 200, 200, false, GDK_BUTTON3_MASK);
  SynthButton(w, GDK_BUTTON_RELEASE, 200, 200, 3, GDK_BUTTON3_MASK);
  ASSERT_TRUE(PumpUntil([&] { return frame().ActiveChild() == b; }));
}

// The first-run middle-button action (33225) over a link opens it in a new tab; over text
// the click reaches the page.
TEST_F(Gestures, FirstRunMiddleClickOpensLinksAndLeavesTextToThePage) {
  frame().settings().mdown = cmd::kMiddleClickAction;
  CChildFrame* tab = OpenAndWait("/links", "Links");
  ASSERT_NE(tab, nullptr);
  Run(tab, "window.middle = 0; document.getElementById('words').addEventListener("
           "'mousedown', e => { if (e.button == 1) window.middle++; })");
  auto [wx, wy] = Center(tab, "words");
  ClickAt(PageOf(tab), wx, wy, 2);
  ASSERT_TRUE(PumpUntil([&] { return Run(tab, "window.middle") == "1"; }));
  EXPECT_EQ(frame().TabCount(), 1u);
  auto [x, y] = Center(tab, "out");
  HoverLink(tab, x, y);
  ClickAt(PageOf(tab), x, y, 2);
  ASSERT_TRUE(PumpUntil([&] { return frame().TabCount() == 2; }));
  ASSERT_TRUE(PumpUntil([&] { return frame().TabAt(1)->caption == u"Target"; }));
  EXPECT_EQ(tab->caption, u"Links");
}

// "在后台打开" on a link: the new tab comes in behind, and the strip's highlight stays with
// the tab in front, so Ctrl+W still closes what the user looks at.
TEST_F(Gestures, LinkOpenedInTheBackgroundLeavesTheStripOnTheFrontTab) {
  CChildFrame* tab = OpenAndWait("/links", "Links");
  ASSERT_NE(tab, nullptr);
  auto [x, y] = Center(tab, "out");
  auto& menus = frame().controller<PageMenuController>();
  menus.contextKind = ContextKind::Link;
  menus.contextAddress = FromUtf8(server_.Url("/t/Target"));
  menus.contextX = int(x);
  menus.contextY = int(y);
  frame().OnCommand(cmd::kOpenContextBack);
  ASSERT_TRUE(PumpUntil([&] { return frame().TabCount() == 2; }));
  ASSERT_TRUE(PumpUntil([&] { return frame().TabAt(1)->caption == u"Target"; }));
  PumpFor(300ms);
  EXPECT_EQ(frame().ActiveChild(), tab);
  EXPECT_EQ(window().tabStrip().SelectedTabEntry(), 0);
  frame().OnCommand(cmd::kCloseTab);
  ASSERT_TRUE(PumpUntil([&] { return frame().TabCount() == 1; }));
  EXPECT_EQ(frame().TabAt(0)->caption, u"Target");
}

TEST_F(Gestures, MiddleClickOpensTheLinkInANewTab) {
  frame().settings().mdown = 1175;
  CChildFrame* tab = OpenAndWait("/links", "Links");
  ASSERT_NE(tab, nullptr);
  auto [x, y] = Center(tab, "out");
  HoverLink(tab, x, y);
  ClickAt(PageOf(tab), x, y, 2);
  ASSERT_TRUE(PumpUntil([&] { return frame().TabCount() == 2; }));
  ASSERT_TRUE(PumpUntil([&] { return frame().TabAt(1)->caption == u"Target"; }));
  // The page with the link stays as it was.
  EXPECT_EQ(tab->caption, u"Links");
}

}  // namespace
