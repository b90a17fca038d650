// GLib messages seen by a GUI test: criticals and errors (a failure to look at) and
// warnings, kept from the last ClearLogged().
#pragma once

#include <string>
#include <vector>

namespace zel::test {

// Sends every GLib message through the watch (and on to the default writer).
void WatchGLog();
std::vector<std::string> LoggedCriticals();
std::vector<std::string> LoggedWarnings();
void ClearLogged();

}  // namespace zel::test
