// Whether the pages' processes run confined (WebKit's sandbox: bubblewrap, namespaces and a
// seccomp filter) and what the user is told when they do not. The facts come from a cheap
// look at the machine before the first web process (platform/linux/sandbox_probe).
#pragma once

#include "base/text.h"

namespace zel {

// The variable that turns the sandbox off for debugging ("1", or any text but "0").
inline constexpr char kDisableSandboxVariable[] = "ZEL_DISABLE_SANDBOX";

struct SandboxFacts {
  bool turnedOff = false;        // the debugging variable is set
  bool bwrapRunnable = false;    // WebKit's bubblewrap is there and executable
  bool bwrapSetuid = false;      // ... and set-user-id root (no user namespaces needed then)
  bool dbusProxyRunnable = false;  // WebKit's xdg-dbus-proxy is there and executable
  bool namespacesUsable = false;   // a child could get its own user, mount and PID namespaces
};

enum class SandboxState { On, Unavailable, TurnedOff };

SandboxState DecideSandbox(const SandboxFacts& facts);

// The status bar's notice for a run without the sandbox; empty when it is on.
u16 SandboxNotice(SandboxState state);
// The About box's line about it.
u16 SandboxAboutLine(SandboxState state);

}  // namespace zel
