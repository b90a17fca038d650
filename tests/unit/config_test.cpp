#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

#include "gestures/gesture_table.h"
#include "search/search_engines.h"
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

TEST(ConfigSchema, AStartingBrowserMarksItselfRunningAndGoesByHowTheLastRunEnded) {
  // The browser marks itself running in the same rewrite that prepares the file; the
  // start-page rule still sees the value the last run left.
  struct Case {
    const char* before;  // normalquit before the start, nullptr: a new profile
    bool lastEndedNormally;
    int startmode;
  };
  for (const Case& c : {Case{nullptr, true, 1}, Case{"1", true, 1}, Case{"0", false, 2}}) {
    ScratchProfile p;
    if (c.before) {
      PrepareConfigFile();
      SettingsBatch b(kConfigFile);
      b.WriteText(u"GENERAL", u"normalquit", FromUtf8(c.before));
      b.Commit();
    }
    EXPECT_EQ(PrepareConfigFile(RunMark::MarkRunning), c.before == nullptr);
    EXPECT_EQ(ReadConfigInt(u"GENERAL", u"normalquit"), 0);
    EXPECT_EQ(ReadConfigInt(u"GENERAL", u"firstrun"), c.before ? 0 : 1);
    FrameSettings s;
    LoadEarlySettings(s, 0);
    EXPECT_EQ(s.normalquit, c.lastEndedNormally) << (c.before ? c.before : "new");
    EXPECT_EQ(s.startmode, c.startmode) << (c.before ? c.before : "new");
    PrepareConfigFile();  // later loads in this process read the file again
  }
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

// --- the table itself ------------------------------------------------------------------

namespace {

std::string Name(const SettingDef& d) { return ToUtf8(d.section) + "/" + ToUtf8(d.key); }

bool IsLoaded(const SettingDef& d) {
  return d.load == LoadPoint::Early || d.load == LoadPoint::Frame || d.load == LoadPoint::Late;
}

bool IsBoolKind(const FieldBinding& b) {
  return b.kind == FieldBinding::Kind::Bool || b.kind == FieldBinding::Kind::CleanFlag;
}

// A value for row i no other row gets: pass 0 gives every other Int row 0, pass 1 the
// others, so every bool field is seen both ways.
int IntValue(size_t i, int pass) { return (i + pass) % 2 ? 1000 + int(i) : 0; }
u16 TextValue(size_t i, int pass) { return Format(u"值%d-%d", int(i), pass); }

void WriteDistinctValues(int pass) {
  auto rows = ConfigSchema();
  for (size_t i = 0; i < rows.size(); ++i) {
    SettingsFile f(kConfigFile, rows[i].section);
    if (rows[i].type == SettingType::Text)
      f.WriteText(rows[i].key, TextValue(i, pass));
    else
      f.WriteInt(rows[i].key, IntValue(i, pass));
  }
}

// What the field of row i holds after loading pass: its value, or, for the rows that share
// a field, the value of the last of them.
void ExpectLoaded(const FrameSettings& s, size_t i, int pass, const char* when) {
  auto rows = ConfigSchema();
  size_t last = i;
  for (size_t j = i + 1; j < rows.size(); ++j)
    if (rows[j].field == rows[i].field && IsLoaded(rows[j])) last = j;
  const SettingDef& d = rows[i];
  if (d.field.IsText()) {
    EXPECT_EQ(d.field.GetText(s), TextValue(last, pass)) << Name(d) << " " << when;
  } else {
    int v = IntValue(last, pass);
    EXPECT_EQ(d.field.GetInt(s), IsBoolKind(d.field) ? v != 0 : v) << Name(d) << " " << when;
  }
}

void ExpectDefault(const FrameSettings& s, const SettingDef& d, const char* when) {
  const FrameSettings defaults;
  if (d.field.IsText())
    EXPECT_EQ(d.field.GetText(s), d.field.GetText(defaults)) << Name(d) << " " << when;
  else
    EXPECT_EQ(d.field.GetInt(s), d.field.GetInt(defaults)) << Name(d) << " " << when;
}

}  // namespace

TEST(ConfigSchema, RowsAreUnique) {
  auto rows = ConfigSchema();
  for (size_t i = 0; i < rows.size(); ++i) {
    for (size_t j = i + 1; j < rows.size(); ++j) {
      EXPECT_FALSE(EqualsNoCase(rows[i].section, rows[j].section) &&
                   EqualsNoCase(rows[i].key, rows[j].key))
          << Name(rows[i]) << " twice";
      // Only showgesture and showhelp land in one field.
      if (rows[i].field.bound() && rows[i].field == rows[j].field) {
        EXPECT_EQ(Name(rows[i]) + " " + Name(rows[j]), "MOUSESET/showgesture MOUSESET/showhelp");
      }
    }
  }
}

TEST(ConfigSchema, EveryBindingLoadsAtItsLoadPoint) {
  for (int pass = 0; pass < 2; ++pass) {
    ScratchProfile p;
    WriteDistinctValues(pass);
    FrameSettings s;
    const std::pair<LoadPoint, const char*> steps[] = {
        {LoadPoint::Early, "early"}, {LoadPoint::Frame, "frame"}, {LoadPoint::Late, "late"}};
    for (size_t step = 0; step < std::size(steps); ++step) {
      if (step == 0) LoadEarlySettings(s, 0x70);
      if (step == 1) LoadFrameCreationSettings(s);
      if (step == 2) LoadLateSettings(s);
      for (size_t i = 0; i < ConfigSchema().size(); ++i) {
        const SettingDef& d = ConfigSchema()[i];
        if (!d.field.bound() || !IsLoaded(d)) continue;
        bool loaded = false;
        for (size_t k = 0; k <= step; ++k) loaded |= d.load == steps[k].first;
        if (loaded)
          ExpectLoaded(s, i, pass, steps[step].second);
        else
          ExpectDefault(s, d, steps[step].second);
      }
    }
    EXPECT_EQ(s.startmode, EffectiveStartMode(s.storedStartmode, s.normalquit));
  }
}

TEST(ConfigSchema, EveryBindingSavesAndReadsBack) {
  ScratchProfile p;
  PrepareConfigFile();
  FrameSettings s;
  auto rows = ConfigSchema();
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].save == SavePoint::None) continue;
    if (rows[i].field.IsText())
      rows[i].field.SetText(s, TextValue(i, 0));
    else
      rows[i].field.SetInt(s, IsBoolKind(rows[i].field) ? i % 2 : 2000 + int(i));
  }
  SaveExitSettingsBeforeSearchWords(s);
  SaveExitSettingsAfterSearchWords(s);
  for (const SettingDef& d : rows) {
    if (d.save == SavePoint::None) continue;
    if (d.field.IsText())
      EXPECT_EQ(ReadConfigText(d.section, d.key), d.field.GetText(s)) << Name(d);
    else
      EXPECT_EQ(ReadConfigInt(d.section, d.key), d.field.GetInt(s)) << Name(d);
  }
  // What is saved and read comes back at the load points.
  FrameSettings back;
  LoadEarlySettings(back, 0);
  LoadFrameCreationSettings(back);
  LoadLateSettings(back);
  for (const SettingDef& d : rows) {
    if (d.save == SavePoint::None || !IsLoaded(d)) continue;
    if (d.field.IsText())
      EXPECT_EQ(d.field.GetText(back), d.field.GetText(s)) << Name(d);
    else
      EXPECT_EQ(d.field.GetInt(back), d.field.GetInt(s)) << Name(d);
  }
}

