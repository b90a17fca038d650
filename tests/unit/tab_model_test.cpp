// The tab model over fake ports: where tabs open, which tab comes forward, closing rules.
#include <gtest/gtest.h>

#include "settings/frame_settings.h"
#include "frame/tab_locks.h"
#include "fakes/frame_fixture.h"
#include "view/child_frame.h"
#include "base/commands.h"
#include "frame/main_frame.h"

using namespace zel;
using namespace zel::test;

namespace {

class TabModel : public FrameFixture {};

TEST_F(TabModel, BareHostNamesGetWww) {
  struct Case {
    const char16_t* typed;
    const char16_t* loaded;
  } cases[] = {
      {u"name.com", u"www.name.com"},
      {u"Name.Com.cn", u"www.Name.Com.cn"},
      {u"name.org", u"www.name.org"},
      {u"name.edu.cn", u"www.name.edu.cn"},
      {u"mail.name.com", u"mail.name.com"},
      {u"name.company", u"name.company"},
      {u"localhost:8080/x.com", u"localhost:8080/x.com"},
      {u"www.name.com", u"www.name.com"},
      {u".com", u".com"},
      {u"  a\r\nb.net  ", u"www.ab.net"},
  };
  for (const auto& c : cases) {
    ASSERT_NE(frame_.OpenUrl(c.typed, {.tab = TabChoice::New, .start = StartKind::Address, .show = true}), nullptr) << ToUtf8(c.typed);
    EXPECT_EQ(LastNavigation(), c.loaded) << ToUtf8(c.typed);
  }
}

TEST_F(TabModel, ScriptAndMailAddressesOpenNothing) {
  EXPECT_EQ(frame_.OpenUrl(u"mailto:a@b.c", {.tab = TabChoice::ReuseBlank, .start = StartKind::Address, .show = true}), nullptr);
  EXPECT_EQ(frame_.OpenUrl(u"x javascript:alert(1)", {.tab = TabChoice::New, .start = StartKind::Address, .show = true}), nullptr);
  EXPECT_EQ(frame_.OpenUrl(u"vbscript:x", {.tab = TabChoice::New, .start = StartKind::Address, .show = true}), nullptr);
  EXPECT_TRUE(engines_.created.empty());
  // Case matters: "JavaScript:" is not refused here.
  EXPECT_NE(frame_.OpenUrl(u"JavaScript:void(0)", {.tab = TabChoice::New, .start = StartKind::Address, .show = true}), nullptr);
}

TEST_F(TabModel, EmptyAddressIsTheBlankPage) {
  CChildFrame* c = frame_.OpenUrl(u"   ", {.tab = TabChoice::New, .start = StartKind::Address, .show = true});
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(LastNavigation(), u"about:blank");
  EXPECT_EQ(Captions(), std::vector<u16>{u"空白页"});
  EXPECT_EQ(window_.caption, u"空白页 - Zel浏览器");
}

TEST_F(TabModel, ModeOneReusesABlankTabAndModeTwoNever) {
  CChildFrame* blank = OpenBlank();
  ASSERT_NE(blank, nullptr);
  CChildFrame* page = OpenPage("http://a/", "A", TabChoice::ReuseBlank);
  EXPECT_EQ(page, blank);
  EXPECT_EQ(frame_.TabCount(), 1);
  EXPECT_EQ(Captions(), std::vector<u16>{u"A"});
  CChildFrame* blank2 = OpenBlank();
  CChildFrame* page2 = OpenPage("http://b/", "B", TabChoice::New);
  EXPECT_NE(page2, blank2);
  EXPECT_EQ(frame_.TabCount(), 3);
  // A busy blank tab is not idle and is not taken.
  CChildFrame* loading = frame_.OpenUrl(u"about:blank", {.tab = TabChoice::New, .start = StartKind::Address, .show = true});
  loop_.RunPosted();
  CChildFrame* other = frame_.OpenUrl(u"http://c/", {.tab = TabChoice::ReuseBlank, .start = StartKind::Address, .show = true});
  EXPECT_NE(other, loading);
}

TEST_F(TabModel, InsertPositionFollowsNewSequence) {
  CChildFrame* a = OpenPage("http://a/", "A");
  CChildFrame* b = OpenPage("http://b/", "B");
  frame_.ActivateTab(a);
  frame_.settings().newsequence = 1;  // right of the current tab
  OpenPage("http://c/", "C");
  EXPECT_EQ(Captions(), (std::vector<u16>{u"A", u"C", u"B"}));
  frame_.ActivateTab(b);
  frame_.settings().newsequence = 0;  // at the current tab's place
  OpenPage("http://d/", "D");
  EXPECT_EQ(Captions(), (std::vector<u16>{u"A", u"C", u"D", u"B"}));
  frame_.ActivateTab(a);
  frame_.settings().newsequence = 2;  // at the end
  OpenPage("http://e/", "E");
  EXPECT_EQ(Captions(), (std::vector<u16>{u"A", u"C", u"D", u"B", u"E"}));
  EXPECT_EQ(frame_.recordedTabCount(), 5);
  EXPECT_TRUE(frame_.tabListChanged());
}

TEST_F(TabModel, BackgroundTabsStayBehind) {
  CChildFrame* a = OpenPage("http://a/", "A");
  frame_.settings().activateNewTabs = false;
  CChildFrame* b = frame_.OpenUrl(u"http://b/", {.tab = TabChoice::New, .start = StartKind::Address});
  EngineOf(b)->FinishLoad(u"B");
  loop_.RunPosted();
  EXPECT_EQ(frame_.ActiveChild(), a);
  EXPECT_EQ(window_.caption, u"A - Zel浏览器");
  EXPECT_EQ(window_.entries[1].icon, 5);  // finished unseen page
  // show=1 brings it forward even with the switch off.
  CChildFrame* c = frame_.OpenUrl(u"http://c/", {.tab = TabChoice::New, .start = StartKind::Address, .show = true});
  EngineOf(c)->FinishLoad(u"C");
  EXPECT_EQ(frame_.ActiveChild(), c);
}

TEST_F(TabModel, ClosingTheOnlyTab) {
  CChildFrame* blank = OpenBlank();
  Close(blank);
  EXPECT_EQ(frame_.TabCount(), 1);
  EXPECT_EQ(frame_.TabAt(0), blank);  // a blank last tab does not close
  CChildFrame* page = OpenPage("http://a/", "A", TabChoice::ReuseBlank);
  ASSERT_EQ(page, blank);
  size_t engines = engines_.created.size();
  Close(page);
  ASSERT_EQ(frame_.TabCount(), 1);
  // The page went; a new blank tab stands, with an engine of its own.
  EXPECT_EQ(engines_.created.size(), engines + 1);
  EXPECT_EQ(EngineOf(frame_.TabAt(0))->navigations, std::vector<u16>{u"about:blank"});
  EXPECT_EQ(frame_.ActiveView()->CurrentAddress(), u"about:blank");
  EXPECT_EQ(window_.caption, u"空白页 - Zel浏览器");
  EXPECT_EQ(frame_.ChildCount(), 1u);
}

TEST_F(TabModel, CloseActivationByCloseActiveSeq) {
  frame_.settings().activateNewTabs = false;  // the opener rule stays out of the way
  auto open3 = [&] {
    std::vector<CChildFrame*> t;
    for (auto n : {"A", "B", "C"}) {
      CChildFrame* c = frame_.OpenUrl(u"http://x/" + FromUtf8(n), {.tab = TabChoice::New, .start = StartKind::Address, .show = true});
      EngineOf(c)->FinishLoad(FromUtf8(n));
      t.push_back(c);
    }
    loop_.RunPosted();
    return t;
  };
  auto t = open3();
  ASSERT_EQ(Captions(), (std::vector<u16>{u"A", u"B", u"C"}));
  frame_.ActivateTab(t[0]);
  Close(t[0]);  // seq 0: the tab to the left, at least 0 -> the new tab 0
  EXPECT_EQ(frame_.ActiveChild(), t[1]);
  EXPECT_EQ(window_.selected, 0);
  frame_.ActivateTab(t[2]);
  Close(t[2]);  // seq 0 from index 1 -> index 0
  EXPECT_EQ(frame_.ActiveChild(), t[1]);

  auto u = open3();
  frame_.settings().closeactiveseq = 1;  // the tab now at the closed index
  frame_.ActivateTab(u[0]);
  int idx = frame_.TabIndexOf(u[0]);
  Close(u[0]);
  EXPECT_EQ(frame_.ActiveChild(), frame_.TabAt(idx));
  EXPECT_EQ(frame_.ActiveChild(), u[1]);
}

TEST_F(TabModel, ClosingAnOpenedTabReturnsToItsOpener) {
  CChildFrame* a = OpenPage("http://a/", "A");
  OpenPage("http://b/", "B");
  frame_.ActivateTab(a);
  // The page in A opens a window: it becomes a tab with A as its opener.
  Engine* e = a->view()->OnNewWindow2(u"http://popup/", true);
  ASSERT_NE(e, nullptr);
  auto* fe = static_cast<FakeEngine*>(e);
  EXPECT_EQ(fe->related, EngineOf(a));
  fe->Navigate2({u"http://popup/"});
  fe->FinishLoad(u"Popup");
  loop_.RunPosted();
  CChildFrame* popup = frame_.ActiveChild();
  ASSERT_EQ(popup->view()->engine(), e);
  EXPECT_EQ(Captions(), (std::vector<u16>{u"A", u"Popup", u"B"}));
  EXPECT_EQ(popup->view()->openerIndex, 0);
  EXPECT_TRUE(popup->view()->newWindowMark);
  // The first close of a page's new window only blanks it.
  Close(popup);
  EXPECT_EQ(frame_.TabCount(), 3);
  EXPECT_FALSE(popup->view()->newWindowMark);
  EXPECT_EQ(static_cast<FakeEngine*>(e)->navigations.back(), u"about:blank");
  Close(popup);
  EXPECT_EQ(frame_.TabCount(), 2);
  EXPECT_EQ(frame_.ActiveChild(), a);
}

TEST_F(TabModel, OpenerIndexFollowsEntriesThatGo) {
  CChildFrame* a = OpenPage("http://a/", "A");
  CChildFrame* b = OpenPage("http://b/", "B");
  frame_.settings().newsequence = 2;
  b->view()->OnNewWindow2(u"http://p/", false);
  CChildFrame* p = frame_.TabAt(frame_.TabCount() - 1);
  (void)p;
  auto* fe = engines_.created.back();
  fe->Navigate2({u"http://p/"});
  fe->FinishLoad(u"P");
  loop_.RunPosted();
  CChildFrame* popup = frame_.TabAt(2);
  ASSERT_EQ(popup->view()->openerIndex, 1);
  popup->view()->newWindowMark = false;
  frame_.settings().activateNewTabs = false;
  frame_.ActivateTab(a);
  Close(a);  // the opener moves left with the entry that goes
  EXPECT_EQ(popup->view()->openerIndex, 0);
  frame_.settings().activateNewTabs = true;
  frame_.ActivateTab(popup);
  Close(popup);
  EXPECT_EQ(frame_.ActiveChild(), b);
}

TEST_F(TabModel, PreviousAndNextWrap) {
  CChildFrame* a = OpenPage("http://a/", "A");
  OpenPage("http://b/", "B");
  frame_.settings().newsequence = 2;
  CChildFrame* c = OpenPage("http://c/", "C");
  frame_.ActivateTab(a);
  frame_.OnCommand(cmd::kFunctionKeyF2);  // F2 on the first goes to the last
  EXPECT_EQ(frame_.ActiveChild(), c);
  frame_.OnCommand(cmd::kFunctionKeyF2 + 1);  // F3 on the last goes to the first
  EXPECT_EQ(frame_.ActiveChild(), a);
  frame_.OnCommand(cmd::kNextTab);
  EXPECT_EQ(frame_.ActiveChild(), frame_.TabAt(1));
  frame_.OnCommand(cmd::kSelectTab0 + 2);  // Ctrl+3
  EXPECT_EQ(frame_.ActiveChild(), c);
  frame_.OnCommand(cmd::kSelectTab9);  // Ctrl+0: no tenth tab, nothing changes
  EXPECT_EQ(frame_.ActiveChild(), c);
  EXPECT_EQ(window_.selected, 2);
}

TEST_F(TabModel, CloseAllLeavesLockedTabs) {
  CChildFrame* a = OpenPage("http://a/", "A");
  CChildFrame* b = OpenPage("http://b/", "B");
  OpenPage("http://c/", "C");
  frame_.controller<TabLockController>().ToggleLock(b);
  EXPECT_EQ(window_.entries[frame_.TabIndexOf(b)].icon, 4);
  frame_.OnCommand(cmd::kCloseAll);
  loop_.RunPosted();
  ASSERT_EQ(frame_.TabCount(), 1);
  EXPECT_EQ(frame_.TabAt(0), b);
  EXPECT_TRUE(prompts_.questions.empty());
  (void)a;
  // Everything locked: close all closes nothing; the question guards it when asked for.
  frame_.settings().quitallconfirm = true;
  prompts_.yesAnswers = {false};
  frame_.OnCommand(cmd::kCloseAll);
  loop_.RunPosted();
  EXPECT_EQ(prompts_.questions.back(), u"您真的要关闭所有窗口吗?");
  EXPECT_EQ(frame_.TabCount(), 1);
}

TEST_F(TabModel, CloseAllLeavesOneBlankTab) {
  OpenPage("http://a/", "A");
  OpenPage("http://b/", "B");
  frame_.OnCommand(cmd::kCloseAll);
  loop_.RunPosted();
  ASSERT_EQ(frame_.TabCount(), 1);
  EXPECT_EQ(frame_.ActiveView()->CurrentAddress(), u"about:blank");
}

TEST_F(TabModel, LockedTabAsksBeforeClosing) {
  OpenPage("http://a/", "A");
  CChildFrame* b = OpenPage("http://b/", "B");
  frame_.controller<TabLockController>().ToggleLock(b);
  prompts_.yesAnswers = {false, true};
  Close(b);
  EXPECT_EQ(prompts_.questions.back(), u"您真的要关闭已锁定窗口吗?");
  EXPECT_EQ(frame_.TabCount(), 2);
  Close(b);
  EXPECT_EQ(frame_.TabCount(), 1);
}

TEST_F(TabModel, LockToggleKeepsTheIcon) {
  CChildFrame* a = OpenPage("http://a/", "A");
  CChildFrame* b = OpenPage("http://b/", "B");
  frame_.ActivateTab(a);
  frame_.SetTabIcon(b, 5);
  b->view()->SetTabIcon(5);
  frame_.controller<TabLockController>().ToggleLock(b);
  EXPECT_EQ(window_.entries[1].icon, 4);
  frame_.controller<TabLockController>().ToggleLock(b);
  EXPECT_EQ(window_.entries[1].icon, 5);
}

TEST_F(TabModel, PasswordTabAsksOnActivation) {
  CChildFrame* a = OpenPage("http://a/", "A");
  CChildFrame* b = OpenPage("http://b/", "B");
  prompts_.textAnswers = {u"secret", u"secret"};
  frame_.controller<TabLockController>().SetTabPassword(b);
  ASSERT_TRUE(b->hasPassword);
  EXPECT_EQ(frame_.controller<TabLockController>().passwordTabCount(), 1);
  frame_.controller<TabLockController>().ToggleLock(b);  // ignored for a password tab
  EXPECT_FALSE(b->locked);
  frame_.ActivateTab(a);
  // Wrong password: "密码错误", and the frame moves on to a tab without a password.
  prompts_.textAnswers = {u"guess"};
  frame_.ActivateTab(b);
  EXPECT_EQ(prompts_.messages.back(), u"密码错误");
  EXPECT_EQ(frame_.ActiveChild(), a);
  // Cancelled: the same.
  frame_.ActivateTab(b);
  EXPECT_EQ(frame_.ActiveChild(), a);
  // Tab mouse actions on an inactive password tab do nothing.
  frame_.settings().mktab = 0;
  frame_.OnTabMouse(1, TabMouse::Middle);
  loop_.RunPosted();
  EXPECT_EQ(frame_.TabCount(), 2);
  prompts_.textAnswers = {u"secret"};
  frame_.ActivateTab(b);
  EXPECT_EQ(frame_.ActiveChild(), b);
  // Clearing asks for the password too.
  prompts_.textAnswers = {u"secret"};
  frame_.controller<TabLockController>().ClearTabPassword(b);
  EXPECT_FALSE(b->hasPassword);
  EXPECT_EQ(frame_.controller<TabLockController>().passwordTabCount(), 0);
}

TEST_F(TabModel, WhenEveryTabHasAPasswordAWrongOneOpensABlankTab) {
  CChildFrame* a = OpenPage("http://a/", "A");
  prompts_.textAnswers = {u"pw", u"pw"};
  frame_.controller<TabLockController>().SetTabPassword(a);
  frame_.ActivateTab(nullptr);
  CChildFrame* b = OpenPage("http://b/", "B");
  prompts_.textAnswers = {u"pw", u"pw"};
  frame_.controller<TabLockController>().SetTabPassword(b);
  frame_.settings().activateNewTabs = false;
  prompts_.textAnswers = {u"wrong"};
  frame_.ActivateTab(a);
  loop_.RunPosted();
  EXPECT_EQ(frame_.TabCount(), 3);
  EXPECT_EQ(frame_.ActiveView()->CurrentAddress(), u"about:blank");
  EXPECT_FALSE(frame_.settings().activateNewTabs);  // forced on only for that call
}

TEST_F(TabModel, TabMouseActions) {
  CChildFrame* a = OpenPage("http://a/", "A");
  frame_.settings().ldbtab = 5;
  frame_.settings().rdbtab = 6;
  frame_.settings().mktab = 1;
  frame_.OnTabMouse(0, TabMouse::LeftDouble);
  EXPECT_TRUE(a->locked);
  frame_.OnTabMouse(0, TabMouse::RightDouble);
  EXPECT_EQ(EngineOf(a)->calls.back(), "Refresh2 0");
  frame_.OnTabMouse(0, TabMouse::Middle);
  loop_.RunPosted();
  EXPECT_EQ(frame_.TabCount(), 1);
  frame_.settings().mktab = 3;
  frame_.OnTabMouse(0, TabMouse::Middle);
  EXPECT_EQ(EngineOf(a)->calls.back(), "ExecWB 4 2");
  OpenPage("http://b/", "B");
  frame_.OnTabMouse(1, TabMouse::CloseButton);
  loop_.RunPosted();
  EXPECT_EQ(frame_.TabCount(), 1);
}

TEST_F(TabModel, HomeAndNewPageModes) {
  frame_.settings().homepage = u"http://home/";
  frame_.OnCommand(cmd::kHome);  // newtabhome 1: mode 1 in front
  EXPECT_EQ(LastNavigation(), u"http://home/");
  EngineOf(frame_.ActiveChild())->FinishLoad(u"Home");
  frame_.settings().newtabhome = false;
  frame_.ActiveView()->SetCurrentAddress(u"http://a.example.com/x/y.htm");
  size_t before = engines_.created.size();
  frame_.OnCommand(cmd::kHomeNewTab);  // newtabhome 0: the active tab goes home
  EXPECT_EQ(engines_.created.size(), before);
  EXPECT_EQ(EngineOf(frame_.ActiveChild())->calls.back(), "Navigate2 http://home/");
  EngineOf(frame_.ActiveChild())->FinishLoad(u"Home");
  frame_.ActiveView()->SetCurrentAddress(u"http://a.example.com/x/y.htm");
  frame_.settings().newmode = 6;  // the parent address in a new tab
  frame_.OnCommand(cmd::kNewPageByMode);
  EXPECT_EQ(LastNavigation(), u"http://a.example.com/x/");
  frame_.settings().newmode = 0;
  frame_.OnCommand(cmd::kNewPageByMode);
  EXPECT_EQ(LastNavigation(), u"about:blank");
  frame_.settings().newmode = 4;  // the clipboard command does not exist yet: nothing
  size_t n = engines_.created.size();
  frame_.OnCommand(cmd::kNewPageByMode);
  EXPECT_EQ(engines_.created.size(), n);
}

TEST_F(TabModel, ActivateNewTabsSwitch) {
  EXPECT_EQ(frame_.CommandChecked(cmd::kActivateNewTabs), true);
  frame_.OnCommand(cmd::kActivateNewTabs);
  EXPECT_EQ(frame_.CommandChecked(cmd::kActivateNewTabs), false);
  EXPECT_GT(window_.commandRefreshes, 0);
}

TEST_F(TabModel, TabBarSelectionActivates) {
  CChildFrame* a = OpenPage("http://a/", "A");
  OpenPage("http://b/", "B");
  window_.selected = 0;
  frame_.PostMessage(5127);
  loop_.RunPosted();
  EXPECT_EQ(frame_.ActiveChild(), a);
  EXPECT_EQ(window_.caption, u"A - Zel浏览器");
  EXPECT_EQ(window_.shownView, a);
}

TEST_F(TabModel, FirstBlockedNavigationNeverEntersTheStrip) {
  CChildFrame* c = frame_.OpenUrl(u"", {.tab = TabChoice::Pick, .start = StartKind::Blank, .show = true});
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(frame_.TabCount(), 0);  // made, but not in the strip until a navigation survives
  EXPECT_FALSE(c->shown);
  Close(c);
  EXPECT_EQ(frame_.ChildCount(), 0u);
  EXPECT_EQ(frame_.TabCount(), 0);
}

TEST_F(TabModel, DamagedAddressesDoNotHurt) {
  u16 longText(100000, u'a');
  longText += u".com";
  ASSERT_NE(frame_.OpenUrl(longText, {.tab = TabChoice::New, .start = StartKind::Address, .show = true}), nullptr);
  EXPECT_EQ(LastNavigation().size(), longText.size() + 4);
  u16 odd = u"http://x/\x01\x02";
  odd += char16_t(0xD800);
  ASSERT_NE(frame_.OpenUrl(odd, {.tab = TabChoice::New, .start = StartKind::Address, .show = true}), nullptr);
  EXPECT_EQ(LastNavigation(), odd);
}

TEST_F(TabModel, EngineThatCannotBeMadeOpensNothing) {
  engines_.fail = true;
  EXPECT_EQ(frame_.OpenUrl(u"http://a/", {.tab = TabChoice::New, .start = StartKind::Address, .show = true}), nullptr);
  EXPECT_EQ(frame_.ChildCount(), 0u);
}

TEST_F(TabModel, HandOffOpensInABlankTabAndShowsTheFrame) {
  CChildFrame* blank = OpenBlank();
  window_.visible = false;
  frame_.OnHandOff(u"http://handed/");
  EXPECT_TRUE(window_.visible);
  EXPECT_EQ(frame_.TabCount(), 1);
  EXPECT_EQ(EngineOf(blank)->navigations.back(), u"http://handed/");
}

TEST_F(TabModel, ShutdownOrderAndQuitQuestion) {
  OpenPage("http://a/", "A");
  frame_.settings().quitconfirm = true;
  prompts_.yesAnswers = {false};
  EXPECT_FALSE(frame_.Close(CloseSource::Window));
  EXPECT_FALSE(window_.destroyed);
  EXPECT_EQ(prompts_.questions.back(), u"您真的要退出Zel浏览器吗?");
  // The exit command and the system never ask.
  EXPECT_TRUE(frame_.Close(CloseSource::ExitCommand));
  EXPECT_EQ(prompts_.questions.size(), 1u);
  EXPECT_TRUE(window_.destroyed);
  EXPECT_EQ(ReadConfigInt(u"GENERAL", u"normalquit"), 1);
  EXPECT_EQ(ReadConfigInt(u"GENERAL", u"zoomed"), 0);
  EXPECT_EQ(ReadConfigInt(u"GENERAL", u"left"), 10);
  EXPECT_EQ(ReadConfigInt(u"GENERAL", u"width"), 640);
  EXPECT_EQ(frame_.ChildCount(), 0u);
}

TEST_F(TabModel, MaximizedOrMinimizedFramesKeepTheirRectangle) {
  window_.maximized = true;
  frame_.Close(CloseSource::System);
  EXPECT_EQ(ReadConfigInt(u"GENERAL", u"zoomed"), 1);
  EXPECT_EQ(ReadConfigText(u"GENERAL", u"left"), u"50");  // not written: the absent value
}

}  // namespace
