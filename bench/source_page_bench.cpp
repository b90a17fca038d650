// The page that shows a page's source, built on a worker thread: time for a page of 100 KB,
// 1 MB and 10 MB, as UTF-8 and as GBK (converted first).
#include <benchmark/benchmark.h>

#include <string>

#include "view/source_page.h"

namespace {

std::string Html(size_t bytes, bool gbk) {
  // A line of markup with entities and (in GBK or UTF-8) Chinese text.
  const std::string line = gbk ? "<p class=\"x\">Tom &amp; Jerry \xd6\xd0\xce\xc4</p>\n"
                               : "<p class=\"x\">Tom &amp; Jerry 中文</p>\n";
  std::string s;
  s.reserve(bytes + line.size());
  while (s.size() < bytes) s += line;
  return s;
}

void BM_SourcePage(benchmark::State& state, bool gbk) {
  const std::string html = Html(size_t(state.range(0)), gbk);
  for (auto _ : state) benchmark::DoNotOptimize(zel::SourcePageHtml("http://site/", html, ""));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(html.size()));
}

}  // namespace

BENCHMARK_CAPTURE(BM_SourcePage, utf8, false)->Arg(100 << 10)->Arg(1 << 20)->Arg(10 << 20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SourcePage, gbk, true)->Arg(100 << 10)->Arg(1 << 20)->Arg(10 << 20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