TEST(ConfigSchema, ExitSavesWriteTodaysKeysInTodaysOrder) {
  auto order = [](SavePoint point) {
    std::vector<const SettingDef*> rows;
    for (const SettingDef& d : ConfigSchema())
      if (d.save == point) rows.push_back(&d);
    std::sort(rows.begin(), rows.end(),
              [](auto* a, auto* b) { return a->saveOrder < b->saveOrder; });
    std::string names;
    for (auto* d : rows) names += Name(*d) + " ";
    return names;
  };
  EXPECT_EQ(order(SavePoint::ExitBeforeSearchWords),
            "GENERAL/skin POPUPBLOCK/enable POPUPBLOCK/killflying CONTENTBLOCK/enable "
            "PROXYSET/enable PROXYSET/webprx PROXYSET/curpro PROXYSET/proname "
            "PROXYSET/exception TABSET/newactivewnd TABSET/newtablink TABSET/style "
            "TABSET/newsequence TABSET/maxwidth TABSET/minwidth TABSET/small ");
  EXPECT_EQ(order(SavePoint::ExitAfterSearchWords),
            "SEARCHSET/matchcase SEARCHSET/matchwhole SEARCHSET/saveKeyword MOUSESET/rdrag ");
  // TABSET/style saves tabStyle and is never read.
  ScratchProfile p;
  SettingsFile(kConfigFile, u"TABSET").WriteInt(u"style", 5);
  FrameSettings s;
  LoadEarlySettings(s, 0);
  LoadFrameCreationSettings(s);
  LoadLateSettings(s);
  EXPECT_EQ(s.tabStyle, 0);
  s.tabStyle = 3;
  SaveExitSettingsBeforeSearchWords(s);
  EXPECT_EQ(ReadConfigInt(u"TABSET", u"style"), 3);
}

