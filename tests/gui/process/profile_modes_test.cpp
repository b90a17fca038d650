// What the browser keeps is the user's alone: after a run that touched the stores (cookies,
// site storage, history, the session, the collector's output, settings), nothing in the
// profile can be read or entered by group or others, also files and folders an earlier
// run left wider.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "base/files.h"
#include "fakes/temp_dir.h"
#include "support/browser_process.h"
#include "support/test_server.h"

using namespace std::chrono_literals;
using zel::test::BrowserProcess;
using zel::test::TempDir;
using zel::test::TestServer;

namespace {

TEST(OwnerOnlyProfile, NothingInTheProfileIsOpenToOthersAfterARun) {
  TempDir tmp;
  const std::string home = tmp / "home", runtime = tmp / "run";
  const std::string profile = home + "/profile/Defaults";
  ::mkdir(runtime.c_str(), 0700);
  ASSERT_TRUE(zel::CreateFolderLevels(profile + "/Favorites/Links"));
  // Left wide by an earlier run (or by hand).
  const std::string wide[] = {profile + "/formdata.ini", profile + "/formpwd.ini",
                              profile + "/Favorites/Links/site.url"};
  for (const std::string& f : wide) {
    ASSERT_TRUE(zel::WriteFileAtomic(f, "[x]\r\n"));
    ::chmod(f.c_str(), 0666);
  }
  ::chmod((profile + "/Favorites").c_str(), 0777);
  // A link (a shell link among the favorites) to a file that is not the browser's.
  const std::string outside = tmp / "outside.txt";
  ASSERT_TRUE(zel::WriteFileAtomic(outside, "mine"));
  ::chmod(outside.c_str(), 0644);
  ::symlink(outside.c_str(), (profile + "/Favorites/link").c_str());
  ASSERT_TRUE(zel::WriteFileAtomic(profile + "/blockage.ini",
                                   "[URL]\r\nurl_block_count=1\r\nblock_0=http://127.0.0.1:*/ads/*\r\n"));
  ::chmod((profile + "/blockage.ini").c_str(), 0644);

  TestServer server;
  // A cookie that lasts, the site's storage and a blocked image (the collector's output).
  server.SetPage("/store", R"HTML(<html><head><title>Stores</title></head><body>
      <img src="/ads/banner.png">
      <script>document.cookie = "kept=1; max-age=86400"; localStorage.setItem("k", "v");</script>
      </body></html>)HTML");
  {
    BrowserProcess b(home, runtime);
    ASSERT_TRUE(b.Start({server.Url("/store")}));
    ASSERT_TRUE(b.WaitForCaption("Stores - Zel浏览器", 30s)) << b.Caption();
    ASSERT_TRUE(zel::test::WaitFor([&] {
      return zel::FileExists(profile + "/history.sqlite") && zel::FileExists(profile + "/webdata/cookies.sqlite");
    }, 20s));
    b.Signal(SIGTERM);
    ASSERT_EQ(b.Wait(10s), 0);
  }
  for (const char* store : {"config.ini", "last.ini", "history.sqlite", "webdata/cookies.sqlite"})
    EXPECT_TRUE(zel::FileExists(profile + "/" + store)) << store << " was not written";

  int checked = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(home + "/profile")) {
    struct stat st;
    ASSERT_EQ(::lstat(e.path().c_str(), &st), 0);
    if (S_ISLNK(st.st_mode)) continue;
    ++checked;
    EXPECT_EQ(st.st_mode & 077, 0u) << e.path() << " is open to others: " << std::oct << (st.st_mode & 0777);
  }
  EXPECT_GT(checked, 10);
  struct stat target;
  ASSERT_EQ(::stat(outside.c_str(), &target), 0);
  EXPECT_EQ(target.st_mode & 0777, 0644u) << "a link's target outside the profile was changed";
}

}  // namespace
