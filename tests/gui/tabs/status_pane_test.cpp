// The status bar's indicator pane in the real window: free memory, the popups blocked so far
// and the clock, following the frame timer.
#include <gtest/gtest.h>

#include <regex>

#include "filters/filters_controller.h"
#include "support/pump.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class IndicatorPaneTest : public FrameTest {};

TEST_F(IndicatorPaneTest, ShowsTheBlockedPopupCountAfterABlockedPopup) {
  // Before any page: nothing blocked yet.
  const std::regex none("^[0-9]+M_0_[0-2][0-9]:[0-5][0-9]:[0-5][0-9]$");
  ASSERT_TRUE(PumpUntil([&] { return std::regex_match(probe().IndicatorText(), none); }))
      << probe().IndicatorText();
  frame().settings().popupFilter = true;
  frame().controller<FiltersController>().lists().switches.popup = true;
  server_.SetPage("/auto", R"HTML(<html><head><title>Auto</title></head><body>
      <script>window.onload = function () { window.open('/t/Unasked'); };</script>
      </body></html>)HTML");
  ASSERT_NE(OpenAndWait("/auto", "Auto"), nullptr);
  ASSERT_TRUE(PumpUntil(
      [&] { return frame().controller<FiltersController>().lists().blockedPopupCount == 1; }));
  const std::regex one("^[0-9]+M_1_[0-2][0-9]:[0-5][0-9]:[0-5][0-9]$");
  EXPECT_TRUE(PumpUntil([&] { return std::regex_match(probe().IndicatorText(), one); }))
      << probe().IndicatorText();
  // The clock goes on.
  std::string before = probe().IndicatorText();
  EXPECT_TRUE(PumpUntil([&] { return probe().IndicatorText() != before; }));
}

}  // namespace
