// A look at this machine, cheap enough for every start, at whether WebKit's sandbox can run:
// its programs, and whether a child gets namespaces of its own and can mount its own /proc
// (what bubblewrap does first; containers and hardened kernels refuse it).
#pragma once

#include "platform/web_sandbox.h"

namespace zel {

// Where WebKit runs its sandbox's programs from (built into the engine).
inline constexpr char kBubblewrapPath[] = "/usr/bin/bwrap";
inline constexpr char kDbusProxyPath[] = "/usr/bin/xdg-dbus-proxy";

SandboxFacts ProbeSandbox();

}  // namespace zel
