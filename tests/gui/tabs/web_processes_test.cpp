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

// Tabs opened in a burst load without a spare's process start competing with them: it comes
// once their pages have loaded (here: once the one that never ends is stopped).
TEST_F(WebProcesses, TheSpareWaitsForThePagesToLoad) {
  const std::string page = "<html><head><title>Endless</title></head><body>" + std::string(4096, ' ');
  server_.SetPlainFile("/endless", "text/html", page, long(page.size()));  // never ends
  ASSERT_NE(OpenAndWait("/t/One", "One"), nullptr);
  CChildFrame* endless = frame().OpenUrl(FromUtf8(server_.Url("/endless")),
                                         {.tab = TabChoice::New, .start = StartKind::Address, .show = true});
  ASSERT_NE(endless, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return endless->caption == u"Endless"; }));
  const int loading = WebProcessesBelow(getpid());
  EXPECT_FALSE(PumpUntil([&] { return WebProcessesBelow(getpid()) > loading; }, 4s))
      << WebProcessesBelow(getpid()) << " web processes while a page loads, " << loading << " before";
  endless->view()->Stop();
  EXPECT_TRUE(PumpUntil([&] { return WebProcessesBelow(getpid()) == loading + 1; }, 20s))
      << WebProcessesBelow(getpid()) << " web processes once the page stopped, " << loading << " before";
}

}  // namespace
