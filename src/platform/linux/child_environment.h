// Settings this process makes in its own environment for the engine and the toolkit (how
// pages are drawn): the programs it starts for the user get the environment the user gave
// it, without them.
#pragma once

#include <gio/gio.h>

#include <string>
#include <vector>

namespace zel {

// Sets name to value unless the user set it already; only before any thread starts.
void SetForThisProcessOnly(const char* name, const char* value);
// The names set by SetForThisProcessOnly (a value the user set is not among them).
const std::vector<std::string>& NamesSetForThisProcessOnly();
// The environment for a program the browser starts (free with g_strfreev).
char** EnvironmentForChildren();
// A launch context that starts programs with that environment (unref when done).
GAppLaunchContext* LaunchContextForChildren();

}  // namespace zel
