// Clearing what the engine keeps for sites, on a real WebKit view: the cookies alone, or
// everything else alone.
#include <gtest/gtest.h>

#include "base/commands.h"
#include "support/pump.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class ClearTraces : public FrameTest {
 protected:
  // What a fresh page of the site finds: its cookie and its stored value.
  std::string WhatASiteKeeps(int n) {
    CChildFrame* tab = OpenAndWait("/t/Check" + std::to_string(n), "Check" + std::to_string(n));
    if (!tab) return "no page";
    return Run(tab, "document.cookie + '|' + localStorage.getItem('k')");
  }
};

TEST_F(ClearTraces, CookiesAndTheOtherSiteDataClearEachOnTheirOwn) {
  CChildFrame* tab = OpenAndWait("/t/Store", "Store");
  ASSERT_NE(tab, nullptr);
  Run(tab, "document.cookie = 'c=1; max-age=3600'; localStorage.setItem('k', 'v'); 1");
  ASSERT_EQ(WhatASiteKeeps(0), "\"c=1|v\"");

  frame().OnCommand(cmd::kClearTemporaryFiles);
  int n = 1;
  EXPECT_TRUE(PumpUntil([&] { return WhatASiteKeeps(n++) == "\"c=1|null\""; }, 20s));

  Run(tab, "localStorage.setItem('k', 'w'); 1");
  frame().OnCommand(cmd::kClearCookies);
  EXPECT_TRUE(PumpUntil([&] { return WhatASiteKeeps(n++) == "\"|w\""; }, 20s));
}

}  // namespace
