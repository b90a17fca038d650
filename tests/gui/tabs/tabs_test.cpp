// The real frame with real WebKit tabs against pages from a local server.
#include <gtest/gtest.h>
#include <gtkmm.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "settings/frame_settings.h"
#include "frame/tab_locks.h"
#include "host/gtk/frame_host.h"
#include "settings/settings_file.h"
#include "host/startup.h"
#include "fakes/fake_ports.h"
#include "fakes/temp_dir.h"
#include "view/child_frame.h"
#include "view/gtk/synth_events.h"
#include "base/commands.h"
#include "frame/gtk/main_window.h"
#include "frame/main_frame.h"
#include "support/log_watch.h"
#include "support/pump.h"
#include "support/test_server.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class Tabs : public FrameTest {};

TEST_F(Tabs, ThreePagesCaptionsClosesAndCloseAll) {
  // One after the other, as a user opens them: each tab enters the strip when its first
  // navigation survives.
  int n = 0;
  for (auto t : {"One", "Two", "Three"}) {
    ASSERT_NE(frame().OpenUrl(FromUtf8(server_.Url(std::string("/t/") + t)), {.tab = TabChoice::New, .start = StartKind::Address, .show = true}),
              nullptr);
    ++n;
    ASSERT_TRUE(PumpUntil([&] { return int(Entries().size()) == n; }));
  }
  ASSERT_TRUE(PumpUntil([&] {
    return Entries() == std::vector<std::string>{"One", "Two", "Three"};
  })) << ::testing::PrintToString(Entries());
  EXPECT_TRUE(PumpUntil([&] { return CaptionIs("Three - Zel浏览器"); })) << window().get_title();
  EXPECT_EQ(window().tabStrip().SelectedTabEntry(), 2);

  // Closing the active last tab brings its left neighbour forward.
  frame().OnCommand(cmd::kCloseTab);
  ASSERT_TRUE(PumpUntil([&] { return Entries().size() == 2; }));
  EXPECT_EQ(frame().ActiveChild(), frame().TabAt(1));
  EXPECT_TRUE(CaptionIs("Two - Zel浏览器")) << window().get_title();

  // A user's click on the strip selects and activates.
  probe().strip().set_current_page(0);
  ASSERT_TRUE(PumpUntil([&] { return frame().ActiveChild() == frame().TabAt(0); }));
  EXPECT_TRUE(CaptionIs("One - Zel浏览器")) << window().get_title();

  // A locked tab survives close all.
  frame().controller<TabLockController>().ToggleLock(frame().TabAt(0));
  frame().OnCommand(cmd::kCloseAll);
  ASSERT_TRUE(PumpUntil([&] { return Entries().size() == 1; }));
  PumpFor(200ms);
  EXPECT_EQ(Entries(), std::vector<std::string>{"One"});
  EXPECT_TRUE(frame().TabAt(0)->locked);
  EXPECT_TRUE(CaptionIs("One - Zel浏览器"));
  EXPECT_EQ(server_.Hits("/t/One"), 1);
}

TEST_F(Tabs, LastPageClosedLeavesABlankTab) {
  frame().OpenUrl(FromUtf8(server_.Url("/t/Only")), {.tab = TabChoice::ReuseBlank, .start = StartKind::Address, .show = true});
  ASSERT_TRUE(PumpUntil([&] { return Entries() == std::vector<std::string>{"Only"}; }));
  frame().OnCommand(cmd::kCloseTab);
  ASSERT_TRUE(PumpUntil([&] { return Entries() == std::vector<std::string>{"空白页"}; }))
      << ::testing::PrintToString(Entries());
  EXPECT_TRUE(PumpUntil([&] { return CaptionIs("空白页 - Zel浏览器"); })) << window().get_title();
  // Closing the blank last tab does nothing.
  frame().OnCommand(cmd::kCloseTab);
  PumpFor(200ms);
  EXPECT_EQ(Entries().size(), 1u);
}

