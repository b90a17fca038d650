// Clicks on real pages: which navigations open new tabs, new windows, back and forward.
#include <gtest/gtest.h>

#include "base/commands.h"
#include "frame/gtk/main_window.h"
#include "support/pump.h"
#include "support/test_server.h"
#include "tabs/frame_test.h"
#include "view/gtk/synth_events.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class ViewEvents : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    server_.SetPage("/links", R"(<!DOCTYPE html><html><head><meta charset="utf-8">
      <title>Links</title></head><body>
      <p><a id="out" href="/t/Target">to another page</a></p>
      <p><a id="anchor" href="#below">to below</a></p>
      <p><a id="refused" href="http://127.0.0.1:9/">to a refused port</a></p>
      <form id="f" method="post" action="/t/Posted"><input name="q" value="1">
        <input id="send" type="submit" value="send"></form>
      <div style="height:3000px"></div><h2 id="below">below</h2></body></html>)");
  }
  size_t Tabs() { return Entries().size(); }
};

TEST_F(ViewEvents, LinkClickOpensANewTabWhenLinksGoToNewTabs) {
  frame().settings().newtablink = true;
  CChildFrame* tab = OpenAndWait("/links", "Links");
  ASSERT_NE(tab, nullptr);
  Click(tab, "out");
  ASSERT_TRUE(PumpUntil([&] { return Tabs() == 2; })) << ::testing::PrintToString(Entries());
  ASSERT_TRUE(PumpUntil([&] { return frame().TabAt(1)->caption == u"Target"; }));
  // The clicked tab still shows its page.
  EXPECT_EQ(tab->caption, u"Links");
  EXPECT_EQ(server_.Hits("/t/Target"), 1);
}

TEST_F(ViewEvents, CtrlClickOnALinkOpensItInANewTab) {
  // Links stay in their tab here; Ctrl asks for a new window, which becomes a tab.
  frame().settings().newtablink = false;
  CChildFrame* tab = OpenAndWait("/links", "Links");
  ASSERT_NE(tab, nullptr);
  Click(tab, "out", GDK_CONTROL_MASK);
  ASSERT_TRUE(PumpUntil([&] { return Tabs() == 2; })) << ::testing::PrintToString(Entries());
  ASSERT_TRUE(PumpUntil([&] { return frame().TabAt(1)->caption == u"Target"; }));
  EXPECT_EQ(tab->caption, u"Links");
  EXPECT_EQ(server_.Hits("/t/Target"), 1);
}

TEST_F(ViewEvents, LinkToARefusedPortShowsWhyAndKeepsTheAddress) {
  frame().settings().newtablink = false;
  CChildFrame* tab = OpenAndWait("/links", "Links");
  ASSERT_NE(tab, nullptr);
  // As a user does: the pointer rests on the link (its address shows), then the click.
  auto [x, y] = Center(tab, "refused");
  ASSERT_GE(x, 0);
  SynthMotion(PageOf(tab), x, y, 0);
  ASSERT_TRUE(PumpUntil([&] { return probe().StatusText().find(":9/") != std::string::npos; }))
      << probe().StatusText();
  Click(tab, "refused");
  ASSERT_TRUE(PumpUntil([&] {
    return Run(tab, "document.getElementById('retry') ? document.getElementById('retry')"
                    ".textContent + '|' + document.getElementById('reason').textContent : ''")
               .find("重试|端口被阻止") != std::string::npos;
  }));
  EXPECT_TRUE(PumpUntil([&] { return probe().AddressText() == "http://127.0.0.1:9/"; }))
      << probe().AddressText();
  EXPECT_EQ(Tabs(), 1u);
}

TEST_F(ViewEvents, ACertificateNobodyTrustsSaysWhyAndCanBeGoneOnTo) {
  TestServer secure(TestServer::Scheme::Https);
  const std::string page = secure.Url("/t/Secure");
  CChildFrame* tab = frame().OpenUrl(FromUtf8(page), {.tab = TabChoice::New, .show = true});
  ASSERT_NE(tab, nullptr);
  ASSERT_TRUE(PumpUntil([&] {
    return Run(tab, "document.getElementById('go-on') ? document.getElementById('reason')"
                    ".textContent : ''")
               .find("证书问题：证书的颁发者不受信任") != std::string::npos;
  }));
  EXPECT_EQ(secure.Hits("/t/Secure"), 0);
  EXPECT_TRUE(PumpUntil([&] { return probe().AddressText() == page; })) << probe().AddressText();
  Click(tab, "go-on");
  ASSERT_TRUE(PumpUntil([&] { return tab->caption == u"Secure"; })) << ToUtf8(tab->caption);
  EXPECT_EQ(secure.Hits("/t/Secure"), 1);
  // The site's certificate stays accepted for the rest of the run, in every tab.
  CChildFrame* again = frame().OpenUrl(FromUtf8(secure.Url("/t/Again")), {.tab = TabChoice::New, .show = true});
  ASSERT_NE(again, nullptr);
  EXPECT_TRUE(PumpUntil([&] { return again->caption == u"Again"; })) << ToUtf8(again->caption);
}

