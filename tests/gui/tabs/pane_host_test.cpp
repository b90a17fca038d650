// The side panes' place left of the pages: closed, the pages have the whole width; with a
// pane shown, the pane is left of the pages, which stay on screen beside it.
#include <gtest/gtest.h>

#include "frame/gtk/main_window.h"
#include "support/pump.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class PaneSide : public FrameTest {
 protected:
  PaneHost& panes() { return window().paneHost(); }
  int Width(GtkWidget* w) { return gtk_widget_get_allocated_width(w); }
  // The widget's left edge in the pane host's coordinates.
  int Left(GtkWidget* w) {
    int x = -1, y = -1;
    gtk_widget_translate_coordinates(w, GTK_WIDGET(panes().gobj()), 0, 0, &x, &y);
    return x;
  }
  // Waits until the page has the given width (the layout runs in the main loop).
  bool PageWidthBecomes(GtkWidget* page, int width) {
    return PumpUntil([&] { return Width(page) == width; }, 5s);
  }
};

TEST_F(PaneSide, HoldsAPaneLeftOfThePagesAndClosesAgain) {
  CChildFrame* tab = OpenAndWait("/t/Page", "Page");
  ASSERT_NE(tab, nullptr);
  GtkWidget* page = PageOf(tab);
  ASSERT_NE(page, nullptr);
  GtkWidget* host = GTK_WIDGET(panes().gobj());
  // Closed: nothing of the side on screen, the page spans the window's width.
  EXPECT_EQ(panes().ShownPane(), nullptr);
  ASSERT_TRUE(PageWidthBecomes(page, Width(host))) << Width(page) << " of " << Width(host);
  EXPECT_EQ(Left(page), 0);
  const int fullWidth = Width(page);

  Gtk::Label pane("收藏的网页");
  panes().AddPane(pane, "收藏夹");
  PumpFor(100ms);
  EXPECT_EQ(panes().ShownPane(), nullptr) << "adding a pane does not open the side";
  EXPECT_EQ(Width(page), fullWidth);

  panes().SetPanePosition(240);
  panes().ShowPane(pane);
  EXPECT_EQ(panes().ShownPane(), &pane);
  ASSERT_TRUE(PumpUntil([&] { return pane.get_mapped() && Width(page) < fullWidth; }, 5s));
  EXPECT_TRUE(PumpUntil([&] { return panes().get_position() == 240; }, 5s))
      << panes().get_position();
  PumpFor(100ms);
  // The pane is left of the page; the page stays on screen with the rest of the width.
  EXPECT_GT(Width(GTK_WIDGET(pane.gobj())), 0);
  EXPECT_LT(Left(GTK_WIDGET(pane.gobj())), Left(page));
  EXPECT_GE(Left(page), 240);
  EXPECT_TRUE(gtk_widget_get_mapped(page));
  EXPECT_GT(Width(page), fullWidth / 2);
  // Its title is on its tab of the side.
  GtkWidget* side = probe().Find("pane-side");
  ASSERT_NE(side, nullptr);
  GtkWidget* title = gtk_notebook_get_tab_label(GTK_NOTEBOOK(side), GTK_WIDGET(pane.gobj()));
  EXPECT_EQ(title ? gtk_label_get_text(GTK_LABEL(title)) : std::string(), "收藏夹");

  // Closed again: the page has the whole width back, the width of the side is kept.
  panes().HidePane();
  EXPECT_EQ(panes().ShownPane(), nullptr);
  ASSERT_TRUE(PageWidthBecomes(page, fullWidth)) << Width(page);
  EXPECT_FALSE(pane.get_mapped());
  EXPECT_EQ(Left(page), 0);
  EXPECT_EQ(panes().PanePosition(), 240);
  panes().ShowPane(pane);
  EXPECT_TRUE(PumpUntil([&] { return pane.get_mapped() && panes().get_position() == 240; }, 5s));
  panes().HidePane();
  PumpFor(50ms);
}

}  // namespace
