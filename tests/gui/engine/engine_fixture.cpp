#include "engine/engine_fixture.h"

#include <cstdio>

#include "support/synth_input.h"

namespace zel::test {

bool gDisplayReady = false;

std::string U8(u16view s) { return ToUtf8(s); }

// ---- Recorder ----

void Recorder::OnStatusTextChange(u16view text) {
  statuses.push_back(U8(text));
  log.push_back("ST " + U8(text));
}
void Recorder::OnProgressChange(int progress, int progressMax) {
  log.push_back("PC " + std::to_string(progress) + "/" + std::to_string(progressMax));
}
void Recorder::OnCommandStateChange(int command, bool enabled) {
  if (command == kCscNavigateBack) back = enabled;
  if (command == kCscNavigateForward) forward = enabled;
  log.push_back("CS " + std::to_string(command) + (enabled ? " 1" : " 0"));
}
void Recorder::OnTitleChange(u16view title) { log.push_back("TC " + U8(title)); }
void Recorder::OnNavigateComplete2(u16view url) { log.push_back("NC " + U8(url)); }
void Recorder::OnBeforeNavigate2(BeforeNavigateArgs& args) {
  log.push_back("BN " + U8(args.url));
  if (cancelIf && cancelIf(args)) args.cancel = true;
  navs.push_back(args);
}
Engine* Recorder::OnNewWindow2(const u16& url, bool userGesture) {
  newWindows.push_back({U8(url), userGesture});
  log.push_back("NW " + U8(url) + (userGesture ? " 1" : " 0"));
  return onNewWindow ? onNewWindow(url, userGesture) : nullptr;
}
void Recorder::OnDocumentComplete(u16view url, bool topLevel) {
  log.push_back("DC " + U8(url) + (topLevel ? "" : " (frame)"));
}

int Recorder::IndexOf(const std::string& e, int from) const {
  for (size_t i = size_t(std::max(from, 0)); i < log.size(); ++i)
    if (log[i] == e) return int(i);
  return -1;
}

int Recorder::Count(const std::string& e) const {
  int n = 0;
  for (const auto& l : log) n += l == e;
  return n;
}

const BeforeNavigateArgs* Recorder::NavFor(const std::string& url) const {
  for (auto it = navs.rbegin(); it != navs.rend(); ++it)
    if (U8(it->url) == url) return &*it;
  return nullptr;
}

std::string Recorder::Dump() const {
  std::string s;
  for (const auto& l : log) s += "  " + l + "\n";
  return s;
}

// ---- Fixture ----

WebKitWebContext* EngineTest::Context() {
  static WebKitWebContext* context = [] {
    WebKitWebsiteDataManager* data = webkit_website_data_manager_new_ephemeral();
    WebKitWebContext* c = webkit_web_context_new_with_website_data_manager(data);
    g_object_unref(data);
    return c;
  }();
  return context;
}

void EngineTest::SetUp() {
  ASSERT_TRUE(gDisplayReady) << "GTK could not open a display";
  ClearLogged();
  factory_ = std::make_unique<WebKitEngineFactory>(Context());
  engine_ = Make(nullptr, &events_);
  ASSERT_TRUE(engine_);
}

void EngineTest::TearDown() {
  engine_.reset();
  factory_.reset();
  for (GtkWidget* w : windows_) gtk_widget_destroy(w);
  windows_.clear();
  PumpFor(std::chrono::milliseconds(50));
  for (const auto& c : LoggedCriticals()) ADD_FAILURE() << "critical message: " << c;
}

std::unique_ptr<Engine> EngineTest::Make(Engine* related, Recorder* events) {
  std::unique_ptr<Engine> e = factory_->Create(related);
  if (!e) return e;
  e->SetEvents(events);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_default_size(GTK_WINDOW(window), 800, 600);
  gtk_container_add(GTK_CONTAINER(window), Widget(*e));
  gtk_widget_show_all(window);
  windows_.push_back(window);
  return e;
}

bool EngineTest::WaitComplete(Recorder& r, const std::string& url, int before) {
  return PumpUntil([&] { return r.Count("DC " + url) > before; });
}

bool EngineTest::Load(Engine& e, Recorder& r, const std::string& url) {
  int before = r.Count("DC " + url);
  NavRequest req;
  req.url = FromUtf8(url);
  e.Navigate2(req);
  return WaitComplete(r, url, before);
}

ScriptResult EngineTest::Run(Engine& e, const std::string& script) {
  bool done = false;
  ScriptResult result;
  e.RunScript(FromUtf8(script), [&](const ScriptResult& r) {
    result = r;
    done = true;
  });
  if (!PumpUntil([&] { return done; }, std::chrono::seconds(10))) {
    result.ok = false;
    result.error = u"no answer";
  }
  return result;
}

bool EngineTest::CenterOf(Engine& e, const std::string& id, double* x, double* y) {
  ScriptResult r = Run(e, "(function(){var r=document.getElementById('" + id +
                              "').getBoundingClientRect();return [r.left+r.width/2,"
                              "r.top+r.height/2];})()");
  return r.ok && std::sscanf(r.json.c_str(), "[%lf,%lf]", x, y) == 2;
}

void EngineTest::Click(Engine& e, const std::string& id) {
  double x = 0, y = 0;
  ASSERT_TRUE(CenterOf(e, id, &x, &y)) << "no element " << id;
  ClickAt(Widget(e), x, y);
}

}  // namespace zel::test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  zel::test::WatchGLog();
  // Dialogs keep their settings in memory, not in the user's dconf.
  g_setenv("GSETTINGS_BACKEND", "memory", TRUE);
  // Listing the tests needs no display.
  if (!::testing::GTEST_FLAG(list_tests)) zel::test::gDisplayReady = gtk_init_check(&argc, &argv);
  return RUN_ALL_TESTS();
}
