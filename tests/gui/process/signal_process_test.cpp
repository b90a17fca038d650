// TERM, INT and HUP end the real browser within 3 seconds with its save points written,
// also while a modal dialog runs its own loop: the About box, a message box, the favorites'
// import dialog. The dialogs are opened as a user would: from the menus with keys, and the
// quit question with the window's close box.
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>

#include "base/files.h"
#include "base/ini_document.h"
#include "fakes/temp_dir.h"
#include "support/browser_process.h"
#include "support/test_server.h"

using namespace std::chrono_literals;
using zel::test::BrowserProcess;
using zel::test::TempDir;
using zel::test::TestServer;
using zel::test::WindowCaptions;

namespace {

class EndOnSignal : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = tmp_ / "home";
    runtime_ = tmp_ / "run";
    ::mkdir(runtime_.c_str(), 0700);
    ASSERT_TRUE(zel::CreateFolderLevels(home_ + "/profile/Defaults"));
  }
  bool Shows(BrowserProcess& b, const std::string& caption) {
    return zel::test::WaitFor([&] {
      auto c = WindowCaptions(b.pid());
      return std::find(c.begin(), c.end(), caption) != c.end();
    }, 20s);
  }

  TempDir tmp_;
  std::string home_, runtime_;
  TestServer server_;
};

TEST_F(EndOnSignal, EachSignalEndsTheBrowserUnderAModalDialogWithItsSavePointsWritten) {
  const struct {
    const char* name;
    int signal;
    std::vector<std::vector<unsigned>> keys;  // from the frame to the dialog; none: close box
    const char* dialog;
  } cases[] = {
      {"the About box", SIGTERM, {{XK_Alt_L, XK_h}, {XK_a}}, "关于Zel浏览器"},
      {"the quit question", SIGINT, {}, "Zel浏览器"},
      {"the import dialog", SIGHUP, {{XK_Alt_L, XK_a}, {XK_i}}, "导入导出收藏夹"},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.name);
    const std::string profile = home_ + "/profile/Defaults";
    std::remove((profile + "/last.ini").c_str());
    // The close box asks first.
    ASSERT_TRUE(zel::WriteFileAtomic(profile + "/config.ini", "[GENERAL]\r\nquitconfirm=1\r\n"));
    BrowserProcess b(home_, runtime_);
    ASSERT_TRUE(b.Start({server_.Url("/t/Signalled")}));
    ASSERT_TRUE(b.WaitForCaption("Signalled - Zel浏览器", 30s)) << b.Caption();
    ASSERT_TRUE(tc.keys.empty() ? b.CloseWindow() : b.PressKeys(tc.keys));
    ASSERT_TRUE(Shows(b, tc.dialog)) << "the dialog did not open";
    const auto sent = std::chrono::steady_clock::now();
    b.Signal(tc.signal);
    EXPECT_EQ(b.Wait(3s), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - sent, 3500ms);
    auto config = zel::ReadFileBytes(profile + "/config.ini");
    ASSERT_TRUE(config);
    EXPECT_NE(config->find("normalquit=1"), std::string::npos);
    auto last = zel::ReadFileBytes(profile + "/last.ini");
    ASSERT_TRUE(last);
    auto url = zel::IniDocument::Parse(*last).Get(u"visit", u"url_0");
    ASSERT_TRUE(url);
    EXPECT_NE(zel::ToUtf8(*url).find("/t/Signalled"), std::string::npos);
  }
}

}  // namespace
