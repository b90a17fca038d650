#include "host/gtk/web_sandbox.h"

#include <glib.h>

#include <climits>
#include <cstdlib>

#include "platform/linux/sandbox_probe.h"

namespace zel {

namespace {
// The system's own folders are inside the sandbox already (read-only) and WebKit refuses
// them as added paths.
bool SystemFolder(const std::string& path) {
  for (const char* root : {"/usr/", "/etc/", "/lib/", "/lib64/", "/bin/", "/sbin/"})
    if (path.rfind(root, 0) == 0) return true;
  return false;
}
}  // namespace

SandboxState ConfineWebProcesses(WebKitWebContext* context, const std::vector<std::string>& readOnly) {
  const SandboxState state = DecideSandbox(ProbeSandbox());
  if (state != SandboxState::On) return state;
  webkit_web_context_set_sandbox_enabled(context, TRUE);
  // WebKit compares added paths with the home folder's real path and crashes (WebKitGTK
  // 2.4x, strcmp on null) when the home folder does not exist: it is made first, as the
  // desktop would have it.
  const char* home = g_get_home_dir();
  if (home && *home && !g_file_test(home, G_FILE_TEST_IS_DIR)) g_mkdir_with_parents(home, 0700);
  for (const std::string& folder : readOnly) {
    if (folder.empty()) continue;
    // The real folder: a link's target would not be inside.
    char real[PATH_MAX];
    if (!::realpath(folder.c_str(), real)) continue;
    const std::string path = std::string(real) + "/";
    if (SystemFolder(path)) continue;
    webkit_web_context_add_path_to_sandbox(context, real, TRUE);
  }
  return state;
}

}  // namespace zel
