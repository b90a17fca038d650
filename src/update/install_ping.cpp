#include "update/install_ping.h"

#include <chrono>
#include <cstdlib>
#include <thread>

#include "base/files.h"
#include "update/update_rules.h"

namespace zel {

namespace {
// "http://stat.zel-browser.org/", scrambled like the update address.
constexpr char kScrambledStatsHost[] = "3F9D412B2C1164C41A49DC6E345B3878160A18D58F942C166945A8A5";
constexpr uint32_t kHostSeed = 0x7A656C31;
constexpr int kPingTimeoutS = 20;
}  // namespace

InstallEvent InstallSwitchOf(u16view commandLine, u16view programPath) {
  const u16 quoted = u"\"" + u16(programPath) + u"\"";
  if (commandLine.size() <= quoted.size() || commandLine.substr(0, quoted.size()) != quoted)
    return InstallEvent::None;
  u16view rest = commandLine.substr(quoted.size() + 1);
  auto begins = [rest](u16view s) { return rest.substr(0, s.size()) == s; };
  if (begins(u"-Install")) return InstallEvent::Install;
  if (begins(u"-Uninstall")) return InstallEvent::Uninstall;
  return InstallEvent::None;
}

InstallEvent InstallSwitchOfArguments(const std::vector<std::string>& args) {
  const u16 program = u"zel";
  u16 line = u"\"" + program + u"\"";
  for (const std::string& a : args) line += u" " + FromUtf8(a);
  return InstallSwitchOf(line, program);
}

std::string InstallPingAddress(int kind) {
  const char* path = kind == 1 ? "stat?install" : kind == 2 ? "stat?uninstal" : nullptr;
  if (!path) return std::string();
  const char* env = std::getenv("ZEL_STATS_URL");
  std::string host = env && *env ? env : UnscrambleText(kScrambledStatsHost, kHostSeed);
  return host + path;
}

void SendInstallPing(int kind, std::shared_ptr<HttpFetcher> fetcher, std::string profileFolder) {
  std::thread([kind, fetcher = std::move(fetcher), folder = std::move(profileFolder)] {
    std::string url = InstallPingAddress(kind);
    if (url.empty() || !fetcher) return;
    HttpRequest req;
    req.url = url;
    req.path = JoinPath(folder, "stat.dat");
    req.timeoutSeconds = kPingTimeoutS;
    // Nothing is told to anyone: a failed report is simply not made.
    fetcher->Fetch(req, nullptr);
  }).detach();
}

void ReportInstallEvent(int kind, std::shared_ptr<HttpFetcher> fetcher,
                        const std::string& profileFolder) {
  SendInstallPing(kind, std::move(fetcher), profileFolder);
  std::this_thread::sleep_for(std::chrono::milliseconds(kInstallPingWaitMs));
}

}  // namespace zel
