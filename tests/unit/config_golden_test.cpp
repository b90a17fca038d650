// Golden texts taken from the hand-written loads and saves before the schema bound the
// fields (config_golden_texts.inc): every FrameSettings field after each load, the fields
// each load point fills, and the files the first run and the exit saves write.
#include <gtest/gtest.h>

#include <string>

#include "settings/config_schema.h"
#include "settings/frame_settings.h"
#include "settings/settings_file.h"
#include "base/files.h"
#include "fakes/temp_dir.h"

using namespace zel;
using zel::test::ScratchProfile;

namespace {

// Every field by its name, written out by hand so that it does not lean on the bindings.
std::string DumpFields(const FrameSettings& s) {
  std::string o;
  auto i = [&](const char* n, int v) { o += std::string(n) + "=" + std::to_string(v) + "\n"; };
  auto t = [&](const char* n, const u16& v) { o += std::string(n) + "=" + ToUtf8(v) + "\n"; };
  i("top", s.top), i("left", s.left), i("width", s.width), i("height", s.height);
  i("zoomed", s.zoomed), t("homepage", s.homepage), i("startmode", s.startmode);
  i("storedStartmode", s.storedStartmode), i("normalquit", s.normalquit);
  i("checkdefault", s.checkdefault), i("ctlpro", s.ctlpro), i("popupFilter", s.popupFilter);
  i("sound", s.sound), i("showInfoBar", s.showInfoBar), i("killFlying", s.killFlying);
  i("contentFilter", s.contentFilter), t("adstr", s.adstr), i("proxyEnable", s.proxyEnable);
  t("curpro", s.curpro), t("proname", s.proname), t("exception", s.exception);
  t("webprx", s.webprx), i("tabLimit", s.tabLimit), i("activateNewTabs", s.activateNewTabs);
  i("newsequence", s.newsequence), i("maxwidth", s.maxwidth), i("minwidth", s.minwidth);
  t("skin", s.skin), i("firstrun", s.firstrun), i("tabBarPosition", s.tabBarPosition);
  i("smallTabs", s.smallTabs), i("bosskey", s.bosskey), i("minitray", s.minitray);
  i("closetray", s.closetray), i("showtray", s.showtray), i("encryform", s.encryform);
  t("downloadfolder", s.downloadfolder), i("quitconfirm", s.quitconfirm);
  i("quitallconfirm", s.quitallconfirm), i("watchclipboard", s.watchclipboard);
  i("newtablink", s.newtablink), i("newactiveopen", s.newactiveopen);
  i("newtabaddress", s.newtabaddress), i("newtabhome", s.newtabhome);
  i("newtabfav", s.newtabfav), i("newtabhis", s.newtabhis), i("newtablocal", s.newtablocal);
  i("closeactiveseq", s.closeactiveseq), i("newmode", s.newmode), i("ldbtab", s.ldbtab);
  i("mktab", s.mktab), i("rdbtab", s.rdbtab), i("ldbbar", s.ldbbar), i("rdbbar", s.rdbbar);
  i("tabStyle", s.tabStyle), i("clean.cache", s.clean.cache);
  i("clean.cookies", s.clean.cookies), i("clean.form", s.clean.form);
  i("clean.history", s.clean.history), i("clean.address", s.clean.address);
  i("clean.search", s.clean.search), i("clean.undo", s.clean.undo);
  i("matchcase", s.matchcase), i("matchwhole", s.matchwhole), i("saveKeyword", s.saveKeyword);
  i("mdown", s.mdown), i("rldown", s.rldown), i("lrdown", s.lrdown), i("rdrag", s.rdrag);
  i("showGestureHint", s.showGestureHint);
  for (int k = 0; k < 4; ++k) {
    i(("imgDrag" + std::to_string(k)).c_str(), s.imgDrag[k]);
    i(("txtDrag" + std::to_string(k)).c_str(), s.txtDrag[k]);
    i(("linkDrag" + std::to_string(k)).c_str(), s.linkDrag[k]);
  }
  i("hotkeyEnable", s.hotkeyEnable);
  for (const u16& f : s.functionKeyTexts) t("functionKeyText", f);
  t("ceL", s.ceL), t("ceR", s.ceR), t("seL", s.seL), t("seR", s.seR);
  t("cseL", s.cseL), t("cseR", s.cseR), t("caeL", s.caeL), t("caeR", s.caeR);
  return o;
}

// A value per key that no other key shares, from the key's name.
int KeyNumber(const SettingDef& d) {
  unsigned h = 2166136261u;
  for (char16_t c : u16(d.section) + u"/" + d.key) h = (h ^ c) * 16777619u;
  return int(h % 90000) + 10000;
}

// Pass 1 writes its number to every Int key whose number is odd and 0 to the others; pass
// 2 the other way round, so every Int key is both 0 and a number of its own once, whatever
// the order of the table. Text keys get their names. HOTKEYSET also gets F_2 ... F_14.
void WritePass(int pass) {
  for (const SettingDef& d : ConfigSchema()) {
    SettingsFile f(kConfigFile, d.section);
    if (d.type == SettingType::Text) {
      f.WriteText(d.key, Format(u"%d-%s/%s-文", pass, d.section, d.key));
    } else {
      int n = KeyNumber(d);
      f.WriteInt(d.key, (n + pass) % 2 ? n : 0);
    }
  }
  SettingsFile h(kConfigFile, u"HOTKEYSET");
  for (int k = 2; k <= 14; ++k) h.WriteText(Format(u"F_%d", k), Format(u"f%d", k));
}

FrameSettings LoadAll(int engineFlags) {
  FrameSettings s;
  LoadEarlySettings(s, engineFlags);
  LoadFrameCreationSettings(s);
  LoadLateSettings(s);
  return s;
}

std::string FileText(const ScratchProfile& p) {
  return ReadFileBytes(p.ConfigPath()).value_or("<missing>");
}

// The texts the tests compare.
std::string EmptyLoad() {
  ScratchProfile p;
  return DumpFields(LoadAll(0x70));
}

std::string FirstRunLoad() {
  ScratchProfile p;
  PrepareConfigFile();
  return DumpFields(LoadAll(0x70));
}

std::string PassLoad(int pass) {
  ScratchProfile p;
  WritePass(pass);
  return DumpFields(LoadAll(0x70));
}

// The lines of the fields a load changed: which fields each load point fills.
std::string ChangedFields(const FrameSettings& before, const FrameSettings& after) {
  std::string a = DumpFields(before), b = DumpFields(after), out;
  size_t i = 0, j = 0;
  while (j < b.size()) {
    size_t ie = a.find('\n', i), je = b.find('\n', j);
    if (a.compare(i, ie - i, b, j, je - j) != 0) out += b.substr(j, je + 1 - j);
    i = ie == std::string::npos ? a.size() : ie + 1;
    j = je + 1;
  }
  return out;
}

// Early, then early and frame creation.
std::string PassLoadPoints(int pass) {
  ScratchProfile p;
  WritePass(pass);
  const FrameSettings start;
  FrameSettings s;
  LoadEarlySettings(s, 0x70);
  std::string out = "after the early load:\n" + ChangedFields(start, s);
  LoadFrameCreationSettings(s);
  return out + "after the frame creation load:\n" + ChangedFields(start, s);
}

std::string PassSave(int pass, bool onFirstRunFile) {
  FrameSettings s;
  {
    ScratchProfile p;
    WritePass(pass);
    s = LoadAll(0x70);
  }
  s.tabStyle = 40 + pass;  // never read, only saved
  ScratchProfile p;
  if (onFirstRunFile) PrepareConfigFile();
  SaveExitSettingsBeforeSearchWords(s);
  SaveExitSettingsAfterSearchWords(s);
  return FileText(p);
}

std::string FirstRunFile() {
  ScratchProfile p;
  PrepareConfigFile();
  return FileText(p);
}

}  // namespace

