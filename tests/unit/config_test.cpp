#include <gtest/gtest.h>
#include <sys/stat.h>

#include "settings/config_schema.h"
#include "settings/frame_settings.h"
#include "settings/settings_file.h"
#include "base/files.h"
#include "fakes/temp_dir.h"

using namespace zel;
using zel::test::ScratchProfile;

TEST(ConfigSchema, DefaultGestureListIs254Characters) {
  EXPECT_EQ(u16(kDefaultGestureList).size(), 254u);
}

TEST(ConfigSchema, FirstRunWritesValuesInOrder) {
  ScratchProfile p;
  EXPECT_TRUE(PrepareConfigFile());
  std::string text = ReadFileBytes(p.ConfigPath()).value();
  std::string expected =
      "[GENERAL]\r\nfirstrun=1\r\nzoomed=1\r\nhomepage=about:blank\r\nstartmode=1\r\n"
      "skin=default\r\ntop=50\r\nleft=50\r\nwidth=800\r\nheight=600\r\nctlpro=112\r\n"
      "[TABSET]\r\nsmall=0\r\nlocked=1\r\nlimit=100\r\nmaxwidth=100\r\nminwidth=50\r\n"
      "newactivewnd=1\r\nnewtablink=0\r\nnewsequence=1\r\n"
      "[PROXYSET]\r\nenable=0\r\n"
      "[MOUSESET]\r\nmdown=33225\r\nrdrag=0\r\nrldown=817\r\nlrdown=818\r\ngesture=" +
      ToUtf8(kDefaultGestureList) +
      "\r\nshowhelp=1\r\n"
      "[POPUPBLOCK]\r\nsound=1\r\nkillflying=1\r\nshowinfoBar=1\r\n"
      "[SEARCHSET]\r\nengine=0\r\nmatchcase=0\r\nmatchwhole=0\r\nsaveKeyword=0\r\n";
  EXPECT_EQ(text, expected);
  // The gesture list reads back whole through the wide reader.
  SettingsFile f(kConfigFile, u"MOUSESET");
  EXPECT_EQ(f.ReadText(u"gesture", u"", 260), kDefaultGestureList);
}

TEST(ConfigSchema, ExistingReadOnlyFileIsMadeWritable) {
  ScratchProfile p;
  SettingsFile(kConfigFile, u"GENERAL").WriteText(u"homepage", u"http://mine/");
  chmod(p.ConfigPath().c_str(), 0444);
  EXPECT_FALSE(PrepareConfigFile());
  struct stat st;
  stat(p.ConfigPath().c_str(), &st);
  EXPECT_TRUE(st.st_mode & S_IWUSR);
  EXPECT_EQ(ReadConfigInt(u"GENERAL", u"firstrun"), 0);
  EXPECT_EQ(ReadConfigText(u"GENERAL", u"homepage"), u"http://mine/");
}

TEST(ConfigSchema, LoadPointsUseAbsentValues) {
  ScratchProfile p;
  FrameSettings s;
  s.homepage = u"changed";
  LoadEarlySettings(s, 0x70);
  LoadFrameCreationSettings(s);
  LoadLateSettings(s);
  EXPECT_EQ(s.homepage, u"about:blank");
  EXPECT_EQ(s.width, 800);
  EXPECT_EQ(s.ctlpro, 0x70);  // the engine's flags when the key is missing
  EXPECT_TRUE(s.normalquit);
  EXPECT_TRUE(s.contentFilter);
  EXPECT_EQ(s.exception, u"<local>");
  EXPECT_EQ(s.mdown, 0);
  EXPECT_EQ(s.ceR, u".com");
  EXPECT_EQ(s.cseR, u".com.cn");
  EXPECT_EQ(s.caeL, u"http://www.");
  EXPECT_EQ(s.linkDrag[0], 9);
  EXPECT_EQ(s.txtDrag[1], 9);
  EXPECT_TRUE(s.newtabhome);
  EXPECT_TRUE(s.watchclipboard);
  EXPECT_FALSE(s.showGestureHint);  // showhelp absent reads 0 and wins over showgesture
}

TEST(ConfigSchema, FirstRunThenLoadGivesFirstRunValues) {
  ScratchProfile p;
  PrepareConfigFile();
  FrameSettings s;
  LoadEarlySettings(s, 0);
  LoadFrameCreationSettings(s);
  LoadLateSettings(s);
  EXPECT_EQ(s.startmode, 1);
  EXPECT_EQ(s.ctlpro, 112);
  EXPECT_TRUE(s.firstrun);
  EXPECT_EQ(s.mdown, 33225);
  EXPECT_EQ(s.rldown, 817);
  EXPECT_TRUE(s.showGestureHint);
  EXPECT_TRUE(s.sound);
  EXPECT_TRUE(s.showInfoBar);
}

TEST(ConfigSchema, AbnormalEndTurnsStartModeIntoTwoForThisRun) {
  ScratchProfile p;
  PrepareConfigFile();
  WriteConfigInt(u"GENERAL", u"normalquit", 0);
  FrameSettings s;
  LoadEarlySettings(s, 0);
  EXPECT_EQ(s.startmode, 2);
  EXPECT_EQ(s.storedStartmode, 1);
  EXPECT_EQ(ReadConfigInt(u"GENERAL", u"startmode"), 1);  // the stored value is untouched
  WriteConfigInt(u"GENERAL", u"normalquit", 1);
  LoadEarlySettings(s, 0);
  EXPECT_EQ(s.startmode, 1);
}

TEST(ConfigSchema, FunctionKeyTextsAreCounted) {
  ScratchProfile p;
  SettingsFile f(kConfigFile, u"HOTKEYSET");
  f.WriteInt(u"count", 2);
  f.WriteText(u"F_2", u"two");
  f.WriteText(u"F_3", u"three");
  f.WriteText(u"F_4", u"not counted");
  FrameSettings s;
  LoadLateSettings(s);
  ASSERT_EQ(s.functionKeyTexts.size(), 2u);
  EXPECT_EQ(s.functionKeyTexts[1], u"three");
}

TEST(ConfigSchema, ExitSaveWritesToggles) {
  ScratchProfile p;
  PrepareConfigFile();
  FrameSettings s;
  LoadEarlySettings(s, 0);
  s.popupFilter = true;
  s.newtablink = true;
  s.rdrag = true;
  s.skin = u"蓝色";
  SaveExitSettingsBeforeSearchWords(s);
  SaveExitSettingsAfterSearchWords(s);
  EXPECT_EQ(ReadConfigInt(u"POPUPBLOCK", u"enable"), 1);
  EXPECT_EQ(ReadConfigInt(u"TABSET", u"newtablink"), 1);
  EXPECT_EQ(ReadConfigInt(u"MOUSESET", u"rdrag"), 1);
  EXPECT_EQ(ReadConfigText(u"GENERAL", u"skin"), u"蓝色");
  EXPECT_EQ(ReadConfigText(u"PROXYSET", u"exception"), u"<local>");
}

TEST(ConfigSchema, EveryRowIsFoundAndUnique) {
  for (const auto& d : ConfigSchema()) {
    EXPECT_EQ(FindSetting(d.section, d.key), &d) << ToUtf8(d.section) << "/" << ToUtf8(d.key);
  }
}
