// Opens tabs of a local page in the foreground, one after another (each once the view made
// ahead for it is ready), and prints the longest time the main loop was held while each tab
// opened and loaded: a frozen window shows up here. Run it with and without compositing:
//   xvfb-run -a build/bench/tab_stall [tabs]
//   WEBKIT_DISABLE_COMPOSITING_MODE=1 xvfb-run -a build/bench/tab_stall [tabs]
#include <glib.h>
#include <gtkmm.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "fakes/fake_ports.h"
#include "fakes/temp_dir.h"
#include "frame/main_frame.h"
#include "host/gtk/frame_host.h"
#include "host/startup.h"
#include "settings/frame_settings.h"
#include "settings/settings_file.h"
#include "support/pump.h"
#include "support/test_server.h"
#include "view/child_frame.h"

using namespace zel;

namespace {

// The longest gap between two runs of a 5 ms timer since the last Take().
struct LoopWatch {
  gint64 last = g_get_monotonic_time();
  gint64 longest = 0;
  guint source = g_timeout_add(5, &LoopWatch::Tick, this);
  static gboolean Tick(gpointer p) {
    auto* w = static_cast<LoopWatch*>(p);
    gint64 now = g_get_monotonic_time();
    w->longest = std::max(w->longest, now - w->last);
    w->last = now;
    return G_SOURCE_CONTINUE;
  }
  double Take() {
    double ms = longest / 1000.0;
    longest = 0;
    return ms;
  }
  ~LoopWatch() { g_source_remove(source); }
};

}  // namespace

int main(int argc, char** argv) {
  Gtk::Main kit(argc, argv);
  const int tabs = argc > 1 ? std::atoi(argv[1]) : 15;
  test::TempDir dir;
  SettingsFile::SetLocation(dir.path() + "/", kProfileSub);
  PrepareConfigFile();
  test::FakePrompts prompts;
  test::TestServer server;
  FrameHost host({dir.path() + "/", &prompts});
  host.Show();
  CMainFrame& frame = host.frame();
  test::PumpFor(std::chrono::seconds(2));

  LoopWatch watch;
  std::vector<double> held;
  for (int i = 0; i < tabs; ++i) {
    test::PumpFor(std::chrono::milliseconds(1500));  // the view made ahead is ready
    watch.Take();
    CChildFrame* c = frame.OpenUrl(FromUtf8(server.Url("/t/Page" + std::to_string(i))),
                                   {.tab = TabChoice::New, .start = StartKind::Address, .show = true});
    bool ok = c && test::PumpUntil([&] {
      return StartsWith(c->caption, u"Page") && c->view()->loadState < 0;
    });
    test::PumpFor(std::chrono::milliseconds(100));  // its first drawing
    if (ok) held.push_back(watch.Take());
  }
  std::sort(held.begin(), held.end());
  const char* off = g_getenv("WEBKIT_DISABLE_COMPOSITING_MODE");
  if (held.empty()) {
    std::printf("tab_stall: no tab loaded\n");
    return 1;
  }
  std::printf("tab_stall (compositing %s): %zu tabs, main loop held at most: median %.1f ms, "
              "worst %.1f ms, tabs held over 300 ms: %ld\n",
              off && *off && std::string(off) != "0" ? "off" : "on", held.size(),
              held[held.size() / 2], held.back(),
              long(std::count_if(held.begin(), held.end(), [](double ms) { return ms > 300; })));
  frame.Close(CloseSource::System);
  return 0;
}
