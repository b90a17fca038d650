// Where the keyboard focus goes when a page finishes: to the page, so keys scroll it,
// unless the user is typing in the address box (or another box or pane) meanwhile.
#include <gtest/gtest.h>

#include "frame/gtk/main_window.h"
#include "support/pump.h"
#include "tabs/frame_test.h"
#include "view/vop_view.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class PageFocus : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    // The page loads itself again a moment after each time it is opened.
    server_.SetPage("/again", R"HTML(<html><head><title>Again</title></head><body><script>
        var n = +(sessionStorage.getItem('n') || 0);
        if (n % 2 == 0) setTimeout(function() { location.reload(); }, 700);
        sessionStorage.setItem('n', n + 1);
        </script><p>text</p></body></html>)HTML");
  }
  GtkWidget* Focus() { return gtk_window_get_focus(window().gobj()); }
  // Opens the page and waits for its own second load.
  bool FinishesTwice(CChildFrame*& tab, int hits, std::function<void()> meanwhile) {
    if (!tab) tab = OpenAndWait("/again", "Again");
    else probe().EnterAddress(server_.Url("/again"), GdkModifierType(0));
    if (!tab || !PumpUntil([&] { return server_.Hits("/again") >= hits + 1; })) return false;
    meanwhile();
    return PumpUntil([&] { return server_.Hits("/again") == hits + 2; }) &&
           PumpUntil([&] { return tab->view()->loadState < 0; });
  }
};

TEST_F(PageFocus, AFinishedPageTakesTheKeysUnlessTheUserIsTyping) {
  CChildFrame* tab = nullptr;
  // The focus on the tab strip (a click on a tab): the page takes it when it finishes.
  ASSERT_TRUE(FinishesTwice(tab, 0, [&] { probe().strip().grab_focus(); }));
  GtkWidget* page = probe().PageWidget(tab);
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(PumpUntil([&] { return Focus() && (Focus() == page || gtk_widget_is_ancestor(Focus(), page)); }));
  // Typing in the address box meanwhile: the focus and the typed text stay.
  ASSERT_TRUE(FinishesTwice(tab, 2, [&] {
    GtkWidget* box = probe().Find("address-box");
    ASSERT_NE(box, nullptr);
    frame().FocusAddressBox();
  }));
  PumpFor(300ms);
  GtkWidget* box = probe().Find("address-box");
  EXPECT_TRUE(Focus() && (Focus() == box || gtk_widget_is_ancestor(Focus(), box)));
}

}  // namespace
