// The options dialog in the real window: a value changed on its tabs page and confirmed is
// in config.ini and decides where the next tab opens.
#include <gtest/gtest.h>

#include "base/commands.h"
#include "base/files.h"
#include "support/pump.h"
#include "support/window_probe.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class OptionsDialogTest : public FrameTest {
 protected:
  static Gtk::Window* ShownDialog() {
    for (Gtk::Window* w : Gtk::Window::list_toplevels())
      if (w->get_name() == "options-dialog" && w->get_mapped()) return w;
    return nullptr;
  }
  static std::vector<std::string> TreeLabels(GtkWidget* tree) { return TreeRows(tree); }
  static bool Active(GtkWidget* root, const char* name) {
    GtkWidget* w = FindWidget(root, name);
    return w && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w));
  }
};

TEST_F(OptionsDialogTest, ATabPositionConfirmedIsWrittenAndPlacesTheNextTab) {
  ASSERT_TRUE(PumpUntil([&] { return frame().deferredStartupDone(); }));
  ASSERT_NE(OpenAndWait("/t/One", "One"), nullptr);
  ASSERT_NE(OpenAndWait("/t/Two", "Two"), nullptr);
  frame().ActivateTab(frame().TabAt(0));
  ASSERT_EQ(frame().settings().newsequence, 1);  // the first run's: right of the current tab

  std::vector<std::string> labels;
  bool firstRightShown = false, tabsPageShown = false, answered = false;
  // The dialog is modal: it is worked from the loop it runs, as a user would.
  sigc::connection watch = Glib::signal_timeout().connect(
      [&] {
        Gtk::Window* d = ShownDialog();
        if (!d) return true;
        GtkWidget* root = GTK_WIDGET(d->gobj());
        GtkWidget* tree = FindWidget(root, "options-tree");
        GtkWidget* stack = FindWidget(root, "options-pages");
        if (!tree || !stack) return true;
        labels = TreeLabels(tree);
        GtkTreePath* second = gtk_tree_path_new_from_indices(1, -1);
        gtk_tree_view_set_cursor(GTK_TREE_VIEW(tree), second, nullptr, FALSE);
        gtk_tree_path_free(second);
        tabsPageShown =
            g_strcmp0(gtk_stack_get_visible_child_name(GTK_STACK(stack)), "page-1") == 0;
        firstRightShown = Active(root, "new-sequence-1");
        gtk_button_clicked(GTK_BUTTON(FindWidget(root, "new-sequence-0")));
        gtk_button_clicked(GTK_BUTTON(FindWidget(root, "options-ok")));
        answered = true;
        return false;
      },
      50);
  frame().OnCommand(cmd::kOptions);
  watch.disconnect();
  ASSERT_TRUE(answered);
  EXPECT_EQ(labels, (std::vector<std::string>{"常规 ", "标签页 ", "隐私安全"}));
  EXPECT_TRUE(tabsPageShown);
  EXPECT_TRUE(firstRightShown);

  EXPECT_EQ(frame().settings().newsequence, 0);
  std::string ini = ReadFileBytes(ProfileFolder() + "/config.ini").value_or("");
  EXPECT_NE(ini.find("newsequence=0\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("closeactiveseq=0\r\n"), std::string::npos) << ini;
  // The new tab takes the current tab's place, left of it.
  ASSERT_NE(OpenAndWait("/t/Three", "Three"), nullptr);
  EXPECT_TRUE(PumpUntil([&] {
    return Entries() == std::vector<std::string>{"Three", "One", "Two"};
  })) << ::testing::PrintToString(Entries());
}

}  // namespace
