// Site icons in the real frame: favicons from the local server, decoded and shown on the
// tabs and in the address box.
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <fstream>

#include "frame/tab_locks.h"
#include "icons/site_icons.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;

namespace zel::test {
namespace {

constexpr long kRed = 0xFF0000;

// A one-colour 16x16 icon file in the given format ("ico", "png").
std::string IconBytes(const char* format, guint32 rgba) {
  GdkPixbuf* p = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 32, 32);
  gdk_pixbuf_fill(p, rgba);
  gchar* buf = nullptr;
  gsize len = 0;
  bool ok = gdk_pixbuf_save_to_buffer(p, &buf, &len, format, nullptr, nullptr);
  g_object_unref(p);
  std::string out = ok ? std::string(buf, len) : std::string();
  g_free(buf);
  return out;
}

class SiteIcons : public FrameTest {
 protected:
  SiteIconsController& icons() { return frame().controller<SiteIconsController>(); }
  long ColorOf(CChildFrame* c) { return probe().EntryIconColor(frame().TabIndexOf(c)); }
  // Waits until the favicon was asked for and its answer is through.
  bool FetchDone(int hits) {
    return PumpUntil([&] { return server_.Hits("/favicon.ico") >= hits && !icons().fetching(); }, 20s);
  }
};

TEST_F(SiteIcons, TwoTabsOfOneSiteAskOnceAndBothShowTheIcon) {
  for (const char* format : {"ico", "png"}) {
    SCOPED_TRACE(format);
    // Each format on a site of its own: 127.0.0.1 and localhost are two sites.
    const std::string host = std::string(format) == "ico" ? "127.0.0.1" : "localhost";
    std::string bytes = IconBytes(format, 0xFF0000FF);
    ASSERT_FALSE(bytes.empty());
    server_.SetPage("/favicon.ico", bytes);
    std::string base = "http://" + host + ":" + std::to_string(server_.port());
    int before = server_.Hits("/favicon.ico");
    CChildFrame* one = frame().OpenUrl(FromUtf8(base + "/t/One"), {.tab = TabChoice::New, .start = StartKind::Address, .show = true});
    CChildFrame* two = frame().OpenUrl(FromUtf8(base + "/t/Two"), {.tab = TabChoice::New, .start = StartKind::Address, .show = false});
    ASSERT_TRUE(one && two);
    EXPECT_TRUE(PumpUntil([&] { return ColorOf(one) == kRed && ColorOf(two) == kRed; }, 20s))
        << std::hex << ColorOf(one) << " " << ColorOf(two);
    EXPECT_TRUE(FetchDone(before + 1));
    EXPECT_EQ(server_.Hits("/favicon.ico"), before + 1);
  }
  // The tab in front shows the same image in the address box.
  EXPECT_TRUE(PumpUntil([&] { return probe().AddressIconColor() == kRed; }, 5s));
}

TEST_F(SiteIcons, ASiteWithoutAnIconIsAskedOnceAndKeepsTheBuiltInIcon) {
  // No /favicon.ico page: the server answers 404.
  CChildFrame* a = OpenAndWait("/t/A", "A");
  ASSERT_TRUE(a);
  ASSERT_TRUE(FetchDone(1));
  long builtIn = ColorOf(a);
  CChildFrame* b = OpenAndWait("/t/B", "B");
  ASSERT_TRUE(b);
  a->view()->Refresh();
  ASSERT_TRUE(PumpUntil([&] { return server_.Hits("/t/A") >= 2 && a->view()->loadState < 0; }, 10s));
  PumpFor(300ms);
  EXPECT_EQ(server_.Hits("/favicon.ico"), 1);
  EXPECT_EQ(ColorOf(b), builtIn);
  EXPECT_FALSE(IsSiteIcon(icons().ShownIcon(a)));
}

TEST_F(SiteIcons, AnIconThatIsNoImageKeepsTheBuiltInIcon) {
  server_.SetPage("/favicon.ico", "<html>no icon here</html>");
  CChildFrame* a = OpenAndWait("/t/A", "A");
  ASSERT_TRUE(a);
  ASSERT_TRUE(FetchDone(1));
  PumpFor(200ms);
  EXPECT_FALSE(IsSiteIcon(icons().ShownIcon(a)));
  EXPECT_NE(ColorOf(a), kRed);
}

TEST_F(SiteIcons, AFilePageKeepsTheBuiltInIcon) {
  server_.SetPage("/favicon.ico", IconBytes("png", 0xFF0000FF));
  std::string path = dir_ / "page.html";
  std::ofstream(path) << "<html><head><title>File</title></head><body>local</body></html>";
  CChildFrame* c = frame().OpenUrl(FromUtf8("file://" + path), {.tab = TabChoice::New, .start = StartKind::Address, .show = true});
  ASSERT_TRUE(c);
  ASSERT_TRUE(PumpUntil([&] { return c->caption == u"File" && c->view()->loadState < 0; }, 10s));
  PumpFor(300ms);
  EXPECT_FALSE(IsSiteIcon(icons().ShownIcon(c)));
  EXPECT_NE(ColorOf(c), kRed);
  EXPECT_EQ(server_.Hits("/favicon.ico"), 0);
}

TEST_F(SiteIcons, ALockedTabKeepsItsLockIcon) {
  server_.SetPage("/favicon.ico", IconBytes("png", 0xFF0000FF));
  CChildFrame* a = OpenAndWait("/t/A", "A");
  ASSERT_TRUE(a);
  ASSERT_TRUE(PumpUntil([&] { return ColorOf(a) == kRed; }, 20s));
  frame().controller<TabLockController>().ToggleLock(a);
  EXPECT_EQ(icons().ShownIcon(a), 4);
  EXPECT_NE(ColorOf(a), kRed);
  // Another tab of the site gets the icon; the locked one keeps its lock.
  CChildFrame* b = OpenAndWait("/t/B", "B");
  ASSERT_TRUE(b);
  EXPECT_TRUE(PumpUntil([&] { return ColorOf(b) == kRed; }, 10s));
  EXPECT_EQ(icons().ShownIcon(a), 4);
  frame().controller<TabLockController>().ToggleLock(a);
  EXPECT_EQ(ColorOf(a), kRed);
}

}  // namespace
}  // namespace zel::test
