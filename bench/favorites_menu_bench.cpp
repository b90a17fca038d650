// The favorites menu of a Favorites folder of 5 000 entries (50 folders of 100 .url files,
// with a stored order for each folder): reading the tree with every entry's address and
// numbering the items (what the menu's first opening costs before the toolkit's items).
// Goal: under 100 ms. Also the tree of the pane's top level, a bookmark export, and one
// folder of 100 000 imported entries in their stored order (the menu numbers the first
// 2 001; reading and ordering the folder is what a large import's menu costs).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "base/files.h"
#include "favorites/bookmark_html.h"
#include "favorites/favorites_folder.h"
#include "favorites/menu_order.h"
#include "platform/ini_registry.h"

using namespace zel;

namespace {

// A scratch profile: a Favorites folder and its registry, removed at the end.
struct Scratch {
  std::string path;
  std::unique_ptr<IniRegistry> registry;
  Scratch() {
    char tmpl[] = "/tmp/zel-bench-XXXXXX";
    path = mkdtemp(tmpl);
    registry = std::make_unique<IniRegistry>(path + "/registry.ini");
  }
  ~Scratch() { std::system(("rm -rf '" + path + "'").c_str()); }
  std::string Root() const { return path + "/Favorites"; }
};

struct Folder : Scratch {
  Folder() {
    const std::string root = Root();
    std::vector<OrderedName> top;
    for (int f = 0; f < 50; ++f) {
      std::string name = "文件夹 " + std::to_string(f);
      std::string dir = JoinPath(root, name);
      CreateFolderLevels(dir);
      std::vector<OrderedName> order;
      for (int i = 99; i >= 0; --i) {
        std::string file = "收藏的网页 " + std::to_string(i) + ".url";
        WriteFileAtomic(JoinPath(dir, file),
                        ShortcutFileText(u"https://www.example-" + IntToText(f) +
                                         u".com/page/" + IntToText(i) + u".html"));
        order.push_back({FromUtf8(file), false});
      }
      WriteMenuOrder(*registry, FromUtf8(name), order);
      top.push_back({FromUtf8(name), true});
    }
    WriteMenuOrder(*registry, u"", top);
  }
};
Folder& folder() {
  static Folder f;
  return f;
}

// One folder of 100 000 entries with the order an import stores for it (its file order).
struct BigFolder : Scratch {
  BigFolder() {
    const std::string root = Root();
    CreateFolderLevels(root);
    std::vector<OrderedName> order;
    for (int i = 100000; i-- > 0;) {
      std::string file = "导入的网页 " + std::to_string(i) + ".url";
      std::ofstream(JoinPath(root, file)) << ShortcutFileText(u"https://b.example/" + IntToText(i));
      order.push_back({FromUtf8(file), false});
    }
    WriteMenuOrder(*registry, u"", order);
  }
};

void BM_BuildMenuOneFolder100000(benchmark::State& state) {
  static BigFolder f;
  size_t n = 0;
  for (auto _ : state) {
    FavoritesMenu m = BuildFavoritesMenu(f.Root(), f.registry.get());
    n = m.urls.size();
    benchmark::DoNotOptimize(m);
  }
  state.counters["items"] = double(n);
}
BENCHMARK(BM_BuildMenuOneFolder100000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_BuildMenu5000(benchmark::State& state) {
  Folder& f = folder();
  size_t n = 0;
  for (auto _ : state) {
    FavoritesMenu m = BuildFavoritesMenu(f.Root(), f.registry.get());
    n = m.urls.size();
    benchmark::DoNotOptimize(m);
  }
  state.counters["items"] = double(n);
}
BENCHMARK(BM_BuildMenu5000)->Unit(benchmark::kMillisecond);

// The same folder without stored orders: the file system's part alone.
void BM_BuildMenu5000Unordered(benchmark::State& state) {
  Folder& f = folder();
  for (auto _ : state) benchmark::DoNotOptimize(BuildFavoritesMenu(f.Root(), nullptr));
}
BENCHMARK(BM_BuildMenu5000Unordered)->Unit(benchmark::kMillisecond);

void BM_ExportTree5000(benchmark::State& state) {
  Folder& f = folder();
  for (auto _ : state) {
    std::string html = WriteBookmarkHtml(ReadFavoritesTree(f.Root(), f.registry.get()));
    benchmark::DoNotOptimize(html);
  }
}
BENCHMARK(BM_ExportTree5000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
