// The session across runs of the real browser: a stored start mode 2 brings back the pages
// of the last run, and a browser killed while it saves last.ini again and again leaves a
// whole file behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <cstdlib>
#include <set>

#include "base/files.h"
#include "base/ini_document.h"
#include "fakes/temp_dir.h"
#include "support/browser_process.h"
#include "support/test_server.h"

using namespace std::chrono_literals;
using zel::test::BrowserProcess;
using zel::test::TempDir;
using zel::test::TestServer;

namespace {

class SessionRuns : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = tmp_ / "home";
    runtime_ = tmp_ / "run";
    ::mkdir(runtime_.c_str(), 0700);
    ASSERT_TRUE(zel::CreateFolderLevels(Profile()));
  }
  void TearDown() override { ::unsetenv("ZEL_FRAME_TIMER_MS"); }
  std::string Profile() const { return home_ + "/profile/Defaults"; }
  std::string LastIni() const { return Profile() + "/last.ini"; }
  void StoreStartMode2() {
    ASSERT_TRUE(zel::WriteFileAtomic(Profile() + "/config.ini",
                                     "[GENERAL]\r\nstartmode=2\r\nnormalquit=1\r\n"));
  }
  // A second start with an address: the running browser opens it in a tab.
  void HandOff(const std::string& path) {
    BrowserProcess second(home_, runtime_);
    ASSERT_TRUE(second.Start({server_.Url(path)}));
    EXPECT_EQ(second.Wait(10s), 0);
  }
  // The visit section as a reader sees it, or why the file is not whole.
  static std::string CheckWhole(const std::string& bytes, int* count) {
    if (bytes.size() < 2 || bytes.compare(bytes.size() - 2, 2, "\r\n") != 0) return "torn end";
    zel::IniDocument doc = zel::IniDocument::Parse(bytes);
    auto c = doc.Get(u"visit", u"count");
    if (!c) return "no count";
    *count = zel::ToInt(*c);
    for (int n = 0; n < *count; ++n) {
      auto t = doc.Get(u"visit", zel::Format(u"title_%d", n));
      auto u = doc.Get(u"visit", zel::Format(u"url_%d", n));
      if (!t || t->empty() || !u || u->empty()) return "entry " + std::to_string(n) + " missing";
    }
    return "";
  }

  TempDir tmp_;
  std::string home_, runtime_;
  TestServer server_;
};

TEST_F(SessionRuns, StoredStartMode2RestoresThePagesOfTheLastRun) {
  StoreStartMode2();
  {
    BrowserProcess first(home_, runtime_);
    ASSERT_TRUE(first.Start({server_.Url("/t/First")}));
    ASSERT_TRUE(first.WaitForCaption("First - Zel浏览器", 20s)) << first.Caption();
    HandOff("/t/Second");
    ASSERT_TRUE(first.WaitForCaption("Second - Zel浏览器", 20s)) << first.Caption();
    first.Signal(SIGTERM);
    ASSERT_EQ(first.Wait(20s), 0);
  }
  int secondHits = server_.Hits("/t/Second");

  BrowserProcess again(home_, runtime_);
  ASSERT_TRUE(again.Start({}));
  // The first page of the last run is in front; the second waits under its title until it
  // is shown, and is saved again at exit all the same.
  EXPECT_TRUE(again.WaitForCaption("First - Zel浏览器", 20s)) << again.Caption();
  EXPECT_EQ(server_.Hits("/t/Second"), secondHits);
  again.Signal(SIGTERM);
  ASSERT_EQ(again.Wait(20s), 0);
  std::string bytes = zel::ReadFileBytes(LastIni()).value_or("");
  int count = -1;
  EXPECT_EQ(CheckWhole(bytes, &count), "");
  EXPECT_EQ(count, 2);
  EXPECT_LT(bytes.find("/t/First"), bytes.find("/t/Second"));
}

// Killed at any moment of its saves, the browser leaves the old or the new last.ini, whole.
TEST_F(SessionRuns, AKillWhileSavingLeavesAWholeFile) {
  // The periodic save every 41 ticks of 5 ms: about five saves a second.
  ::setenv("ZEL_FRAME_TIMER_MS", "5", 1);
  StoreStartMode2();
  // Many tabs of the last run, with long titles, so every save is a sizeable file.
  std::string seed = "[visit]\r\ncount=8\r\n";
  for (int n = 0; n < 8; ++n) {
    seed += "title_" + std::to_string(n) + "=" + std::string(200, char('a' + n)) + "\r\n";
    seed += "url_" + std::to_string(n) + "=" + server_.Url("/t/Seed" + std::to_string(n)) + "\r\n";
  }
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_TRUE(zel::WriteFileAtomic(LastIni(), seed));
    // The kill of the last round left normalquit=0, which would open a blank tab instead.
    StoreStartMode2();
    BrowserProcess b(home_, runtime_);
    ASSERT_TRUE(b.Start({}));
    ASSERT_TRUE(b.WaitForCaption("Seed0 - Zel浏览器", 20s)) << b.Caption();
    // New tabs keep the tab list changing; every save replaces the file (a new inode).
    std::set<ino_t> versions;
    for (int i = 0; i < 4 + round; ++i) {
      HandOff("/t/More" + std::to_string(i));
      // A hand-off is over in milliseconds: the next one waits for the save of this change.
      const size_t before = versions.size();
      zel::test::WaitFor(
          [&] {
            struct stat st {};
            if (::stat(LastIni().c_str(), &st) == 0) versions.insert(st.st_ino);
            return versions.size() > before;
          },
          5s);
    }
    EXPECT_TRUE(zel::test::WaitFor(
        [&] {
          struct stat st {};
          if (::stat(LastIni().c_str(), &st) == 0) versions.insert(st.st_ino);
          return versions.size() >= 3;
        },
        20s))
        << versions.size() << " versions of last.ini seen";
    b.Signal(SIGKILL);
    b.Wait(10s);
    std::string bytes = zel::ReadFileBytes(LastIni()).value_or("");
    int count = -1;
    EXPECT_EQ(CheckWhole(bytes, &count), "") << bytes.substr(0, 300);
    EXPECT_GE(count, 8);
  }
}

}  // namespace
