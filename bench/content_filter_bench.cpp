// Cost of the content check per request: IsContentBlocked with 1 000 and 10 000 content
// entries (half exact addresses, half patterns with a leading, middle or trailing "*")
// over 10 000 request addresses of ordinary pages with some advertising among them.
//
// Besides Google Benchmark's time per iteration (one check per iteration, cycling through
// the addresses), each run reports median_ns / p90_ns: every address is timed on its own
// (64 checks in a row) and the median and 90th percentile over the addresses are taken.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>

#include "filters/filter_lists.h"

using namespace zel;

namespace {

const char* const kSites[] = {"news.sina%d.com.cn", "www.sohu%d.com",   "img%d.cdn-static.net",
                              "www.taobao%d.com",   "bbs.tianya%d.cn",  "static.qq%d.com",
                              "pic.163-%d.com",     "www.baidu%d.com",  "video.youku%d.com"};
// Advertising hosts: host number h uses kind h % 5.
const char* const kAdHosts[] = {"ads%d.adnet.com", "cpro%d.baidustatic.com", "union%d.admaster.cn",
                                "stat%d.tracker.org", "pop%d.clickrank.net"};
const char* const kDirs[] = {"/", "/news/", "/images/2024/", "/static/js/", "/css/", "/uploads/",
                             "/bbs/thread/", "/video/play/", "/pic/", "/api/v2/"};
const char* const kFiles[] = {"index.html", "logo.png", "main.js",  "style.css", "photo%d.jpg",
                              "list.php?page=%d", "show.aspx?id=%d", "thumb_%d.gif",
                              "article_%d.shtml", "data.json?t=%d"};

std::string Fill(const char* fmt, int n) {
  char buf[128];
  snprintf(buf, sizeof buf, fmt, n);
  return buf;
}

template <size_t N>
const char* Pick(const char* const (&arr)[N], std::mt19937& rng) {
  return arr[rng() % N];
}

std::string PageAddress(std::mt19937& rng) {
  std::string url = rng() % 4 ? "http://" : "https://";
  url += Fill(Pick(kSites, rng), int(rng() % 300));
  url += Pick(kDirs, rng);
  url += Fill(Pick(kFiles, rng), int(rng() % 100000));
  return url;
}

std::string AdAddress(std::mt19937& rng, int h) {
  std::string url = "http://";
  url += Fill(kAdHosts[h % 5], h);
  switch (rng() % 6) {
    case 0: url += Fill("/banner/%d.gif", int(rng() % 10)); break;
    case 1: url += Fill("/adserve%d/show.js?z=", h) + std::to_string(rng() % 1000); break;
    case 2: url += Fill("/pop/%d/window.html", int(rng() % 1000)); break;
    case 3: url += Fill("/track%d.gif", h); break;
    case 4: url += Fill("/flash/ad%d.swf", int(rng() % 1000)); break;
    default: url += Fill("/x/%d/page.html", int(rng() % 1000)); break;
  }
  return url;
}

// n entries: even ones exact ad addresses, odd ones patterns with a leading, middle or
// trailing "*" (or several), each written for the kind of its host.
std::vector<u16> MakeEntries(int n, std::mt19937& rng) {
  std::vector<u16> entries;
  for (int i = 0; i < n; ++i) {
    int h = i / 2;
    std::string e;
    if (i % 2 == 0) {
      e = AdAddress(rng, h);
    } else {
      switch (h % 5) {
        case 0: e = Fill("http://ads%d.adnet.com/*", h); break;                    // trailing
        case 1: e = Fill("*/adserve%d/*", h); break;                               // both ends
        case 2: e = Fill("http://union%d.admaster.cn/*/window.html", h); break;    // middle
        case 3: e = Fill("*/track%d.gif", h); break;                               // leading
        default: e = Fill("http://pop%d.clickrank.net/*/*.html", h); break;        // several
      }
    }
    entries.push_back(FromUtf8(e));
  }
  return entries;
}

// 10 000 requests: 85 % ordinary page resources, 15 % to the first 1 000 advertising hosts,
// part of them on the lists.
const std::vector<u16>& Requests() {
  static const std::vector<u16> requests = [] {
    std::mt19937 rng(42);
    std::vector<u16> r;
    for (int i = 0; i < 10000; ++i)
      r.push_back(FromUtf8(rng() % 100 < 85 ? PageAddress(rng)
                                            : AdAddress(rng, int(rng() % 1000))));
    return r;
  }();
  return requests;
}

void ReportPerAddressMedian(benchmark::State& state, const FilterLists& lists) {
  const auto& req = Requests();
  std::vector<double> ns;
  ns.reserve(req.size());
  size_t blocked = 0;
  for (const u16& url : req) {
    auto t0 = std::chrono::steady_clock::now();
    for (int k = 0; k < 64; ++k) benchmark::DoNotOptimize(lists.IsContentBlocked(url));
    auto t1 = std::chrono::steady_clock::now();
    ns.push_back(std::chrono::duration<double, std::nano>(t1 - t0).count() / 64);
    blocked += lists.IsContentBlocked(url);
  }
  std::sort(ns.begin(), ns.end());
  state.counters["median_ns"] = ns[ns.size() / 2];
  state.counters["p90_ns"] = ns[ns.size() * 9 / 10];
  state.counters["blocked_pct"] = 100.0 * double(blocked) / double(req.size());
}

void BM_ContentCheck(benchmark::State& state) {
  std::mt19937 rng(1234);
  FilterLists lists;
  lists.contentBlockList = MakeEntries(int(state.range(0)), rng);
  lists.contentAllowList = {u"http://ads1.adnet.com/*", u"*/adserve3/show.js?z=1"};
  lists.RebuildContentIndex();
  const auto& req = Requests();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(lists.IsContentBlocked(req[i]));
    if (++i == req.size()) i = 0;
  }
  ReportPerAddressMedian(state, lists);
}

// The plain rule entry by entry, for comparison.
void BM_ContentCheckLinear(benchmark::State& state) {
  std::mt19937 rng(1234);
  std::vector<u16> entries = MakeEntries(int(state.range(0)), rng);
  for (u16& e : entries) e = Trim(ToLower(e));
  const auto& req = Requests();
  size_t i = 0;
  for (auto _ : state) {
    bool hit = false;
    for (const u16& e : entries)
      if (MatchContentPattern(e, req[i])) { hit = true; break; }
    benchmark::DoNotOptimize(hit);
    if (++i == req.size()) i = 0;
  }
}

}  // namespace

BENCHMARK(BM_ContentCheck)->Arg(1000)->Arg(10000)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ContentCheckLinear)->Arg(1000)->Arg(10000);

BENCHMARK_MAIN();
