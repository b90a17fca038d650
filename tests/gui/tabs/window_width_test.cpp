// The window's width is the user's: the toolbar row never holds it wider. The address box
// takes the row's spare width (at least half of it, 30 characters at the narrowest), its
// list is as wide as the box, and buttons that do not fit are offered in an overflow menu.
#include <gtest/gtest.h>

#include "base/commands.h"
#include "frame/gtk/main_window.h"
#include "support/pump.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class WindowWidth : public FrameTest {
 protected:
  int Width(const char* name) {
    GtkWidget* w = probe().Find(name);
    return w ? gtk_widget_get_allocated_width(w) : -1;
  }
  // The width of n average characters of the address box's font.
  int CharsWidth(int n) {
    GtkWidget* edit = gtk_bin_get_child(GTK_BIN(probe().Find("address-box")));
    PangoContext* pc = gtk_widget_get_pango_context(edit);
    PangoFontMetrics* m = pango_context_get_metrics(pc, pango_context_get_font_description(pc),
                                                    pango_context_get_language(pc));
    int w = PANGO_PIXELS(pango_font_metrics_get_approximate_char_width(m) * n);
    pango_font_metrics_unref(m);
    return w;
  }
  // The width of the address box's text area (without its icon, arrow and frame).
  int TextAreaWidth() {
    GtkWidget* edit = gtk_bin_get_child(GTK_BIN(probe().Find("address-box")));
    GdkRectangle area{};
    gtk_entry_get_text_area(GTK_ENTRY(edit), &area);
    return area.width;
  }
  bool SizeIs(int width) {
    int w = 0, h = 0;
    window().get_size(w, h);
    // The row laid out again for the new width.
    return w == width && Width("toolbar-row") > width - 40 && Width("toolbar-row") <= width;
  }
  // Every button of the toolbar row is on screen or offered in an overflow menu.
  std::vector<std::string> Unreachable() {
    std::vector<std::string> lost;
    GtkWidget* standard = probe().Find("standard-bar");
    const int n = gtk_toolbar_get_n_items(GTK_TOOLBAR(standard));
    const bool barFolded = !gtk_widget_get_child_visible(gtk_widget_get_parent(standard));
    for (int i = 0; i < n; ++i) {
      GtkToolItem* item = gtk_toolbar_get_nth_item(GTK_TOOLBAR(standard), i);
      if (!gtk_widget_get_visible(GTK_WIDGET(item))) continue;
      // Folded by the bar: its arrow menu has the item; folded with the bar: the row's menu.
      const bool shown = gtk_widget_get_mapped(GTK_WIDGET(item));
      const bool inBarMenu = gtk_tool_item_retrieve_proxy_menu_item(item) != nullptr;
      if (!shown && !inBarMenu && !barFolded) lost.push_back(gtk_widget_get_name(GTK_WIDGET(item)));
    }
    return lost;
  }
};

TEST_F(WindowWidth, NarrowOrWideTheAddressBoxTakesTheSpareWidth) {
  ASSERT_TRUE(PumpUntil([&] { return window().get_mapped(); }));
  window().unmaximize();
  for (int width : {640, 1280, 700}) {
    SCOPED_TRACE(width);
    window().resize(width, 600);
    int w = 0, h = 0;
    ASSERT_TRUE(PumpUntil([&] { return SizeIs(width); })) << (window().get_size(w, h), w);
    // The address bar (the box and its reopen button) has at least half the row.
    const int row = Width("toolbar-row"), box = Width("bar-slot-Address");
    EXPECT_GE(2 * box, row) << "box " << box << " of " << row;
    EXPECT_GE(TextAreaWidth(), CharsWidth(30));
    EXPECT_EQ(Unreachable(), std::vector<std::string>());
  }
  // Wide, every bar is whole and the box has what they leave.
  ASSERT_TRUE(PumpUntil([&] { return SizeIs(700); }));
  window().resize(1280, 600);
  ASSERT_TRUE(PumpUntil([&] { return SizeIs(1280); }));
  EXPECT_TRUE(gtk_widget_get_mapped(probe().Find("search-bar")));
  EXPECT_GE(Width("bar-slot-Address"), 1280 / 2);
}

// The list of typed addresses opens at least as wide as the box.
TEST_F(WindowWidth, TheAddressListIsAsWideAsTheBox) {
  ASSERT_TRUE(PumpUntil([&] { return window().get_mapped(); }));
  window().unmaximize();
  window().resize(1000, 600);
  ASSERT_TRUE(PumpUntil([&] { return SizeIs(1000); }));
  window().addressBar().SetAddressList({u"http://a.example/", u"http://b.example/"});
  frame().OnCommand(cmd::kFunctionKeyF9);
  GtkWidget* box = probe().Find("address-box");
  AtkObject* acc = gtk_combo_box_get_popup_accessible(GTK_COMBO_BOX(box));
  GtkWidget* list = acc ? gtk_accessible_get_widget(GTK_ACCESSIBLE(acc)) : nullptr;
  ASSERT_NE(list, nullptr);
  GtkWidget* top = gtk_widget_get_toplevel(list);
  ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(top); }));
  EXPECT_GE(gtk_widget_get_allocated_width(top), gtk_widget_get_allocated_width(box));
  gtk_combo_box_popdown(GTK_COMBO_BOX(box));
}

}  // namespace
