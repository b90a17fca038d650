// The install and uninstall report: one GET to the statistics host, its answer written to
// stat.dat in the profile folder, failures silent.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/text.h"
#include "services/http_fetch.h"

namespace zel {

enum class InstallEvent { None = 0, Install = 1, Uninstall = 2 };
inline constexpr int kInstallPingWaitMs = 1500;

// The switch of a whole command line: only when it starts with the program's own path in
// double quotes and holds more is the rest (after the closing quote and one separator)
// looked at; it must begin with "-Install" or "-Uninstall".
InstallEvent InstallSwitchOf(u16view commandLine, u16view programPath);
// The same rule over an argument vector (the arguments after the program's name): the
// line starts with the program's path, so the switch must begin the first argument.
InstallEvent InstallSwitchOfArguments(const std::vector<std::string>& args);

// The address reported for a kind (1 install, 2 uninstall): the statistics host, or
// ZEL_STATS_URL when it is set, followed by "stat?install" or "stat?uninstal". Empty for
// any other kind.
std::string InstallPingAddress(int kind);

// Starts the report on a thread of its own and returns at once. profileFolder is the
// folder stat.dat goes to.
void SendInstallPing(int kind, std::shared_ptr<HttpFetcher> fetcher, std::string profileFolder);

// The report as the install and uninstall steps make it: the ping, then a fixed wait of
// 1 500 ms whether or not it has finished.
void ReportInstallEvent(int kind, std::shared_ptr<HttpFetcher> fetcher,
                        const std::string& profileFolder);

}  // namespace zel
