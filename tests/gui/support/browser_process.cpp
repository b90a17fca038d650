#include "support/browser_process.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <thread>

namespace zel::test {

bool WaitFor(const std::function<bool()>& cond, std::chrono::milliseconds timeout) {
  auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (cond()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

namespace {

std::optional<long> WindowPid(Display* d, Window w) {
  Atom pidAtom = XInternAtom(d, "_NET_WM_PID", True);
  if (pidAtom == None) return std::nullopt;
  Atom type;
  int format;
  unsigned long n, after;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(d, w, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &n, &after,
                         &data) != Success ||
      !data || n == 0) {
    if (data) XFree(data);
    return std::nullopt;
  }
  long pid = *reinterpret_cast<long*>(data);
  XFree(data);
  return pid;
}

std::string WindowName(Display* d, Window w) {
  Atom nameAtom = XInternAtom(d, "_NET_WM_NAME", False);
  Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  Atom type;
  int format;
  unsigned long n, after;
  unsigned char* data = nullptr;
  std::string name;
  if (XGetWindowProperty(d, w, nameAtom, 0, 4096, False, utf8, &type, &format, &n, &after,
                         &data) == Success &&
      data) {
    name.assign(reinterpret_cast<char*>(data), n);
    XFree(data);
  }
  return name;
}

// Windows come and go while they are read; a vanished window is simply skipped instead
// of ending the test through Xlib's default handler.
int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

}  // namespace

std::vector<std::string> WindowCaptions(pid_t pid) {
  static const auto installed = XSetErrorHandler(IgnoreXErrors);
  (void)installed;
  std::vector<std::string> out;
  Display* d = XOpenDisplay(nullptr);
  if (!d) return out;
  Window root = DefaultRootWindow(d), parent, *children = nullptr;
  unsigned n = 0;
  if (XQueryTree(d, root, &root, &parent, &children, &n)) {
    for (unsigned i = 0; i < n; ++i) {
      XWindowAttributes a;
      if (!XGetWindowAttributes(d, children[i], &a) || a.map_state != IsViewable) continue;
      auto p = WindowPid(d, children[i]);
      if (!p || *p != pid) continue;
      out.push_back(WindowName(d, children[i]));
    }
    if (children) XFree(children);
  }
  XCloseDisplay(d);
  return out;
}

BrowserProcess::BrowserProcess(std::string home, std::string runtime)
    : home_(std::move(home)), runtime_(std::move(runtime)) {}

BrowserProcess::~BrowserProcess() {
  if (Running()) {
    Signal(SIGKILL);
    Wait(std::chrono::seconds(5));
  }
}

bool BrowserProcess::Start(const std::vector<std::string>& args) {
  pid_ = fork();
  if (pid_ < 0) return false;
  if (pid_ == 0) {
    if (home_.empty())
      unsetenv("ZEL_HOME");
    else
      setenv("ZEL_HOME", home_.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    unsetenv("XDG_CURRENT_DESKTOP");
    for (const auto& [name, value] : env_) setenv(name.c_str(), value.c_str(), 1);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(binary_.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(binary_.c_str(), argv.data());
    _exit(127);
  }
  status_.reset();
  return true;
}

bool BrowserProcess::Running() {
  if (pid_ <= 0 || status_) return false;
  int st;
  pid_t r = waitpid(pid_, &st, WNOHANG);
  if (r == pid_) {
    status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    return false;
  }
  return true;
}

std::optional<int> BrowserProcess::Wait(std::chrono::milliseconds timeout) {
  WaitFor([&] { return !Running(); }, timeout);
  return status_;
}

void BrowserProcess::Signal(int sig) {
  if (Running()) kill(pid_, sig);
}

std::string BrowserProcess::Caption() {
  const std::string title = "Zel浏览器";
  for (const auto& c : WindowCaptions(pid_))
    if (c.size() >= title.size() && c.compare(c.size() - title.size(), title.size(), title) == 0)
      return c;
  return std::string();
}

bool BrowserProcess::CloseWindow() {
  bool sent = false;
  WithFrame([&](void* dp, unsigned long w) {
    auto* d = static_cast<Display*>(dp);
    // What a window manager sends when the user clicks the close box.
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    sent = XSendEvent(d, w, False, NoEventMask, &e) != 0;
  });
  return sent;
}

bool BrowserProcess::WithFrame(const std::function<void(void*, unsigned long)>& f) {
  static const auto installed = XSetErrorHandler(IgnoreXErrors);
  (void)installed;
  Display* d = XOpenDisplay(nullptr);
  if (!d) return false;
  bool found = false;
  Window root = DefaultRootWindow(d), parent, *children = nullptr;
  unsigned n = 0;
  const std::string title = "Zel浏览器";
  if (XQueryTree(d, root, &root, &parent, &children, &n)) {
    for (unsigned i = 0; i < n && !found; ++i) {
      XWindowAttributes a;
      if (!XGetWindowAttributes(d, children[i], &a) || a.map_state != IsViewable) continue;
      auto p = WindowPid(d, children[i]);
      std::string name = WindowName(d, children[i]);
      if (!p || *p != pid_ || name.size() < title.size() ||
          name.compare(name.size() - title.size(), title.size(), title) != 0)
        continue;
      found = true;
      f(d, children[i]);
    }
    if (children) XFree(children);
  }
  XSync(d, False);
  XCloseDisplay(d);
  return found;
}

std::optional<BrowserProcess::Rect> BrowserProcess::FrameRect() {
  std::optional<Rect> out;
  WithFrame([&](void* dp, unsigned long w) {
    auto* d = static_cast<Display*>(dp);
    XWindowAttributes a;
    Window child;
    int x = 0, y = 0;
    if (XGetWindowAttributes(d, w, &a) &&
        XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, &x, &y, &child))
      out = Rect{x, y, a.width, a.height};
  });
  return out;
}

bool BrowserProcess::MoveResizeFrame(const Rect& r) {
  return WithFrame([&](void* dp, unsigned long w) {
    XMoveResizeWindow(static_cast<Display*>(dp), w, r.x, r.y, unsigned(r.width), unsigned(r.height));
  });
}

bool BrowserProcess::PressKeys(const std::vector<std::vector<unsigned>>& chords) {
  return WithFrame([&](void* dp, unsigned long frame) {
    auto* d = static_cast<Display*>(dp);
    // Without a window manager nobody gives the frame the keyboard: as a click on it would.
    XSetInputFocus(d, frame, RevertToParent, CurrentTime);
    XSync(d, False);
    for (const auto& chord : chords) {
      for (unsigned k : chord) XTestFakeKeyEvent(d, XKeysymToKeycode(d, k), True, CurrentTime);
      for (auto k = chord.rbegin(); k != chord.rend(); ++k)
        XTestFakeKeyEvent(d, XKeysymToKeycode(d, *k), False, CurrentTime);
      XSync(d, False);
    }
  });
}

bool BrowserProcess::WaitForCaption(const std::string& caption,
                                    std::chrono::milliseconds timeout) {
  return WaitFor([&] { return Caption() == caption; }, timeout);
}

}  // namespace zel::test
