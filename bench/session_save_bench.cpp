// The save of the open pages to last.ini ("visit") with 10, 100 and 1 000 tabs: the whole
// save (build the writes, read, apply, atomic replace with its flush to disk), and the part
// the main loop pays when the writer thread takes the file work.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/files.h"
#include "session/last_ini.h"

using namespace zel;

namespace {

struct Scratch {
  std::string folder;
  Scratch() {
    char tmpl[] = "/tmp/zel-bench-XXXXXX";
    folder = mkdtemp(tmpl);
  }
  ~Scratch() { std::system(("rm -rf '" + folder + "'").c_str()); }
  std::string LastIni() const { return folder + "/last.ini"; }
};
Scratch& scratch() {
  static Scratch s;
  return s;
}

// Tabs as a save finds them: a title of a real page's length and a longish address.
std::vector<PageEntry> Tabs(int n, int generation) {
  std::vector<PageEntry> out;
  for (int i = 0; i < n; ++i)
    out.push_back({u"新闻标题 " + IntToText(i) + u" - 一个普通网站的页面标题 " + IntToText(generation),
                   u"https://www.example-site-" + IntToText(i % 37) + u".com/news/2026/12/" +
                       IntToText(i) + u"/article.html?ref=" + IntToText(generation)});
  return out;
}

// Every save differs from the last (the tab list changed), as in the browser.
void BM_VisitSaveWhole(benchmark::State& state) {
  const int tabs = int(state.range(0));
  const std::string path = scratch().LastIni();
  ::unlink(path.c_str());
  int generation = 0;
  for (auto _ : state) {
    bool ok = ApplyToIniFile(path, PageSectionChanges(kVisitSection, Tabs(tabs, ++generation)));
    benchmark::DoNotOptimize(ok);
  }
  state.counters["bytes"] = double(ReadFileBytes(path).value_or("").size());
}
BENCHMARK(BM_VisitSaveWhole)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// What the main loop waits for: the writes built and handed to the writer thread.
void BM_VisitSaveOnTheMainLoop(benchmark::State& state) {
  const int tabs = int(state.range(0));
  const std::string path = scratch().LastIni();
  SessionWriter writer;
  int generation = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<PageEntry> entries = Tabs(tabs, ++generation);
    state.ResumeTiming();
    writer.Enqueue(path, PageSectionChanges(kVisitSection, entries));
    state.PauseTiming();
    writer.Flush();
    state.ResumeTiming();
  }
}
// A fixed number of rounds: each also waits (untimed) for the writer's flush to disk.
BENCHMARK(BM_VisitSaveOnTheMainLoop)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Iterations(300)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
