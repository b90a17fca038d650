// Private messages and timers. The GTK build runs them on the GLib main loop; unit tests
// run them by hand with a virtual clock (tests/fakes/fake_loop.h).
#pragma once

#include <cstdint>
#include <functional>

namespace zel {

class MessageLoop {
 public:
  virtual ~MessageLoop() = default;
  // Runs fn later on the UI thread, after the current handler returns.
  virtual void Post(std::function<void()> fn) = 0;
  // Starts or restarts timer (owner, id): fn runs every ms milliseconds until killed.
  virtual void SetTimer(const void* owner, int id, int ms, std::function<void()> fn) = 0;
  virtual void KillTimer(const void* owner, int id) = 0;
  virtual bool HasTimer(const void* owner, int id) const = 0;
  // Milliseconds from a fixed start; monotonic.
  virtual int64_t NowMs() const = 0;
};

}  // namespace zel
