// The "Standard" bar as a user sees it: a button that cannot be used looks it. (The history
// list and the tab bar's items, used through the pointer, are in pointer/bars_test.cpp.)
#include <cairo.h>
#include <gtest/gtest.h>
#include <gtkmm.h>

#include <cmath>

#include "base/commands.h"
#include "frame/gtk/main_window.h"
#include "frame/main_frame.h"
#include "support/pump.h"
#include "tabs/frame_test.h"
#include "view/child_frame.h"
#include "view/vop_view.h"

using namespace zel;
using namespace zel::test;

namespace {

class Toolbar : public FrameTest {};

// How much a button's drawing stands out from a white ground: the summed colour distance of
// its pixels from white.
double Ink(Gtk::Widget* w) {
  const int width = w->get_allocated_width(), height = w->get_allocated_height();
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  gtk_widget_draw(w->gobj(), cr);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  double ink = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const unsigned char* p = data + y * stride + x * 4;
      ink += (255 - p[0]) + (255 - p[1]) + (255 - p[2]);
    }
  cairo_surface_destroy(surface);
  return ink;
}

TEST_F(Toolbar, BackThatCannotGoBackLooksFaded) {
  CChildFrame* tab = OpenAndWait("/t/First", "First");
  ASSERT_NE(tab, nullptr);
  Gtk::ToolButton* back = probe().StandardButton(cmd::kBack);
  ASSERT_NE(back, nullptr);
  ASSERT_FALSE(back->get_sensitive());
  const double off = Ink(back);
  Click(tab, "link");
  ASSERT_TRUE(PumpUntil([&] { return tab->caption == u"Linked" && back->get_sensitive(); }));
  // The theme fades between the two looks.
  double on = 0;
  EXPECT_TRUE(PumpUntil([&] { return (on = Ink(back)) > off / 0.6; }))
      << "disabled " << off << ", enabled " << on;
  EXPECT_GT(off, 0);
}

}  // namespace

namespace {

// With room for them beside the address box's half of the row, the navigation buttons stay
// on the bar and the search bar gives up its width first.
TEST_F(Toolbar, EveryButtonStaysOnTheBarBesideTheAddressBox) {
  ASSERT_NE(OpenAndWait("/t/First", "First"), nullptr);
  window().unmaximize();
  window().resize(1100, 600);
  for (int id : {cmd::kBack, cmd::kForward, cmd::kHistoryMenu, cmd::kRefresh, cmd::kStop, cmd::kHome}) {
    Gtk::ToolButton* b = probe().StandardButton(id);
    ASSERT_NE(b, nullptr) << id;
    EXPECT_TRUE(PumpUntil([&] { return b->get_mapped(); })) << "button " << id << " not shown";
  }
}

}  // namespace
