// Text dragged from a page onto the collector pane, with the pointer moved through the X
// server.
#include <gtest/gtest.h>
#include <gtkmm.h>

#include "base/commands.h"
#include "collector/collector_controller.h"
#include "support/pump.h"
#include "support/xtest_input.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class CollectorDrops : public FrameTest {
 protected:
  Gtk::Window* PaneWindow() {
    for (Gtk::Window* w : Gtk::Window::list_toplevels())
      if (w->get_name() == "collector-pane") return w;
    return nullptr;
  }
  XPointerKeeper pointer_;
};

TEST_F(CollectorDrops, TextFromAPageIsRecordedWithItsSource) {
  server_.SetPage("/words", R"(<!DOCTYPE html><html><head><meta charset="utf-8">
    <title>Words</title></head><body style="margin:0">
    <p id="words" style="margin:40px;font-size:24px">collected words</p></body></html>)");
  CChildFrame* tab = OpenAndWait("/words", "Words");
  ASSERT_NE(tab, nullptr);
  auto& collector = frame().controller<CollectorController>();
  collector.switches().stamps = false;
  frame().OnCommand(cmd::kCollectorPane);
  ASSERT_TRUE(PumpUntil([&] { return PaneWindow() && PaneWindow()->get_mapped(); }));
  PumpFor(300ms);
  Run(tab, "getSelection().selectAllChildren(document.getElementById('words'))");
  auto [x, y] = Center(tab, "words");
  ASSERT_GT(x, 0);
  XMoveTo(PageOf(tab), x, y);
  XButton(1, true);
  XMoveTo(GTK_WIDGET(PaneWindow()->gobj()), 150, 150, 4);
  PumpFor(200ms);
  XButton(1, false);
  u16 expected = FromUtf8(server_.Url("/words")) + u" => collected words\r\n";
  EXPECT_TRUE(PumpUntil([&] { return collector.StoreText(CollectorStore::Text) == expected; }))
      << ToUtf8(collector.StoreText(CollectorStore::Text));
  // The page itself is left as it was.
  EXPECT_EQ(frame().TabCount(), 1);
}

}  // namespace
