// The window's rectangle across runs of the real program: a stored rectangle comes back as
// it was, narrow or wide, and a window the user resized comes back at that size. There is
// no window manager on the test display, so "as it was" is exact.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <thread>

#include "base/files.h"
#include "base/ini_document.h"
#include "fakes/temp_dir.h"
#include "support/browser_process.h"
#include "support/test_server.h"

using namespace std::chrono_literals;
using zel::test::BrowserProcess;
using zel::test::TempDir;
using zel::test::TestServer;
using Rect = BrowserProcess::Rect;

namespace {

std::string Show(const std::optional<Rect>& r) {
  if (!r) return "(no window)";
  return std::to_string(r->x) + "," + std::to_string(r->y) + " " + std::to_string(r->width) +
         "x" + std::to_string(r->height);
}

class WindowPlacement : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = tmp_ / "home";
    runtime_ = tmp_ / "run";
    ::mkdir(runtime_.c_str(), 0700);
    ASSERT_TRUE(zel::CreateFolderLevels(home_ + "/profile/Defaults"));
  }
  // Starts the program, waits for its frame and its page.
  std::unique_ptr<BrowserProcess> Start(const std::string& path = "/t/Page") {
    auto p = std::make_unique<BrowserProcess>(home_, runtime_);
    EXPECT_TRUE(p->Start({server_.Url(path)}));
    EXPECT_TRUE(p->WaitForCaption("Page - Zel浏览器", 30s)) << p->Caption();
    return p;
  }
  // The frame's rectangle once it is r (or what it is after the wait).
  std::optional<Rect> WaitForRect(BrowserProcess& p, const Rect& r) {
    std::optional<Rect> now;
    zel::test::WaitFor([&] { return (now = p.FrameRect()) && *now == r; }, 10s);
    return now;
  }
  void Quit(BrowserProcess& p) {
    p.Signal(SIGTERM);
    EXPECT_EQ(p.Wait(30s), std::optional<int>(0));
  }
  TempDir tmp_;
  std::string home_, runtime_;
  TestServer server_;
};

// A stored rectangle, narrow and wide, comes up as it is and is stored the same again, also
// while the page is still loading (the status bar then shows its progress bar too).
TEST_F(WindowPlacement, AStoredRectangleComesBackAsItWas) {
  const std::string head = "<html><head><title>Page</title></head><body>";
  server_.SetPlainFile("/loading", "text/html", head + std::string(4096, ' '), long(head.size()) + 4096);
  for (const Rect& r : {Rect{30, 40, 640, 480}, Rect{0, 0, 1280, 900}, Rect{100, 60, 700, 500}}) {
    SCOPED_TRACE(Show(r));
    ASSERT_TRUE(zel::WriteFileAtomic(
        home_ + "/profile/Defaults/config.ini",
        "[GENERAL]\r\nzoomed=0\r\nleft=" + std::to_string(r.x) + "\r\ntop=" + std::to_string(r.y) +
            "\r\nwidth=" + std::to_string(r.width) + "\r\nheight=" + std::to_string(r.height) + "\r\n"));
    for (int run = 0; run < 2; ++run) {
      auto p = Start(run ? "/t/Page" : "/loading");
      EXPECT_EQ(Show(WaitForRect(*p, r)), Show(r)) << "run " << run;
      // The progress bar of the loading page does not widen the window a moment later.
      if (run == 0) {
        std::this_thread::sleep_for(2s);
        EXPECT_EQ(Show(p->FrameRect()), Show(r)) << "while loading";
      }
      Quit(*p);
    }
  }
}

// The first run's window resized by the user to 1200x850 and closed with its close box comes
// back at 1200x850.
TEST_F(WindowPlacement, AResizedWindowComesBackAtItsSize) {
  auto first = Start();
  const Rect want{20, 30, 1200, 850};
  ASSERT_TRUE(first->MoveResizeFrame(want));
  ASSERT_EQ(Show(WaitForRect(*first, want)), Show(want));
  ASSERT_TRUE(first->CloseWindow());
  ASSERT_EQ(first->Wait(30s), std::optional<int>(0));
  auto second = Start();
  EXPECT_EQ(Show(WaitForRect(*second, want)), Show(want));
  Quit(*second);
}

}  // namespace
