// The history store and the pane's grouping by day, week and site.
#include <gtest/gtest.h>

#include <future>

#include "base/files.h"
#include "fakes/temp_dir.h"
#include "history/history_store.h"
#include "history/history_tree.h"

using namespace zel;
using zel::test::TempDir;

namespace {

// Wednesday 2026-12-09 15:00 at UTC+8, as UTC seconds.
constexpr int kOffset = 8 * 3600;
constexpr int64_t kNow = 1796799600;  // 2026-12-09 15:00 local
constexpr int64_t kMidnight = kNow - 15 * 3600;  // 2026-12-09 00:00 local
constexpr int64_t kDay = 86400;

TEST(HistoryGrouping, DayAndWeekBoundaries) {
  struct Case {
    int64_t time;
    int group;
    std::u16string name;
  } cases[] = {
      {kNow, 0, u"今天"},
      {kNow + 3600, 0, u"今天"},  // a clock set back
      {kMidnight, 0, u"今天"},
      {kMidnight - 1, 1, u"星期二"},
      {kMidnight - kDay, 1, u"星期二"},
      {kMidnight - kDay - 1, 2, u"星期一"},
      {kMidnight - 3 * kDay, 3, u"星期日"},
      {kMidnight - 5 * kDay, 5, u"星期五"},
      {kMidnight - 6 * kDay + 1, 6, u"星期四"},
      {kMidnight - 6 * kDay - 1, 7, u"上星期"},
      {kMidnight - 13 * kDay, 7, u"上星期"},
      {kMidnight - 13 * kDay - 1, 8, u"几星期前"},
      {0, 8, u"几星期前"},
  };
  for (const Case& c : cases) {
    int g = HistoryAgeGroup(c.time, kNow, kOffset);
    EXPECT_EQ(g, c.group) << (kNow - c.time);
    EXPECT_EQ(HistoryGroupName(g, kNow, kOffset), c.name) << (kNow - c.time);
  }
  // The same moments seen from UTC fall on other days.
  EXPECT_EQ(HistoryAgeGroup(kNow - 8 * 3600, kNow, kOffset), 0);
  EXPECT_EQ(HistoryAgeGroup(kNow - 8 * 3600, kNow, 0), 1);
}

TEST(HistoryGrouping, GroupsSitesAndPages) {
  std::vector<Visit> visits = {
      {u"http://b.example/2", u"Two", kNow - 10},
      {u"http://B.example:8080/x", u"", kNow - 20},
      {u"http://b.example/1", u"One old", kNow - 30},
      {u"http://b.example/1", u"One", kNow - 5},
      {u"file:///tmp/x.html", u"Local", kNow - 40},
      {u"https://user@a.example/", u"A", kMidnight - 1},
  };
  auto groups = GroupHistory(visits, kNow, kOffset);
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].name, u"今天");
  ASSERT_EQ(groups[0].sites.size(), 3u);
  EXPECT_EQ(groups[0].sites[0].name, u"b.example");
  EXPECT_EQ(groups[0].sites[1].name, u"b.example:8080");
  EXPECT_EQ(groups[0].sites[2].name, u"我的电脑");
  const auto& pages = groups[0].sites[0].pages;
  ASSERT_EQ(pages.size(), 2u);  // one row per address, its latest title
  EXPECT_EQ(pages[0].title, u"One");
  EXPECT_EQ(pages[1].title, u"Two");
  EXPECT_EQ(groups[0].sites[1].pages[0].title, u"http://B.example:8080/x");
  EXPECT_EQ(groups[1].name, u"星期二");
  EXPECT_EQ(groups[1].sites[0].name, u"a.example");
}

TEST(HistoryStoreFile, KeepsVisitsAndRefusesWhatIsNoDatabase) {
  TempDir dir;
  const std::string path = dir.path() + "/history.sqlite";
  {
    HistoryStore s;
    ASSERT_TRUE(s.Open(path)) << s.error();
    ASSERT_TRUE(s.Add({{u"http://a/", u"甲", 10}, {u"http://b/", u"乙", 20}}));
  }
  {
    HistoryStore s;
    ASSERT_TRUE(s.Open(path));
    auto all = s.All();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].title, u"乙");  // newest first
    ASSERT_TRUE(s.Clear());
    EXPECT_TRUE(s.All().empty());
  }
  struct Case {
    const char* what;
    std::string bytes;
  } bad[] = {
      {"text", std::string(5000, 'x')},
      {"a database's header over garbage", std::string("SQLite format 3\0", 16) + std::string(5000, '\x7f')},
  };
  for (const Case& c : bad) {
    const std::string p = dir.path() + "/bad.sqlite";
    WriteFileAtomic(p, c.bytes);
    HistoryStore s;
    EXPECT_FALSE(s.Open(p)) << c.what;
    EXPECT_FALSE(s.Add({{u"http://a/", u"", 1}})) << c.what;
    EXPECT_EQ(ReadFileBytes(p).value_or(""), c.bytes) << c.what << ": the file is left alone";
  }
}

TEST(HistoryStoreFile, TheWorkerWritesInOrderBeforeItAnswers) {
  TempDir dir;
  std::promise<std::vector<Visit>> answer;
  {
    HistoryWorker w(dir.path() + "/history.sqlite");
    for (int i = 0; i < 50; ++i) w.Record({u"http://x/" + IntToText(i), u"", i});
    w.Post([&](HistoryStore& s) { answer.set_value(s.All()); });
  }
  auto all = answer.get_future().get();
  ASSERT_EQ(all.size(), 50u);
  EXPECT_EQ(all.front().url, u"http://x/49");
  EXPECT_TRUE(IsRecordedAddress(u"HTTPS://a/"));
  EXPECT_TRUE(IsRecordedAddress(u"file:///x"));
  EXPECT_FALSE(IsRecordedAddress(u"about:blank"));
  EXPECT_FALSE(IsRecordedAddress(u"view-source:http://a/"));
}

}  // namespace
