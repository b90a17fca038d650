// The zel executable. A start while this profile's browser runs hands its address (or its
// wish to be shown) to that browser and ends, without loading the toolkit or the engine:
// nothing here needs more than the C library and GLib. Every other start becomes the browser
// (zel-browser beside this file), which takes the whole single-instance decision again
// itself, so a browser that appears or goes meanwhile is handled as before.
#include <glib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/files.h"
#include "host/command_help.h"
#include "host/startup.h"
#include "platform/linux/instance_channel.h"
#include "update/install_ping.h"

namespace {

// GTK's own options (--display and the like) change where the browser would show: those
// starts are left to the browser, which reads them.
bool HasToolkitOptions(const std::vector<std::string>& args) {
  for (const std::string& a : args)
    if (a.rfind("--", 0) == 0) return true;
  return false;
}

// True when the running browser took this start. Anything unusual (no browser, a browser
// that stops answering, no shared file) is left to the full start, which reports it.
bool HandedOff(const std::vector<std::string>& args, const std::string& exeDir) {
  using namespace zel;
  if (HasToolkitOptions(args)) return false;
  // The installer's switches are the browser's work, never a target to hand off.
  if (InstallSwitchOfArguments(args) != InstallEvent::None) return false;
  const CommandLine cl = ParseCommandLine(args);
  const std::string program =
      ChooseProgramFolder(exeDir, ExeFolderTakesProfile(exeDir), g_getenv("ZEL_HOME"),
                          g_getenv("XDG_DATA_HOME"), g_get_home_dir());
  const ChannelPaths channel = ChannelPathsForProfile(program, JoinPath(program, kProfileSub));
  if (!FrameIsRunning(channel)) return false;
  switch (DecideInstance(!cl.target.empty(), true, true)) {
    case InstanceDecision::HandOff:
      if (SendHandOff(channel, cl.target) != SendResult::Sent) return false;
      PostRaise(channel);
      return true;
    case InstanceDecision::Raise:
      return SendRaise(channel);
    case InstanceDecision::Continue:
    case InstanceDecision::Exit:
      break;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (const zel::InfoRequest info = zel::InfoRequestOf(args); info != zel::InfoRequest::None) {
    std::fputs(zel::InfoText(info, ZEL_VERSION).c_str(), stdout);
    return 0;
  }
  const std::string exeDir = zel::ExecutableFolder();
  if (HandedOff(args, exeDir)) return 0;
  const std::string browser = zel::JoinPath(exeDir, "zel-browser");
  ::execv(browser.c_str(), argv);
  std::fprintf(stderr, "zel: cannot start %s: %s\n", browser.c_str(), std::strerror(errno));
  return 127;
}