TEST(ConfigSchema, ShowHelpIsReadAfterShowGesture) {
  for (int help = 0; help < 2; ++help) {
    ScratchProfile p;
    SettingsFile f(kConfigFile, u"MOUSESET");
    f.WriteInt(u"showgesture", !help);
    f.WriteInt(u"showhelp", help);
    FrameSettings s;
    LoadLateSettings(s);
    EXPECT_EQ(s.showGestureHint, help == 1);
  }
}

TEST(ConfigSchema, TextReadsAreCutAt259) {
  ScratchProfile p;
  SettingsFile(kConfigFile, u"GENERAL").WriteText(u"homepage", u16(300, u'h'));
  SettingsFile(kConfigFile, u"HOTKEYSET").WriteText(u"CE_L", u16(300, u'c'));
  FrameSettings s;
  LoadEarlySettings(s, 0);
  LoadLateSettings(s);
  EXPECT_EQ(s.homepage, u16(259, u'h'));
  EXPECT_EQ(s.ceL, u16(259, u'c'));
  EXPECT_EQ(ReadConfigText(u"GENERAL", u"homepage"), u16(259, u'h'));
}

// The rows the table leaves to their owners, each read by it.
TEST(ConfigSchema, EveryOwnerRowIsReadByItsOwner) {
  std::string owners;
  for (const SettingDef& d : ConfigSchema())
    if (d.load == LoadPoint::Owner) owners += Name(d) + " ";
  EXPECT_EQ(owners,
            "MOUSESET/gesture SEARCHSET/engine COLLECTSET/stamp COLLECTSET/toend "
            "COLLECTSET/kind11 COLLECTSET/kind12 COLLECTSET/kind13 COLLECTSET/kind14 "
            "COLLECTSET/kind15 COLLECTSET/clearexit COLLECTSET/alpha "
            "DEFBROWSER/x-scheme-handler/http DEFBROWSER/x-scheme-handler/https "
            "DEFBROWSER/x-scheme-handler/ftp DEFBROWSER/text/html "
            "DEFBROWSER/application/xhtml+xml DEFBROWSER/x-scheme-handler/about "
            "DEFBROWSER/x-scheme-handler/unknown ");  // a new one needs its check
                                                      // (COLLECTSET: collector_test,
                                                      // DEFBROWSER: default_browser_test)
  ScratchProfile p;
  SettingsFile(kConfigFile, u"MOUSESET")
      .WriteText(u"gesture", u"<gesture action=\"UL\" cmd=\"27\" title=\"x\" />");
  GestureTable g;
  g.LoadGestureTable();
  EXPECT_EQ(g.LookupGesture(u"UL"), 27);
  EXPECT_EQ(g.LookupGesture(u"UD"), -1);
  SearchEngines e;
  e.Load();
  EXPECT_EQ(e.currentEngine(), 0);  // the absent value
  WriteConfigInt(u"SEARCHSET", u"engine", 3);
  e.Load();
  EXPECT_EQ(e.currentEngine(), 3);
}

