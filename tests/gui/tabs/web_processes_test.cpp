// What web processes the browser keeps: a one-tab user has one, not a spare beside it.
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/pump.h"
#include "support/web_processes.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class WebProcesses : public FrameTest {};

// One tab loaded, and time for a spare to appear: none does. A second tab asked for makes
// one ahead for the tab after it.
TEST_F(WebProcesses, OneTabKeepsOneProcessASecondTabBringsASpare) {
  ASSERT_NE(OpenAndWait("/t/One", "One"), nullptr);
  ASSERT_TRUE(PumpUntil([&] { return WebProcessesBelow(getpid()) >= 1; }));
  EXPECT_FALSE(PumpUntil([&] { return WebProcessesBelow(getpid()) > 1; }, 4s))
      << WebProcessesBelow(getpid()) << " web processes with one tab";

  ASSERT_NE(OpenAndWait("/t/Two", "Two"), nullptr);
  EXPECT_TRUE(PumpUntil([&] { return WebProcessesBelow(getpid()) == 3; }, 20s))
      << WebProcessesBelow(getpid()) << " web processes with two tabs";
}

}  // namespace
