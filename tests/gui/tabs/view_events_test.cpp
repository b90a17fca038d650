// Clicks on real pages: which navigations open new tabs, new windows, back and forward.
#include <gtest/gtest.h>

#include <cstdio>

#include "base/commands.h"
#include "frame/gtk/main_window.h"
#include "support/pump.h"
#include "support/synth_input.h"
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
  // New tabs stay behind, so the second click lands on the page the user still sees.
  frame().settings().newtablink = true;
  frame().settings().activateNewTabs = false;
  CChildFrame* tab = OpenAndWait("/links", "Links");
  ASSERT_NE(tab, nullptr);
  auto [x, y] = Center(tab, "out");
  ASSERT_GE(x, 0);
  auto t0 = std::chrono::steady_clock::now();
  ClickAt(PageOf(tab), x, y);
  PumpFor(400ms);
  ASSERT_EQ(frame().ActiveChild(), tab);
  ASSERT_TRUE(gtk_widget_get_mapped(PageOf(tab)));
  ClickAt(PageOf(tab), x, y);
  auto elapsed = std::chrono::steady_clock::now() - t0;
  ASSERT_TRUE(PumpUntil([&] { return server_.Hits("/t/Target") >= 1; }));
  PumpFor(800ms);
  EXPECT_EQ(Tabs(), 2u) << ::testing::PrintToString(Entries());
  EXPECT_EQ(server_.Hits("/t/Target"), 1);
  // Only a second pair of clicks within the second says anything.
  EXPECT_LT(elapsed, 1s);
}

// Links aimed at a frame of the page load in that frame, new-tab setting or not; the
// page's other links still go to new tabs.
TEST_F(ViewEvents, ALinkIntoAFrameLoadsInTheFrame) {
  frame().settings().newtablink = true;
  server_.SetPage("/framed", R"(<!DOCTYPE html><html><head><title>Framed</title></head><body>
      <p><a id="into" href="/t/InFrame" target="inner">into the frame</a>
      <a id="top" href="/t/OnTop">on top</a></p>
      <iframe id="f" name="inner" src="/t/First" style="width:600px;height:300px"></iframe>
      </body></html>)");
  CChildFrame* tab = OpenAndWait("/framed", "Framed");
  ASSERT_NE(tab, nullptr);
  auto frameTitle = [&] { return Run(tab, "document.getElementById('f').contentDocument.title"); };
  ASSERT_TRUE(PumpUntil([&] { return frameTitle() == "\"First\""; }));
  Click(tab, "into");
  ASSERT_TRUE(PumpUntil([&] { return frameTitle() == "\"InFrame\""; })) << frameTitle();
  PumpFor(500ms);
  EXPECT_EQ(Tabs(), 1u) << ::testing::PrintToString(Entries());
  EXPECT_EQ(server_.Hits("/t/InFrame"), 1);
  EXPECT_EQ(tab->caption, u"Framed");
  EXPECT_NE(probe().AddressText().find("/framed"), std::string::npos) << probe().AddressText();
  // A link inside the frame stays in it too (the page's own link: "#link" of /t/InFrame),
  // clicked where it is on the screen: the frame's content box plus its place in the frame.
  std::string at = Run(tab, "(function(){var f=document.getElementById('f'),"
                            "o=f.getBoundingClientRect(),r=f.contentDocument.getElementById('link')"
                            ".getBoundingClientRect();return [Math.round(o.left+f.clientLeft+r.left+"
                            "r.width/2),Math.round(o.top+f.clientTop+r.top+r.height/2)];})()");
  double ix = -1, iy = -1;
  ASSERT_EQ(std::sscanf(at.c_str(), "[%lf,%lf]", &ix, &iy), 2) << at;
  ClickAt(PageOf(tab), ix, iy);
  ASSERT_TRUE(PumpUntil([&] { return frameTitle() == "\"Linked\""; })) << frameTitle();
  EXPECT_EQ(Tabs(), 1u) << ::testing::PrintToString(Entries());
  // The page's own link is a top-level navigation: a new tab.
  PumpFor(1100ms);
  Click(tab, "top");
  ASSERT_TRUE(PumpUntil([&] { return Tabs() == 2; })) << ::testing::PrintToString(Entries());
  EXPECT_EQ(tab->caption, u"Framed");
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
