// The close box with the close-to-tray choice: the frame goes, the browser keeps running,
// and the next start of the program shows the frame again.
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

TEST(CloseToTray, TheCloseBoxHidesTheFrameAndASecondStartShowsIt) {
  TempDir tmp;
  std::string home = tmp / "home", runtime = tmp / "run";
  ::mkdir(runtime.c_str(), 0700);
  ASSERT_TRUE(zel::CreateFolderLevels(home + "/profile/Defaults"));
  ASSERT_TRUE(zel::WriteFileAtomic(home + "/profile/Defaults/config.ini",
                                   "[GENERAL]\r\nclosetray=1\r\n"));
  TestServer server;
  BrowserProcess first(home, runtime);
  ASSERT_TRUE(first.Start({server.Url("/t/One")}));
  bool shown = first.WaitForCaption("One - Zel浏览器", 20s);
  ASSERT_TRUE(shown) << first.Caption() << " running " << first.Running();
  ASSERT_TRUE(first.CloseWindow());
  // The frame is off the screen while the program runs on.
  auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!first.Caption().empty() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(50ms);
  EXPECT_EQ(first.Caption(), "");
  EXPECT_TRUE(first.Running());

  BrowserProcess second(home, runtime);
  ASSERT_TRUE(second.Start({server.Url("/t/Two")}));
  EXPECT_EQ(second.Wait(20s), std::optional<int>(0));
  EXPECT_TRUE(first.WaitForCaption("Two - Zel浏览器", 20s)) << first.Caption();
  first.Signal(SIGTERM);
  EXPECT_EQ(first.Wait(20s), std::optional<int>(0));
}

}  // namespace
