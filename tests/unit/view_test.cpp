// The view's navigation rules over the fake engine.
#include <gtest/gtest.h>

#include "fakes/frame_fixture.h"
#include "frame/tab_locks.h"
#include "filters/filters_controller.h"
#include "view/popup_policy.h"

using namespace zel;
using namespace zel::test;

namespace {

class View : public FrameFixture {
 protected:
  // A user's click on the page at the current time, then the engine's navigation.
  void ClickNavigate(CChildFrame* c, const std::string& url, bool post = false) {
    c->view()->OnUserInput(UserInput::LeftDown, false, false);
    c->view()->OnUserInput(UserInput::LeftUp, false, false);
    NavRequest r{FromUtf8(url)};
    if (post) r.postData = "a=1";
    EngineOf(c)->Navigate2(r);
    loop_.RunPosted();
  }
};

TEST_F(View, LinksOpenInNewTabsWhenAskedTo) {
  frame_.settings().newtablink = true;
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  ClickNavigate(a, "http://site/b.htm");
  ASSERT_EQ(frame_.TabCount(), 2);
  EXPECT_EQ(EngineOf(a)->cancelled.back(), u"http://site/b.htm");
  EXPECT_EQ(LastNavigation(), u"http://site/b.htm");
  EXPECT_EQ(a->view()->pendingNewTabAddress(), u"http://site/b.htm");
  // Without the setting the link stays in its tab.
  frame_.settings().newtablink = false;
  CChildFrame* b = frame_.TabAt(1);
  EngineOf(b)->FinishLoad(u"B");
  ClickNavigate(b, "http://site/c.htm");
  EXPECT_EQ(frame_.TabCount(), 2);
  EXPECT_EQ(EngineOf(b)->navigations.back(), u"http://site/c.htm");
}

TEST_F(View, DuplicateClickWithinASecondOpensOneTab) {
  frame_.settings().newtablink = true;
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  frame_.ActivateTab(a);
  ClickNavigate(a, "http://site/b.htm");
  ASSERT_EQ(frame_.TabCount(), 2);
  // The same link clicked again (press and release), 300 ms later: the navigation is dropped.
  loop_.Advance(300);
  ClickNavigate(a, "http://site/b.htm");
  EXPECT_EQ(frame_.TabCount(), 2);
  EXPECT_EQ(EngineOf(a)->cancelled.size(), 2u);
  EXPECT_TRUE(a->view()->pendingNewTabAddress().empty());  // cleared in every case
  // A second later the same link is a new wish: its tab opens.
  loop_.Advance(1200);
  ClickNavigate(a, "http://site/b.htm");
  EXPECT_EQ(frame_.TabCount(), 3);
  // And a click 1.5 s after that tab opened is not taken for its duplicate.
  loop_.Advance(1500);
  ClickNavigate(a, "http://site/b.htm");
  EXPECT_EQ(frame_.TabCount(), 4);
}

TEST_F(View, ActionOlderThanASecondIsForgotten) {
  frame_.settings().newtablink = true;
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  a->view()->OnUserInput(UserInput::LeftDown, false, false);
  loop_.Advance(1500);
  EngineOf(a)->Navigate2({u"http://site/late.htm"});  // e.g. a script's redirect
  EXPECT_EQ(frame_.TabCount(), 1);
  EXPECT_EQ(EngineOf(a)->navigations.back(), u"http://site/late.htm");
  EXPECT_EQ(a->view()->userActionTime(), 0);
}

TEST_F(View, AnchorsScriptsAndPostsStayInTheirTab) {
  frame_.settings().newtablink = true;
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  ClickNavigate(a, "http://site/a.htm#part2");
  EXPECT_EQ(frame_.TabCount(), 1);
  EXPECT_EQ(EngineOf(a)->navigations.back(), u"http://site/a.htm#part2");
  loop_.Advance(2000);
  ClickNavigate(a, "javascript:void(0)");
  EXPECT_EQ(frame_.TabCount(), 1);
  loop_.Advance(2000);
  ClickNavigate(a, "http://site/form.cgi", /*post=*/true);
  EXPECT_EQ(frame_.TabCount(), 1);
  EXPECT_EQ(EngineOf(a)->navigations.back(), u"http://site/form.cgi");
}

TEST_F(View, LockedTabSendsLinksToNewTabs) {
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  frame_.controller<TabLockController>().ToggleLock(a);
  ClickNavigate(a, "http://site/b.htm");
  EXPECT_EQ(frame_.TabCount(), 2);
  EXPECT_EQ(EngineOf(a)->LocationURL(), u"http://site/a.htm");
}

TEST_F(View, PopupFilterReusesATabWithTheSameAddress) {
  frame_.settings().newtablink = true;
  frame_.controller<FiltersController>().lists().switches.popup = true;
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  CChildFrame* b = OpenPage("http://site/B.htm", "B");
  frame_.ActivateTab(a);
  ClickNavigate(a, "http://site/b.htm");
  EXPECT_EQ(frame_.TabCount(), 2);
  EXPECT_EQ(frame_.ActiveChild(), b);
}

TEST_F(View, NamedTargetReusesItsTab) {
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  a->view()->targetFrame = u"results";
  // A new window aimed at "results": its first navigation goes to the named tab instead.
  CChildFrame* opener = OpenPage("http://site/o.htm", "O");
  Engine* e = opener->view()->OnNewWindow2(u"http://site/r.htm", true);
  ASSERT_NE(e, nullptr);
  auto* fe = static_cast<FakeEngine*>(e);
  NavRequest r{u"http://site/r.htm"};
  r.targetFrame = u"results";
  fe->Navigate2(r);
  EXPECT_EQ(fe->cancelled.back(), u"http://site/r.htm");
  loop_.RunPosted();  // the new window's tab closes (and its engine goes)
  EXPECT_EQ(EngineOf(a)->navigations.back(), u"http://site/r.htm");
  EXPECT_EQ(frame_.TabCount(), 2);
  EXPECT_EQ(frame_.ChildCount(), 2u);  // the new window's tab went away
  // "No__Name" targets are never looked up.
  CChildFrame* c = OpenPage("http://site/c.htm", "C");
  NavRequest n{u"http://site/d.htm"};
  n.targetFrame = u"_No__Name1";
  EngineOf(c)->Navigate2(n);
  EXPECT_EQ(EngineOf(c)->navigations.back(), u"http://site/d.htm");
  EXPECT_TRUE(c->view()->targetFrame.empty());
}

class CancelEverything : public PopupPolicy {
 public:
  void CheckNavigation(CVOPView&, BeforeNavigateArgs& a) override { a.cancel = true; }
  bool IsPopupCandidate(CVOPView&) override { return true; }
  void CheckLoadedPage(CVOPView&, u16view) override {}
};

TEST_F(View, TabWhoseFirstNavigationIsBlockedNeverEntersTheStrip) {
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  CancelEverything policy;
  frame_.SetPopupPolicy(&policy);
  Engine* e = a->view()->OnNewWindow2(u"http://ads/", false);
  ASSERT_NE(e, nullptr);
  static_cast<FakeEngine*>(e)->Navigate2({u"http://ads/"});
  loop_.RunPosted();
  EXPECT_EQ(frame_.TabCount(), 1);
  EXPECT_EQ(frame_.ChildCount(), 2u);
  EXPECT_EQ(Captions(), std::vector<u16>{u"A"});
  frame_.SetPopupPolicy(nullptr);
}

TEST_F(View, SpoofedAddressAsksFirst) {
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  OpenPage("http://site/b.htm", "B");
  u16 spoof = u"http://good.com\x01@evil.com/";
  prompts_.yesAnswers = {false};
  EngineOf(a)->Navigate2({spoof});
  loop_.RunPosted();
  EXPECT_NE(prompts_.questions.back().find(u"这可能是一个 \"漏洞欺骗\" 地址."), u16::npos);
  EXPECT_EQ(frame_.TabCount(), 1);  // no: cancelled and the tab closed
  CChildFrame* c = OpenPage("http://site/c.htm", "C");
  prompts_.yesAnswers = {true};
  EngineOf(c)->Navigate2({spoof});
  EXPECT_EQ(c->view()->CurrentAddress(), spoof);
  EXPECT_TRUE(c->view()->spoofAccepted);
}

TEST_F(View, ShellLocationsAndFtpHandOff) {
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  EngineOf(a)->Navigate2({u"file:///home/user/docs"});
  EXPECT_EQ(EngineOf(a)->cancelled.back(), u"file:///home/user/docs");
  ASSERT_FALSE(shell_.calls.empty());
  EXPECT_EQ(shell_.calls.back().op, "open");
  frame_.SetFtpMode(1);
  EngineOf(a)->Navigate2({u"ftp://files.example.com/"});
  EXPECT_EQ(shell_.calls.back().op, "browser");
  // Ctrl held: the FTP address loads in the tab.
  keys_.ctrl = true;
  EngineOf(a)->Navigate2({u"ftp://files.example.com/"});
  EXPECT_EQ(EngineOf(a)->navigations.back(), u"ftp://files.example.com/");
}

TEST_F(View, IconsWhenLoadingStops) {
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  CChildFrame* b = OpenPage("http://site/b.htm", "B");
  frame_.ActivateTab(a);
  auto* e = EngineOf(b);
  e->Navigate2({u"http://site/b2.htm"});
  e->events->OnProgressChange(2000, 10000);
  EXPECT_EQ(window_.entries[1].icon, 1);
  e->events->OnProgressChange(5000, 10000);
  EXPECT_EQ(window_.entries[1].icon, 2);
  e->events->OnProgressChange(9000, 10000);
  EXPECT_EQ(window_.entries[1].icon, 3);
  e->events->OnProgressChange(-1, 10000);  // stopped, inactive, a page: unseen
  EXPECT_EQ(window_.entries[1].icon, 5);
  frame_.controller<TabLockController>().ToggleLock(b);
  e->events->OnProgressChange(100, 10000);
  e->events->OnProgressChange(0, 0);  // stopped, locked
  EXPECT_EQ(window_.entries[1].icon, 4);
  frame_.controller<TabLockController>().ToggleLock(b);
  prompts_.textAnswers = {u"pw", u"pw"};
  frame_.controller<TabLockController>().SetTabPassword(b);
  e->events->OnProgressChange(100, 10000);
  e->events->OnProgressChange(0, 0);  // stopped, password
  EXPECT_EQ(window_.entries[1].icon, 6);
  // The active view goes back to its normal icon and drives the progress display.
  auto* ea = EngineOf(a);
  ea->events->OnProgressChange(4000, 10000);
  EXPECT_EQ(window_.progress, 40);
  ea->events->OnProgressChange(-1, 10000);
  EXPECT_EQ(window_.entries[0].icon, -1);
  EXPECT_EQ(window_.progress, -10);
}

TEST_F(View, StopLeavesAnIdleIconAlone) {
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  frame_.controller<TabLockController>().ToggleLock(a);
  frame_.OnCommand(cmd::kStop);
  EXPECT_EQ(window_.entries[0].icon, 4);
  EXPECT_EQ(EngineOf(a)->calls.back(), "Stop");
  // Stop while loading: the loading icon becomes the normal one.
  frame_.controller<TabLockController>().ToggleLock(a);
  EngineOf(a)->Navigate2({u"http://site/x"});
  EngineOf(a)->events->OnProgressChange(100, 1000);
  frame_.OnCommand(cmd::kStop);
  EXPECT_EQ(window_.entries[0].icon, -1);
  EXPECT_EQ(a->view()->loadState, kNotLoading);
}

TEST_F(View, StatusTextOnlyForTheActiveViewAndThroughTheFilter) {
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  CChildFrame* b = OpenPage("http://site/b.htm", "B");
  frame_.ActivateTab(a);
  EngineOf(b)->events->OnStatusTextChange(u"from b");
  EXPECT_TRUE(window_.status.empty());
  EngineOf(a)->events->OnStatusTextChange(u"Welcome to my page");
  EXPECT_EQ(window_.status, u"Welcome to my page");
  frame_.OnCommand(cmd::kStatusFilter);
  EngineOf(a)->events->OnStatusTextChange(u"Buy now");
  EXPECT_EQ(window_.status, u"Welcome to my page");
  EngineOf(a)->events->OnStatusTextChange(u"http://site/link.htm");
  EXPECT_EQ(window_.status, u"http://site/link.htm");
  EngineOf(a)->events->OnStatusTextChange(u"");
  EXPECT_EQ(window_.status, u"");
}

TEST_F(View, BackAndForwardFollowTheEngine) {
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  EXPECT_FALSE(frame_.CommandEnabled(cmd::kBack));
  EngineOf(a)->events->OnCommandStateChange(kCscNavigateBack, true);
  EXPECT_TRUE(frame_.CommandEnabled(cmd::kBack));
  EXPECT_FALSE(frame_.CommandEnabled(cmd::kForward));
  frame_.OnCommand(cmd::kBack);
  EXPECT_EQ(EngineOf(a)->calls.back(), "GoBack 1");
}

TEST_F(View, TitleNumberingAndTitleDisplay) {
  OpenPage("http://site/a.htm", "A");
  frame_.switches().tabNumbering = true;
  CChildFrame* b = OpenPage("http://site/b.htm", "B");
  EXPECT_EQ(Captions()[1], u"2-B");
  EXPECT_EQ(window_.caption, u"2-B - Zel浏览器");
  frame_.switches().showTitle = false;
  EngineOf(b)->events->OnTitleChange(u"Changed");
  EXPECT_EQ(Captions()[1], u"2-Changed");
  EXPECT_EQ(window_.caption, u"2-B - Zel浏览器");
}

TEST_F(View, BlankPageOffersTheClipboardAddress) {
  auto blank = [&] {
    CChildFrame* c = frame_.OpenUrl(u"", {.tab = TabChoice::New, .start = StartKind::Blank, .show = true});
    EngineOf(c)->FinishLoad(u"");
    loop_.RunPosted();
  };
  clipboard_.text = u"  http://copied.example/  ";
  blank();
  EXPECT_EQ(window_.address, u"http://copied.example/");
  clipboard_.text = u"not an address";
  blank();
  EXPECT_EQ(window_.address, u"about:blank");
  frame_.settings().watchclipboard = false;
  clipboard_.text = u"http://copied.example/";
  blank();
  EXPECT_EQ(window_.address, u"about:blank");
}

TEST_F(View, QueuedCommandRunsWhenThePageIsComplete) {
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  CChildFrame* b = OpenPage("http://site/b.htm", "B");
  frame_.ActivateTab(a);
  b->view()->queuedCommand = cmd::kRefresh;
  EngineOf(b)->Navigate2({u"http://site/b2.htm"});
  EngineOf(b)->FinishLoad(u"B2");
  loop_.RunPosted();
  EXPECT_EQ(frame_.ActiveChild(), b);
  EXPECT_EQ(EngineOf(b)->calls.back(), "Refresh2 0");
}

TEST_F(View, CtrlArrowsSwitchTabsOutsideEditableFields) {
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  CChildFrame* b = OpenPage("http://site/b.htm", "B");
  EXPECT_TRUE(b->view()->OnUserInput(UserInput::CtrlLeft, true, false));
  loop_.RunPosted();
  EXPECT_EQ(frame_.ActiveChild(), a);
  EXPECT_FALSE(a->view()->OnUserInput(UserInput::CtrlRight, true, true));
  loop_.RunPosted();
  EXPECT_EQ(frame_.ActiveChild(), a);
}

TEST_F(View, AutoScrollPeriodsAndPauses) {
  EXPECT_EQ(AutoScrollPeriod(1), 100);
  EXPECT_EQ(AutoScrollPeriod(2), 25);
  EXPECT_EQ(AutoScrollPeriod(3), 11);
  EXPECT_EQ(CursorControlledPeriod(0, 400), 101);
  EXPECT_EQ(CursorControlledPeriod(400, 400), 1);
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  frame_.OnCommand(cmd::kAutoScrollSpeed1 + 1);
  frame_.OnCommand(cmd::kAutoScroll);
  ASSERT_TRUE(a->view()->autoScroll());
  EXPECT_EQ(a->view()->autoScrollPeriod(), 25);
  loop_.Advance(100);
  EXPECT_EQ(EngineOf(a)->scripts.size(), 4u);  // one pixel a tick in mode 0
  EXPECT_EQ(EngineOf(a)->scripts.back(), u"window.scrollBy(0, 1)");
  // Loading pauses it between 1 and 19 percent; the end of the load resumes it.
  EngineOf(a)->events->OnProgressChange(1000, 10000);
  size_t n = EngineOf(a)->scripts.size();
  loop_.Advance(200);
  EXPECT_EQ(EngineOf(a)->scripts.size(), n);
  EngineOf(a)->events->OnProgressChange(-1, 10000);
  loop_.Advance(50);
  EXPECT_EQ(EngineOf(a)->scripts.size(), n + 2);
  frame_.OnCommand(cmd::kAutoScroll);
  EXPECT_FALSE(loop_.HasTimer(a->view(), kAutoScrollTimer));
  // New views take the frame's last speed.
  CChildFrame* b = OpenPage("http://site/b.htm", "B");
  EXPECT_EQ(b->view()->autoScrollSpeed, 2);
}

TEST_F(View, AutoScrollModeJumpsAFractionOfThePage) {
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  window_.pageHeight = 40;
  frame_.OnCommand(cmd::kScrollMode0 + 1);  // mode 4: every 10 ticks
  frame_.OnCommand(cmd::kAutoScroll);
  loop_.Advance(100 * 9);
  EXPECT_TRUE(EngineOf(a)->scripts.empty());
  loop_.Advance(100);
  ASSERT_EQ(EngineOf(a)->scripts.size(), 1u);
  EXPECT_NE(EngineOf(a)->scripts[0].find(u"n=10"), u16::npos);
}

TEST_F(View, AutoRefreshEveryMinute) {
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  CChildFrame* b = OpenPage("http://site/b.htm", "B");
  frame_.OnCommand(cmd::kAutoRefresh);
  ASSERT_TRUE(b->view()->autoRefresh());
  EXPECT_GE(b->view()->autoRefreshTimerId(), kAutoRefreshTimerBase);
  loop_.Advance(59000);
  EXPECT_NE(EngineOf(b)->calls.back(), "Refresh2 0");
  loop_.Advance(1000);
  EXPECT_EQ(EngineOf(b)->calls.back(), "Refresh2 0");
  // The active tab is left alone when refreshing it is switched off.
  frame_.switches().refreshActiveTab = false;
  size_t n = EngineOf(b)->calls.size();
  loop_.Advance(60000);
  EXPECT_EQ(EngineOf(b)->calls.size(), n);
  frame_.ActivateTab(a);
  loop_.Advance(60000);
  EXPECT_EQ(EngineOf(b)->calls.back(), "Refresh2 0");
}

}  // namespace

namespace {

TEST_F(View, ScriptErrorsGoToTheStatusBarOfTheActiveTab) {
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  CChildFrame* b = OpenPage("http://site/b.htm", "B");
  a->view()->OnScriptError();
  EXPECT_TRUE(window_.status.empty());
  b->view()->OnScriptError();
  EXPECT_EQ(window_.status, u"Script Error!");
  EXPECT_TRUE(prompts_.messages.empty());
}

}  // namespace
