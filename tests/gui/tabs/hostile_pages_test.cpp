// Pages that misbehave leave the browser usable.
#include <gtest/gtest.h>

#include <chrono>

#include "frame/commands.h"
#include "frame/gtk/main_window.h"
#include "support/pump.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class HostilePages : public FrameTest {};

TEST_F(HostilePages, MegabyteTitle) {
  server_.SetPage("/big", R"HTML(<html><head><title>t</title></head><body><script>
      document.title = "长".repeat(1 << 20);</script></body></html>)HTML");
  CChildFrame* tab = frame().OpenUrl(2, 2, FromUtf8(server_.Url("/big")), nullptr, true);
  auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(PumpUntil([&] { return tab->caption.size() == (1u << 20); }));
  // The strip and the caption took it; another page still opens at once.
  ASSERT_NE(OpenAndWait("/t/After", "After"), nullptr);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(ms, 15000);
  std::printf("1 MB title handled, next page loaded after %lld ms\n", (long long)ms);
}

TEST_F(HostilePages, TwoHundredWindowsInALoopAreBlocked) {
  frame().settings().popupFilter = true;
  frame().filters().switches.popup = true;
  server_.SetPage("/flood", R"HTML(<html><head><title>Flood</title></head><body><script>
      for (var i = 0; i < 200; i++) window.open('/t/W' + i);</script></body></html>)HTML");
  auto start = std::chrono::steady_clock::now();
  CChildFrame* tab = frame().OpenUrl(2, 2, FromUtf8(server_.Url("/flood")), nullptr, true);
  ASSERT_NE(tab, nullptr);
  // Two hundred views made and dropped: slow on a busy machine, so the wait is generous.
  ASSERT_TRUE(PumpUntil([&] { return frame().filters().blockedPopupCount >= 200; }, 100s))
      << frame().filters().blockedPopupCount;
  ASSERT_TRUE(PumpUntil([&] { return tab->caption == u"Flood"; }));
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - start).count();
  std::printf("200 popups blocked in %lld ms\n", (long long)ms);
  EXPECT_EQ(Entries(), std::vector<std::string>{"Flood"});
  EXPECT_EQ(frame().ChildCount(), 1u);
  ASSERT_NE(OpenAndWait("/t/After", "After"), nullptr);
}

TEST_F(HostilePages, EndlessRedirectLoop) {
  server_.SetPage("/loop", R"HTML(<html><head><title>Loop</title>
      <meta http-equiv="refresh" content="0;url=/loop2"></head><body></body></html>)HTML");
  server_.SetPage("/loop2", R"HTML(<html><head><title>Loop</title>
      <script>location.replace('/loop');</script></head><body></body></html>)HTML");
  frame().OpenUrl(2, 2, FromUtf8(server_.Url("/loop")), nullptr, true);
  PumpFor(2s);
  int hits = server_.Hits("/loop") + server_.Hits("/loop2");
  EXPECT_GT(hits, 4);
  // The browser still answers: another tab opens and loads.
  ASSERT_NE(OpenAndWait("/t/After", "After"), nullptr);
  std::printf("redirect loop: %d requests in 2 s, browser responsive\n", hits);
  frame().OnCommand(cmd::kCloseAll);
  EXPECT_TRUE(PumpUntil([&] { return Entries().size() == 1; }));
}

}  // namespace
