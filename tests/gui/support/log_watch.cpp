#include "support/log_watch.h"

#include <glib.h>

#include <mutex>

namespace zel::test {

namespace {

std::mutex gLogMu;
std::vector<std::string> gCriticals, gWarnings;

GLogWriterOutput Writer(GLogLevelFlags level, const GLogField* fields, gsize n, gpointer) {
  std::string domain, message;
  for (gsize i = 0; i < n; ++i) {
    if (g_strcmp0(fields[i].key, "MESSAGE") == 0 && fields[i].length < 0)
      message = static_cast<const char*>(fields[i].value);
    if (g_strcmp0(fields[i].key, "GLIB_DOMAIN") == 0 && fields[i].length < 0)
      domain = static_cast<const char*>(fields[i].value);
  }
  {
    std::lock_guard<std::mutex> l(gLogMu);
    if (level & (G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_ERROR))
      gCriticals.push_back(domain + ": " + message);
    else if (level & G_LOG_LEVEL_WARNING)
      gWarnings.push_back(domain + ": " + message);
  }
  return g_log_writer_default(level, fields, n, nullptr);
}

}  // namespace

void WatchGLog() { g_log_set_writer_func(Writer, nullptr, nullptr); }

std::vector<std::string> LoggedCriticals() {
  std::lock_guard<std::mutex> l(gLogMu);
  return gCriticals;
}

std::vector<std::string> LoggedWarnings() {
  std::lock_guard<std::mutex> l(gLogMu);
  return gWarnings;
}

void ClearLogged() {
  std::lock_guard<std::mutex> l(gLogMu);
  gCriticals.clear();
  gWarnings.clear();
}

}  // namespace zel::test
