#include "support/pump.h"

#include <glib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
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

int WebProcessCount() {
  int n = 0;
  const std::string self = std::to_string(::getpid());
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::ifstream stat(entry.path() / "stat");
    std::string pid, comm, state, ppid;
    if (!(stat >> pid >> comm >> state >> ppid)) continue;
    if (ppid == self && comm.find("WebKitWebProces") != std::string::npos) ++n;
  }
  return n;
}

}  // namespace zel::test
