// Mouse input on a page: gestures, rocker clicks, the wheel with the right button held,
// the middle button, page dragging and the trail, over the fake engine.
#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/frame_fixture.h"
#include "filters/filters_controller.h"
#include "frame/address_box.h"
#include "frame/page_menus.h"
#include "search/search_controller.h"

using namespace zel;
using namespace zel::test;

namespace {

class Mouse : public FrameFixture {
 protected:
  void SetUp() override {
    frame_.controller<PageMenuController>().gestureTable().LoadFromText(u"");  // the built-in table
    page_ = OpenPage("http://site/a.htm", "A");
    page_->view()->backEnabled = true;
    page_->view()->forwardEnabled = true;
    engine_ = EngineOf(page_);
  }
  bool Send(MouseInput::Kind kind, int button, int x, int y, unsigned held, int wheel = 0) {
    MouseInput in;
    in.kind = kind;
    in.button = button;
    in.x = x;
    in.y = y;
    in.held = held;
    in.wheel = wheel;
    return page_->view()->OnMouse(in);
  }
  bool RightDown(int x, int y, unsigned alsoHeld = 0) {
    return Send(MouseInput::Press, 3, x, y, kMouseRight | alsoHeld);
  }
  bool Move(int x, int y, unsigned held = kMouseRight) { return Send(MouseInput::Move, 0, x, y, held); }
  bool RightUp(int x, int y, unsigned stillHeld = 0) {
    return Send(MouseInput::Release, 3, x, y, stillHeld);
  }
  // A right-button stroke through the points; returns whether the release was used up.
  bool Stroke(std::vector<std::pair<int, int>> points) {
    RightDown(points[0].first, points[0].second);
    for (size_t i = 1; i < points.size(); ++i) Move(points[i].first, points[i].second);
    bool used = RightUp(points.back().first, points.back().second);
    loop_.RunPosted();
    return used;
  }
  bool Called(const std::string& call) {
    return std::find(engine_->calls.begin(), engine_->calls.end(), call) != engine_->calls.end();
  }
  CChildFrame* page_ = nullptr;
  FakeEngine* engine_ = nullptr;
};

TEST_F(Mouse, StrokesRunTheirGestures) {
  // Left goes back; the release is used up, so the page shows no menu.
  EXPECT_TRUE(Stroke({{200, 200}, {150, 200}}));
  EXPECT_TRUE(Called("GoBack 1"));
  EXPECT_FALSE(Called("RightClickAt 150,200"));
  // Up then down refreshes; repeats inside a direction collapse.
  engine_->calls.clear();
  EXPECT_TRUE(Stroke({{200, 200}, {200, 180}, {200, 160}, {200, 200}, {200, 240}}));
  EXPECT_TRUE(Called("Refresh2 0"));
  // Down then right closes the tab.
  CChildFrame* a = page_;
  page_ = OpenPage("http://site/b.htm", "B");
  ASSERT_EQ(frame_.TabCount(), 2);
  Stroke({{200, 200}, {200, 240}, {240, 240}});
  ASSERT_EQ(frame_.TabCount(), 1);
  EXPECT_EQ(frame_.TabAt(0), a);
}

TEST_F(Mouse, AClickWithoutStrokesShowsThePageMenu) {
  EXPECT_TRUE(RightDown(50, 60));
  Move(53, 64);  // 5 pixels: no stroke
  EXPECT_TRUE(RightUp(53, 64));
  EXPECT_TRUE(Called("RightClickAt 53,64"));
  // With gestures and page dragging both off the button is still held for the trail, and
  // its release brings the page's menu.
  frame_.switches().gesturesOn = false;
  EXPECT_TRUE(RightDown(50, 60));
  Move(120, 64);
  EXPECT_TRUE(RightUp(120, 64));
  EXPECT_TRUE(Called("RightClickAt 120,64"));
}

TEST_F(Mouse, UnknownStrokesArePostedAsNothing) {
  size_t tabs = frame_.TabCount();
  EXPECT_TRUE(Stroke({{100, 100}, {140, 100}, {140, 140}, {100, 140}}));  // "RDL"
  EXPECT_EQ(size_t(frame_.TabCount()), tabs);
  EXPECT_FALSE(Called("RightClickAt 100,140"));
}

TEST_F(Mouse, HintNamesTheGestureWhileStroking) {
  frame_.settings().showGestureHint = true;
  RightDown(100, 100);
  Move(100, 80);
  EXPECT_EQ(window_.status, u"手势: U => 向上滚屏");
  Move(100, 120);
  EXPECT_EQ(window_.status, u"手势: UD => 刷新");
  Move(140, 120);
  EXPECT_EQ(window_.status, u"手势: UDR => ");
  RightUp(140, 120);
  frame_.settings().showGestureHint = false;
  RightDown(100, 100);
  window_.status.clear();
  Move(100, 80);
  EXPECT_EQ(window_.status, u"");
  RightUp(100, 80);
}

TEST_F(Mouse, WheelWithRightButtonSwitchesTabsAndSwallowsTheRelease) {
  CChildFrame* b = OpenPage("http://site/b.htm", "B");
  ASSERT_EQ(frame_.ActiveChild(), b);
  page_ = b;
  engine_ = EngineOf(b);
  RightDown(100, 100);
  EXPECT_TRUE(Send(MouseInput::Wheel, 0, 100, 100, kMouseRight, 1));
  loop_.RunPosted();
  EXPECT_EQ(frame_.ActiveChild(), frame_.TabAt(0));
  EXPECT_TRUE(RightUp(100, 100));
  EXPECT_FALSE(Called("RightClickAt 100,100"));
  // The next right click is a click again.
  RightDown(100, 100);
  RightUp(100, 100);
  EXPECT_TRUE(Called("RightClickAt 100,100"));
  // Turned towards the user: the next tab. Without the right button: the page scrolls.
  EXPECT_FALSE(Send(MouseInput::Wheel, 0, 100, 100, 0, -1));
}

TEST_F(Mouse, RockerClicksRunTheirBindings) {
  frame_.settings().rldown = cmd::kBack;
  frame_.settings().lrdown = cmd::kForward;
  // Right held, left clicked: back; the left press stays away from the page, and the
  // right release that follows shows no menu.
  RightDown(100, 100);
  EXPECT_TRUE(Send(MouseInput::Press, 1, 100, 100, kMouseRight | kMouseLeft));
  EXPECT_TRUE(Send(MouseInput::Release, 1, 100, 100, kMouseRight));
  loop_.RunPosted();
  EXPECT_TRUE(Called("GoBack 1"));
  EXPECT_EQ(page_->view()->userActionTime(), 0);
  EXPECT_TRUE(RightUp(100, 100));
  EXPECT_FALSE(Called("RightClickAt 100,100"));
  // Left held, right clicked: forward.
  RightDown(100, 100, kMouseLeft);
  EXPECT_TRUE(RightUp(100, 100, kMouseLeft));
  loop_.RunPosted();
  EXPECT_TRUE(Called("GoForward 1"));
  // A binding of 0 is ignored: the right click is a click.
  frame_.settings().lrdown = 0;
  RightDown(100, 100, kMouseLeft);
  RightUp(100, 100, kMouseLeft);
  EXPECT_TRUE(Called("RightClickAt 100,100"));
}

TEST_F(Mouse, MiddleButtonOpensTheLinkUnderThePointer) {
  frame_.settings().mdown = 1175;
  engine_->pointer = std::make_pair(30, 40);
  // Not on a link: the click goes on to the page.
  EXPECT_FALSE(Send(MouseInput::Press, 2, 30, 40, kMouseMiddle));
  EXPECT_FALSE(Called("ClickAt 30,40"));
  // On a link: a click the page takes as the user's, with the new-tab flags.
  engine_->hit.link = u"http://site/next.htm";
  EXPECT_TRUE(Send(MouseInput::Press, 2, 30, 40, kMouseMiddle));
  EXPECT_TRUE(Called("ClickAt 30,40"));
  EXPECT_EQ(page_->pendingNewWindowFlags, 1);
  EXPECT_NE(page_->view()->userActionTime(), 0);
  // The click's navigation goes to a new tab.
  engine_->Navigate2(NavRequest{u"http://site/next.htm"});
  loop_.RunPosted();
  ASSERT_EQ(frame_.TabCount(), 2);
  EXPECT_EQ(LastNavigation(), u"http://site/next.htm");
  // Any other action is posted as a command.
  frame_.settings().mdown = cmd::kCloseTab;
  EXPECT_TRUE(Send(MouseInput::Press, 2, 30, 40, kMouseMiddle));
  loop_.RunPosted();
  EXPECT_EQ(frame_.TabCount(), 1);
}

TEST_F(Mouse, PageDraggingScrollsInsteadOfStroking) {
  frame_.OnCommand(cmd::kPageDrag);
  EXPECT_TRUE(frame_.settings().rdrag);
  EXPECT_FALSE(frame_.switches().gesturesOn);
  RightDown(100, 100);
  Move(90, 120);
  Move(90, 120);
  Move(60, 150);
  EXPECT_TRUE(RightUp(60, 150));
  loop_.RunPosted();
  EXPECT_TRUE(Called("ScrollBy 10,-20"));
  EXPECT_TRUE(Called("ScrollBy 30,-30"));
  EXPECT_EQ(std::count_if(engine_->calls.begin(), engine_->calls.end(),
                          [](const std::string& c) { return c.rfind("ScrollBy", 0) == 0; }),
            2);
  EXPECT_FALSE(Called("GoBack 1"));
  EXPECT_FALSE(Called("RightClickAt 60,150"));
  // Without a move the click still shows the page menu.
  RightDown(100, 100);
  RightUp(100, 100);
  EXPECT_TRUE(Called("RightClickAt 100,100"));
  // Gestures back on switch page dragging off.
  frame_.OnCommand(cmd::kGestures);
  EXPECT_TRUE(frame_.switches().gesturesOn);
  EXPECT_FALSE(frame_.settings().rdrag);
  EXPECT_EQ(frame_.CommandChecked(cmd::kGestures), true);
  EXPECT_EQ(frame_.CommandChecked(cmd::kPageDrag), false);
}

TEST_F(Mouse, TrailFollowsTheHeldRightButton) {
  RightDown(10, 10);
  Move(30, 10);
  Move(30, 40);
  EXPECT_EQ(engine_->trail, (std::vector<std::pair<int, int>>{{10, 10}, {30, 10}, {30, 40}}));
  RightUp(30, 40);
  EXPECT_TRUE(engine_->trail.empty());
  EXPECT_EQ(engine_->trailClears, 1);
  // Moves without the right button draw nothing.
  Move(50, 50, 0);
  EXPECT_TRUE(engine_->trail.empty());
}

TEST_F(Mouse, DispatchCarriesOutEveryKindOfAction) {
  CVOPView* v = page_->view();
  EXPECT_TRUE(v->DispatchAction(9));
  EXPECT_TRUE(v->DispatchAction(12));
  EXPECT_TRUE(Called("PressKey 1"));
  EXPECT_TRUE(Called("PressKey 4"));
  EXPECT_TRUE(v->DispatchAction(28));
  EXPECT_TRUE(window_.minimized);
  EXPECT_TRUE(v->DispatchAction(29));
  EXPECT_FALSE(window_.minimized);
  size_t before = engine_->calls.size();
  EXPECT_TRUE(v->DispatchAction(3));
  EXPECT_TRUE(v->DispatchAction(-1));
  loop_.RunPosted();
  EXPECT_EQ(engine_->calls.size(), before);
  // 1176 and 1177 activate or keep the tab in the background.
  engine_->hit.link = u"http://site/x.htm";
  EXPECT_FALSE(v->DispatchAction(1177));  // the pointer is not over the page
  engine_->pointer = std::make_pair(5, 6);
  EXPECT_TRUE(v->DispatchAction(1177));
  EXPECT_EQ(page_->pendingNewWindowFlags, 4);
  engine_->hit.link = u"not a link";
  EXPECT_FALSE(v->DispatchAction(1176));
}

}  // namespace
