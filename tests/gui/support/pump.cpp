#include "support/pump.h"

#include "support/web_processes.h"

#include <glib.h>
#include <unistd.h>

#include <string>

namespace zel::test {

bool PumpUntil(const std::function<bool()>& cond, std::chrono::milliseconds timeout) {
  const gint64 end = g_get_monotonic_time() + gint64(timeout.count()) * 1000;
  while (!cond()) {
    if (g_get_monotonic_time() >= end) return cond();
    // Sleep briefly when nothing is ready instead of spinning.
    if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(2000);
  }
  return true;
}

void PumpFor(std::chrono::milliseconds time) {
  PumpUntil([] { return false; }, time);
}

// Also below the sandbox's launcher (bubblewrap), whose child the page process is then.
int WebProcessCount() { return WebProcessesBelow(::getpid()); }

}  // namespace zel::test
