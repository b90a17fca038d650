#include "tabs/frame_test.h"

#include <gtkmm.h>

#include <cstdio>
#include <cstdlib>

#include "settings/frame_settings.h"
#include "settings/settings_file.h"
#include "host/startup.h"
#include "frame/gtk/main_window.h"
#include "support/synth_input.h"

using namespace std::chrono_literals;

namespace zel::test {

void FrameTest::SetUp() {
  // Outside a desktop session: no start-up question (a test that wants one sets it again in
  // BeforeStart).
  unsetenv("XDG_CURRENT_DESKTOP");
  SettingsFile::SetLocation(dir_.path() + "/", kProfileSub);
  PrepareConfigFile();
  if (startWidth_ > 0) {
    SettingsFile config(u"config.ini", u"GENERAL");
    config.WriteInt(u"zoomed", 0);
    config.WriteInt(u"width", startWidth_);
  }
  BeforeStart();
  host_ = std::make_unique<FrameHost>(
      FrameHost::Options{dir_.path() + "/", &prompts_,
                         realSaveDialog_ ? nullptr : &destinations_});
  host_->Show();
  frame().OnDeferredStartup();
}

void FrameTest::TearDown() {
  // A page menu left open holds the pointer; it goes before the window.
  window().pageHost().PopupMenu({});
  frame().Close(CloseSource::System);
  host_.reset();
  PumpFor(50ms);
}

CMainFrame& FrameTest::frame() { return host_->frame(); }
MainWindow& FrameTest::window() { return host_->window(); }
WindowProbe FrameTest::probe() { return WindowProbe(window()); }

std::vector<std::string> FrameTest::Entries() {
  std::vector<std::string> out;
  for (int i = 0; i < probe().EntryCount(); ++i) out.push_back(probe().EntryText(i));
  return out;
}

bool FrameTest::CaptionIs(const std::string& c) { return window().get_title() == c; }

CChildFrame* FrameTest::OpenAndWait(const std::string& path, const std::string& title) {
  CChildFrame* c = frame().OpenUrl(FromUtf8(server_.Url(path)), {.tab = TabChoice::New, .start = StartKind::Address, .show = true});
  if (!c) return nullptr;
  bool ok = PumpUntil([&] {
    return c->caption == FromUtf8(title) && c->view() && c->view()->loadState < 0;
  });
  return ok ? c : nullptr;
}

std::string FrameTest::Run(CChildFrame* tab, const std::string& script) {
  bool done = false;
  std::string out;
  tab->view()->RunScript(FromUtf8(script), [&](const ScriptResult& r) {
    if (r.ok) out = r.json;
    done = true;
  });
  PumpUntil([&] { return done; }, 10s);
  return out;
}

GtkWidget* FrameTest::PageOf(CChildFrame* tab) { return probe().PageWidget(tab); }

std::pair<double, double> FrameTest::Center(CChildFrame* tab, const std::string& id) {
  std::string json = Run(tab, "(function(){var r=document.getElementById('" + id +
                                  "').getBoundingClientRect();return [Math.round(r.left+"
                                  "r.width/2),Math.round(r.top+r.height/2)];})()");
  double x = -1, y = -1;
  if (std::sscanf(json.c_str(), "[%lf,%lf]", &x, &y) != 2) return {-1, -1};
  return {x, y};
}

void FrameTest::Click(CChildFrame* tab, const std::string& id, guint mods) {
  auto [x, y] = Center(tab, id);
  ASSERT_GE(x, 0) << "no element " << id;
  ClickAt(PageOf(tab), x, y, 1, mods);
}

}  // namespace zel::test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests needs no display.
  std::unique_ptr<Gtk::Main> kit;
  if (!::testing::GTEST_FLAG(list_tests)) {
    g_setenv("GSETTINGS_BACKEND", "memory", TRUE);
    zel::SetEngineEnvironment();
    // The request hook built beside the tests.
    g_setenv("ZEL_WEBEXT_DIR", ZEL_WEBEXT_BUILD_DIR, FALSE);
    // The automatic update check stays on this machine (a port where nothing listens).
    g_setenv("ZEL_UPDATE_URL", "http://127.0.0.1:9/update.ini", FALSE);
    kit = std::make_unique<Gtk::Main>(argc, argv);
    // A critical warning of GTK or GLib is a fault of ours: it ends the test where it happens.
    g_log_set_always_fatal(GLogLevelFlags(G_LOG_LEVEL_CRITICAL | G_LOG_FATAL_MASK));
  }
  return RUN_ALL_TESTS();
}
