#include "platform/linux/child_environment.h"

namespace zel {

namespace {
std::vector<std::string>& Names() {
  static std::vector<std::string> names;
  return names;
}
}  // namespace

void SetForThisProcessOnly(const char* name, const char* value) {
  if (g_getenv(name)) return;
  g_setenv(name, value, TRUE);
  Names().push_back(name);
}

const std::vector<std::string>& NamesSetForThisProcessOnly() { return Names(); }

char** EnvironmentForChildren() {
  char** env = g_get_environ();
  for (const std::string& name : Names()) env = g_environ_unsetenv(env, name.c_str());
  return env;
}

GAppLaunchContext* LaunchContextForChildren() {
  GAppLaunchContext* context = g_app_launch_context_new();
  for (const std::string& name : Names()) g_app_launch_context_unsetenv(context, name.c_str());
  return context;
}

}  // namespace zel
