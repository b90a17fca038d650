// The proxy choice as the window shows it and as pages use it, against a real proxy on
// 127.0.0.1: the dialog's OK takes the entry selected then (none: no proxy, and pages go
// straight), off is straight from the first page, the toolbar's "代理" switches it, an import
// says what it took, and a tab opened from a web-proxied tab loads through the web proxy.
#include <gtest/gtest.h>

#include <cstdlib>

#include "base/commands.h"
#include "base/files.h"
#include "proxy/proxy_controller.h"
#include "support/dialog_driver.h"
#include "support/proxy_server.h"
#include "support/pump.h"
#include "tabs/frame_test.h"
#include "view/vop_view.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

// A host only the proxy knows: its pages load through the proxy and fail without it (the
// bypass list's "<local>" never covers it).
constexpr char kProxiedHost[] = "zel-proxied.invalid";
constexpr char kFailedTitle[] = "无法显示网页";

class ProxyChoice : public FrameTest {
 protected:
  void BeforeStart() override {
    proxy_.MapHost(kProxiedHost);
    CreateFolderLevels(ProfileFolder());
    WriteFileAtomic(ProfileFolder() + "/proxy.ini",
                    "[GENERAL]\r\nProxy_CategoryName=Office\r\nProxy_proxy1=" + proxy_.HostPort() +
                        "\r\nProxy_alias1=Test\r\nProxy_Exception=example.org\r\n");
    WriteFileAtomic(ProfileFolder() + "/config.ini",
                    "[PROXYSET]\r\nenable=" + std::string(enabled_ ? "1" : "0") +
                        "\r\ncurpro=" + proxy_.HostPort() +
                        "\r\nproname=Test\r\nexception=example.org\r\n");
  }
  std::string Proxied(const std::string& path) const {
    return "http://" + std::string(kProxiedHost) + ":" + std::to_string(server_.port()) + path;
  }
  // Opens a page of the proxied host; true when it came through the proxy, false when it
  // failed (it went straight to a name nobody else knows).
  bool ThroughProxy(const std::string& title) {
    CChildFrame* tab = frame().OpenUrl(FromUtf8(Proxied("/t/" + title)),
                                       {.tab = TabChoice::New, .start = StartKind::Address,
                                        .show = true});
    EXPECT_NE(tab, nullptr);
    if (!tab) return false;
    EXPECT_TRUE(PumpUntil([&] {
      return tab->caption == FromUtf8(title) || tab->caption == FromUtf8(kFailedTitle);
    }, 20s)) << ToUtf8(tab->caption);
    return proxy_.ForwardedCount("/t/" + title) > 0;
  }
  bool Told(u16view text) const {
    for (const u16& m : prompts_.messages)
      if (m == text) return true;
    return false;
  }
  GtkWidget* MenuBar() { return probe().Find("menu-bar"); }
  // The "Standard" bar's switch for a command, pressed or not.
  GtkToggleToolButton* Switch(int id) {
    Gtk::ToolButton* b = probe().StandardButton(id);
    return b ? GTK_TOGGLE_TOOL_BUTTON(b->gobj()) : nullptr;
  }

  bool enabled_ = true;
  ProxyServer proxy_;
};

// The profile's proxy chosen but switched off.
class ProxyOff : public ProxyChoice {
 protected:
  ProxyOff() { enabled_ = false; }
};

// Off, with the desktop's proxy (the environment's) pointing at the test proxy.
class DesktopProxy : public ProxyOff {
 protected:
  void BeforeStart() override {
    ::setenv("http_proxy", ("http://" + proxy_.HostPort()).c_str(), 1);
    ProxyOff::BeforeStart();
  }
  ~DesktopProxy() override { ::unsetenv("http_proxy"); }
};

