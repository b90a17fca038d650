// The options dialog: what it is given from the frame's settings, what "确认" puts back and
// writes, that "取消" changes nothing, the pages' rules (switching, defaults, the home page
// buttons) and the dialog's outside buttons (default browser, Internet options).
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "fakes/frame_fixture.h"
#include "options/options_controller.h"
#include "options/prefs_sheet.h"
#include "settings/settings_file.h"

using namespace zel;
using namespace zel::test;

namespace {

// A dialog that hands back what a script makes of the values it was given.
class ScriptedOptionsDialog : public OptionsDialogView {
 public:
  std::function<std::optional<OptionsValues>(OptionsValues, OptionsDialogEvents&)> script;
  std::optional<OptionsValues> given;
  std::optional<OptionsValues> EditOptions(const OptionsValues& values,
                                           OptionsDialogEvents& events) override {
    given = values;
    return script ? script(values, events) : std::nullopt;
  }
};

// A page whose "controls" are a copy of the values; Press stands for one of its buttons.
class FakePage : public CSAPrefsSubDlg {
 public:
  explicit FakePage(OptionsPageId id) : CSAPrefsSubDlg(id) {}
  OptionsValues controls;
  int shows = 0;
  bool focused = false;
  void Press(const std::function<void(OptionsValues&)>& change) { EditControls(change); }

