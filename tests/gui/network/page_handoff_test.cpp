// A page that sends the tab to a location another program of the desktop takes (here
// "shell:", whose handler is a test script that writes down what it was given): asked
// first, naming the program; No starts nothing. A typed location goes as before.
#include <gtest/gtest.h>

#include <cstdlib>

#include "base/files.h"
#include "support/pump.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class PageHandOff : public FrameTest {
 protected:
  void BeforeStart() override {
    const char* data = std::getenv("XDG_DATA_HOME");
    ASSERT_NE(data, nullptr) << "run through ctest: the handler lives in its XDG folder";
    opened_ = std::string(data) + "/shell-opened.txt";
    ::unlink(opened_.c_str());
    for (const char* name : {"first", "second"})
      server_.SetPage(std::string("/raw/") + name,
                      std::string("<!DOCTYPE html><html><head><title>Away</title></head><body>"
                                  "<script>setTimeout(function(){location.href='shell:zel-") +
                          name + "';},0);</script></body></html>");
  }
  std::string Opened() const { return ReadFileBytes(opened_).value_or(""); }

  std::string opened_;
};

TEST_F(PageHandOff, APageAsksBeforeAnotherProgramTakesItsLocation) {
  prompts_.yesAnswers = {false};
  ASSERT_NE(OpenAndWait("/raw/first", "Away"), nullptr);
  ASSERT_TRUE(PumpUntil([&] { return !prompts_.questions.empty(); }));
  const std::string asked = ToUtf8(prompts_.questions.back());
  EXPECT_NE(asked.find("Zel test shell"), std::string::npos) << asked;
  EXPECT_NE(asked.find("shell:zel-first"), std::string::npos) << asked;

  prompts_.yesAnswers = {true};
  ASSERT_NE(OpenAndWait("/raw/second", "Away"), nullptr);
  ASSERT_TRUE(PumpUntil([&] { return Opened().find("shell:zel-second") != std::string::npos; },
                        20s));
  EXPECT_EQ(prompts_.questions.size(), 2u);
  // The refused one never reached the program.
  EXPECT_EQ(Opened().find("zel-first"), std::string::npos) << Opened();

  // The user's own typed location goes to the program as it always did.
  probe().EnterAddress("shell:zel-typed", GdkModifierType(0));
  ASSERT_TRUE(PumpUntil([&] { return Opened().find("shell:zel-typed") != std::string::npos; },
                        20s));
  EXPECT_EQ(prompts_.questions.size(), 2u);
}

}  // namespace
