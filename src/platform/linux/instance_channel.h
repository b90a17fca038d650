// Single instance and hand-off between processes of one user.
//   - first instance: an flock()ed lock file named by the application title; the kernel
//     drops it when the process dies;
//   - the running frame: a Unix-domain socket "ZELFrame"; a stale socket file that refuses
//     connections counts as no frame;
//   - "ZELMutex": an flock()ed lock file that serialises hand-offs;
//   - "ZELShare": a 2560-byte shared file (mmap) carrying one UTF-16 text.
// All live in $XDG_RUNTIME_DIR, else /tmp/zel-$UID.
#pragma once

#include <functional>
#include <string>

#include "base/text.h"

namespace zel {

std::string RuntimeFolder();

class InstanceLock {
 public:
  InstanceLock() = default;
  ~InstanceLock();
  // True when this process is the first instance (and now holds the lock).
  bool AcquireFirst();
  void Release();

 private:
  int fd_ = -1;
};

// Sending side.
bool FrameIsRunning();
// Waits until a frame answers or the time runs out.
bool WaitForFrame(int timeoutMs);

enum class SendResult { Sent, NoShareMemory, MapFailed, NoFrame };
// Holds "ZELMutex", writes the text into "ZELShare", sends 5120 and waits until the
// running frame has copied the text and handled it, then also asks it to come forward.
SendResult SendHandOff(u16view target);
// A start without a target: the running frame shows itself.
bool SendRaise();

// Receiving side, run by the frame on the main loop.
class FrameServer {
 public:
  struct Handlers {
    // The text of "ZELShare" has been copied (or reading it failed: ok false, message set).
    std::function<void(const u16& text)> handOff;
    std::function<void(u16view message)> handOffError;
    std::function<void()> raise;
  };
  explicit FrameServer(Handlers h) : handlers_(std::move(h)) {}
  ~FrameServer();
  bool Start();
  void Stop();

 private:
  static int OnReadable(int fd, unsigned cond, void* self);
  void Serve(int client);

  Handlers handlers_;
  int listenFd_ = -1;
  unsigned watch_ = 0;
  std::string path_;
};

}  // namespace zel