TEST_F(ViewEvents, AnAddressWithChineseInItReachesTheServerAsUtf8) {
  // As typed or given on the command line: the page's title is its path, decoded.
  EXPECT_NE(OpenAndWait("/t/中文页面", "中文页面"), nullptr);
  CChildFrame* data = frame().OpenUrl(u"data:text/html;charset=utf-8,<title>标题</title>",
                                      {.tab = TabChoice::New, .show = true});
  ASSERT_NE(data, nullptr);
  EXPECT_TRUE(PumpUntil([&] { return data->caption == u"标题"; })) << ToUtf8(data->caption);
}

TEST_F(ViewEvents, AnchorClickStaysInItsTab) {
  frame().settings().newtablink = true;
  CChildFrame* tab = OpenAndWait("/links", "Links");
  ASSERT_NE(tab, nullptr);
  Click(tab, "anchor");
  ASSERT_TRUE(PumpUntil([&] { return EndsWith(tab->view()->CurrentAddress(), u"#below"); }))
      << ToUtf8(tab->view()->CurrentAddress());
  PumpFor(300ms);
  EXPECT_EQ(Tabs(), 1u);
}

TEST_F(ViewEvents, FormPostStaysInItsTab) {
  frame().settings().newtablink = true;
  CChildFrame* tab = OpenAndWait("/links", "Links");
  ASSERT_NE(tab, nullptr);
  Click(tab, "send");
  ASSERT_TRUE(PumpUntil([&] { return tab->caption == u"Posted"; })) << ToUtf8(tab->caption);
  EXPECT_EQ(Tabs(), 1u);
}

TEST_F(ViewEvents, TwoClicksWithinASecondOpenOneTab) {
  frame().settings().newtablink = true;
  CChildFrame* tab = OpenAndWait("/links", "Links");
  ASSERT_NE(tab, nullptr);
  Click(tab, "out");
  PumpFor(150ms);
  Click(tab, "out");
  ASSERT_TRUE(PumpUntil([&] { return Tabs() >= 2; }));
  PumpFor(800ms);
  EXPECT_EQ(Tabs(), 2u) << ::testing::PrintToString(Entries());
}

TEST_F(ViewEvents, ScriptWindowBecomesAMarkedTab) {
  server_.SetPage("/opener", R"HTML(<html><head><title>Opener</title></head><body>
      <button id="b" onclick="window.open('/t/Popup')">open</button></body></html>)HTML");
  CChildFrame* tab = OpenAndWait("/opener", "Opener");
  ASSERT_NE(tab, nullptr);
  Click(tab, "b");
  ASSERT_TRUE(PumpUntil([&] { return Tabs() == 2 && frame().TabAt(1)->caption == u"Popup"; }))
      << ::testing::PrintToString(Entries());
  CChildFrame* popup = frame().TabAt(1);
  EXPECT_TRUE(popup->view()->newWindowMark);
  EXPECT_EQ(popup->view()->openerIndex, 0);
  // A tab, not a window: the process has one top-level browser window.
  int browserWindows = 0;
  for (auto* w : Gtk::Window::list_toplevels())
    if (w->get_visible() && dynamic_cast<MainWindow*>(w)) ++browserWindows;
  EXPECT_EQ(browserWindows, 1);
}

TEST_F(ViewEvents, BackAndForwardFollowTheHistory) {
  CChildFrame* tab = OpenAndWait("/t/First", "First");
  ASSERT_NE(tab, nullptr);
  Gtk::ToolButton* back = probe().StandardButton(cmd::kBack);
  Gtk::ToolButton* forward = probe().StandardButton(cmd::kForward);
  ASSERT_NE(back, nullptr);
  EXPECT_FALSE(back->get_sensitive());
  EXPECT_FALSE(forward->get_sensitive());
  EXPECT_TRUE(PumpUntil([&] { return !probe().StandardButton(cmd::kStop)->get_sensitive(); }));
  Click(tab, "link");  // to /t/Linked in the same tab
  ASSERT_TRUE(PumpUntil([&] { return tab->caption == u"Linked"; }));
  ASSERT_TRUE(PumpUntil([&] { return back->get_sensitive(); }));
  EXPECT_FALSE(forward->get_sensitive());
  g_signal_emit_by_name(back->gobj(), "clicked");
  ASSERT_TRUE(PumpUntil([&] { return tab->caption == u"First"; }));
  EXPECT_TRUE(PumpUntil([&] { return forward->get_sensitive() && !back->get_sensitive(); }));
  g_signal_emit_by_name(forward->gobj(), "clicked");
  EXPECT_TRUE(PumpUntil([&] { return tab->caption == u"Linked"; }));
  EXPECT_TRUE(PumpUntil([&] { return probe().AddressText().find("/t/Linked") != std::string::npos; }))
      << probe().AddressText();
}

TEST_F(ViewEvents, ClickRecordsAUserAction) {
  CChildFrame* tab = OpenAndWait("/links", "Links");
  ASSERT_NE(tab, nullptr);
  EXPECT_EQ(tab->view()->userActionTime(), 0);
  frame().settings().popupFilter = true;  // left-button-down is recorded while it is on
  Click(tab, "anchor");
  EXPECT_GT(tab->view()->userActionTime(), 0);
}

}  // namespace
