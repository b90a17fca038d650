// The proxy dialog "设置代理" in the real window: it opens on proxy.ini's categories with the
// chosen proxy selected, and OK stores and applies what it shows.
#include <gtest/gtest.h>

#include "base/commands.h"
#include "base/files.h"
#include "proxy/proxy_controller.h"
#include "support/pump.h"
#include "support/window_probe.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class ProxyDialogTest : public FrameTest {
 protected:
  void BeforeStart() override {
    CreateFolderLevels(ProfileFolder());
    WriteFileAtomic(ProfileFolder() + "/proxy.ini",
                    "[GENERAL]\r\nProxy_CategoryName=Office\r\n"
                    "Proxy_proxy1=10.0.0.1:3128\r\nProxy_alias1=North\r\n"
                    "Proxy_proxy2=10.0.0.2:3128\r\nProxy_alias2=South\r\nProxy_speed2=0\r\n");
    WriteFileAtomic(ProfileFolder() + "/config.ini",
                    "[PROXYSET]\r\nenable=0\r\ncurpro=10.0.0.2:3128\r\nproname=South\r\n");
  }

  static Gtk::Window* ShownDialog(const char* name) {
    for (Gtk::Window* w : Gtk::Window::list_toplevels())
      if (w->get_name() == name && w->get_mapped()) return w;
    return nullptr;
  }
  static std::vector<std::string> Column(GtkWidget* tree, int column, int* selected) {
    std::vector<std::string> out;
    GtkTreeModel* model = gtk_tree_view_get_model(GTK_TREE_VIEW(tree));
    GtkTreeIter it, chosen;
    bool hasChosen =
        gtk_tree_selection_get_selected(gtk_tree_view_get_selection(GTK_TREE_VIEW(tree)), nullptr,
                                        &chosen);
    int i = 0;
    for (bool ok = gtk_tree_model_get_iter_first(model, &it); ok;
         ok = gtk_tree_model_iter_next(model, &it), ++i) {
      gchar* text = nullptr;
      gtk_tree_model_get(model, &it, column, &text, -1);
      out.push_back(text ? text : "");
      g_free(text);
      if (hasChosen && selected) {
        GtkTreePath* a = gtk_tree_model_get_path(model, &it);
        GtkTreePath* b = gtk_tree_model_get_path(model, &chosen);
        if (gtk_tree_path_compare(a, b) == 0) *selected = i;
        gtk_tree_path_free(a);
        gtk_tree_path_free(b);
      }
    }
    return out;
  }
};

TEST_F(ProxyDialogTest, OpensOnTheListsWithTheChoiceAndOkAppliesIt) {
  ASSERT_TRUE(PumpUntil([&] { return frame().deferredStartupDone(); }));
  ASSERT_EQ(frame().controller<ProxyController>().list().categories.size(), 3u);
  std::vector<std::string> categories, aliases, speeds;
  int category = -1, entry = -1;
  bool answered = false;
  // The dialog is modal: it is read and answered from the loop it runs.
  sigc::connection watch = Glib::signal_timeout().connect(
      [&] {
        Gtk::Window* d = ShownDialog("proxy-dialog");
        if (!d) return true;
        GtkWidget* root = GTK_WIDGET(d->gobj());
        categories = Column(FindWidget(root, "proxy-categories"), 1, &category);
        aliases = Column(FindWidget(root, "proxy-entries"), 0, &entry);
        speeds = Column(FindWidget(root, "proxy-entries"), 2, nullptr);
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(FindWidget(root, "proxy-enable")), TRUE);
        gtk_entry_set_text(GTK_ENTRY(FindWidget(root, "proxy-bypass")), "a.example");
        static_cast<Gtk::Dialog*>(d)->response(Gtk::RESPONSE_OK);
        answered = true;
        return false;
      },
      50);
  frame().OnCommand(cmd::kProxyDialog);
  watch.disconnect();
  ASSERT_TRUE(answered);
  // Office's server category stands for the built-in one; the web ones are added.
  EXPECT_EQ(categories, (std::vector<std::string>{"Office", "Web 代理", "翻译代理"}));
  EXPECT_EQ(category, 0);
  EXPECT_EQ(aliases, (std::vector<std::string>{"North", "South"}));
  EXPECT_EQ(speeds, (std::vector<std::string>{"", "无效"}));
  EXPECT_EQ(entry, 1);  // the chosen proxy
  const FrameSettings& s = frame().settings();
  EXPECT_TRUE(s.proxyEnable);
  EXPECT_EQ(s.curpro, u"10.0.0.2:3128");
  EXPECT_EQ(s.proname, u"South");
  EXPECT_EQ(s.exception, u"a.example <local>");
  EXPECT_EQ(frame().CommandChecked(cmd::kProxyEnable), true);
  // And proxy.ini follows, written in the background.
  ASSERT_TRUE(PumpUntil([&] { return !frame().controller<ProxyController>().dirty(); }));
  std::string ini = ReadFileBytes(ProfileFolder() + "/proxy.ini").value_or("");
  EXPECT_NE(ini.find("Proxy2_CategoryName=翻译代理"), std::string::npos) << ini;
  // The bypass list edited is the third category's.
  EXPECT_NE(ini.find("Proxy2_Exception=a.example"), std::string::npos) << ini;
}

}  // namespace
