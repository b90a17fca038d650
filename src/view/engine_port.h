// The hosted page engine as the view sees it: the operations it calls and the events it
// receives. The GTK build implements it over a WebKitWebView (view/gtk/webkit_engine);
// unit tests use a recording fake (tests/fakes/fake_engine.h).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/text.h"

namespace zel {

// A prepared navigation: what Navigate2 takes.
struct NavRequest {
  u16 url;
  int flags = 0;
  u16 targetFrame;
  std::string postData;  // raw bytes; empty for a GET
  u16 headers;           // extra headers, "Name: value\r\n" lines
};

// Navigate2 flags the view uses.
inline constexpr int kNavOpenInNewWindow = 0x1;
inline constexpr int kNavNoHistory = 0x2;

// BeforeNavigate2: the engine is about to load url. The handler may set cancel.
struct BeforeNavigateArgs {
  u16 url;
  int flags = 0;
  u16 targetFrame;           // the frame name the navigation is aimed at ("" for this one)
  bool isPost = false;
  std::string postData;
  u16 headers;
  bool topLevel = true;      // false for a sub-frame's navigation
  bool userGesture = false;  // the engine saw a click or key for it
  bool historyStep = false;  // back or forward: the page may come back as it was left
  bool cancel = false;
};

// CommandStateChange commands.
inline constexpr int kCscNavigateForward = 1;
inline constexpr int kCscNavigateBack = 2;

// ExecWB commands and options.
inline constexpr int kOleSaveAs = 4;
inline constexpr int kOleCut = 11;
inline constexpr int kOleCopy = 12;
inline constexpr int kOlePaste = 13;
inline constexpr int kOleSelectAll = 17;
inline constexpr int kOleZoom = 19;
inline constexpr int kOlePageSetup = 8;
inline constexpr int kOlePrint = 6;
inline constexpr int kOlePrintPreview = 7;
inline constexpr int kOleProperties = 10;
inline constexpr int kOleOptionPrompt = 0;
inline constexpr int kOleOptionNoPrompt = 2;

// The download-control bit that bans downloads of active content (programs, plug-ins).
inline constexpr int kDownloadControlNoActiveX = 0x400;

// Refresh2 levels.
inline constexpr int kRefreshNormal = 0;
inline constexpr int kRefreshCompletely = 3;

// The engine's own find in the page, as the find bar drives it: a new search from the top
// of the page, or a step to the next or previous match of the last one. Every match is
// highlighted while a search is on.
struct FindRequest {
  enum Step { New, Next, Previous };
  u16 text;
  bool matchCase = false;
  Step step = New;
  int maxMatches = 1000;  // more matches than this are reported as maxMatches + 1
};

struct TravelEntry {
  u16 url;
  u16 title;
};

// The result of a script run in the page: the value as JSON text, or an error.
struct ScriptResult {
  bool ok = false;
  std::string json;   // JSON of the script's value ("null" for undefined)
  u16 error;
};

class Engine;

// Mouse and key input on the page, reported before the engine sees it.
enum class UserInput { LeftDown, LeftUp, RightDown, EnterDown, EnterUp, CtrlLeft, CtrlRight };

// Mouse buttons as bits of MouseInput::held.
inline constexpr unsigned kMouseLeft = 1;
inline constexpr unsigned kMouseRight = 2;
inline constexpr unsigned kMouseMiddle = 0x10;

// A mouse event on the page, in the view's coordinates, before the engine sees it.
struct MouseInput {
  enum Kind { Press, Release, Move, Wheel } kind = Move;
  int button = 0;     // Press and Release: 1 left, 2 middle, 3 right
  int x = 0, y = 0;
  unsigned held = 0;  // the buttons held once the event has taken effect
  bool ctrl = false, shift = false;
  int wheel = 0;      // Wheel: above 0 when turned away from the user
};

// What lies under a point of the page.
struct PageHit {
  u16 link;      // the link's address
  u16 linkText;  // the link's text
  u16 image;     // the image's address
  bool selection = false;  // the point is in selected text
  bool editable = false;
};

// A drag that began on a page and is dropped on the same page.
struct PageDrop {
  enum Kind { Image, Link, Text } kind = Text;
  int startX = 0, startY = 0;  // where the drag began, in the view's coordinates
  int x = 0, y = 0;            // where it is dropped
  int64_t elapsedMs = 0;       // from the start of the drag to the drop
  u16 address;                 // link or image address
  u16 text;                    // the link's text or the dragged text
};

class EngineEvents {
 public:
  virtual ~EngineEvents() = default;
  virtual void OnStatusTextChange(u16view text) = 0;
  virtual void OnProgressChange(int progress, int progressMax) = 0;
  virtual void OnCommandStateChange(int command, bool enabled) = 0;
  virtual void OnTitleChange(u16view title) = 0;
  virtual void OnNavigateComplete2(u16view url) = 0;
  virtual void OnBeforeNavigate2(BeforeNavigateArgs& args) = 0;
  // A page asks for a new window. Returns the engine that receives it (a new tab's), or
  // nullptr to refuse the window. userGesture: the request followed a click or key.
  virtual Engine* OnNewWindow2(const u16& url, bool userGesture) = 0;
  virtual void OnDocumentComplete(u16view url, bool topLevel) = 0;
  // Input on the page. ctrl: Ctrl was held; editable: the focus is in an editable field.
  // Returns true when the input was used up and must not reach the page.
  virtual bool OnUserInput(UserInput input, bool ctrl, bool editable) { return false; }
  // A script of the page failed.
  virtual void OnScriptError() {}
  // The page's web process ended under it (it crashed, was killed, or ran out of memory):
  // the engine now shows its own notice for url, with a way to load it again.
  virtual void OnPageStopped(u16view url) {}
  // The page started a download (a page it was loading is not shown but downloaded); shown
  // is the page the view still shows, empty when it never showed one (it was opened for
  // the download's address).
  virtual void OnBecameDownload(u16view shown) {}
  // A save of the page (ExecWB save-as) wrote the file at path.
  virtual void OnPageSaved(u16view path) {}
  // Mouse input on the page. Returns true when it was used up and must not reach the page.
  virtual bool OnMouse(const MouseInput& input) { return false; }
  // The engine would show its context menu at (x, y) over hit. Returns true when the view
  // showed its own menu instead.
  virtual bool OnContextMenu(const PageHit& hit, int x, int y) { return false; }
  // A drag from this page is dropped on it. Returns true when the drop was handled (or
  // refused); false lets the engine handle it as usual.
  virtual bool OnPageDrop(const PageDrop& drop) { return false; }
};

class Engine {
 public:
  virtual ~Engine() = default;
  virtual void SetEvents(EngineEvents* events) = 0;