// The chosen proxy deleted in the dialog, by itself or with its category: OK leaves no proxy
// chosen, says so, switches off, and the pages go straight from then on.
TEST_F(ProxyChoice, AProxyDeletedInTheDialogIsNoLongerUsed) {
  for (bool wholeCategory : {false, true}) {
    SCOPED_TRACE(wholeCategory ? "category deleted" : "entry deleted");
    if (wholeCategory) {
      // Back to the proxy, chosen again as the profile had it.
      TearDown();
      SetUp();
      prompts_.messages.clear();
    }
    ASSERT_TRUE(PumpUntil([&] { return frame().deferredStartupDone(); }));
    ASSERT_TRUE(ThroughProxy("Before"));
    ASSERT_NE(Switch(cmd::kProxyEnable), nullptr);
    EXPECT_TRUE(gtk_toggle_tool_button_get_active(Switch(cmd::kProxyEnable)));

    WhenShown question([] { return ShownMessageBox("您真的要删除这个类别吗?"); },
                       [](GtkWidget* box) { ClickButton(box, "是"); });
    WhenShown dialog([] { return ShownWindow("proxy-dialog"); },
                     [&](GtkWidget* d) {
                       ClickButton(d, wholeCategory ? "删除类别" : "删除");
                       ClickButton(d, "确定");
                     });
    ASSERT_TRUE(ActivateMenuPath(MenuBar(), {"工具", "代理", "设置代理..."}));
    ASSERT_TRUE(dialog.done());
    EXPECT_EQ(question.done(), wholeCategory);

    EXPECT_TRUE(Told(kChooseProxyFirst));
    const FrameSettings& s = frame().settings();
    EXPECT_FALSE(s.proxyEnable);
    EXPECT_EQ(s.curpro, u"");
    EXPECT_EQ(s.proname, u"");
    EXPECT_EQ(frame().CommandChecked(cmd::kProxyEnable), false);
    EXPECT_FALSE(gtk_toggle_tool_button_get_active(Switch(cmd::kProxyEnable)));
    EXPECT_FALSE(ThroughProxy("After"));
  }
}

// Off is straight to the sites from the first page: the desktop's proxy is never taken.
TEST_F(DesktopProxy, OffGoesStraightFromTheFirstPageWhateverTheDesktopSays) {
  ASSERT_NE(OpenAndWait("/t/First", "First"), nullptr);
  EXPECT_EQ(proxy_.ForwardedCount("/t/First"), 0);
  EXPECT_EQ(server_.Hits("/t/First"), 1);
  EXPECT_EQ(frame().CommandChecked(cmd::kProxyEnable), false);
}

// "代理" on the toolbar switches the chosen proxy on and off and shows which it is.
TEST_F(ProxyOff, TheToolbarSwitchTurnsTheProxyOnAndOff) {
  ASSERT_TRUE(PumpUntil([&] { return frame().deferredStartupDone(); }));
  Gtk::ToolButton* button = probe().StandardButton(cmd::kProxyEnable);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->get_label(), "代理");
  ASSERT_NE(probe().StandardButton(cmd::kSystemProxy), nullptr);
  EXPECT_FALSE(ThroughProxy("Off"));
  GtkWidget* inner = gtk_bin_get_child(GTK_BIN(button->gobj()));
  gtk_button_clicked(GTK_BUTTON(inner));
  EXPECT_TRUE(frame().settings().proxyEnable);
  EXPECT_TRUE(gtk_toggle_tool_button_get_active(Switch(cmd::kProxyEnable)));
  EXPECT_TRUE(ThroughProxy("On"));
  gtk_button_clicked(GTK_BUTTON(inner));
  EXPECT_FALSE(frame().settings().proxyEnable);
  EXPECT_FALSE(gtk_toggle_tool_button_get_active(Switch(cmd::kProxyEnable)));
  EXPECT_FALSE(ThroughProxy("OffAgain"));
  // The system proxy's switch with no system proxy: told, and it springs back.
  gtk_button_clicked(GTK_BUTTON(gtk_bin_get_child(GTK_BIN(Switch(cmd::kSystemProxy)))));
  EXPECT_FALSE(gtk_toggle_tool_button_get_active(Switch(cmd::kSystemProxy)));
}

