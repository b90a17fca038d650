// Status texts belong to their tab and page: the link under the pointer goes when the
// pointer leaves or the page changes, another tab in front brings its own text.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "base/commands.h"
#include "support/pump.h"
#include "support/synth_input.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class StatusText : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    server_.SetPage("/links", R"(<!DOCTYPE html><html><head><title>Links</title></head>
      <body style="margin:0"><p style="margin:40px"><a id="out" href="/t/Target">a link</a></p>
      <div style="height:2000px"></div></body></html>)");
  }
  void Leave(GtkWidget* w) {
    GdkEvent* ev = gdk_event_new(GDK_LEAVE_NOTIFY);
    ev->crossing.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(w)));
    ev->crossing.mode = GDK_CROSSING_NORMAL;
    ev->crossing.detail = GDK_NOTIFY_ANCESTOR;
    ev->crossing.time = GDK_CURRENT_TIME;
    gdk_event_set_device(ev, gdk_seat_get_pointer(gdk_display_get_default_seat(
                                 gtk_widget_get_display(w))));
    gtk_widget_event(w, ev);
    gdk_event_free(ev);
  }
};

TEST_F(StatusText, LinkTextGoesWithThePointerThePageAndTheTab) {
  const std::string target = server_.Url("/t/Target");
  CChildFrame* tab = OpenAndWait("/links", "Links");
  ASSERT_NE(tab, nullptr);
  auto [x, y] = Center(tab, "out");
  // After the click the next page is in: the old link is not shown on it.
  MoveTo(PageOf(tab), x, y);
  ASSERT_TRUE(PumpUntil([&] { return probe().StatusText() == target; }));
  ClickAt(PageOf(tab), x, y);
  ASSERT_TRUE(PumpUntil([&] { return tab->caption == u"Target"; }));
  EXPECT_EQ(probe().StatusText(), "");

  // Back on the page, the pointer over the link and then out of the page.
  frame().OnCommand(cmd::kBack);
  ASSERT_TRUE(PumpUntil([&] { return tab->caption == u"Links"; }));
  MoveTo(PageOf(tab), x + 300, y + 300);
  PumpFor(100ms);
  MoveTo(PageOf(tab), x, y);
  ASSERT_TRUE(PumpUntil([&] { return probe().StatusText() == target; }));
  Leave(PageOf(tab));
  ASSERT_TRUE(PumpUntil([&] { return probe().StatusText().empty(); }));

  // A text of one tab (a find count, a script error) does not stay when another comes to
  // the front.
  CChildFrame* other = OpenAndWait("/t/Other", "Other");
  ASSERT_NE(other, nullptr);
  frame().ActivateTab(tab);
  frame().SetStatusText(u"找到 3 处");
  frame().ActivateTab(other);
  EXPECT_EQ(probe().StatusText(), "");
}

}  // namespace
