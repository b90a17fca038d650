#include "history/history_tree.h"

#include <algorithm>
#include <map>
#include <unordered_map>

namespace zel {

namespace {

constexpr int64_t kDay = 86400;

// Local calendar days since 1970 (floor, so times before 1970 go on counting down).
int64_t LocalDay(int64_t time, int utcOffset) {
  int64_t t = time + utcOffset;
  return t >= 0 ? t / kDay : -((-t + kDay - 1) / kDay);
}

const char16_t* const kWeekdays[] = {u"星期日", u"星期一", u"星期二", u"星期三",
                                     u"星期四", u"星期五", u"星期六"};

}  // namespace

int HistoryAgeGroup(int64_t time, int64_t now, int utcOffset) {
  int64_t days = LocalDay(now, utcOffset) - LocalDay(time, utcOffset);
  if (days <= 0) return 0;
  if (days <= 6) return int(days);
  return days < 14 ? 7 : 8;
}

u16 HistoryGroupName(int group, int64_t now, int utcOffset) {
  if (group == 0) return u"今天";
  if (group == 7) return u"上星期";
  if (group >= 8) return u"几星期前";
  // 1970-01-01 was a Thursday.
  int64_t day = LocalDay(now, utcOffset) - group;
  int weekday = int(((day % 7) + 7 + 4) % 7);
  return kWeekdays[weekday];
}

u16 HistorySiteOf(u16view url) {
  if (StartsWithNoCase(url, u"file:")) return u"我的电脑";
  size_t scheme = url.find(u"://");
  if (scheme == u16view::npos) return u16(url);
  size_t start = scheme + 3;
  size_t end = url.find_first_of(u"/?#", start);
  u16view host = url.substr(start, end == u16view::npos ? u16view::npos : end - start);
  size_t at = host.rfind(u'@');
  if (at != u16view::npos) host = host.substr(at + 1);
  return ToLower(host);
}

std::vector<HistoryGroup> GroupHistory(const std::vector<Visit>& visits, int64_t now,
                                       int utcOffset) {
  // group -> site -> url -> page
  std::map<int, std::map<u16, std::unordered_map<u16, HistoryPage>>> tree;
  for (const Visit& v : visits) {
    auto& pages = tree[HistoryAgeGroup(v.time, now, utcOffset)][HistorySiteOf(v.url)];
    auto [it, added] = pages.try_emplace(v.url);
    HistoryPage& p = it->second;
    if (added || v.time >= p.time) {
      p.url = v.url;
      p.time = v.time;
      p.title = v.title.empty() ? v.url : v.title;
    }
  }
  std::vector<HistoryGroup> out;
  for (auto& [group, sites] : tree) {
    HistoryGroup g;
    g.name = HistoryGroupName(group, now, utcOffset);
    for (auto& [name, pages] : sites) {
      HistorySite s;
      s.name = name;
      for (auto& [url, page] : pages) s.pages.push_back(std::move(page));
      std::sort(s.pages.begin(), s.pages.end(), [](const HistoryPage& a, const HistoryPage& b) {
        return a.title != b.title ? a.title < b.title : a.url < b.url;
      });
      g.sites.push_back(std::move(s));
    }
    out.push_back(std::move(g));
  }
  return out;
}

}  // namespace zel
