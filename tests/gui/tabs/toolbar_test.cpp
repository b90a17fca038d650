// The "Standard" bar and the tab bar's items as a user sees them: a button that cannot be
// used looks it; the history list, the side-pane switch and the tab list work.
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

// A real click in the middle of a widget.
void ClickMiddle(Gtk::Widget* w) {
  XMoveTo(GTK_WIDGET(w->gobj()), w->get_allocated_width() / 2, w->get_allocated_height() / 2);
  XButton(1, true);
  XButton(1, false);
}

// The shown menu attached to a widget, once it is shown (null when none comes).
GtkWidget* MenuOf(Gtk::Widget* w) {
  GtkWidget* menu = nullptr;
  PumpUntil([&] {
    GList* menus = gtk_menu_get_for_attach_widget(GTK_WIDGET(w->gobj()));
    menu = menus && gtk_widget_get_visible(GTK_WIDGET(menus->data)) ? GTK_WIDGET(menus->data)
                                                                     : nullptr;
    return menu != nullptr;
  });
  return menu;
}

// The labels of a menu's items and which are checked.
std::vector<std::pair<std::string, bool>> MenuRows(GtkWidget* menu) {
  std::vector<std::pair<std::string, bool>> rows;
  GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
  for (GList* l = items; l; l = l->next)
    rows.emplace_back(gtk_menu_item_get_label(GTK_MENU_ITEM(l->data)),
                      gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(l->data)));
  g_list_free(items);
  return rows;
}

// Picks the item with the label, as a click on it would, and closes the menu; false when
// the menu has no such item.
bool Pick(GtkWidget* menu, const std::string& label) {
  GtkWidget* found = nullptr;
  GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
  for (GList* l = items; l; l = l->next)
    if (label == gtk_menu_item_get_label(GTK_MENU_ITEM(l->data))) found = GTK_WIDGET(l->data);
  g_list_free(items);
  if (found) gtk_menu_item_activate(GTK_MENU_ITEM(found));
  gtk_menu_shell_deactivate(GTK_MENU_SHELL(menu));
  return found != nullptr;
}

// The tab bar's two items: the side-pane switch closes the open panes and brings the same
// ones back; the tab list shows every tab, the front one checked, and brings a pick forward.
TEST_F(Toolbar, TheTabBarsItemsSwitchTheSidePanesAndListTheTabs) {
  XPointerKeeper keeper;
  CChildFrame* one = OpenAndWait("/t/One", "One");
  CChildFrame* two = OpenAndWait("/t/Two", "Two");
  ASSERT_TRUE(one && two);
  frame().ActivateTab(two);
  Gtk::Widget* sidebar = Glib::wrap(probe().Find("command-" + std::to_string(cmd::kTabSidebar)));
  Gtk::Widget* list = Glib::wrap(probe().Find("command-" + std::to_string(cmd::kTabList)));
  ASSERT_TRUE(sidebar && list);
  ASSERT_TRUE(PumpUntil([&] { return sidebar->get_mapped() && list->get_mapped(); }));

  // Nothing open: the switch opens the favorites.
  ClickMiddle(sidebar);
  ASSERT_TRUE(PumpUntil([&] { return frame().CommandChecked(cmd::kFavoritesPane) == true; }));
  frame().OnCommand(cmd::kHistoryPane);
  ASSERT_EQ(frame().CommandChecked(cmd::kHistoryPane), true);
  EXPECT_TRUE(PumpUntil([&] { return dynamic_cast<Gtk::ToggleButton*>(sidebar)->get_active(); }));
  ClickMiddle(sidebar);
  ASSERT_TRUE(PumpUntil([&] {
    return frame().CommandChecked(cmd::kFavoritesPane) == false &&
           frame().CommandChecked(cmd::kHistoryPane) == false;
  }));
  EXPECT_FALSE(dynamic_cast<Gtk::ToggleButton*>(sidebar)->get_active());
  ClickMiddle(sidebar);
  EXPECT_TRUE(PumpUntil([&] {
    return frame().CommandChecked(cmd::kFavoritesPane) == true &&
           frame().CommandChecked(cmd::kHistoryPane) == true;
  }));

  ClickMiddle(list);
  GtkWidget* menu = MenuOf(list);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(MenuRows(menu), (std::vector<std::pair<std::string, bool>>{{"One", false},
                                                                       {"Two", true}}));
  ASSERT_TRUE(Pick(menu, "One"));
  EXPECT_TRUE(PumpUntil([&] { return frame().ActiveChild() == one; }));
  EXPECT_TRUE(CaptionIs("One - Zel浏览器"));
}

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

  ClickMiddle(arrow);
  GtkWidget* menu = MenuOf(arrow);
  ASSERT_NE(menu, nullptr);
  // The page ahead on top, the page shown checked.
  EXPECT_EQ(MenuRows(menu), (std::vector<std::pair<std::string, bool>>{{"Linked", false},
                                                                       {"First", true}}));
  ASSERT_TRUE(Pick(menu, "Linked"));
  EXPECT_TRUE(PumpUntil([&] { return tab->caption == u"Linked"; }));
  EXPECT_TRUE(PumpUntil([&] { return !frame().CommandEnabled(cmd::kForward); }));
}

}  // namespace
