// proxy.ini at a size no one types by hand: 10 000 entries in 50 categories, loaded the way
// the deferred start-up loads it, and saved the way the dialog's save does; an import file
// of 100 000 lines.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "base/files.h"
#include "proxy/proxy_list.h"
#include "settings/settings_file.h"

using namespace zel;

namespace {

struct Scratch {
  std::string folder;
  Scratch() {
    char tmpl[] = "/tmp/zel-bench-XXXXXX";
    folder = mkdtemp(tmpl);
    SettingsFile::SetLocation(folder + "/", "profile/Defaults");
    CreateFolderLevels(folder + "/profile/Defaults");
  }
  ~Scratch() { std::system(("rm -rf '" + folder + "'").c_str()); }
};
Scratch& scratch() {
  static Scratch s;
  return s;
}

ProxyList BigList() {
  ProxyList l;
  for (int k = 0; k < 50; ++k) {
    ProxyCategory c;
    c.name = u"类别 " + IntToText(k);
    c.exception = u"*.example.com <local>";
    for (int n = 0; n < 200; ++n)
      c.entries.push_back({u"代理 " + IntToText(k * 200 + n),
                           Format(u"10.%d.%d.%d:8080", k, n / 256, n % 256), n % 7 ? 3 : 0});
    l.categories.push_back(std::move(c));
  }
  l.AddBuiltIns();
  return l;
}

void BM_LoadProxyIni(benchmark::State& state) {
  scratch();
  SaveProxyFile(BigList());
  const std::string path = SettingsFile::ResolvePath(kProxyFile);
  const std::string bytes = ReadFileBytes(path).value_or("");
  for (auto _ : state) {
    // A file the reader has not seen yet, as at start-up (not its cached parse).
    state.PauseTiming();
    WriteFileAtomic(path, bytes);
    state.ResumeTiming();
    ProxyList l;
    LoadProxyFile(l, u"<local>");
    benchmark::DoNotOptimize(l.categories.size());
    if (l.EntryCount() != 10000) state.SkipWithError("entries lost");
  }
}
BENCHMARK(BM_LoadProxyIni)->Unit(benchmark::kMillisecond);

void BM_SaveProxyIni(benchmark::State& state) {
  scratch();
  ProxyList l = BigList();
  for (auto _ : state) benchmark::DoNotOptimize(SaveProxyFile(l));
}
BENCHMARK(BM_SaveProxyIni)->Unit(benchmark::kMillisecond);

void BM_Import100000Lines(benchmark::State& state) {
  std::string text;
  for (int i = 0; i < 100000; ++i)
    text += "10." + std::to_string(i / 65536) + "." + std::to_string(i / 256 % 256) + "." +
            std::to_string(i % 256) + ":80@HTTP#p" + std::to_string(i) + "\r\n";
  for (auto _ : state) {
    ProxyCategory c;
    benchmark::DoNotOptimize(ImportProxies(c, DecodeListText(text), false));
  }
}
BENCHMARK(BM_Import100000Lines)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
