// Profile files at sizes no one types by hand: a 50 MB config.ini read, indexed and
// written, and the settings load points over it; 100 000-entry search word, filter and
// allowed-site lists loaded the way start-up loads them.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "base/files.h"
#include "base/ini_document.h"
#include "filters/filter_lists.h"
#include "search/keyword_history.h"
#include "settings/frame_settings.h"
#include "settings/settings_file.h"

using namespace zel;

namespace {

// A program folder of its own for the whole run.
struct Scratch {
  std::string folder;
  Scratch() {
    char tmpl[] = "/tmp/zel-bench-XXXXXX";
    folder = mkdtemp(tmpl);
    SettingsFile::SetLocation(folder + "/", "profile/Defaults");
    CreateFolderLevels(Profile());
  }
  ~Scratch() { std::system(("rm -rf '" + folder + "'").c_str()); }
  std::string Profile() const { return folder + "/profile/Defaults"; }
};
Scratch& scratch() {
  static Scratch s;
  return s;
}

// About 50 MB: the usual settings, then 1 200 000 keys of another section.
const std::string& BigConfig() {
  static const std::string text = [] {
    std::string t = "[GENERAL]\r\nhomepage=about:blank\r\nwidth=1000\r\n[BULK]\r\n";
    for (int i = 0; i < 1200000; ++i)
      t += "entry_" + std::to_string(i) + "=some stored value " + std::to_string(i) + "\r\n";
    return t;
  }();
  return text;
}

void BM_BigConfigParse(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(IniDocument::Parse(BigConfig()));
  state.SetBytesProcessed(state.iterations() * int64_t(BigConfig().size()));
}
BENCHMARK(BM_BigConfigParse)->Unit(benchmark::kMillisecond);

void BM_BigConfigOneLookup(benchmark::State& state) {
  for (auto _ : state) {
    IniDocument doc = IniDocument::Parse(BigConfig());
    benchmark::DoNotOptimize(doc.Get(u"GENERAL", u"width"));
  }
}
BENCHMARK(BM_BigConfigOneLookup)->Unit(benchmark::kMillisecond);

void BM_BigConfigSerialize(benchmark::State& state) {
  IniDocument doc = IniDocument::Parse(BigConfig());
  for (auto _ : state) benchmark::DoNotOptimize(doc.Serialize());
}
BENCHMARK(BM_BigConfigSerialize)->Unit(benchmark::kMillisecond);

// What start-up does with config.ini: prepare it, then the three load points.
void BM_BigConfigStartupSettings(benchmark::State& state) {
  const std::string path = scratch().Profile() + "/config.ini";
  WriteFileAtomic(path, BigConfig());
  for (auto _ : state) {
    PrepareConfigFile();
    FrameSettings s;
    LoadEarlySettings(s, 0);
    LoadFrameCreationSettings(s);
    LoadLateSettings(s);
    benchmark::DoNotOptimize(s);
  }
  ::unlink(path.c_str());
}
BENCHMARK(BM_BigConfigStartupSettings)->Unit(benchmark::kMillisecond);

void BM_HundredThousandKeywords(benchmark::State& state) {
  std::string t = "[]\r\n";
  for (int i = 0; i < 100000; ++i)
    t += "key_" + std::to_string(i) + "=word " + std::to_string(i) + "\r\n";
  WriteFileAtomic(scratch().Profile() + "/searchkeys.ini", t);
  for (auto _ : state) {
    KeywordHistory h;
    h.Load();
    benchmark::DoNotOptimize(h.items().size());
  }
}
BENCHMARK(BM_HundredThousandKeywords)->Unit(benchmark::kMillisecond);

void BM_HundredThousandBlockEntries(benchmark::State& state) {
  std::string t = "[POPUP]\r\npop_block_count=0\r\n[URL]\r\nurl_block_count=100000\r\n";
  for (int i = 0; i < 100000; ++i)
    t += "block_" + std::to_string(i) + "=*ads" + std::to_string(i) + ".example/*\r\n";
  WriteFileAtomic(scratch().Profile() + "/blockage.ini", t);
  for (auto _ : state) {
    FilterLists lists;
    lists.LoadFilterLists();
    benchmark::DoNotOptimize(lists.contentBlockList.size());
  }
}
BENCHMARK(BM_HundredThousandBlockEntries)->Unit(benchmark::kMillisecond);

void BM_HundredThousandAllowedSites(benchmark::State& state) {
  u16 t;
  for (int i = 0; i < 100000; ++i) t += Format(u"site%d.example,", i);
  const std::string path = scratch().Profile() + "/Unblocksite.dat";
  WriteUtf16LeFileAtomic(path, t);
  for (auto _ : state) {
    FilterLists lists;
    benchmark::DoNotOptimize(lists.LoadAllowedSites(path));
  }
}
BENCHMARK(BM_HundredThousandAllowedSites)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