#include "unit/config_golden_texts.inc"

// A FrameSettings starts with the absent values of its rows: what an empty file loads,
// but for GENERAL/ctlpro, whose absent value is the engine's flags.
TEST(ConfigGolden, DefaultFieldsAreTheAbsentValues) {
  FrameSettings d;
  EXPECT_EQ(d.ctlpro, 0);
  d.ctlpro = 0x70;
  EXPECT_EQ(DumpFields(d), kGoldenEmptyLoad);
}

TEST(ConfigGolden, FieldsAfterLoadingNothing) { EXPECT_EQ(EmptyLoad(), kGoldenEmptyLoad); }

TEST(ConfigGolden, FieldsAfterTheFirstRunFile) { EXPECT_EQ(FirstRunLoad(), kGoldenFirstRunLoad); }

TEST(ConfigGolden, FieldsAfterDistinctValues) {
  EXPECT_EQ(PassLoad(1), kGoldenPass1Load);
  EXPECT_EQ(PassLoad(2), kGoldenPass2Load);
}

TEST(ConfigGolden, FieldsOfEachLoadPoint) {
  EXPECT_EQ(PassLoadPoints(1), kGoldenPass1LoadPoints);
  EXPECT_EQ(PassLoadPoints(2), kGoldenPass2LoadPoints);
}

TEST(ConfigGolden, ExitSavesOnAnEmptyFile) {
  EXPECT_EQ(PassSave(1, false), kGoldenPass1SaveEmpty);
  EXPECT_EQ(PassSave(2, false), kGoldenPass2SaveEmpty);
}

TEST(ConfigGolden, ExitSavesOnTheFirstRunFile) {
  EXPECT_EQ(PassSave(1, true), kGoldenPass1SaveFirstRun);
  EXPECT_EQ(PassSave(2, true), kGoldenPass2SaveFirstRun);
}

TEST(ConfigGolden, FirstRunFileIsTodays) { EXPECT_EQ(FirstRunFile(), kGoldenFirstRunFile); }
