// The history pane's tree: visits grouped by when ("今天", the weekday names of the past
// six days, "上星期", "几星期前"), then by site, then the pages (each address once, with
// its latest title).
#pragma once

#include <cstdint>
#include <vector>

#include "base/text.h"
#include "history/history_store.h"

namespace zel {

struct HistoryPage {
  u16 title;  // the address when the page had no title
  u16 url;
  int64_t time = 0;  // the latest visit
};
struct HistorySite {
  u16 name;
  std::vector<HistoryPage> pages;  // by title
};
struct HistoryGroup {
  u16 name;
  std::vector<HistorySite> sites;  // by name
};

// The day-and-week group of a visit at time, seen at now, with the local time's offset
// from UTC in seconds: 0 today (and any time after now), 1 to 6 that many days back, 7 the
// week before, 8 earlier.
int HistoryAgeGroup(int64_t time, int64_t now, int utcOffset);
// The group's name; for 1 to 6 the weekday of that day.
u16 HistoryGroupName(int group, int64_t now, int utcOffset);
// The site a page is grouped under: its host, "我的电脑" for files.
u16 HistorySiteOf(u16view url);

// The groups in order, newest first; empty groups are left out.
std::vector<HistoryGroup> GroupHistory(const std::vector<Visit>& visits, int64_t now,
                                       int utcOffset);

}  // namespace zel
