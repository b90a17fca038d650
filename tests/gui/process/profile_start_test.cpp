// A start after a run that was killed mid-write: the temporaries it left are gone, the
// files they were meant to replace are whole.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <utime.h>

#include <ctime>
#include <iterator>
#include <vector>

#include "base/files.h"
#include "fakes/temp_dir.h"
#include "support/browser_process.h"

using namespace std::chrono_literals;
using zel::test::BrowserProcess;
using zel::test::TempDir;

TEST(ProfileStart, TemporariesOfAKilledRunAreRemovedAtTheNextStart) {
  TempDir tmp;
  std::string home = tmp / "home", runtime = tmp / "run";
  ::mkdir(runtime.c_str(), 0700);
  {
    BrowserProcess b(home, runtime);
    ASSERT_TRUE(b.Start({}));
    ASSERT_TRUE(b.WaitForCaption("空白页 - Zel浏览器", 20s));
    b.Signal(SIGKILL);
    b.Wait(10s);
  }
  // What a kill between creating and renaming leaves: a temporary beside each file.
  const std::string profile = home + "/profile/Defaults";
  const std::string left[] = {profile + "/.config.ini.k1LLed", profile + "/.registry.ini.x9Y8z7",
                              home + "/profile/SearchEngine/.config.ini.AAAAAA"};
  time_t past = std::time(nullptr) - 120;
  for (const std::string& p : left) {
    ASSERT_TRUE(zel::WriteFileAtomic(p, "[GENERAL]\r\nhalf"));
    struct utimbuf t {past, past};
    ASSERT_EQ(::utime(p.c_str(), &t), 0);
  }
  std::string config = zel::ReadFileBytes(profile + "/config.ini").value_or("");
  ASSERT_NE(config.find("[GENERAL]"), std::string::npos);

  BrowserProcess again(home, runtime);
  ASSERT_TRUE(again.Start({}));
  ASSERT_TRUE(again.WaitForCaption("空白页 - Zel浏览器", 20s));
  for (const std::string& p : left) EXPECT_FALSE(zel::FileExists(p)) << p;
  EXPECT_NE(zel::ReadFileBytes(profile + "/config.ini").value_or("").find("homepage="),
            std::string::npos);
  again.Signal(SIGTERM);
  EXPECT_EQ(again.Wait(10s), 0);
}

// Every folder the browser writes loses what a killed run or a cut-off download left: a site
// icon's body, the install report's answer, the update package, a favorite's temporary;
// the finished files beside them stay.
TEST(ProfileStart, LeftoversOfEveryFolderGoAtTheNextStart) {
  TempDir tmp;
  std::string home = tmp / "home", runtime = tmp / "run";
  ::mkdir(runtime.c_str(), 0700);
  const std::string profile = home + "/profile/Defaults";
  const std::string left[] = {profile + "/iconcache/127.0.0.1_8080.ico.part",
                              profile + "/stat.dat.part",
                              home + "/update/zel-update.deb.part",
                              profile + "/Favorites/Sub/Deeper/.Page.url.Ab12Cd"};
  const std::string kept[] = {profile + "/iconcache/127.0.0.1_8080.ico",
                              profile + "/Favorites/Sub/Deeper/Page.url",
                              profile + "/Favorites/Sub/notes.part.txt"};
  time_t past = std::time(nullptr) - 120;
  for (const std::string& p : left) {
    zel::CreateFolderLevels(zel::DirName(p));
    ASSERT_TRUE(zel::WriteFileAtomic(p, "half"));
    struct utimbuf t {past, past};
    ASSERT_EQ(::utime(p.c_str(), &t), 0);
  }
  for (const std::string& p : kept) ASSERT_TRUE(zel::WriteFileAtomic(p, "whole"));

  BrowserProcess b(home, runtime);
  ASSERT_TRUE(b.Start({}));
  ASSERT_TRUE(b.WaitForCaption("空白页 - Zel浏览器", 20s));
  for (const std::string& p : left) EXPECT_FALSE(zel::FileExists(p)) << p;
  for (const std::string& p : kept) EXPECT_TRUE(zel::FileExists(p)) << p;
  b.Signal(SIGTERM);
  EXPECT_EQ(b.Wait(10s), 0);
}

// A start that hands its address off writes none of the running browser's files, and has
// its answer without waiting for the tab to be made.
TEST(ProfileStart, SecondStartThatHandsOffWritesNothing) {
  TempDir tmp;
  std::string home = tmp / "home", runtime = tmp / "run";
  ::mkdir(runtime.c_str(), 0700);
  BrowserProcess first(home, runtime);
  ASSERT_TRUE(first.Start({}));
  ASSERT_TRUE(first.WaitForCaption("空白页 - Zel浏览器", 20s));
  const std::string profile = home + "/profile/Defaults";
  auto stamp = [](const std::string& p) {
    struct stat st {};
    if (::stat(p.c_str(), &st) != 0) return std::string("<none>");
    return std::to_string(st.st_ino) + ":" + std::to_string(st.st_mtim.tv_sec) + "." +
           std::to_string(st.st_mtim.tv_nsec);
  };
  // As a browser on its first run has it: a start that wrote would set firstrun to 0.
  std::string config = zel::ReadFileBytes(profile + "/config.ini").value_or("");
  size_t at = config.find("firstrun=0");
  if (at != std::string::npos) config.replace(at, 10, "firstrun=1");
  ASSERT_NE(config.find("firstrun=1"), std::string::npos);
  ASSERT_TRUE(zel::WriteFileAtomic(profile + "/config.ini", config));
  const std::string files[] = {profile + "/config.ini", profile + "/registry.ini",
                               home + "/profile/SearchEngine/config.ini"};
  std::vector<std::string> before;
  for (const auto& f : files) before.push_back(stamp(f));

  BrowserProcess second(home, runtime);
  ASSERT_TRUE(second.Start({"about:blank#handed"}));
  EXPECT_EQ(second.Wait(10s), 0);
  for (size_t i = 0; i < std::size(files); ++i) EXPECT_EQ(stamp(files[i]), before[i]) << files[i];
  first.Signal(SIGTERM);
  EXPECT_EQ(first.Wait(10s), 0);
}
