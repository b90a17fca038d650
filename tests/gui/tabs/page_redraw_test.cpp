// How pages reach the screen. The page is drawn again at once where a window over it goes
// away: no patch of the window's panel stays over the page after a dialog, a menu or another
// program's window closes (the screen is read from the X server, as the user sees it). And
// the browser's own process draws them without a graphics driver of its own.
#include <gtest/gtest.h>
#include <gtkmm.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "base/files.h"
#include "frame/gtk/main_window.h"
#include "host/gtk/frame_host.h"
#include "platform/linux/child_environment.h"
#include "platform/linux/gio_shell.h"
#include "support/pump.h"
#include "fakes/temp_dir.h"
#include "tabs/frame_test.h"

// After gtkmm: Xlib defines names gtkmm uses.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gdk/gdkx.h>

using namespace zel;
using namespace zel::test;
using namespace std::chrono_literals;

namespace {

// The screen's pixels in a rectangle.
std::vector<unsigned long> ScreenPixels(int x, int y, int w, int h) {
  Display* d = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
  XImage* image = XGetImage(d, DefaultRootWindow(d), x, y, unsigned(w), unsigned(h), AllPlanes, ZPixmap);
  std::vector<unsigned long> out;
  if (!image) return out;
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) out.push_back(XGetPixel(image, i, j) & 0xffffff);
  XDestroyImage(image);
  return out;
}

size_t Differing(const std::vector<unsigned long>& a, const std::vector<unsigned long>& b) {
  if (a.size() != b.size()) return std::max(a.size(), b.size());
  size_t n = 0;
  for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
  return n;
}

class PageRedraw : public FrameTest {};

TEST_F(PageRedraw, WhereAWindowOverThePageGoesThePageIsDrawnAgain) {
  std::string lines;
  for (int i = 0; i < 40; ++i) lines += "<p>第 " + std::to_string(i) + " 行 some text on the page</p>";
  server_.SetPage("/text", "<html><head><meta charset='utf-8'><title>Text</title></head><body>" +
                               lines + "</body></html>");
  CChildFrame* tab = OpenAndWait("/text", "Text");
  ASSERT_NE(tab, nullptr);
  GtkWidget* page = PageOf(tab);
  int x = 0, y = 0;
  gdk_window_get_origin(gtk_widget_get_window(page), &x, &y);
  if (!gtk_widget_get_has_window(page)) {
    GtkAllocation a;
    gtk_widget_get_allocation(page, &a);
    x += a.x, y += a.y;
  }
  x += 40, y += 20;
  const int w = 320, h = 220;
  std::vector<unsigned long> before;
  // The page as drawn, once it stays the same.
  ASSERT_TRUE(PumpUntil([&] {
    std::vector<unsigned long> now = ScreenPixels(x, y, w, h);
    bool settled = !before.empty() && Differing(now, before) == 0;
    before = now;
    PumpFor(100ms);
    return settled;
  }));
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    Gtk::Window cover;
    cover.set_transient_for(window());
    cover.set_decorated(false);
    cover.set_default_size(w, h);
    cover.move(x, y);
    auto css = Gtk::CssProvider::create();
    css->load_from_data("window { background: #00ff00; }");
    cover.get_style_context()->add_provider(css, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    cover.show_all();
    ASSERT_TRUE(PumpUntil([&] { return Differing(ScreenPixels(x, y, w, h), before) > size_t(w * h / 2); }));
    PumpFor(300ms);
    cover.hide();
    size_t left = 0;
    EXPECT_TRUE(PumpUntil([&] { return (left = Differing(ScreenPixels(x, y, w, h), before)) == 0; }, 3s))
        << left << " pixels not drawn again";
  }
}

// The page's pictures come in shared memory, which this process draws with cairo: it loads no
// driver (Mesa's software one brings 20 MB of LLVM), while the page process still gets one.
TEST_F(PageRedraw, TheBrowsersOwnProcessLoadsNoGraphicsDriver) {
  server_.SetPage("/moving", R"HTML(<html><head><title>Moving</title><style>
      div { width: 200px; height: 100px; background: #36c; will-change: transform;
            animation: turn 1s linear infinite; }
      @keyframes turn { to { transform: rotate(360deg); } }</style></head>
      <body><div></div><canvas id=c width=64 height=64></canvas><script>
      document.getElementById('c').getContext('2d').fillRect(0, 0, 32, 32);</script></body></html>)HTML");
  CChildFrame* tab = OpenAndWait("/moving", "Moving");
  ASSERT_NE(tab, nullptr);
  PumpFor(1s);
  std::ifstream maps("/proc/self/maps");
  std::string line;
  std::vector<std::string> drivers;
  while (std::getline(maps, line))
    for (const char* name : {"_dri.so", "libLLVM", "libEGL_mesa", "libGLX_mesa"})
      if (line.find(name) != std::string::npos) drivers.push_back(line.substr(line.rfind(' ') + 1));
  EXPECT_EQ(drivers, std::vector<std::string>{});
}

TEST(RenderNode, TheLowestNumberedNodeIsNamedOrTheFirstNameWhenThereIsNone) {
  struct Case {
    std::vector<std::string> entries;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {{}, "renderD128"},
      {{"card0", "by-path"}, "renderD128"},
      {{"card0", "renderD129", "renderD128"}, "renderD128"},
      {{"renderD130", "renderD1300", "renderD12x"}, "renderD130"},
  };
  for (const Case& c : cases) {
    zel::test::TempDir dir;
    for (const std::string& e : c.entries) ASSERT_TRUE(WriteFileAtomic(dir.path() + "/" + e, ""));
    EXPECT_EQ(RenderNodeIn(dir.path()), dir.path() + "/" + c.expected) << c.entries.size();
  }
  EXPECT_EQ(RenderNodeIn("/nonexistent/dri"), "/nonexistent/dri/renderD128");
}

// Those choices are the browser's own: a program it starts gets the environment the user
// gave the browser, without them.
TEST(RenderNode, ProgramsTheBrowserStartsGetTheUsersEnvironment) {
  const std::vector<std::string>& ours = NamesSetForThisProcessOnly();
  ASSERT_NE(std::find(ours.begin(), ours.end(), "GDK_GL"), ours.end());
  zel::test::TempDir dir;
  const std::string script = dir.path() + "/env.sh", out = dir.path() + "/env.txt";
  ASSERT_TRUE(WriteFileAtomic(script, "#!/bin/sh\nenv > '" + out + ".part' && mv '" + out +
                                          ".part' '" + out + "'\n"));
  chmod(script.c_str(), 0700);
  GioShell shell;
  ASSERT_TRUE(shell.StartProgram(FromUtf8(script), u"", u""));
  std::string env;
  ASSERT_TRUE(PumpUntil([&] { return ReadFileBytes(out, &env) == ReadStatus::Ok; }));
  EXPECT_NE(env.find("\nHOME="), std::string::npos);
  for (const std::string& name : ours)
    EXPECT_EQ(env.find("\n" + name + "="), std::string::npos) << name;
}

}  // namespace
