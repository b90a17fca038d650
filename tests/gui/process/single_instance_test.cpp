// Two real browser processes under one X server: hand-off, raise, and the run markers.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include "base/files.h"
#include "fakes/temp_dir.h"
#include "support/browser_process.h"
#include "support/test_server.h"

using namespace std::chrono_literals;
using zel::test::BrowserProcess;
using zel::test::TempDir;
using zel::test::TestServer;

namespace {

class SingleInstance : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = tmp_ / "home";
    runtime_ = tmp_ / "run";
    mkdir(runtime_.c_str(), 0700);
  }
  std::string ReadConfigValue(const std::string& key) {
    std::string text = zel::ReadFileBytes(home_ + "/profile/Defaults/config.ini").value_or("");
    size_t p = text.find("\n" + key + "=");
    if (p == std::string::npos) return "<absent>";
    size_t b = p + key.size() + 2;
    return text.substr(b, text.find_first_of("\r\n", b) - b);
  }

  TempDir tmp_;
  std::string home_, runtime_;
  TestServer server_;
};

TEST_F(SingleInstance, SecondStartHandsItsAddressToTheRunningBrowser) {
  BrowserProcess first(home_, runtime_);
  ASSERT_TRUE(first.Start({server_.Url("/t/One")}));
  ASSERT_TRUE(first.WaitForCaption("One - Zel浏览器", 20s)) << first.Caption();

  BrowserProcess second(home_, runtime_);
  ASSERT_TRUE(second.Start({server_.Url("/t/Two")}));
  EXPECT_EQ(second.Wait(5s), 0);
  EXPECT_TRUE(first.WaitForCaption("Two - Zel浏览器", 20s)) << first.Caption();
  EXPECT_TRUE(first.Running());
  EXPECT_TRUE(zel::test::WindowCaptions(second.pid()).empty());
}

// The runtime folder a later start would pick is not the running browser's (someone else
// took the shared names, the session's folder changed): the lock inside the profile still
// decides, and names where the running browser listens.
TEST_F(SingleInstance, AStartFromAnotherRuntimeFolderStillFindsTheProfilesBrowser) {
  BrowserProcess first(home_, runtime_);
  ASSERT_TRUE(first.Start({server_.Url("/t/One")}));
  ASSERT_TRUE(first.WaitForCaption("One - Zel浏览器", 20s)) << first.Caption();
  struct stat st {};
  ASSERT_EQ(::stat((home_ + "/profile/Defaults/instance.lock").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  std::string elsewhere = tmp_ / "run-elsewhere";
  ::mkdir(elsewhere.c_str(), 0700);
  for (const char* target : {"/t/Two", ""}) {
    BrowserProcess second(home_, elsewhere);
    ASSERT_TRUE(second.Start(*target ? std::vector<std::string>{server_.Url(target)}
                                     : std::vector<std::string>{}));
    EXPECT_EQ(second.Wait(10s), 0) << "a second browser runs on the profile";
    EXPECT_TRUE(zel::test::WindowCaptions(second.pid()).empty());
  }
  EXPECT_TRUE(first.WaitForCaption("Two - Zel浏览器", 20s)) << first.Caption();
  EXPECT_TRUE(first.Running());
}

TEST_F(SingleInstance, ShortcutGivenToSecondStartIsResolvedByTheRunningBrowser) {
  BrowserProcess first(home_, runtime_);
  ASSERT_TRUE(first.Start({}));
  ASSERT_TRUE(first.WaitForCaption("空白页 - Zel浏览器", 20s)) << first.Caption();
  std::string shortcut = tmp_ / "Site.URL";
  zel::WriteFileAtomic(shortcut, "[InternetShortcut]\r\nURL=" + server_.Url("/t/Shortcut") + "\r\n");
  BrowserProcess second(home_, runtime_);
  ASSERT_TRUE(second.Start({shortcut}));
  EXPECT_EQ(second.Wait(5s), 0);
  EXPECT_TRUE(first.WaitForCaption("Shortcut - Zel浏览器", 20s)) << first.Caption();
}

TEST_F(SingleInstance, SecondStartWithoutAddressRaisesTheRunningBrowserAndEnds) {
  BrowserProcess first(home_, runtime_);
  ASSERT_TRUE(first.Start({server_.Url("/t/Stay")}));
  ASSERT_TRUE(first.WaitForCaption("Stay - Zel浏览器", 20s));
  BrowserProcess second(home_, runtime_);
  ASSERT_TRUE(second.Start({}));
  EXPECT_EQ(second.Wait(5s), 0);
  EXPECT_TRUE(first.Running());
  EXPECT_EQ(first.Caption(), "Stay - Zel浏览器");
  EXPECT_EQ(server_.Hits("/t/Stay"), 1);
}

TEST_F(SingleInstance, SigtermRunsTheShutdownAndMarksANormalEnd) {
  BrowserProcess b(home_, runtime_);
  ASSERT_TRUE(b.Start({server_.Url("/t/Term")}));
  ASSERT_TRUE(b.WaitForCaption("Term - Zel浏览器", 20s));
  EXPECT_EQ(ReadConfigValue("normalquit"), "0");
  b.Signal(SIGTERM);
  EXPECT_EQ(b.Wait(10s), 0);
  EXPECT_EQ(ReadConfigValue("normalquit"), "1");
  // The runtime folder no longer offers a frame: a new start becomes the first instance.
  BrowserProcess again(home_, runtime_);
  ASSERT_TRUE(again.Start({server_.Url("/t/Again")}));
  EXPECT_TRUE(again.WaitForCaption("Again - Zel浏览器", 20s));
}

TEST_F(SingleInstance, SigkillLeavesTheMarkerAndTheNextStartOpensABlankPage) {
  {
    // First run writes the defaults (start mode 1); point the home page at the server.
    BrowserProcess b(home_, runtime_);
    ASSERT_TRUE(b.Start({}));
    ASSERT_TRUE(b.WaitForCaption("空白页 - Zel浏览器", 20s));
    b.Signal(SIGTERM);
    ASSERT_EQ(b.Wait(10s), 0);
  }
  std::string config = home_ + "/profile/Defaults/config.ini";
  std::string text = zel::ReadFileBytes(config).value();
  size_t p = text.find("homepage=about:blank");
  ASSERT_NE(p, std::string::npos);
  text.replace(p, 20, "homepage=" + server_.Url("/t/Home"));
  ASSERT_TRUE(zel::WriteFileAtomic(config, text));

  BrowserProcess home(home_, runtime_);
  ASSERT_TRUE(home.Start({}));
  ASSERT_TRUE(home.WaitForCaption("Home - Zel浏览器", 20s)) << home.Caption();
  home.Signal(SIGKILL);
  home.Wait(10s);
  EXPECT_EQ(ReadConfigValue("normalquit"), "0");

  BrowserProcess after(home_, runtime_);
  ASSERT_TRUE(after.Start({}));
  EXPECT_TRUE(after.WaitForCaption("空白页 - Zel浏览器", 20s))
      << after.Caption() << " running=" << after.Running();
  EXPECT_EQ(server_.Hits("/t/Home"), 1);
  EXPECT_EQ(ReadConfigValue("startmode"), "1");
}

}  // namespace
