// The keys people press in every browser, pressed through the X server into the focused
// window (the keyboard is shared by every window on the display, so these run alone).
#include <gtest/gtest.h>

#include "base/commands.h"
#include "frame/gtk/main_window.h"
#include "support/pump.h"
#include "support/xtest_input.h"
#include "tabs/frame_test.h"
#include "view/vop_view.h"

// X11 last: its macros clash with the toolkit's headers.
#include <gdk/gdkx.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class BrowserKeysX : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    server_.SetPage("/keys", R"(<!DOCTYPE html><html><head><title>Keys</title></head>
      <body><p id="text">some text</p></body></html>)");
  }
  // The X server's keyboard focus on the browser window.
  void FocusWindow() {
    ASSERT_TRUE(PumpUntil([&] { return window().get_mapped(); }));
    Display* d = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
    XRaiseWindow(d, GDK_WINDOW_XID(window().get_window()->gobj()));
    XSetInputFocus(d, GDK_WINDOW_XID(window().get_window()->gobj()), RevertToParent, CurrentTime);
    XSync(d, False);
    ASSERT_TRUE(PumpUntil([&] { return window().has_toplevel_focus(); }));
  }
  std::string BodyZoom(CChildFrame* tab) { return Run(tab, "document.body.style.zoom"); }
};

TEST_F(BrowserKeysX, CtrlPlusZoomsCtrlUShowsTheSourceCtrlQQuits) {
  CChildFrame* tab = OpenAndWait("/keys", "Keys");
  ASSERT_NE(tab, nullptr);
  tab->view()->FocusPage();
  FocusWindow();

  // "Ctrl +" as typed on most keyboards: Ctrl+Shift+= (keysym plus).
  const std::string before = BodyZoom(tab);
  XKeyChord({XK_Control_L, XK_Shift_L}, XK_equal);
  EXPECT_TRUE(PumpUntil([&] { return BodyZoom(tab) == "\"110%\""; })) << before << " " << BodyZoom(tab);

  // Ctrl+U: the page's source in a tab of its own, in front.
  XKeyChord({XK_Control_L}, XK_u);
  ASSERT_TRUE(PumpUntil([&] { return frame().TabCount() == 2; }));
  CChildFrame* source = frame().TabAt(1) == tab ? frame().TabAt(0) : frame().TabAt(1);
  EXPECT_TRUE(PumpUntil([&] {
    return source->view() && source->view()->CurrentAddress() == u"view-source:" +
                                                                      FromUtf8(server_.Url("/keys"));
  }));

  // Ctrl+PgDn still closes the tab in front.
  XKeyChord({XK_Control_L}, XK_Page_Down);
  EXPECT_TRUE(PumpUntil([&] { return frame().TabCount() == 1; }));

  // Ctrl+Q quits as 文件 → 退出 does.
  FocusWindow();
  XKeyChord({XK_Control_L}, XK_q);
  EXPECT_TRUE(PumpUntil([&] { return frame().closing(); }, 10s));
}

}  // namespace
