// An entry of "设置代理" dragged onto another category with the real pointer: a plain drag
// moves it, a drag with Control held copies it.
#include <gtest/gtest.h>
#include <X11/keysym.h>

#include "base/files.h"
#include "proxy/proxy_controller.h"
#include "support/dialog_driver.h"
#include "support/pump.h"
#include "support/xtest_input.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class ProxyDrag : public FrameTest {
 protected:
  void BeforeStart() override {
    CreateFolderLevels(ProfileFolder());
    WriteFileAtomic(ProfileFolder() + "/proxy.ini",
                    "[GENERAL]\r\nProxy_CategoryName=Office\r\n"
                    "Proxy_proxy1=10.0.0.1:3128\r\nProxy_alias1=North\r\n"
                    "Proxy_proxy2=10.0.0.2:3128\r\nProxy_alias2=South\r\n"
                    "Proxy1_CategoryName=Home\r\n");
  }
  // The middle of a row of a tree, in the coordinates of the widget `in`.
  static std::pair<int, int> RowCenter(GtkWidget* tree, int row, GtkWidget* in) {
    GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
    GdkRectangle r;
    gtk_tree_view_get_background_area(GTK_TREE_VIEW(tree), path, nullptr, &r);
    gtk_tree_path_free(path);
    int wx = 0, wy = 0, x = 0, y = 0;
    gtk_tree_view_convert_bin_window_to_widget_coords(GTK_TREE_VIEW(tree), r.x + 40,
                                                      r.y + r.height / 2, &wx, &wy);
    gtk_widget_translate_coordinates(tree, in, wx, wy, &x, &y);
    return {x, y};
  }
  static void Select(GtkWidget* tree, int row) {
    GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
    gtk_tree_selection_select_path(gtk_tree_view_get_selection(GTK_TREE_VIEW(tree)), path);
    gtk_tree_path_free(path);
  }
  // Drags the entry at row of "Office" onto "Home" (Control held when copy) and confirms.
  void DragEntry(int row, bool copy) {
    WhenShown dialog([] { return ShownWindow("proxy-dialog"); },
                     [&](GtkWidget* d) {
                       GtkWidget* categories = FindWidget(d, "proxy-categories");
                       GtkWidget* entries = FindWidget(d, "proxy-entries");
                       Select(categories, 0);
                       Select(entries, row);
                       PumpFor(100ms);
                       auto [fx, fy] = RowCenter(entries, row, entries);
                       auto [tx, ty] = RowCenter(categories, 1, entries);
                       if (copy) XKey(XK_Control_L, true);
                       XDrag(entries, fx, fy, tx, ty);
                       if (copy) XKey(XK_Control_L, false);
                       PumpFor(200ms);
                       ClickButton(d, "确定");
                     });
    ASSERT_TRUE(ActivateMenuPath(probe().Find("menu-bar"), {"工具", "代理", "设置代理..."}));
    ASSERT_TRUE(dialog.done());
  }
  std::vector<u16> Aliases(const std::string& category) {
    std::vector<u16> out;
    for (const auto& c : frame().controller<ProxyController>().list().categories)
      if (c.name == FromUtf8(category))
        for (const auto& e : c.entries) out.push_back(e.alias);
    return out;
  }
  XPointerKeeper pointer_;
};

TEST_F(ProxyDrag, APlainDragMovesAndControlCopies) {
  ASSERT_TRUE(PumpUntil([&] { return frame().deferredStartupDone(); }));
  DragEntry(0, false);
  EXPECT_EQ(Aliases("Office"), (std::vector<u16>{u"South"}));
  EXPECT_EQ(Aliases("Home"), (std::vector<u16>{u"North"}));
  DragEntry(0, true);
  EXPECT_EQ(Aliases("Office"), (std::vector<u16>{u"South"}));
  EXPECT_EQ(Aliases("Home"), (std::vector<u16>{u"North", u"South"}));
}

}  // namespace
