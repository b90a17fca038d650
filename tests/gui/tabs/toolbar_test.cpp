// The "Standard" bar as a user sees it: a button that cannot be used looks it.
#include <cairo.h>
#include <gtest/gtest.h>
#include <gtkmm.h>

#include <cmath>

#include "base/commands.h"
#include "frame/main_frame.h"
#include "support/pump.h"
#include "support/xtest_input.h"
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

TEST_F(Toolbar, EveryButtonStaysOnTheBarBesideTheAddressBox) {
  ASSERT_NE(OpenAndWait("/t/First", "First"), nullptr);
  for (int id : {cmd::kBack, cmd::kForward, cmd::kHistoryMenu, cmd::kRefresh, cmd::kStop, cmd::kHome}) {
    Gtk::ToolButton* b = probe().StandardButton(id);
    ASSERT_NE(b, nullptr) << id;
    EXPECT_TRUE(PumpUntil([&] { return b->get_mapped(); })) << "button " << id << " not shown";
  }
}

}  // namespace

namespace {

// The arrow beside Forward lists the tab's pages; picking one goes there.
TEST_F(Toolbar, TheHistoryListGoesToThePickedPage) {
  XPointerKeeper keeper;
  CChildFrame* tab = OpenAndWait("/t/First", "First");
  ASSERT_NE(tab, nullptr);
  Gtk::ToolButton* arrow = probe().StandardButton(cmd::kHistoryMenu);
  ASSERT_NE(arrow, nullptr);
  EXPECT_FALSE(arrow->get_sensitive());
  Click(tab, "link");
  ASSERT_TRUE(PumpUntil([&] { return tab->caption == u"Linked" && arrow->get_sensitive(); }));
  ASSERT_TRUE(PumpUntil([&] { return !tab->view()->engine()->Busy(); }));
  frame().OnCommand(cmd::kBack);
  ASSERT_TRUE(PumpUntil([&] { return tab->caption == u"First"; }));

  XMoveTo(GTK_WIDGET(arrow->gobj()), arrow->get_allocated_width() / 2,
          arrow->get_allocated_height() / 2);
  XButton(1, true);
  XButton(1, false);
  GtkWidget* menu = nullptr;
  ASSERT_TRUE(PumpUntil([&] {
    GList* menus = gtk_menu_get_for_attach_widget(GTK_WIDGET(arrow->gobj()));
    menu = menus && gtk_widget_get_visible(GTK_WIDGET(menus->data)) ? GTK_WIDGET(menus->data)
                                                                     : nullptr;
    return menu != nullptr;
  }));
  std::vector<std::string> texts;
  std::vector<bool> checked;
  GtkWidget* linked = nullptr;
  GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
  for (GList* l = items; l; l = l->next) {
    texts.push_back(gtk_menu_item_get_label(GTK_MENU_ITEM(l->data)));
    checked.push_back(gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(l->data)));
    if (texts.back() == "Linked") linked = GTK_WIDGET(l->data);
  }
  g_list_free(items);
  // The page ahead on top, the page shown checked.
  EXPECT_EQ(texts, (std::vector<std::string>{"Linked", "First"}));
  EXPECT_EQ(checked, (std::vector<bool>{false, true}));
  ASSERT_NE(linked, nullptr);
  gtk_menu_item_activate(GTK_MENU_ITEM(linked));
  gtk_menu_shell_deactivate(GTK_MENU_SHELL(menu));
  EXPECT_TRUE(PumpUntil([&] { return tab->caption == u"Linked"; }));
  EXPECT_TRUE(PumpUntil([&] { return !frame().CommandEnabled(cmd::kForward); }));
}

}  // namespace
