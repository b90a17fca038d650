#include "platform/linux/glib_loop.h"

#include <glib.h>

namespace zel {

struct GlibLoop::Timer {
  std::function<void()> fn;
  unsigned source = 0;
};

GlibLoop::GlibLoop() : start_(g_get_monotonic_time()) {}

GlibLoop::~GlibLoop() {
  for (auto& [key, t] : timers_)
    if (t->source) g_source_remove(t->source);
}

void GlibLoop::Post(std::function<void()> fn) {
  auto* heap = new std::function<void()>(std::move(fn));
  g_idle_add_full(
      G_PRIORITY_DEFAULT,
      [](gpointer p) -> gboolean {
        (*static_cast<std::function<void()>*>(p))();
        return G_SOURCE_REMOVE;
      },
      heap, [](gpointer p) { delete static_cast<std::function<void()>*>(p); });
}

void GlibLoop::SetTimer(const void* owner, int id, int ms, std::function<void()> fn) {
  KillTimer(owner, id);
  auto t = std::make_unique<Timer>();
  t->fn = std::move(fn);
  Timer* raw = t.get();
  raw->source = g_timeout_add(
      ms > 0 ? unsigned(ms) : 1u,
      [](gpointer p) -> gboolean {
        // The callback may kill or restart its own timer; copy the function first.
        auto fn = static_cast<Timer*>(p)->fn;
        fn();
        return G_SOURCE_CONTINUE;
      },
      raw);
  timers_[{owner, id}] = std::move(t);
}

void GlibLoop::KillTimer(const void* owner, int id) {
  auto it = timers_.find({owner, id});
  if (it == timers_.end()) return;
  if (it->second->source) g_source_remove(it->second->source);
  timers_.erase(it);
}

bool GlibLoop::HasTimer(const void* owner, int id) const { return timers_.count({owner, id}) != 0; }

int64_t GlibLoop::NowMs() const { return (g_get_monotonic_time() - start_) / 1000; }

}  // namespace zel
