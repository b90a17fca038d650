// Private messages and timers on the GLib main loop.
#pragma once

#include <map>
#include <memory>
#include <utility>

#include "platform/message_loop.h"

namespace zel {

class GlibLoop : public MessageLoop {
 public:
  GlibLoop();
  ~GlibLoop() override;
  void Post(std::function<void()> fn) override;
  void SetTimer(const void* owner, int id, int ms, std::function<void()> fn) override;
  void KillTimer(const void* owner, int id) override;
  bool HasTimer(const void* owner, int id) const override;
  int64_t NowMs() const override;

 private:
  struct Timer;
  std::map<std::pair<const void*, int>, std::unique_ptr<Timer>> timers_;
  int64_t start_;
};

}  // namespace zel