 protected:
  void ShowValues(const OptionsValues& v) override {
    controls = v;
    ++shows;
  }
  void ReadControls(OptionsValues& v) override {
    switch (id()) {
      case OptionsPageId::General: v.start = controls.start; break;
      case OptionsPageId::Tabs: v.tabs = controls.tabs; break;
      case OptionsPageId::Privacy: v.clear = controls.clear; break;
    }
  }
  void FocusFailure() override { focused = true; }
};

class Options : public FrameFixture {
 protected:
  void SetUp() override { options().SetDialogs(&dialog_); }
  OptionsController& options() { return frame_.controller<OptionsController>(); }
  std::string ConfigText() { return ReadFileBytes(profile_.ConfigPath()).value_or(""); }
  ScriptedOptionsDialog dialog_;
};

// Values unlike every default and unlike what the fixture's frame holds.
OptionsValues Edited() {
  OptionsValues v;
  v.start = {.startMode = 2, .homePage = u"http://home.test/", .checkDefault = false};
  v.tabs = {.newSequence = 2, .closeActiveSeq = 1, .foreground = false, .newTabAddress = true};
  v.clear = {.cookies = true, .history = false, .cache = true, .form = false, .address = true,
             .search = false, .undo = true};
  return v;
}

TEST_F(Options, TheDialogStartsFromTheFramesSettings) {
  FrameSettings& s = frame_.settings();
  s.homepage = u"http://a.test/";
  s.storedStartmode = 1;
  s.startmode = 2;  // this run only, after an abnormal end: the page shows the stored choice
  s.checkdefault = false;
  s.newsequence = 2;
  s.closeactiveseq = -1;  // no button stands for "none": the left one shows
  s.activateNewTabs = false;
  s.newactiveopen = true;  // the page shows the frame's switch, not the address box's
  s.newtabaddress = true;
  s.clean.form = s.clean.undo = true;
  frame_.OnCommand(cmd::kOptions);
  ASSERT_TRUE(dialog_.given);
  OptionsValues want;
  want.start = {.startMode = 1, .homePage = u"http://a.test/", .checkDefault = false};
  want.tabs = {.newSequence = 2, .closeActiveSeq = 0, .foreground = false, .newTabAddress = true};
  want.clear.form = want.clear.undo = true;
  EXPECT_EQ(*dialog_.given, want);
}

TEST_F(Options, OkWritesExactlyItsKeysInOrderAndChangesTheFrame) {
  struct Case {
    const char* before;  // config.ini before, nullptr for none
    const char* after;
  };
  const Case cases[] = {
      {nullptr,
       "[GENERAL]\r\nhomepage=http://home.test/\r\ncheckdefault=0\r\nstartmode=2\r\n"
       "[CLEANSET]\r\ncache=1\r\ncookies=1\r\nfrom=0\r\nhistory=0\r\naddress=1\r\nsearch=0\r\n"
       "undo=1\r\n[TABSET]\r\nnewtabaddress=1\r\nnewsequence=2\r\ncloseactiveseq=1\r\n"
       "newactiveopen=0\r\n"},
      // Keys there already are replaced where they are; everything else stays as it was.
      {"[GENERAL]\r\nskin=blue\r\nstartmode=0\r\n[TABSET]\r\nnewactivewnd=1\r\n"
       "newsequence=0\r\n",
       "[GENERAL]\r\nskin=blue\r\nstartmode=2\r\nhomepage=http://home.test/\r\ncheckdefault=0\r\n"
       "[TABSET]\r\nnewactivewnd=1\r\nnewsequence=2\r\nnewtabaddress=1\r\ncloseactiveseq=1\r\n"
       "newactiveopen=0\r\n[CLEANSET]\r\ncache=1\r\ncookies=1\r\nfrom=0\r\nhistory=0\r\n"
       "address=1\r\nsearch=0\r\nundo=1\r\n"},
  };
  for (const Case& c : cases) {
    std::remove(profile_.ConfigPath().c_str());
    if (c.before) {
      CreateFolderLevels(profile_.ProfileFolder());
      ASSERT_TRUE(WriteFileAtomic(profile_.ConfigPath(), c.before));
    }
    frame_.settings() = FrameSettings();
    dialog_.script = [](OptionsValues, OptionsDialogEvents&) { return Edited(); };
    frame_.OnCommand(cmd::kOptions);
    EXPECT_EQ(ConfigText(), c.after);
    const FrameSettings& s = frame_.settings();
    EXPECT_EQ(s.homepage, u"http://home.test/");
    EXPECT_FALSE(s.checkdefault);
    EXPECT_EQ(s.storedStartmode, 2);
    EXPECT_EQ(s.newsequence, 2);
    EXPECT_EQ(s.closeactiveseq, 1);
    EXPECT_FALSE(s.activateNewTabs);
    EXPECT_FALSE(s.newactiveopen);  // what the file now says for the address box
    EXPECT_TRUE(s.newtabaddress);
    EXPECT_EQ(OptionsFromSettings(s), Edited());
    EXPECT_EQ(frame_.CommandChecked(cmd::kActivateNewTabs), false);
  }
}

TEST_F(Options, OkTakesEffectOnTheNextTab) {
  OpenPage("http://a.test/", "A");
  OpenPage("http://b.test/", "B");
  frame_.ActivateTab(frame_.TabAt(0));
  dialog_.script = [](OptionsValues v, OptionsDialogEvents&) {
    v.tabs.newSequence = 0;  // left of the current tab
    return std::optional(v);
  };
  frame_.OnCommand(cmd::kOptions);
  OpenPage("http://c.test/", "C");
  EXPECT_EQ(Captions(), (std::vector<u16>{u"C", u"A", u"B"}));
}

TEST_F(Options, CancelChangesNothing) {
  CreateFolderLevels(profile_.ProfileFolder());
  const std::string before = "[GENERAL]\r\nhomepage=http://keep.test/\r\n";
  ASSERT_TRUE(WriteFileAtomic(profile_.ConfigPath(), before));
  frame_.settings().homepage = u"http://keep.test/";
  const OptionsValues was = OptionsFromSettings(frame_.settings());
  const bool wasActive = frame_.settings().newactiveopen;
  dialog_.script = [](OptionsValues, OptionsDialogEvents&) { return std::nullopt; };
  frame_.OnCommand(cmd::kOptions);
  EXPECT_TRUE(dialog_.given);
  EXPECT_EQ(ConfigText(), before);
  EXPECT_EQ(OptionsFromSettings(frame_.settings()), was);
  EXPECT_EQ(frame_.settings().newactiveopen, wasActive);
}

TEST_F(Options, SetAsDefaultRunsTheRegistrationAtOnceAndSaysHowItWent) {
  // Without the desktop's associations the registration cannot be made: that is said, and
  // never as a success; the dialog goes on.
  bool asked = false;
  dialog_.script = [&](OptionsValues, OptionsDialogEvents& e) {
    e.MakeDefaultBrowser();
    asked = true;
    EXPECT_EQ(prompts_.messages, std::vector<u16>{u"无法将Zel浏览器设置为默认浏览器"});
    return std::nullopt;
  };
  frame_.OnCommand(cmd::kOptions);
  EXPECT_TRUE(asked);
  EXPECT_EQ(prompts_.messages, std::vector<u16>{u"无法将Zel浏览器设置为默认浏览器"});
}

TEST_F(Options, InternetOptionsOpenTheDesktopsNetworkSettingsElseTheProxyDialog) {
  struct Case {
    u16 found;         // where the settings program is, empty when it is not installed
    bool starts;       // whether it starts
    bool proxyDialog;  // the fall-back ran
  };
  const Case cases[] = {
      {u"/usr/bin/gnome-control-center", true, false},
      {u"/usr/bin/gnome-control-center", false, true},
      {u"", true, true},
  };
  for (const Case& c : cases) {
    CommandRegistry commands;
    int proxyDialogs = 0;
    commands.Add(cmd::kProxyDialog, [&] { ++proxyDialogs; });
    FakeShell shell;
    shell.startResult = c.starts;
    std::vector<u16> asked;
    OptionsController o({frame_, commands, frame_.settings(), &loop_, &prompts_, nullptr, &shell},
                        {.findProgram = [&](u16view name) {
                          asked.push_back(u16(name));
                          return c.found;
                        }});
    commands.Run(cmd::kInternetOptions);
    EXPECT_EQ(asked, std::vector<u16>{u"gnome-control-center"});
    if (!c.found.empty()) {
      ASSERT_EQ(shell.calls.size(), 1u);
      EXPECT_EQ(shell.calls[0].target, c.found);
      EXPECT_EQ(shell.calls[0].parameter, u"network");
    } else {
      EXPECT_TRUE(shell.calls.empty());
    }
    EXPECT_EQ(proxyDialogs, c.proxyDialog ? 1 : 0);
  }
}

// The container and its pages, over pages whose controls are plain values.
class Sheet : public ::testing::Test {
 protected:
  Sheet() : sheet_(Edited()) {
    for (FakePage* p : {&start_, &tabs_, &safe_}) sheet_.AddPage(*p);
  }
  FakePage start_{OptionsPageId::General}, tabs_{OptionsPageId::Tabs},
      safe_{OptionsPageId::Privacy};
  OptionsSheet sheet_;
};

TEST_F(Sheet, PagesAreFilledAndTheFirstIsShown) {
  EXPECT_EQ(sheet_.shown(), &start_);
  for (FakePage* p : {&start_, &tabs_, &safe_}) EXPECT_EQ(p->controls, Edited());
  EXPECT_EQ(std::u16string(OptionsPageLabel(OptionsPageId::General)), u"常规 ");
  EXPECT_EQ(std::u16string(OptionsPageLabel(OptionsPageId::Tabs)), u"标签页 ");
  EXPECT_EQ(std::u16string(OptionsPageLabel(OptionsPageId::Privacy)), u"隐私安全");
}

TEST_F(Sheet, RestoreDefaultsTouchesOnlyTheShownPage) {
  ASSERT_TRUE(sheet_.Show(OptionsPageId::Tabs));
  sheet_.RestoreShownDefaults();
  // 在当前标签页的左侧, 跳转到原标签页左边的标签页, 在前台打开, the box off.
  EXPECT_EQ(tabs_.controls.tabs,
            (TabOptions{.newSequence = 0, .closeActiveSeq = 0, .foreground = true,
                        .newTabAddress = false}));
  ASSERT_TRUE(sheet_.Show(OptionsPageId::General));
  sheet_.RestoreShownDefaults();
  EXPECT_EQ(start_.controls.start,
            (StartOptions{.startMode = 0, .homePage = u"", .checkDefault = true}));
  ASSERT_TRUE(sheet_.Show(OptionsPageId::Privacy));
  sheet_.RestoreShownDefaults();
  EXPECT_EQ(safe_.controls.clear, ClearOptions{});
  std::optional<OptionsValues> kept = sheet_.Confirm();
  ASSERT_TRUE(kept);
  EXPECT_EQ(*kept, OptionsValues{});
}

TEST_F(Sheet, HomePageButtonsFillTheFieldAtOnceAndKeepTheRestOfThePage) {
  start_.controls.start.startMode = 0;  // the user picked 空白页面 before the button
  start_.Press([](OptionsValues& v) { UseBlankHomePage(v.start); });
  EXPECT_EQ(start_.controls.start.homePage, u"about:blank");
  EXPECT_EQ(start_.controls.start.startMode, 0);
  EXPECT_EQ(sheet_.values().start.homePage, u"http://home.test/");  // until the page is read
  start_.Press([](OptionsValues& v) { UseCurrentHomePage(v.start, u"http://now.test/"); });
  EXPECT_EQ(start_.controls.start.homePage, u"http://now.test/");
  start_.Press([](OptionsValues& v) { UseCurrentHomePage(v.start, u""); });  // no tab
  EXPECT_EQ(start_.controls.start.homePage, u"http://now.test/");
  std::optional<OptionsValues> kept = sheet_.Confirm();
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->start.homePage, u"http://now.test/");
  EXPECT_EQ(kept->start.startMode, 0);
}