// Every key named outside the table, by the code that names it.
TEST(ConfigSchema, EveryKeyTheCodeNamesHasARow) {
  const std::pair<const char16_t*, const char16_t*> named[] = {
      {u"GENERAL", u"firstrun"},    // PrepareConfigFile
      {u"GENERAL", u"normalquit"},  // the shutdown sequence and the start-up
      {u"GENERAL", u"zoomed"},      // SaveWindowPlacement
      {u"GENERAL", u"top"},        {u"GENERAL", u"left"},
      {u"GENERAL", u"width"},      {u"GENERAL", u"height"},
      {u"HOTKEYSET", u"count"},     // LoadLateSettings, for the F_%d texts
      {u"SEARCHSET", u"engine"},    // SearchEngines
      {u"MOUSESET", u"gesture"},    // GestureTable
  };
  for (auto [section, key] : named) {
    const SettingDef* d = FindSetting(section, key);
    ASSERT_NE(d, nullptr) << ToUtf8(section) << "/" << ToUtf8(key);
    EXPECT_EQ(&RequireSetting(section, key), d);
  }
  EXPECT_EQ(FindSetting(u"general", u"WIDTH"), FindSetting(u"GENERAL", u"width"));
  EXPECT_EQ(FindSetting(u"GENERAL", u"nosuchkey"), nullptr);
}

TEST(ConfigSchemaDeathTest, KeyWithoutARowStopsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  ScratchProfile p;
  EXPECT_DEATH(ReadConfigInt(u"GENERAL", u"nosuchkey"), "GENERAL/nosuchkey has no row");
  EXPECT_DEATH(ReadConfigText(u"NOSECTION", u"width"), "NOSECTION/width has no row");
  EXPECT_DEATH(WriteConfigInt(u"TABSET", u"nosuchkey", 1), "TABSET/nosuchkey has no row");
}

// --- window placement ------------------------------------------------------------------

TEST(WindowPlacement, NormalWindowWritesItsRectangle) {
  ScratchProfile p;
  SaveWindowPlacement({.maximized = false, .writeRect = true, .x = 10, .y = 20,
                       .width = 640, .height = 480});
  EXPECT_EQ(ReadFileBytes(p.ConfigPath()).value(),
            "[GENERAL]\r\nzoomed=0\r\ntop=20\r\nleft=10\r\nwidth=640\r\nheight=480\r\n");
}

TEST(WindowPlacement, MaximizedWritesZoomedOnly) {
  ScratchProfile p;
  SaveWindowPlacement({.maximized = true, .writeRect = true, .x = 1, .y = 2, .width = 3,
                       .height = 4});
  EXPECT_EQ(ReadFileBytes(p.ConfigPath()).value(), "[GENERAL]\r\nzoomed=1\r\n");
  SaveWindowPlacement({.maximized = true, .writeRect = false});
  EXPECT_EQ(ReadFileBytes(p.ConfigPath()).value(), "[GENERAL]\r\nzoomed=1\r\n");
}

TEST(WindowPlacement, MinimizedOrFullScreenWritesNothing) {
  ScratchProfile p;
  PrepareConfigFile();
  std::string before = ReadFileBytes(p.ConfigPath()).value();
  SaveWindowPlacement({.maximized = false, .writeRect = false, .x = 1, .y = 2, .width = 3,
                       .height = 4});
  EXPECT_EQ(ReadFileBytes(p.ConfigPath()).value(), before);
}
