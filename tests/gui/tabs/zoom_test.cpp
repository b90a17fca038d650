// Zoom and encoding on real pages: the body's CSS zoom set by the zoom scripts, and a page
// decoded in the charset the user picks.
#include <gtest/gtest.h>

#include "base/commands.h"
#include "frame/gtk/main_window.h"
#include "page/zoom_controller.h"
#include "support/menu_path.h"
#include "support/pump.h"
#include "support/synth_input.h"
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
  // What the status bar's zoom pane says.
  std::string Pane() {
    GtkWidget* pane = probe().Find("pane-332");
    const char* label = pane ? gtk_button_get_label(GTK_BUTTON(pane)) : nullptr;
    return label ? label : "";
  }
  // The level checked in 查看 → 缩放 ("" for none).
  std::string MenuLevel() {
    GtkWidget* bar = probe().Find("menu-bar");
    std::string checked;
    for (const char* level : {"50%", "100%", "120%", "150%", "180%", "200%", "300%"})
      if (MenuItemChecked(MenuItemAt(bar, {"查看", "缩放", level}))) checked += level;
    gtk_menu_shell_deactivate(GTK_MENU_SHELL(bar));
    return checked;
  }
  bool Choose(const char* level) {
    return ActivateMenuPath(probe().Find("menu-bar"), {"查看", "缩放", level});
  }
  void Key(guint keyval, guint mods = 0) { PressKeyIn(GTK_WIDGET(window().gobj()), keyval, mods); }
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

// The status bar's pane and 查看 → 缩放 say the zoom the page has, tab by tab, also after
// the steps of Ctrl+=.
TEST_F(ZoomPages, ThePaneAndTheMenuFollowThePageTabByTab) {
  CChildFrame* a = OpenAndWait("/zoom", "Zoom");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(Pane(), "100%");
  gtk_widget_grab_focus(PageOf(a));
  Key(GDK_KEY_equal, GDK_CONTROL_MASK);
  ASSERT_TRUE(ZoomBecomes(a, "\"110%\""));
  EXPECT_TRUE(PumpUntil([&] { return Pane() == "110%"; })) << Pane();
  EXPECT_EQ(MenuLevel(), "");
  Key(GDK_KEY_equal, GDK_CONTROL_MASK);
  ASSERT_TRUE(ZoomBecomes(a, "\"120%\""));
  EXPECT_TRUE(PumpUntil([&] { return Pane() == "120%"; })) << Pane();
  EXPECT_EQ(MenuLevel(), "120%");
  // Another tab has its own zoom; back on the first, its zoom is shown again.
  CChildFrame* b = OpenAndWait("/zoom2", "Zoom2");
  ASSERT_NE(b, nullptr);
  ASSERT_TRUE(Choose("150%"));
  ASSERT_TRUE(ZoomBecomes(b, "\"150%\""));
  EXPECT_EQ(Pane(), "150%");
  EXPECT_EQ(MenuLevel(), "150%");
  frame().ActivateTab(a);
  EXPECT_TRUE(PumpUntil([&] { return Pane() == "120%"; })) << Pane();
  EXPECT_EQ(MenuLevel(), "120%");
}

// Back and forward bring a page with the tab's zoom, not the one it was left with.
TEST_F(ZoomPages, BackShowsThePageAtTheTabsZoom) {
  CChildFrame* tab = OpenAndWait("/zoom", "Zoom");
  ASSERT_NE(tab, nullptr);
  ASSERT_TRUE(Choose("150%"));
  ASSERT_TRUE(ZoomBecomes(tab, "\"150%\""));
  probe().EnterAddress(server_.Url("/zoom2"), GdkModifierType(0));
  ASSERT_TRUE(PumpUntil([&] { return tab->caption == u"Zoom2" && tab->view()->loadState < 0; }));
  ASSERT_TRUE(ZoomBecomes(tab, "\"150%\""));
  ASSERT_TRUE(Choose("100%"));
  ASSERT_TRUE(ZoomBecomes(tab, "\"100%\""));
  Gtk::ToolButton* back = probe().StandardButton(cmd::kBack);
  ASSERT_NE(back, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return back->get_sensitive(); }));
  g_signal_emit_by_name(back->gobj(), "clicked");
  ASSERT_TRUE(PumpUntil([&] { return tab->caption == u"Zoom" && tab->view()->loadState < 0; }));
  EXPECT_TRUE(ZoomBecomes(tab, "\"100%\"")) << BodyZoom(tab);
  EXPECT_EQ(Pane(), "100%");
}

// A charset chosen for a page is that page's: the next page of the tab reads as it says.
TEST_F(ZoomPages, AChosenEncodingStaysWithItsPage) {
  server_.SetPage("/gbk2", "<!DOCTYPE html><html><head><title>GBK</title></head><body>"
                           "\xbc\xf2\xcc\xe5<a id=\"next\" href=\"/utf8\">next</a></body></html>");
  server_.SetPage("/utf8", "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>UTF8</title>"
                           "</head><body>简体中文</body></html>");
  CChildFrame* tab = OpenAndWait("/gbk2", "GBK");
  ASSERT_NE(tab, nullptr);
  ASSERT_TRUE(ActivateMenuPath(probe().Find("menu-bar"), {"查看", "编码", "简体中文 (GB2312)"}));
  ASSERT_TRUE(PumpUntil([&] { return Run(tab, "document.characterSet") == "\"GBK\""; }));
  EXPECT_TRUE(PumpUntil([&] { return Run(tab, "document.body.innerText").rfind("\"简体", 0) == 0; }))
      << Run(tab, "document.body.innerText");
  Click(tab, "next");
  ASSERT_TRUE(PumpUntil([&] { return tab->caption == u"UTF8" && tab->view()->loadState < 0; }));
  EXPECT_EQ(Run(tab, "document.characterSet"), "\"UTF-8\"");
  EXPECT_EQ(Run(tab, "document.body.innerText"), "\"简体中文\"");
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
