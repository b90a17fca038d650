// The window's modes: the boss key's stored value as an X key, the bars' layout file, full
// screen and auto-hide and how they leave each other, hiding to the tray, and the boss key
// and password path.
#include <gtest/gtest.h>

#include "base/files.h"
#include "base/ini_document.h"
#include "fakes/frame_fixture.h"
#include "settings/settings_file.h"
#include "window/boss_key.h"
#include "window/window_controller.h"

using namespace zel;
using namespace zel::test;

namespace {

TEST(BossKey, StoredValuesMapToXKeysAndModifiers) {
  struct Case {
    int stored;
    std::optional<XKeyBinding> want;
  } cases[] = {
      {0, std::nullopt},                                 // no boss key
      {0x0200, std::nullopt},                            // modifiers without a key
      {'A' | (2 << 8), XKeyBinding{'a', 4}},             // Ctrl+A
      {'Z' | (3 << 8), XKeyBinding{'z', 4 | 8}},         // Ctrl+Alt+Z
      {'1' | (8 << 8), XKeyBinding{'1', 64}},            // Win+1
      {0x7B | (4 << 8), XKeyBinding{0xffc9, 1}},         // Shift+F12
      {0x70, XKeyBinding{0xffbe, 0}},                    // F1
      {0x65 | (1 << 8), XKeyBinding{0xffb5, 8}},         // Alt+keypad 5
      {0x2E | (6 << 8), XKeyBinding{0xffff, 4 | 1}},     // Ctrl+Shift+Delete
      {0xC0 | (2 << 8), XKeyBinding{'`', 4}},            // Ctrl+`
      {0x07, std::nullopt},                              // a code no key has
      {'Q' | (15 << 8) | 0x10000, XKeyBinding{'q', 1 | 4 | 8 | 64}},  // high bits ignored
  };
  for (const Case& c : cases) EXPECT_EQ(MapBossKey(c.stored), c.want) << std::hex << c.stored;
}

TEST(BarLayoutFile, ADraggedBarGoesInFrontOfTheBarItWasDroppedBefore) {
  const std::vector<u16> row = {u"Standard", u"Address", u"Search"};
  struct Case {
    const char16_t* moved;
    size_t before;
    std::vector<u16> want;
  } cases[] = {
      {u"Search", 0, {u"Search", u"Standard", u"Address"}},
      {u"Standard", 3, {u"Address", u"Search", u"Standard"}},
      {u"Standard", 99, {u"Address", u"Search", u"Standard"}},
      {u"Standard", 2, {u"Address", u"Standard", u"Search"}},
      {u"Address", 1, row},  // dropped where it is
      {u"Address", 2, row},
      {u"Menu", 0, row},     // not a bar of the row
  };
  for (const Case& c : cases)
    EXPECT_EQ(MoveBarInOrder(row, c.moved, c.before), c.want) << ToUtf8(c.moved) << " " << c.before;
}

TEST(BarLayoutFile, ReadsWhatIsValidAndKeepsTheOtherSections) {
  struct Case {
    const char* what;
    std::string file;
    BarLayout want;
  } cases[] = {
      {"no file: the default", "", BarLayout{}},
      {"binary garbage: the default", std::string("\x00\xff[Comm\x01\r\n=\xfe", 10), BarLayout{}},
      {"a saved layout",
       "[CommandBars]\r\nStandard=0\r\nSearch=1\r\nTabStyle=0\r\nStatusbar=0\r\nLocked=0\r\n"
       "Order=Search,Standard,Address\r\n",
       BarLayout{.standard = false, .search = true, .tabs = false, .status = false,
                 .locked = false, .order = {u"Search", u"Standard", u"Address"}}},
      {"values other than 0 and 1 keep the default",
       "[CommandBars]\r\nStandard=2\r\nSearch=\r\nLocked=yes\r\n", BarLayout{}},
      {"an order that misses or repeats a bar keeps the default",
       "[CommandBars]\r\nOrder=Search,Search,Address\r\n", BarLayout{}},
      {"an order with an unknown bar keeps the default",
       "[CommandBars]\r\nOrder=Search,Standard,Address,Menu\r\n", BarLayout{}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseBarLayout(c.file), c.want) << c.what;

  std::string file = "[ZELSide]\r\nWidth=300\r\nPanes=1530\r\n";
  BarLayout l{.standard = false, .order = {u"Address", u"Search", u"Standard"}};
  std::string written = WriteBarLayout(file, l);
  EXPECT_EQ(IniDocument::Parse(written).Get(u"ZELSide", u"Width"), std::optional<u16>(u"300"));
  EXPECT_EQ(ParseBarLayout(written), l);
}

class RecordingTray : public TrayPort {
 public:
  void SetActions(Actions a) override { actions = std::move(a); }
  void ShowIcon(u16view) override {
    shown = true;
    ++adds;
  }
  void RemoveIcon() override { shown = false; }
  bool IconShown() const override { return shown; }
  Actions actions;
  bool shown = false;
  int adds = 0;
};

class RecordingHotKey : public HotKeyPort {
 public:
  bool Register(unsigned k, unsigned m, std::function<void()> p) override {
    if (refuse) return false;
    keysym = k;
    modifiers = m;
    pressed = std::move(p);
    return true;
  }
  void Unregister() override { pressed = nullptr; }
  bool refuse = false;
  unsigned keysym = 0, modifiers = 0;
  std::function<void()> pressed;
};

class WindowModes : public FrameFixture {
 protected:
  WindowController& modes() { return frame_.controller<WindowController>(); }
  void Start() {
    modes().SetDesktop(&tray_, &hotKey_);
    modes().OnDeferredStartup();
    loop_.RunPosted();
  }
  std::string LayoutFile() {
    return JoinPath(JoinPath(SettingsFile::BaseFolder(), SettingsFile::ProfileSub()),
                    "CommandBars.ini");
  }
  RecordingTray tray_;
  RecordingHotKey hotKey_;
};

TEST_F(WindowModes, FullScreenAndAutoHideLeaveEachOther) {
  // F12 in full screen leaves full screen and turns auto-hide on; F11 with auto-hide on
  // turns it off and goes full screen.
  frame_.OnCommand(cmd::kFunctionKeyF11);
  EXPECT_TRUE(window_.fullScreen);
  EXPECT_EQ(frame_.CommandChecked(cmd::kFullScreen), std::optional<bool>(true));
  frame_.OnCommand(cmd::kFunctionKeyF12);
  EXPECT_FALSE(window_.fullScreen);
  EXPECT_TRUE(window_.autoHidden);
  EXPECT_EQ(frame_.CommandChecked(cmd::kAutoHideBars), std::optional<bool>(true));
  frame_.OnCommand(cmd::kFullScreen);
  EXPECT_TRUE(window_.fullScreen);
  EXPECT_FALSE(window_.autoHidden);
  frame_.OnCommand(cmd::kFullScreen);
  EXPECT_FALSE(window_.fullScreen);
  // A hidden frame is shown before it goes full screen.
  window_.MinimizeAndHideFrame();
  frame_.OnCommand(cmd::kFullScreen);
  EXPECT_TRUE(window_.FrameShown());
  EXPECT_TRUE(window_.fullScreen);
}

TEST_F(WindowModes, BarsFollowTheirCommandsAndTheLayoutLastsFromRunToRun) {
  frame_.settings().firstrun = false;
  modes().OnSettingsLoaded();
  EXPECT_TRUE(window_.barsLocked);  // locked from the start
  for (int id : {cmd::kStandardBar, cmd::kSearchBarShown, cmd::kTabBarShown,
                 cmd::kStatusBarShown})
    EXPECT_EQ(frame_.CommandChecked(id), std::optional<bool>(true)) << id;
  frame_.OnCommand(cmd::kSearchBarShown);
  frame_.OnCommand(cmd::kStatusBarShown);
  frame_.OnCommand(cmd::kLockBars);
  EXPECT_FALSE(window_.BarShown(FrameBar::SearchBar));
  EXPECT_EQ(frame_.CommandChecked(cmd::kSearchBarShown), std::optional<bool>(false));
  EXPECT_EQ(frame_.CommandChecked(cmd::kLockBars), std::optional<bool>(false));
  // Another section of the file (the side panes') stays.
  ASSERT_TRUE(WriteFileAtomic(LayoutFile(), "[ZELSide]\r\nWidth=300\r\n"));
  modes().OnShutdown();
  std::string bytes;
  ASSERT_EQ(ReadFileBytes(LayoutFile(), &bytes), ReadStatus::Ok);
  BarLayout saved = ParseBarLayout(bytes);
  EXPECT_FALSE(saved.search);
  EXPECT_FALSE(saved.status);
  EXPECT_TRUE(saved.standard);
  EXPECT_FALSE(saved.locked);
  EXPECT_NE(bytes.find("[ZELSide]"), std::string::npos);

  // The next run shows what was saved; the first run of a profile ignores the file.
  window_.barsShown.clear();
  frame_.settings().layoutFileAtStart.reset();  // a new run reads the file again
  modes().OnSettingsLoaded();
  EXPECT_FALSE(window_.BarShown(FrameBar::SearchBar));
  EXPECT_FALSE(window_.barsLocked);
  window_.barsShown.clear();
  frame_.settings().firstrun = true;
  frame_.settings().layoutFileAtStart.reset();
  modes().OnSettingsLoaded();
  EXPECT_TRUE(window_.BarShown(FrameBar::SearchBar));
  EXPECT_TRUE(window_.barsLocked);
}

TEST_F(WindowModes, TheTrayTakesTheFrameAsChosen) {
  struct Case {
    bool showtray, minitray, closetray;
    bool iconAtStart, closeHides, minimizeHides;
  } cases[] = {
      {false, false, false, false, false, false},
      {true, false, false, true, false, false},
      {false, true, false, false, false, true},
      {false, false, true, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.showtray << c.minitray << c.closetray);
    tray_.RemoveIcon();
    window_.ShowFrame();
    frame_.settings().showtray = c.showtray;
    frame_.settings().minitray = c.minitray;
    frame_.settings().closetray = c.closetray;
    Start();
    EXPECT_EQ(tray_.shown, c.iconAtStart);
    EXPECT_EQ(modes().TakeCloseBox(), c.closeHides);
    EXPECT_EQ(!window_.FrameShown(), c.closeHides);
    window_.ShowFrame();
    window_.minimized = true;
    modes().OnMinimized();
    EXPECT_EQ(!window_.visible, c.minimizeHides);
    // Hidden to the tray, the icon is there and brings the frame back.
    if (c.closeHides || c.minimizeHides) {
      EXPECT_TRUE(tray_.shown);
      tray_.actions.show();
      EXPECT_TRUE(window_.FrameShown());
    }
  }
}

TEST_F(WindowModes, TheBossKeyHidesAndShowsAndAsksALockedTabsPassword) {
  frame_.settings().bosskey = 'B' | (2 << 8);  // Ctrl+B
  CChildFrame* tab = OpenPage("http://a.test/", "A");
  Start();
  ASSERT_TRUE(hotKey_.pressed);
  EXPECT_EQ(hotKey_.keysym, unsigned('b'));
  EXPECT_EQ(hotKey_.modifiers, 4u);
  hotKey_.pressed();
  EXPECT_FALSE(window_.FrameShown());
  EXPECT_FALSE(tray_.shown);  // registered without the tray: nothing shows the program
  hotKey_.pressed();
  EXPECT_TRUE(window_.FrameShown());

  tab->hasPassword = true;
  tab->password = u"pw";
  hotKey_.pressed();
  prompts_.textAnswers.push_back(u"wrong");
  hotKey_.pressed();
  EXPECT_FALSE(window_.FrameShown());  // a wrong password hides the frame again
  EXPECT_EQ(prompts_.messages.back(), u"密码错误");
  prompts_.textAnswers.push_back(u"pw");
  hotKey_.pressed();
  EXPECT_TRUE(window_.FrameShown());
  // A second start shows the frame without the password.
  hotKey_.pressed();
  modes().OnBossKey(true);
  EXPECT_TRUE(window_.FrameShown());
  // Tab windows keep their state while a tab is protected.
  frame_.OnCommand(cmd::kMinimizeTabWindow);
  EXPECT_EQ(prompts_.messages.back(), u"无法最小化或还原窗口, 因为一些窗口正处于被保护状态.");
}

TEST_F(WindowModes, AKeyTheDesktopRefusesIsSaidOnce) {
  frame_.settings().bosskey = 'B' | (2 << 8);
  hotKey_.refuse = true;
  Start();
  EXPECT_NE(window_.status.find(u"老板键"), u16::npos);
  // Without the key, showing the frame does not hide it.
  modes().OnBossKey(false);
  EXPECT_TRUE(window_.FrameShown());
}

}  // namespace