  virtual void Navigate2(const NavRequest& request) = 0;
  virtual void GoBack(int steps) = 0;
  virtual void GoForward(int steps) = 0;
  virtual void GoHome() = 0;
  virtual void Stop() = 0;
  virtual void Refresh2(int level) = 0;
  virtual u16 LocationURL() const = 0;
  virtual u16 LocationName() const = 0;
  virtual bool Busy() const = 0;
  virtual bool CanGoBack() const = 0;
  virtual bool CanGoForward() const = 0;
  // The page came over TLS with a certificate that has no errors.
  virtual bool IsSecure() const { return false; }
  virtual void SetRegisterAsBrowser(bool on) = 0;
  virtual void SetSilent(bool on) = 0;
  virtual void ExecWB(int command, int option, int argument = 0) = 0;
  // Runs a script in the page's main frame; done runs later on the main loop.
  virtual void RunScript(u16view script, std::function<void(const ScriptResult&)> done) = 0;
  // The back/forward list, oldest first, with the index of the current entry.
  virtual std::vector<TravelEntry> TravelLog(int* currentIndex) const = 0;
  // The engine's own serialised history, to be given back to RestoreSession of a new
  // engine (reopening a closed page with its history).
  virtual std::string SaveSession() const = 0;
  virtual bool RestoreSession(const std::string& state) = 0;
  // Page elements: images, scripts, media (the view's download-control flags).
  virtual void SetLoadImages(bool on) = 0;
  virtual void SetScriptsEnabled(bool on) = 0;
  virtual void SetMediaEnabled(bool on) = 0;
  // The page's text decoded in this charset from now on, and the page loaded again with
  // it (empty: the engine's own detection, from the page's headers and contents).
  virtual void SetCharset(const std::string& /*charset*/) {}
  // Background sounds of the page.
  virtual void SetMuted(bool muted) {}
  // The view's download-control flags as delivered (page-element bits). With 0x400 (no
  // downloads of active content) a program or plug-in the page starts downloading by itself,
  // without the user's click or address, is refused by the downloads' owner.
  virtual void SetDownloadControl(int /*flags*/) {}
  virtual void Focus() = 0;
  // The toolkit widget that shows the page (GtkWidget* in the GTK build).
  virtual void* NativeWidget() = 0;

