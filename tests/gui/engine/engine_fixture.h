// In-process fixture for the WebKit engine: engines in real windows, their events recorded,
// pages served from 127.0.0.1.
#pragma once

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/log_watch.h"
#include "support/pump.h"
#include "support/test_server.h"
#include "view/engine_port.h"
#include "view/gtk/webkit_engine.h"

namespace zel::test {

// True when GTK found a display (set by main).
extern bool gDisplayReady;

// Every engine event, in order, as text: "BN <url>", "NC <url>", "TC <title>", "DC <url>",
// "PC <progress>/<max>", "CS <command> <0|1>", "ST <text>", "NW <url> <gesture>".
class Recorder : public EngineEvents {
 public:
  std::vector<std::string> log;
  std::vector<BeforeNavigateArgs> navs;
  struct NewWindow {
    std::string url;
    bool gesture;
  };
  std::vector<NewWindow> newWindows;
  std::vector<std::string> statuses;
  bool back = false, forward = false;
  std::function<bool(const BeforeNavigateArgs&)> cancelIf;
  std::function<Engine*(const u16& url, bool gesture)> onNewWindow;

  void OnStatusTextChange(u16view text) override;
  void OnProgressChange(int progress, int progressMax) override;
  void OnCommandStateChange(int command, bool enabled) override;
  void OnTitleChange(u16view title) override;
  void OnNavigateComplete2(u16view url) override;
  void OnBeforeNavigate2(BeforeNavigateArgs& args) override;
  Engine* OnNewWindow2(const u16& url, bool userGesture) override;
  void OnDocumentComplete(u16view url, bool topLevel) override;

  // Index of the first entry equal to e at or after from, or -1.
  int IndexOf(const std::string& e, int from = 0) const;
  int Count(const std::string& e) const;
  bool Has(const std::string& e) const { return IndexOf(e) >= 0; }
  // The last BeforeNavigate2 for url, or null.
  const BeforeNavigateArgs* NavFor(const std::string& url) const;
  std::string Dump() const;
};

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  static WebKitWebContext* Context();
  // A new engine from the factory, in a shown window of its own, reporting to events.
  std::unique_ptr<Engine> Make(Engine* related, Recorder* events);
  static GtkWidget* Widget(Engine& e) { return static_cast<GtkWidget*>(e.NativeWidget()); }
  static WebKitWebView* View(Engine& e) { return WEBKIT_WEB_VIEW(e.NativeWidget()); }

  // Navigates and waits for the DocumentComplete of url (its count growing by one).
  bool Load(Engine& e, Recorder& r, const std::string& url);
  // Waits for one more DocumentComplete of url than there were when called.
  bool WaitComplete(Recorder& r, const std::string& url, int before);
  ScriptResult Run(Engine& e, const std::string& script);
  // The centre of the element with this id, in view coordinates.
  bool CenterOf(Engine& e, const std::string& id, double* x, double* y);
  void Click(Engine& e, const std::string& id);

  TestServer server_;
  std::unique_ptr<WebKitEngineFactory> factory_;
  Recorder events_;
  std::unique_ptr<Engine> engine_;
  std::vector<GtkWidget*> windows_;
};

std::string U8(u16view s);

}  // namespace zel::test
