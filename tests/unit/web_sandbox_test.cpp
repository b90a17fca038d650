// When the pages run in WebKit's sandbox, and what a run without it tells the user.
#include <gtest/gtest.h>

#include "platform/web_sandbox.h"

namespace zel::test {
namespace {

TEST(WebSandbox, RunsOnlyWhereItsProgramsAndNamespacesAre) {
  const struct {
    const char* name;
    SandboxFacts facts;
    SandboxState state;
  } cases[] = {
      {"everything there", {false, true, false, true, true}, SandboxState::On},
      {"turned off for debugging", {true, true, false, true, true}, SandboxState::TurnedOff},
      {"no bubblewrap", {false, false, false, true, true}, SandboxState::Unavailable},
      {"no dbus proxy", {false, true, false, false, true}, SandboxState::Unavailable},
      {"user namespaces refused", {false, true, false, true, false}, SandboxState::Unavailable},
      {"refused, but bubblewrap is set-user-id", {false, true, true, true, false}, SandboxState::On},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.name);
    EXPECT_EQ(DecideSandbox(tc.facts), tc.state);
    // Only a run without the sandbox has a notice; the About box always says which it is.
    EXPECT_EQ(SandboxNotice(tc.state).empty(), tc.state == SandboxState::On);
    EXPECT_FALSE(SandboxAboutLine(tc.state).empty());
  }
  EXPECT_NE(SandboxNotice(SandboxState::TurnedOff).find(u"ZEL_DISABLE_SANDBOX"), u16::npos);
}

}  // namespace
}  // namespace zel::test
