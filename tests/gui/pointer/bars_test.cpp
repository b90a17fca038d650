// The bars used through the pointer moved by the X server: the history list beside Forward,
// the tab bar's side-pane switch and tab list, and the toolbar row's bars moved by their grips
// while unlocked. The pointer is shared by every window on the display, so these run alone.
#include <gtest/gtest.h>
#include <gtkmm.h>

#include "base/commands.h"
#include "base/files.h"
#include "frame/gtk/main_window.h"
#include "frame/main_frame.h"
#include "support/pump.h"
#include "support/xtest_input.h"
#include "tabs/frame_test.h"
#include "view/child_frame.h"
#include "view/vop_view.h"
#include "window/window_controller.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class Bars : public FrameTest {
 protected:
  Bars() { startWidth_ = 1200; }  // every bar whole
  bool Mapped(const std::string& name) {
    GtkWidget* w = probe().Find(name);
    return w && gtk_widget_get_mapped(w);
  }
};

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
TEST_F(Bars, TheTabBarsItemsSwitchTheSidePanesAndListTheTabs) {
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
TEST_F(Bars, TheHistoryListGoesToThePickedPage) {
  XPointerKeeper keeper;
  CChildFrame* tab = OpenAndWait("/t/First", "First");
  ASSERT_NE(tab, nullptr);
  Gtk::ToolButton* arrow = probe().StandardButton(cmd::kHistoryMenu);
  ASSERT_NE(arrow, nullptr);
  // Wide enough for the arrow to stay on the bar beside the address box's half of the row.
  window().unmaximize();
  window().resize(1100, 600);
  ASSERT_TRUE(PumpUntil([&] { return arrow->get_mapped(); }));
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

// Unlocked, each bar of the row has a grip; a bar dragged by it goes where it is let go,
// and the row's order is what the layout file keeps. Locked, the grips are gone.
TEST_F(Bars, UnlockedBarsMoveByTheirGrips) {
  XPointerKeeper keeper;
  ASSERT_TRUE(PumpUntil([&] { return Mapped("standard-bar"); }));
  EXPECT_FALSE(Mapped("bar-grip-Search"));
  frame().OnCommand(cmd::kLockBars);
  EXPECT_EQ(frame().CommandChecked(cmd::kLockBars), std::optional<bool>(false));
  auto placed = [&](const std::string& name) {
    return Mapped(name) && gtk_widget_get_allocated_width(probe().Find(name)) > 4;
  };
  ASSERT_TRUE(PumpUntil([&] { return placed("bar-grip-Search") && placed("bar-grip-Standard"); }));
  auto x = [&](const std::string& name) {
    int wx = 0, wy = 0;
    gtk_widget_translate_coordinates(probe().Find(name), GTK_WIDGET(window().gobj()), 0, 0, &wx,
                                     &wy);
    return wx;
  };
  ASSERT_LT(x("bar-slot-Standard"), x("bar-slot-Search"));
  // The search bar's grip, let go at the left end of the row.
  GtkWidget* grip = probe().Find("bar-grip-Search");
  GtkWidget* standard = probe().Find("bar-grip-Standard");
  int sx = 0, sy = 0;
  gtk_widget_translate_coordinates(standard, grip, 1, 4, &sx, &sy);
  XDrag(grip, 3, 6, sx, sy);
  EXPECT_TRUE(PumpUntil([&] { return x("bar-slot-Search") < x("bar-slot-Standard"); }));
  EXPECT_LT(x("bar-slot-Standard"), x("bar-slot-Address"));

  frame().OnCommand(cmd::kLockBars);
  EXPECT_TRUE(PumpUntil([&] { return !Mapped("bar-grip-Search"); }));
  // Locked, a drag does nothing.
  frame().controller<WindowController>().OnBarMoved(u"Standard", 3);
  PumpFor(100ms);
  EXPECT_LT(x("bar-slot-Search"), x("bar-slot-Standard"));

  frame().Close(CloseSource::System);
  std::string layout = ReadFileBytes(ProfileFolder() + "/CommandBars.ini").value_or("");
  EXPECT_NE(layout.find("Order=Search,Standard,Address"), std::string::npos) << layout;
  EXPECT_NE(layout.find("Locked=1"), std::string::npos) << layout;
}

}  // namespace
