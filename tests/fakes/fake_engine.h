// A recording engine for unit tests: it records every operation and lets the test raise
// the engine's events by hand. Navigate2 raises BeforeNavigate2 at once (as the real
// engine does before it loads); the rest of a load is driven by FinishLoad.
#pragma once

#include <string>
#include <vector>

#include "view/engine_port.h"

namespace zel::test {

class FakeEngine : public Engine {
 public:
  void SetEvents(EngineEvents* e) override { events = e; }
  void Navigate2(const NavRequest& r) override;
  void GoBack(int n) override { calls.push_back("GoBack " + std::to_string(n)); }
  void GoForward(int n) override { calls.push_back("GoForward " + std::to_string(n)); }
  void GoHome() override { calls.push_back("GoHome"); }
  void Stop() override { calls.push_back("Stop"); }
  void Refresh2(int level) override { calls.push_back("Refresh2 " + std::to_string(level)); }
  u16 LocationURL() const override { return location; }
  u16 LocationName() const override { return title; }
  bool Busy() const override { return busy; }
  bool CanGoBack() const override { return false; }
  bool CanGoForward() const override { return false; }
  void SetRegisterAsBrowser(bool on) override { registeredAsBrowser = on; }
  void SetSilent(bool on) override { silent = on; }
  void ExecWB(int c, int o, int a) override {
    calls.push_back("ExecWB " + std::to_string(c) + " " + std::to_string(o));
    lastExecArgument = a;
  }
  void RunScript(u16view script, std::function<void(const ScriptResult&)> done) override {
    scripts.push_back(u16(script));
    pendingScripts.push_back(std::move(done));
  }
  std::vector<TravelEntry> TravelLog(int* current) const override {
    if (current) *current = travelCurrent;
    return travel;
  }
  std::vector<TravelEntry> travel;  // the back/forward list TravelLog reports
  int travelCurrent = 0;
  std::string SaveSession() const override { return session; }
  bool RestoreSession(const std::string& s) override {
    session = s;
    return true;
  }
  void SetLoadImages(bool on) override { images = on; }
  void SetScriptsEnabled(bool on) override { scriptsOn = on; }
  void SetMediaEnabled(bool on) override { media = on; }
  void SetMuted(bool m) override { muted = m; }
  void SetCharset(const std::string& c) override { calls.push_back("SetCharset " + c); }
  void Focus() override { ++focusCount; }
  void* NativeWidget() override { return this; }
  PageHit HitUnderPointer() const override { return hit; }
  std::optional<std::pair<int, int>> PointerPosition() const override { return pointer; }
  void ClickAt(int x, int y) override { calls.push_back(At("ClickAt", x, y)); }
  void RightClickAt(int x, int y) override { calls.push_back(At("RightClickAt", x, y)); }
  void ScrollBy(int dx, int dy) override { calls.push_back(At("ScrollBy", dx, dy)); }
  void PressKey(int key) override { calls.push_back("PressKey " + std::to_string(key)); }
  void ExtendTrail(int x, int y) override { trail.emplace_back(x, y); }
  void ClearTrail() override {
    trail.clear();
    ++trailClears;
  }
  void ShowPictureAt(int x, int y) override { calls.push_back(At("ShowPictureAt", x, y)); }
  static std::string At(const char* what, int x, int y) {
    return std::string(what) + " " + std::to_string(x) + "," + std::to_string(y);
  }

  // Finishes the current navigation: commit, title, progress to the end, complete.
  void FinishLoad(u16view pageTitle);

  EngineEvents* events = nullptr;
  FakeEngine* related = nullptr;
  std::vector<std::string> calls;
  std::vector<u16> navigations;  // URLs that passed BeforeNavigate2
  std::vector<u16> cancelled;    // URLs cancelled by the view
  std::vector<u16> scripts;
  std::vector<std::function<void(const ScriptResult&)>> pendingScripts;
  u16 location, title, pending;
  std::string session;
  int lastExecArgument = 0;
  bool busy = false, silent = false, registeredAsBrowser = false;
  bool images = true, scriptsOn = true, media = true, muted = false;
  int focusCount = 0;
  PageHit hit;
  std::optional<std::pair<int, int>> pointer;
  std::vector<std::pair<int, int>> trail;
  int trailClears = 0;
};

class FakeEngineFactory : public EngineFactory {
 public:
  std::unique_ptr<Engine> Create(Engine* related) override;
  void SetOffline(bool o) override { offline = o; }
  bool SetProxy(const EngineProxy& p) override {
    if (refuseProxy) return false;
    proxies.push_back(p);
    return true;
  }
  void ClearSiteData(SiteData what, bool wait) override { cleared.push_back({what, wait}); }
  std::vector<std::pair<SiteData, bool>> cleared;  // every clearing asked for, in order
  std::vector<EngineProxy> proxies;  // every proxy given, in order
  bool refuseProxy = false;
  std::vector<FakeEngine*> created;  // alive as long as their views
  bool fail = false;
  bool offline = false;
};

}  // namespace zel::test