// An import takes "protocol=host" lines and a line that starts with a separator as the
// Part of the list syntax they are, and says how many came in and how many were skipped.
TEST_F(ProxyChoice, ImportTakesEveryProxyLineAndSaysWhatItSkipped) {
  ASSERT_TRUE(PumpUntil([&] { return frame().deferredStartupDone(); }));
  std::string file = dir_.path() + "/list.txt";
  ASSERT_TRUE(WriteFileAtomic(file, "1.1.1.1:80#one\nsocks=1.1.1.1:1#pre\n#whole\n\n"
                                    "two words here\n2.2.2.2:99999\n"));
  WhenShown chooser([] { return ShownWindow("proxy-import-chooser"); },
                    [&](GtkWidget* d) {
                      gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(d), file.c_str());
                    });
  WhenShown open(
      [&]() -> GtkWidget* {
        GtkWidget* d = chooser.done() ? ShownWindow("proxy-import-chooser") : nullptr;
        if (!d) return nullptr;
        gchar* chosen = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(d));
        bool ready = chosen && file == chosen;
        g_free(chosen);
        return ready ? d : nullptr;
      },
      [](GtkWidget* d) { ClickButton(d, "打开"); });
  WhenShown scheme([] { return ShownWindow("proxy-scheme-dialog"); },
                   [](GtkWidget* d) {
                     GtkWidget* combo = FindWidget(d, "proxy-scheme");
                     gtk_entry_set_text(GTK_ENTRY(gtk_bin_get_child(GTK_BIN(combo))), "Imported");
                     ClickButton(d, "确定");
                   });
  ASSERT_TRUE(ActivateMenuPath(MenuBar(), {"工具", "代理", "导入代理列表..."}));
  ASSERT_TRUE(scheme.done());
  ASSERT_TRUE(PumpUntil([&] { return !prompts_.messages.empty(); }, 20s));
  EXPECT_EQ(prompts_.messages.back(), u"导入了 3 个代理, 跳过了 2 行.");
  const ProxyCategory* imported = nullptr;
  for (const auto& c : frame().controller<ProxyController>().list().categories)
    if (c.name == u"Imported") imported = &c;
  ASSERT_NE(imported, nullptr);
  std::vector<std::pair<u16, u16>> got;
  for (const auto& e : imported->entries) got.emplace_back(e.alias, e.address);
  EXPECT_EQ(got, (std::vector<std::pair<u16, u16>>{{u"one", u"1.1.1.1:80"},
                                                    {u"pre", u"socks=1.1.1.1:1"},
                                                    {u"#whole", u"#whole"}}));
}

// A tab that a web-proxied tab opens shows its switch on and loads through the web proxy,
// its first page included.
TEST_F(ProxyOff, ATabOpenedFromAWebProxiedTabLoadsThroughTheWebProxy) {
  proxy_.SetWebPageLink(server_.Url("/t/Second"));
  CChildFrame* tab = OpenAndWait("/t/Start", "Start");
  ASSERT_NE(tab, nullptr);
  frame().settings().webprx = FromUtf8("http://" + proxy_.HostPort() + "/wp?u=%s");
  ASSERT_TRUE(ActivateMenuPath(MenuBar(), {"工具", "代理", "启用 Web 代理"}));
  ASSERT_TRUE(PumpUntil([&] { return tab->caption == u"WebProxy"; }));
  Click(tab, "link");
  ASSERT_TRUE(PumpUntil([&] { return frame().TabCount() == 2; }));
  CChildFrame* opened = frame().TabAt(1) == tab ? frame().TabAt(0) : frame().TabAt(1);
  ASSERT_TRUE(PumpUntil([&] { return opened->caption == u"WebProxy"; }, 20s))
      << ToUtf8(opened->caption);
  EXPECT_TRUE(opened->view()->webProxyMode);
  EXPECT_EQ(server_.Hits("/t/Second"), 0);
  int asked = 0;
  for (const std::string& a : proxy_.Direct())
    if (a.find("%2Ft%2FSecond") != std::string::npos) ++asked;
  EXPECT_EQ(asked, 1);
}

}  // namespace
