// Zoom and encoding on real pages: the body's CSS zoom set by the zoom scripts, and a page
// decoded in the charset the user picks.
#include <gtest/gtest.h>

#include "base/commands.h"
#include "page/zoom_controller.h"
#include "support/pump.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class ZoomPages : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    server_.SetPage("/zoom", R"(<!DOCTYPE html><html><head><title>Zoom</title></head>
      <body><p>some text</p><a id="next" href="/zoom2">next</a></body></html>)");
    server_.SetPage("/zoom2", R"(<!DOCTYPE html><html><head><title>Zoom2</title></head>
      <body><p>the next page</p></body></html>)");
  }
  std::string BodyZoom(CChildFrame* tab) { return Run(tab, "document.body.style.zoom"); }
  bool ZoomBecomes(CChildFrame* tab, const std::string& json) {
    return PumpUntil([&] { return BodyZoom(tab) == json; });
  }
};

TEST_F(ZoomPages, AFixedLevelSurvivesANavigationInTheTab) {
  CChildFrame* tab = OpenAndWait("/zoom", "Zoom");
  ASSERT_NE(tab, nullptr);
  ASSERT_TRUE(frame().OnCommand(cmd::kZoom50 + 4));  // 180 %
  EXPECT_TRUE(ZoomBecomes(tab, "\"180%\""));
  Run(tab, "location.href = '/zoom2'");
  ASSERT_TRUE(PumpUntil([&] { return tab->caption == u"Zoom2" && tab->view()->loadState < 0; }));
  EXPECT_TRUE(ZoomBecomes(tab, "\"180%\""));
  EXPECT_TRUE(*frame().CommandChecked(cmd::kZoom50 + 4));
  // Back at 100 % the next page keeps its own zoom.
  frame().OnCommand(cmd::kZoom100);
  EXPECT_TRUE(ZoomBecomes(tab, "\"100%\""));
  tab->view()->Navigate(FromUtf8(server_.Url("/zoom")));
  ASSERT_TRUE(PumpUntil([&] { return tab->caption == u"Zoom" && tab->view()->loadState < 0; }));
  PumpFor(300ms);
  EXPECT_EQ(BodyZoom(tab), "\"\"");
}

TEST_F(ZoomPages, StepsOfTenWithTheirEdges) {
  CChildFrame* tab = OpenAndWait("/zoom", "Zoom");
  ASSERT_NE(tab, nullptr);
  struct Row {
    const char* start;  // the body's zoom before ("" unset)
    int command;
    const char* after;
  } rows[] = {
      {"", cmd::kZoomIn, "\"110%\""},    {"10%", cmd::kZoomOut, "\"8%\""},
      {"8%", cmd::kZoomOut, "\"8%\""},   {"19%", cmd::kZoomIn, "\"28%\""},
      {"150%", cmd::kZoomOut, "\"140%\""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.start) + " " + std::to_string(r.command));
    Run(tab, std::string("document.body.style.zoom='") + r.start + "'");
    ASSERT_TRUE(frame().OnCommand(r.command));
    EXPECT_TRUE(ZoomBecomes(tab, r.after)) << BodyZoom(tab);
  }
  EXPECT_EQ(tab->view()->zoomCommand, cmd::kZoom100);
}

TEST_F(ZoomPages, AGbkPageShownWithGb2312ReadsRight) {
  // The server calls it UTF-8; only the user's choice makes it readable.
  server_.SetPage("/gbk", "<!DOCTYPE html><html><head><title>GBK</title></head><body>"
                          "\xbc\xf2\xcc\xe5\xd6\xd0\xce\xc4\xd2\xb3\xc3\xe6</body></html>");
  CChildFrame* tab = OpenAndWait("/gbk", "GBK");
  ASSERT_NE(tab, nullptr);
  EXPECT_NE(Run(tab, "document.body.innerText"), "\"简体中文页面\"");
  ASSERT_TRUE(frame().OnCommand(867));
  EXPECT_TRUE(*frame().CommandChecked(867));
  EXPECT_TRUE(PumpUntil([&] { return Run(tab, "document.body.innerText") == "\"简体中文页面\""; }));
  EXPECT_EQ(Run(tab, "document.characterSet"), "\"GBK\"");
  // Text size goes to the engine's text zoom.
  frame().OnCommand(cmd::kTextSizeLargest);
  EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(WEBKIT_WEB_VIEW(PageOf(tab))), 1.5);
  frame().OnCommand(cmd::kTextSizeDown);
  EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(WEBKIT_WEB_VIEW(PageOf(tab))), 1.2);
}

}  // namespace
