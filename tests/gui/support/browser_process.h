// Starts the real browser as a child process with a scratch program folder and runtime
// folder, and reads its top-level windows from the X server.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zel::test {

// Polls cond every 50 ms until it holds or the time runs out.
bool WaitFor(const std::function<bool()>& cond, std::chrono::milliseconds timeout);

// The captions of the mapped top-level windows of a process (by _NET_WM_PID).
std::vector<std::string> WindowCaptions(pid_t pid);

class BrowserProcess {
 public:
  // home: the program folder (ZEL_HOME); runtime: XDG_RUNTIME_DIR for the instance lock.
  BrowserProcess(std::string home, std::string runtime);
  ~BrowserProcess();  // kills a process still running

  // Another executable than the build's zel (an installed one).
  void SetBinary(std::string path) { binary_ = std::move(path); }
  // Variables set in the started process; an empty home leaves ZEL_HOME unset there.
  void SetEnv(std::string name, std::string value) { env_.emplace_back(std::move(name), std::move(value)); }
  // XDG_CURRENT_DESKTOP is never passed on: a browser of the tests runs outside any
  // desktop session, so it asks no start-up question (SetEnv sets it for one that should).
  bool Start(const std::vector<std::string>& args);
  pid_t pid() const { return pid_; }
  bool Running();
  // Waits for the process to end; its exit status, or nullopt on time-out.
  std::optional<int> Wait(std::chrono::milliseconds timeout);
  void Signal(int sig);
  // The frame caption (the window whose caption ends with the application title).
  std::string Caption();
  bool WaitForCaption(const std::string& caption, std::chrono::milliseconds timeout);
  // Sends the frame window the close request a window manager sends for its close box.
  bool CloseWindow();
  // The frame window's rectangle on the screen (x, y, width, height), as the X server has it.
  struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
  };
  std::optional<Rect> FrameRect();
  // Moves and sizes the frame window through the X server, as a window manager would.
  bool MoveResizeFrame(const Rect& r);
  // Gives the frame window the keyboard and types the chords (keysyms pressed together, in
  // order, released in reverse) through the X server, one after another.
  bool PressKeys(const std::vector<std::vector<unsigned>>& chords);

  std::string ConfigPath() const { return home_ + "/profile/Defaults/config.ini"; }

 private:
  std::string home_, runtime_;
  std::string binary_ = ZEL_BINARY;
  std::vector<std::pair<std::string, std::string>> env_;
  pid_t pid_ = -1;
  std::optional<int> status_;
  // Runs f on the frame window (mapped, of this process, captioned "... Zel浏览器").
  bool WithFrame(const std::function<void(void* display, unsigned long window)>& f);
};

}  // namespace zel::test
