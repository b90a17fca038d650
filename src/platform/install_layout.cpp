#include "platform/install_layout.h"

#include <climits>
#include <cstdlib>

#include "base/files.h"

#ifndef ZEL_DATA_RELDIR
#define ZEL_DATA_RELDIR "../share/zel"
#endif
#ifndef ZEL_WEBEXT_RELDIR
#define ZEL_WEBEXT_RELDIR "../lib/zel/webext"
#endif

namespace zel {

namespace {
std::string Resolved(const std::string& exeDir, const char* relative) {
  const std::string joined = JoinPath(exeDir, relative);
  char buf[PATH_MAX];
  return ::realpath(joined.c_str(), buf) ? std::string(buf) : joined;
}
}  // namespace

std::string InstalledDataFolder(const std::string& exeDir) {
  if (exeDir.empty()) return std::string();
  std::string dir = Resolved(exeDir, ZEL_DATA_RELDIR);
  if (!DirExists(dir)) return std::string();
  if (dir.back() != '/') dir += '/';
  return dir;
}

std::string InstalledWebExtFolder(const std::string& exeDir) {
  if (exeDir.empty()) return std::string();
  return Resolved(exeDir, ZEL_WEBEXT_RELDIR);
}

}  // namespace zel