  // Pointer work for gestures and the context menus, in the view's coordinates.
  // What the pointer is over (the engine's last hit test).
  virtual PageHit HitUnderPointer() const { return {}; }
  // The pointer's position over the view, nullopt when it is elsewhere.
  virtual std::optional<std::pair<int, int>> PointerPosition() const { return std::nullopt; }
  // A left-button press and release at (x, y), as if the user clicked there.
  virtual void ClickAt(int x, int y) {}
  // A right click at (x, y) passed to the page: the page's context menu follows.
  virtual void RightClickAt(int x, int y) {}
  virtual void ScrollBy(int dx, int dy) {}
  // A key press sent to the page: 1 Page Up, 2 Page Down, 3 Home, 4 End.
  virtual void PressKey(int key) {}
  // The gesture trail: a line from the last trail point to (x, y) (the first call only
  // places the point); ClearTrail erases it.
  virtual void ExtendTrail(int x, int y) {}
  virtual void ClearTrail() {}
  // Loads the picture at (x, y) again (it may have failed or been held back).
  virtual void ShowPictureAt(int x, int y) {}
  // Find in the page; done runs later on the main loop with the number of matches (0 when
  // there is none). Every request is answered once, in order.
  virtual void FindText(const FindRequest& request, std::function<void(int matches)> done) {}
  // Ends the find: the marks of the matches go.
  virtual void FindFinish() {}
};

// The process-wide proxy of every engine.
struct EngineProxy {
  enum class Mode { System, Direct, Custom };
  Mode mode = Mode::System;
  // Custom: the proxy of every scheme not listed (empty: those go direct), the per-scheme
  // proxies ("http", "https", "ftp" ...), and the hosts that go direct.
  std::string defaultProxy;
  std::vector<std::pair<std::string, std::string>> schemes;
  std::vector<std::string> ignoreHosts;
  bool operator==(const EngineProxy&) const = default;
};

// What a site leaves: its cookies with everything it stored (local storage, IndexedDB,
// service workers ...), or the caches alone (memory, disk, offline application cache).
enum class SiteData { Cookies, Caches };

class EngineFactory {
 public:
  virtual ~EngineFactory() = default;
  // A new engine; related is the opener's engine for a page's new-window request (the new
  // page shares its process and session), else null. May return null on failure.
  virtual std::unique_ptr<Engine> Create(Engine* related) = 0;
  // Offline: page loads do not reach the network (pages come from the cache or fail).
  virtual void SetOffline(bool offline) {}
  // The engine and its version as the user is told ("WebKitGTK 2.50.6"); empty if unknown.
  virtual u16 EngineVersion() const { return u16(); }
  // Every engine's network goes through this proxy from now on; false when the engine
  // refused it (nothing changed then).
  virtual bool SetProxy(const EngineProxy& /*proxy*/) { return true; }
  // Clears what the engine keeps for sites: the cookies, or everything else (caches,
  // storage, databases, service workers, HSTS). With wait the call returns when it is done
  // (or after a few seconds); otherwise it goes on in the background.
  virtual void ClearSiteData(SiteData /*what*/, bool /*wait*/) {}
};

}  // namespace zel
