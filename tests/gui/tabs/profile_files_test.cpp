// Profile files the browser cannot read: it starts on defaults, tells the user, and leaves
// the files as they are.
#include <gtest/gtest.h>

#include "base/commands.h"
#include "base/files.h"
#include "support/pump.h"
#include "support/window_probe.h"
#include "tabs/frame_test.h"

using namespace zel;
using namespace zel::test;

namespace {

class UnreadableProfile : public FrameTest {
 protected:
  void BeforeStart() override {
    TakeUnreadableFiles();  // what earlier tests of this process left
    ASSERT_TRUE(CreateFolderLevels(ProfileFolder() + "/registry.ini"));
  }
};

TEST_F(UnreadableProfile, StartsSaysSoAndLeavesTheFileAlone) {
  EXPECT_EQ(probe().StatusText(), "设置文件无法读取: registry.ini");
  ASSERT_NE(OpenAndWait("/t/Works", "Works"), nullptr);
  frame().OnCommand(cmd::kOffline);  // a registry write
  frame().OnCommand(cmd::kOffline);
  EXPECT_TRUE(DirExists(ProfileFolder() + "/registry.ini"));
}

}  // namespace