TEST_F(Sheet, APageIsLeftOnlyWhenItsControlsCanBeKept) {
  struct Case {
    u16 typed;
    bool leaves;
    u16 kept;
  };
  const Case cases[] = {
      {u"  http://a.test/\r\n", true, u"http://a.test/"},
      {u16(kMaxHomePageLength, u'a'), true, u16(kMaxHomePageLength, u'a')},
      {u16(kMaxHomePageLength + 1, u'a'), false, u16(kMaxHomePageLength, u'a')},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(sheet_.Show(OptionsPageId::General));
    start_.controls.start.homePage = c.typed;
    start_.focused = false;
    EXPECT_EQ(sheet_.Show(OptionsPageId::Tabs), c.leaves);
    EXPECT_EQ(sheet_.shown(), c.leaves ? static_cast<CSAPrefsSubDlg*>(&tabs_) : &start_);
    EXPECT_EQ(start_.focused, !c.leaves);
    EXPECT_EQ(start_.failure().empty(), c.leaves);
    EXPECT_EQ(sheet_.values().start.homePage, c.kept);
    if (c.leaves) {
      EXPECT_EQ(start_.controls.start.homePage, c.kept);  // shown tidied
    } else {
      EXPECT_FALSE(sheet_.Confirm());  // "确认" keeps the dialog open the same way
    }
  }
}

}  // namespace
