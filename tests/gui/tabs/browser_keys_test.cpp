// The keys every browser user tries first, pressed in the real window.
#include <gtest/gtest.h>
#include <webkit2/webkit2.h>
#include <gtkmm.h>

#include "base/commands.h"
#include "frame/gtk/main_window.h"
#include "support/pump.h"
#include "support/synth_input.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class BrowserKeys : public FrameTest {
 protected:
  void Press(guint keyval, guint state = 0) {
    PressKeyIn(GTK_WIDGET(window().gobj()), keyval, state);
    PumpFor(50ms);
  }
  GtkWidget* AddressEdit() {
    GtkWidget* box = probe().Find("address-box");
    return box ? gtk_bin_get_child(GTK_BIN(box)) : nullptr;
  }
};

TEST_F(BrowserKeys, NewTabNextTabAndTheAddressBox) {
  CChildFrame* a = OpenAndWait("/t/A", "A");
  CChildFrame* b = OpenAndWait("/t/B", "B");
  ASSERT_TRUE(a && b);
  ASSERT_EQ(frame().ActiveChild(), b);

  // Ctrl+Tab and Ctrl+Shift+Tab step through the tabs.
  Press(GDK_KEY_Tab, GDK_CONTROL_MASK | GDK_SHIFT_MASK);
  ASSERT_TRUE(PumpUntil([&] { return frame().ActiveChild() == a; }));
  Press(GDK_KEY_Tab, GDK_CONTROL_MASK);
  ASSERT_TRUE(PumpUntil([&] { return frame().ActiveChild() == b; }));

  // Ctrl+L puts the focus in the address box; Esc there gives back the tab's address and
  // leaves the page alone.
  Press(GDK_KEY_l, GDK_CONTROL_MASK);
  ASSERT_TRUE(PumpUntil([&] { return gtk_widget_is_focus(AddressEdit()); }));
  gtk_entry_set_text(GTK_ENTRY(AddressEdit()), "typed but not wanted");
  Press(GDK_KEY_Escape);
  EXPECT_EQ(probe().AddressText(), server_.Url("/t/B"));
  EXPECT_EQ(b->caption, u"B");

  // Ctrl+T: a blank tab in front, with the focus in the address box.
  gtk_widget_grab_focus(GTK_WIDGET(window().gobj()));
  Press(GDK_KEY_t, GDK_CONTROL_MASK);
  ASSERT_TRUE(PumpUntil([&] { return frame().TabCount() == 3; }));
  ASSERT_TRUE(PumpUntil([&] { return frame().ActiveChild() != b; }));
  EXPECT_TRUE(PumpUntil([&] { return gtk_widget_is_focus(AddressEdit()); }));
}

// A menu of the menu bar with nothing in it yet is not shown at all.
TEST_F(BrowserKeys, NoEmptyMenuInTheMenuBar) {
  GtkWidget* bar = probe().Find("menu-bar");
  ASSERT_NE(bar, nullptr);
  GList* items = gtk_container_get_children(GTK_CONTAINER(bar));
  int shown = 0;
  for (GList* l = items; l; l = l->next) {
    GtkWidget* item = GTK_WIDGET(l->data);
    if (!gtk_widget_get_visible(item)) continue;
    ++shown;
    GtkWidget* sub = gtk_menu_item_get_submenu(GTK_MENU_ITEM(item));
    ASSERT_NE(sub, nullptr) << gtk_menu_item_get_label(GTK_MENU_ITEM(item));
    GList* children = gtk_container_get_children(GTK_CONTAINER(sub));
    EXPECT_NE(children, nullptr) << gtk_menu_item_get_label(GTK_MENU_ITEM(item));
    g_list_free(children);
  }
  g_list_free(items);
  EXPECT_GE(shown, 3);  // 文件, 编辑, 查看 at least
}

// 帮助 → 关于Zel浏览器 says which browser this is and which engine shows its pages.
TEST_F(BrowserKeys, AboutBoxNamesTheVersionAndTheEngine) {
  GtkWidget* bar = probe().Find("menu-bar");
  ASSERT_NE(bar, nullptr);
  bool helpShown = false;
  GList* items = gtk_container_get_children(GTK_CONTAINER(bar));
  for (GList* l = items; l; l = l->next) {
    const char* label = gtk_menu_item_get_label(GTK_MENU_ITEM(l->data));
    if (label && std::string(label).find("帮助") != std::string::npos)
      helpShown = gtk_widget_get_visible(GTK_WIDGET(l->data));
  }
  g_list_free(items);
  EXPECT_TRUE(helpShown);
  frame().OnCommand(cmd::kAbout);
  ASSERT_FALSE(prompts_.messages.empty());
  const std::string text = ToUtf8(prompts_.messages.back());
  EXPECT_EQ(text.rfind("Zel浏览器 0.", 0), 0u) << text;
  EXPECT_NE(text.find("WebKitGTK " + std::to_string(webkit_get_major_version()) + "."),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("许可: MIT"), std::string::npos) << text;
  EXPECT_NE(text.find("主页: http"), std::string::npos) << text;
}

}  // namespace
