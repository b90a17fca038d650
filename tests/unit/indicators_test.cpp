// The status bar's indicator line: the template language, the figures' formats and the
// /proc readings behind them; the pane over a real frame with a fake window.
#include <gtest/gtest.h>
#include <unistd.h>

#include "fakes/fake_engine.h"
#include "fakes/fake_ports.h"
#include "fakes/fake_shell.h"
#include "fakes/temp_dir.h"
#include "filters/filters_controller.h"
#include "frame/main_frame.h"
#include "platform/ini_registry.h"
#include "status/indicators.h"
#include "status/status_controller.h"

using namespace zel;
using namespace zel::test;

TEST(Indicators, TemplateLetters) {
  IndicatorValues v;
  v.year = 2026, v.month = 3, v.day = 7, v.hour = 9, v.minute = 5, v.second = 3, v.weekday = 2;
  v.freeMemory = FormatFreeMemory(512 * 1024 + 1000);
  v.blockedPopups = 3;
  v.secondsUp = 25 * 3600 + 61;  // hours modulo 24
  v.address = FormatAddress({192, 168, 1, 20});
  v.process[0] = 1536, v.process[1] = 20480, v.process[2] = 200 * 1024;
  v.speedText = u"12.3";
  v.proxyName = u"甲";
  v.proxyAddress = u"h:1";
  v.tabFigure = 4;
  struct Case {
    const char16_t* tpl;
    const char16_t* text;
  } cases[] = {
      {kIndicatorTemplate, u"512M_3_09:05:03"},
      {u"A-B-C G", u"2026-3-7 星期二"},
      {u"H", u"01:01:01"},
      {u"K", u"192.168.1.20"},
      {u"M|P", u"1536|1.50M"},
      {u"N|Q|R", u"20480|20.0M|200M"},
      {u"S I", u"12.3 4"},
      {u"[T][U]VWXYZ", u"[][]"},  // the proxy is off
      {u"a1,_ :", u"a1,_ :"},
  };
  for (const auto& c : cases) EXPECT_EQ(BuildIndicatorText(c.tpl, v), c.text) << ToUtf8(c.tpl);
  v.proxyOn = true;
  EXPECT_EQ(BuildIndicatorText(u"[T][U]", v), u"[甲][h:1]");
}

TEST(Indicators, FigureFormats) {
  struct Case {
    double kb;
    const char16_t* kbText;
    const char16_t* mbText;
  } cases[] = {
      {12.345, u"12.3", u"0.01M"},
      {123.4, u" 123", u"0.12M"},
      {1536, u"1536", u"1.50M"},
      {5.0, u"5.00", u"0.00M"},
      {1024 * 150, u"153600", u"150M"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatKbFigure(c.kb), c.kbText) << c.kb;
    EXPECT_EQ(FormatMbFigure(c.kb), c.mbText) << c.kb;
  }
}

TEST(Indicators, ProcReadings) {
  EXPECT_EQ(ParseMemAvailableKb("MemTotal: 100 kB\nMemFree: 10 kB\nMemAvailable: 524288 kB\n"),
            524288);
  EXPECT_EQ(ParseMemAvailableKb("MemFree: 10 kB\nBuffers: 5 kB\nCached: 7 kB\n"), 22);
  EXPECT_FALSE(ParseMemAvailableKb("garbage"));
  struct {
    const char* meminfo;
    std::optional<int> percent;
  } shares[] = {
      {"MemTotal: 1000 kB\nMemFree: 10 kB\nMemAvailable: 375 kB\n", 37},
      {"MemTotal: 1000 kB\nMemFree: 100 kB\nBuffers: 50 kB\nCached: 50 kB\n", 20},
      {"MemTotal: 0 kB\nMemAvailable: 375 kB\n", std::nullopt},
      {"MemAvailable: 375 kB\n", std::nullopt},
      {"MemTotal: 100 kB\nMemAvailable: 900 kB\n", 100},
      {"MemTotal: 100 kB\n", std::nullopt},
  };
  for (const auto& c : shares) EXPECT_EQ(ParseFreeMemoryPercent(c.meminfo), c.percent) << c.meminfo;
  EXPECT_EQ(FormatFreeMemoryPane(37), u"空闲 37%");

  const char* dev =
      "Inter-|   Receive                            |  Transmit\n"
      " face |bytes    packets errs drop fifo frame compressed multicast|bytes\n"
      "    lo: 999999  10 0 0 0 0 0 0 999999\n"
      "  eth0: 1000    10 0 0 0 0 0 0 5\n"
      " wlan0:234      1 0 0 0 0 0 0 5\n";
  EXPECT_EQ(ParseReceivedBytes(dev), 1234);
  EXPECT_FALSE(ParseReceivedBytes("    lo: 5 0 0\n"));  // only the loopback: no reading
  EXPECT_EQ(SpeedKbPerSecond(0, 2048, 2.0), 1.0);
  EXPECT_FALSE(SpeedKbPerSecond(-999, 2048, 2.0));
  EXPECT_EQ(SpeedKbPerSecond(5000, 10, 1.0), 0.0);

  auto m = ParseSmapsRollup("55d0-7ff [rollup]\nRss: 3000 kB\nPss: 2000 kB\n"
                            "Private_Clean: 100 kB\nPrivate_Dirty: 900 kB\n");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->rss, 3000);
  EXPECT_EQ(m->pss, 2000);
  EXPECT_EQ(m->priv, 1000);
  EXPECT_EQ(ParseParentPid("42 (Web Content (x)) S 7 42 42 0"), 7);
  EXPECT_FALSE(ParseParentPid("42 no parens"));
  // This process is in its own tree.
  EXPECT_GT(ReadProcessTreeMemory(int(::getpid())).rss, 0);
}

class IndicatorPane : public ::testing::Test {
 protected:
  IndicatorPane()
      : registry_(profile_.ProfileFolder() + "/registry.ini"),
        frame_({&window_, &loop_, &prompts_, &registry_, &shell_, &engines_, &keys_, &clipboard_}) {}
  ScratchProfile profile_;
  FakeWindow window_;
  FakeLoop loop_;
  FakePrompts prompts_;
  IniRegistry registry_;
  FakeShell shell_;
  FakeEngineFactory engines_;
  FakeKeys keys_;
  FakeClipboard clipboard_;
  CMainFrame frame_;
};

TEST_F(IndicatorPane, SetOnlyWhenTheTextChanges) {
  StatusController& pane = frame_.controller<StatusController>();
  std::time_t t = 1000000;
  pane.SetClock([&t] { return t; });
  pane.SetTemplate(u"J_F");
  pane.UpdateIndicatorPane();
  EXPECT_EQ(window_.indicatorSets, 1);
  pane.UpdateIndicatorPane();
  EXPECT_EQ(window_.indicatorSets, 1);  // the same text is not set again
  frame_.controller<FiltersController>().lists().blockedPopupCount = 2;
  pane.UpdateIndicatorPane();
  EXPECT_EQ(window_.indicatorSets, 2);
  EXPECT_TRUE(StartsWith(window_.indicator, u"2_"));
  ++t;
  pane.UpdateIndicatorPane();
  EXPECT_EQ(window_.indicatorSets, 3);
  EXPECT_EQ(window_.indicator, pane.indicatorText());
  // The free-memory pane comes with the first tick and is not set again while it stays.
  EXPECT_EQ(window_.memoryPaneSets, 1);
  EXPECT_TRUE(StartsWith(window_.memoryPane, u"空闲 ")) << ToUtf8(window_.memoryPane);
}
