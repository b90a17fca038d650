// Clearing traces: the dialog's choice and the exit switches run the owners' clearing, in
// order; kinds whose owner is missing are left alone.
#include <gtest/gtest.h>

#include "fakes/frame_fixture.h"
#include "frame/address_box.h"
#include "privacy/privacy_controller.h"
#include "session/session_controller.h"

using namespace zel;
using namespace zel::test;

namespace {

class ScriptedClearDialog : public ClearDialogView {
 public:
  std::optional<TraceChoice> answer;
  int shown = 0;
  std::optional<TraceChoice> AskTraces() override {
    ++shown;
    return answer;
  }
};

class Privacy : public FrameFixture {
 protected:
  void SetUp() override {
    privacy().SetDialogs(&dialog_);
    // One closed page and one typed address to clear.
    CChildFrame* a = OpenPage("http://a.test/", "A");
    OpenPage("http://b.test/", "B");
    Close(a);
    frame_.controller<AddressBoxController>().OnAddressEnter(u"c.test", ModifierState{});
    loop_.RunPosted();
    ASSERT_FALSE(closed().empty());
    ASSERT_FALSE(typed().empty());
  }
  PrivacyController& privacy() { return frame_.controller<PrivacyController>(); }
  const ClosedRing& closed() { return frame_.controller<SessionController>().closedPages(); }
  const std::vector<u16>& typed() {
    return frame_.controller<AddressBoxController>().typedAddresses();
  }
  ScriptedClearDialog dialog_;
};

TEST_F(Privacy, TheDialogClearsWhatIsCheckedInOrder) {
  struct Case {
    std::optional<TraceChoice> answer;
    std::vector<std::pair<SiteData, bool>> siteData;
    bool closedGone, typedGone;
  };
  const TraceChoice all{true, true, true, true, true, true, true};
  const TraceChoice cookiesAndClosed{false, true, false, false, false, false, true};
  const Case cases[] = {
      {std::nullopt, {}, false, false},  // "关闭"
      {TraceChoice{}, {}, false, false},  // "立即清除" with nothing checked
      {cookiesAndClosed, {{SiteData::Cookies, false}}, true, false},
      {all, {{SiteData::Caches, false}, {SiteData::Cookies, false}}, true, true},
  };
  for (const Case& c : cases) {
    SetUp();
    engines_.cleared.clear();
    dialog_.answer = c.answer;
    frame_.OnCommand(cmd::kClearTraces);
    EXPECT_EQ(engines_.cleared, c.siteData);
    EXPECT_EQ(closed().empty(), c.closedGone);
    EXPECT_EQ(typed().empty(), c.typedGone);
  }
  EXPECT_EQ(dialog_.shown, 4);
}

TEST_F(Privacy, ExitClearsTheKindsItsSwitchesNameAndWaitsForTheEngine) {
  frame_.settings().clean.cookies = true;
  frame_.settings().clean.undo = true;
  EXPECT_EQ(privacy().ExitChoice(), (TraceChoice{false, true, false, false, false, false, true}));
  frame_.Close(CloseSource::System);
  ASSERT_EQ(engines_.cleared.size(), 1u);
  EXPECT_EQ(engines_.cleared[0], std::make_pair(SiteData::Cookies, true));
  EXPECT_TRUE(closed().empty());
  EXPECT_FALSE(typed().empty());  // not chosen
}

}  // namespace