TEST_F(Tabs, PageWindowsBecomeTabs) {
  server_.SetPage("/opener", R"(<html><head><title>Opener</title></head><body>
      <script>window.onload = function () { window.open("/t/Opened"); };</script></body></html>)");
  frame().OpenUrl(FromUtf8(server_.Url("/opener")), {.tab = TabChoice::New, .start = StartKind::Address, .show = true});
  ASSERT_TRUE(PumpUntil([&] { return Entries().size() == 2; })) << ::testing::PrintToString(Entries());
  ASSERT_TRUE(PumpUntil([&] {
    auto e = Entries();
    return std::find(e.begin(), e.end(), "Opened") != e.end();
  })) << ::testing::PrintToString(Entries());
  CChildFrame* opened = frame().TabAt(1);
  ASSERT_NE(opened, nullptr);
  EXPECT_TRUE(opened->view()->newWindowMark);
  EXPECT_EQ(opened->view()->openerIndex, 0);
}

}  // namespace


namespace {


TEST_F(Tabs, TabWhoseViewWasMadeAheadStartsWithNothingBehindIt) {
  // Once a second tab has been asked for, a view is made ahead for the next tab, and its
  // process started, a moment after a tab takes one; the next tab uses it. Its start must
  // leave no page in the tab's history.
  // The blank tab the window starts with, nothing made ahead yet.
  PumpFor(500ms);
  const int before = WebProcessCount();
  ASSERT_NE(OpenAndWait("/t/First", "First"), nullptr);
  ASSERT_NE(OpenAndWait("/t/Second", "Second"), nullptr);
  // The two tabs' processes and the one started ahead (whether or not the second tab took
  // one made after the first).
  ASSERT_TRUE(PumpUntil([&] { return WebProcessCount() >= before + 3; }, 20s))
      << "no view was made ahead";
  CChildFrame* next = OpenAndWait("/t/Next", "Next");
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(Run(next, "history.length"), "1");
  EXPECT_FALSE(probe().StandardButton(cmd::kBack)->get_sensitive());
}

}  // namespace

namespace {

// Where a point of a widget is on the screen.
std::pair<int, int> OnScreen(GtkWidget* w, int x, int y) {
  int tx = 0, ty = 0, ox = 0, oy = 0;
  GtkWidget* top = gtk_widget_get_toplevel(w);
  gtk_widget_translate_coordinates(w, top, x, y, &tx, &ty);
  gdk_window_get_origin(gtk_widget_get_window(top), &ox, &oy);
  return {ox + tx, oy + ty};
}

TEST_F(Tabs, TabMenuOpensAtThePointerWithItsClick) {
  WatchGLog();
  ASSERT_NE(OpenAndWait("/t/One", "One"), nullptr);
  Gtk::Notebook& strip = probe().strip();
  Gtk::Widget* label = strip.get_tab_label(*strip.get_nth_page(strip.get_current_page()));
  ASSERT_NE(label, nullptr);
  ClearLogged();
  SynthButton(label->gobj(), GDK_BUTTON_PRESS, 14, 7, 3, 0);
  SynthButton(label->gobj(), GDK_BUTTON_RELEASE, 14, 7, 3, GDK_BUTTON3_MASK);
  GtkWidget* menu = nullptr;
  ASSERT_TRUE(PumpUntil([&] {
    menu = probe().ShownMenu("tab-menu");
    return menu && gtk_widget_get_mapped(gtk_widget_get_toplevel(menu));
  })) << "no tab menu";
  const auto [px, py] = OnScreen(label->gobj(), 14, 7);
  int mx = 0, my = 0;
  gdk_window_get_origin(gtk_widget_get_window(gtk_widget_get_toplevel(menu)), &mx, &my);
  EXPECT_LE(std::abs(mx - px), 8) << "menu at x " << mx << ", pointer at " << px;
  EXPECT_LE(std::abs(my - py), 8) << "menu at y " << my << ", pointer at " << py;
  for (const std::string& w : LoggedWarnings())
    EXPECT_EQ(w.find("no trigger event"), std::string::npos) << w;
  gtk_menu_popdown(GTK_MENU(menu));
}

}  // namespace
