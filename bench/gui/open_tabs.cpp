// Opens 50 tabs of a local page in the real frame and prints the time until every tab shows
// its title, and the memory (proportional set size) of the whole process tree afterwards.
// Needs a display (xvfb-run -a build/bench/open_tabs).
#include <dirent.h>
#include <gtkmm.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "settings/frame_settings.h"
#include "host/gtk/frame_host.h"
#include "settings/settings_file.h"
#include "host/startup.h"
#include "fakes/fake_ports.h"
#include "fakes/temp_dir.h"
#include "view/child_frame.h"
#include "frame/main_frame.h"
#include "support/pump.h"
#include "support/test_server.h"

using namespace zel;

namespace {

// Children of a process, recursively.
void Descendants(int pid, std::set<int>& out) {
  DIR* d = opendir("/proc");
  if (!d) return;
  while (dirent* e = readdir(d)) {
    int p = std::atoi(e->d_name);
    if (p <= 0) continue;
    std::ifstream st("/proc/" + std::to_string(p) + "/stat");
    std::string line;
    std::getline(st, line);
    size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 2));
    char state;
    int ppid;
    rest >> state >> ppid;
    if (ppid == pid && !out.count(p)) {
      out.insert(p);
      Descendants(p, out);
    }
  }
  closedir(d);
}

long PssKb(int pid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/smaps_rollup");
  std::string key;
  long value;
  std::string unit;
  while (f >> key) {
    if (key == "Pss:") {
      f >> value >> unit;
      return value;
    }
    std::getline(f, unit);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Gtk::Main kit(argc, argv);
  const int tabs = argc > 1 ? std::atoi(argv[1]) : 50;
  test::TempDir dir;
  SettingsFile::SetLocation(dir.path() + "/", kProfileSub);
  PrepareConfigFile();
  test::FakePrompts prompts;
  test::TestServer server;
  FrameHost host({dir.path() + "/", &prompts});
  host.Show();
  CMainFrame& frame = host.frame();
  frame.settings().activateNewTabs = false;

  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < tabs; ++i)
    frame.OpenUrl(FromUtf8(server.Url("/t/Page" + std::to_string(i))), {.tab = TabChoice::New, .start = StartKind::Address});
  bool ok = test::PumpUntil(
      [&] {
        if (frame.TabCount() < tabs) return false;
        for (CChildFrame* c : frame.Tabs())
          if (!StartsWith(c->caption, u"Page") || c->view()->loadState >= 0) return false;
        return true;
      },
      std::chrono::minutes(3));
  double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                  .count();
  test::PumpFor(std::chrono::seconds(2));
  std::set<int> pids{int(getpid())};
  Descendants(getpid(), pids);
  long pss = 0;
  for (int p : pids) pss += PssKb(p);
  std::printf("open_tabs: %d tabs %s in %.0f ms (%.1f ms a tab)\n", tabs,
              ok ? "loaded" : "NOT all loaded", ms, ms / tabs);
  std::printf("open_tabs: %zu processes, %.1f MB proportional set size in all\n", pids.size(),
              pss / 1024.0);
  frame.Close(CloseSource::System);
  return ok ? 0 : 1;
}
