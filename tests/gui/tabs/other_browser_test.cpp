// "在 IE 中打开" on a link hands its address to the desktop's web browser, never to Zel.
// Runs in a scratch home (tests/gui/CMakeLists.txt) whose desktop knows Zel and two test
// browsers that write "<name> <address>" into $HOME/opened.txt.
#include <gio/gdesktopappinfo.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "base/files.h"
#include "frame/gtk/main_window.h"
#include "frame/page_menus.h"
#include "support/pump.h"
#include "support/synth_input.h"
#include "tabs/frame_test.h"
#include "view/vop_view.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class OtherBrowser : public FrameTest {
 protected:
  void SetUp() override {
    const char* home = std::getenv("HOME");
    ASSERT_TRUE(home && std::string(home).find("otherbrowser_home") != std::string::npos)
        << "runs in the scratch home ctest gives it";
    opened_ = std::string(home) + "/opened.txt";
    std::remove(opened_.c_str());
    FrameTest::SetUp();
    server_.SetPage("/links", R"(<!DOCTYPE html><html><head><title>Links</title></head>
      <body style="margin:0"><p style="margin:40px;font-size:30px">
      <a id="out" href="/t/Elsewhere">elsewhere</a></p></body></html>)");
  }
  void MakeDefault(const char* desktopId) {
    GDesktopAppInfo* app = g_desktop_app_info_new(desktopId);
    ASSERT_NE(app, nullptr) << desktopId;
    ASSERT_TRUE(g_app_info_set_as_default_for_type(G_APP_INFO(app), "x-scheme-handler/http",
                                                   nullptr));
    g_object_unref(app);
  }
  // Right-clicks the link and picks "在 IE 中打开" from its menu.
  void OpenLinkInOtherBrowser(CChildFrame* tab) {
    auto [x, y] = Center(tab, "out");
    ASSERT_GT(x, 0);
    // Off the link first: a pointer already there after the last menu moves nowhere, and the
    // page reports no link under it again.
    MoveTo(PageOf(tab), 5, 5);
    PumpFor(100ms);
    // Moved again now and then: under load the page can miss a single motion.
    int moves = 0;
    ASSERT_TRUE(PumpUntil([&] {
      if (moves++ % 20 == 0) MoveTo(PageOf(tab), x + (moves / 20) % 2, y);
      return !tab->view()->engine()->HitUnderPointer().link.empty();
    }));
    ClickAt(PageOf(tab), x, y, 3);
    ASSERT_TRUE(PumpUntil([&] { return probe().ShownMenu("page-menu") != nullptr; }));
    GtkWidget* found = nullptr;
    GList* items = gtk_container_get_children(GTK_CONTAINER(probe().ShownMenu("page-menu")));
    for (GList* l = items; l; l = l->next) {
      const char* t = gtk_menu_item_get_label(GTK_MENU_ITEM(l->data));
      if (t && std::string(t) == "在 IE 中打开(_I)") found = GTK_WIDGET(l->data);
    }
    g_list_free(items);
    ASSERT_NE(found, nullptr);
    gtk_menu_item_activate(GTK_MENU_ITEM(found));
    window().pageHost().PopupMenu({});
  }
  // The lines the test browsers wrote, once there are n of them.
  std::string Opened(size_t lines) {
    std::string text;
    PumpUntil([&] {
      text = ReadFileBytes(opened_).value_or("");
      return size_t(std::count(text.begin(), text.end(), '\n')) >= lines;
    }, 20s);
    return text;
  }
  std::string opened_;
};

TEST_F(OtherBrowser, TheDefaultBrowserTakesTheAddressOrWhenThatIsZelTheNextOne) {
  CChildFrame* tab = OpenAndWait("/links", "Links");
  ASSERT_NE(tab, nullptr);
  const std::string link = server_.Url("/t/Elsewhere");

  // The desktop's default, though another browser is listed before it.
  MakeDefault("secondbrowser.desktop");
  OpenLinkInOtherBrowser(tab);
  EXPECT_EQ(Opened(1), "second " + link + "\n");

  // Zel is the default: the first other browser installed.
  MakeDefault("zel.desktop");
  OpenLinkInOtherBrowser(tab);
  std::string text = Opened(2);
  EXPECT_TRUE(text == "second " + link + "\nfirst " + link + "\n" ||
              text == "second " + link + "\nsecond " + link + "\n")
      << text;
  EXPECT_EQ(frame().TabCount(), 1);  // nothing opened in Zel
}

}  // namespace
