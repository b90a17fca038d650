#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "host/startup.h"
#include "platform/share_text.h"
#include "settings/url_shortcut.h"
#include "base/files.h"
#include "fakes/temp_dir.h"
#include "platform/ini_registry.h"

using namespace zel;
using zel::test::ScratchProfile;
using zel::test::TempDir;

TEST(CommandLine, TargetsAndSwitches) {
  EXPECT_EQ(ParseCommandLine({}).target, u"");
  EXPECT_EQ(ParseCommandLine({"http://a/"}).target, u"http://a/");
  // A lower-case "-install" is not an installer switch: it is the target.
  EXPECT_EQ(ParseCommandLine({"-install"}).target, u"-install");
  // An absolute path is a target, not a switch.
  EXPECT_EQ(ParseCommandLine({"/home/u/Site.URL"}).target, u"/home/u/Site.URL");
  auto cl = ParseCommandLine({"-Embedding", "中文.url", "second"});
  EXPECT_TRUE(cl.embedding);
  EXPECT_EQ(cl.target, u"中文.url");
  EXPECT_TRUE(ParseCommandLine({"/automation"}).embedding);
}

TEST(CommandLine, ShortcutTargets) {
  EXPECT_TRUE(IsShortcutTarget(u"a.URL"));
  EXPECT_TRUE(IsShortcutTarget(u".url"));
  EXPECT_FALSE(IsShortcutTarget(u"url"));
  EXPECT_FALSE(IsShortcutTarget(u"http://a/x.urls"));
  ScratchProfile p;
  TempDir d;
  std::string file = d / "Site.URL";
  WriteFileAtomic(file, "[InternetShortcut]\r\nURL=http://example.com/page\r\n");
  EXPECT_EQ(ResolveTarget(FromUtf8(file)), u"http://example.com/page");
  std::string longUrl = "http://e.com/" + std::string(3000, 'x');
  WriteFileAtomic(file, "[InternetShortcut]\r\nURL=" + longUrl + "\r\n");
  EXPECT_EQ(ResolveTarget(FromUtf8(file)).size(), 2047u);
  EXPECT_EQ(ResolveTarget(FromUtf8(d / "missing.url")), u"");
  EXPECT_EQ(ResolveTarget(u"http://a/b"), u"http://a/b");
}

// What the starting process makes of its target before opening or handing it over.
TEST(CommandLine, TargetsNamedFromTheStartingFolder) {
  TempDir d;
  WriteFileAtomic(d / "page.html", "<p>");
  CreateFolderLevels(d / "docs");
  const std::string cwd = d.path();
  EXPECT_EQ(ResolveCommandLineTarget(u"page.html", cwd), FromUtf8(d / "page.html"));
  EXPECT_EQ(ResolveCommandLineTarget(u"docs", cwd), FromUtf8(d / "docs"));
  // Names of nothing there, addresses and absolute paths stay as given.
  for (const char16_t* kept : {u"name.com", u"Name.Com.cn", u"http://a/b", u"/abs/x.html",
                               u"~/x.html", u"two words"})
    EXPECT_EQ(ResolveCommandLineTarget(kept, cwd), kept);
  EXPECT_EQ(ResolveCommandLineTarget(u"", cwd), u"");
}

TEST(Startup, ProgramFolder) {
  EXPECT_EQ(ChooseProgramFolder("/opt/zel", true, "/tmp/h", nullptr, "/root"), "/tmp/h/");
  EXPECT_EQ(ChooseProgramFolder("/opt/zel", true, "", nullptr, "/root"), "/opt/zel/");
  EXPECT_EQ(ChooseProgramFolder("/usr/bin", false, nullptr, "/x/data", "/root"), "/x/data/zel/");
  EXPECT_EQ(ChooseProgramFolder("/usr/bin", false, nullptr, nullptr, "/home/u"),
            "/home/u/.local/share/zel/");
}

TEST(Startup, SingleInstanceDecision) {
  using D = InstanceDecision;
  EXPECT_EQ(DecideInstance(true, false, false), D::Continue);
  EXPECT_EQ(DecideInstance(true, false, true), D::Continue);
  EXPECT_EQ(DecideInstance(true, true, true), D::HandOff);
  EXPECT_EQ(DecideInstance(true, true, false), D::Exit);
  EXPECT_EQ(DecideInstance(false, false, true), D::Continue);
  EXPECT_EQ(DecideInstance(false, true, false), D::Continue);
  EXPECT_EQ(DecideInstance(false, true, true), D::Raise);
}

TEST(Startup, Placement) {
  // Width above the screen: half the screen, left 0.
  auto p = ComputePlacement(50, 300, 3000, 600, false, 1920, 1080);
  EXPECT_TRUE(p.apply);
  EXPECT_EQ(p.width, 960);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 50);
  p = ComputePlacement(10, 10, 800, 5000, true, 1920, 1080);
  EXPECT_EQ(p.height, 540);
  EXPECT_EQ(p.y, 0);
  EXPECT_TRUE(p.maximized);
  // Negative left and top become 0.
  p = ComputePlacement(-5, -100, 800, 600, false, 1920, 1080);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 0);
  // Width 0 or top 2000 keep the pre-create size.
  EXPECT_FALSE(ComputePlacement(50, 50, 0, 600, false, 1920, 1080).apply);
  EXPECT_FALSE(ComputePlacement(2000, 50, 800, 600, false, 1920, 1080).apply);
  EXPECT_TRUE(ComputePlacement(1999, 50, 800, 600, false, 1920, 1080).apply);
}

TEST(Startup, SharedTextIsCutAndTerminated) {
  std::string block = EncodeShareText(u"http://a/");
  ASSERT_EQ(block.size(), 2560u);
  EXPECT_EQ(DecodeShareText(block.data(), block.size()), u"http://a/");
  u16 longText(5000, u'x');
  block = EncodeShareText(longText);
  EXPECT_EQ(DecodeShareText(block.data(), block.size()).size(), 1279u);
  EXPECT_EQ(block[2558], 0);
  EXPECT_EQ(block[2559], 0);
  // A cut never splits a surrogate pair.
  u16 pairs = u16(1278, u'a') + u"\U0001F600";
  EXPECT_EQ(DecodeShareText(EncodeShareText(pairs).data(), 2560).size(), 1278u);
  // A writer that left no terminator still gives a bounded string.
  std::string full(2560, 'a');
  EXPECT_EQ(DecodeShareText(full.data(), full.size()).size(), 1280u);
}

TEST(Registry, TypedValuesAndMissing) {
  TempDir d;
  IniRegistry reg(d / "profile/registry.ini");
  EXPECT_FALSE(reg.KeyExists(kHkcuIeMain));
  EXPECT_FALSE(reg.GetValue(kHkcuIeMain, u"Disable Script Debugger"));
  ASSERT_TRUE(reg.SetValue(kHkcuIeMain, u"Disable Script Debugger", RegValue::Str(u"yes")));
  ASSERT_TRUE(reg.SetValue(kHkcuInternetSettings, u"GlobalUserOffline", RegValue::Dw(1)));
  ASSERT_TRUE(reg.SetValue(kHkcuIeMain, u"", RegValue::Str(u" spaced\r\nback\\slash ")));
  EXPECT_TRUE(reg.KeyExists(kHkcuIeMain));
  EXPECT_EQ(reg.GetString(kHkcuIeMain, u"disable script debugger"), u"yes");
  EXPECT_EQ(reg.GetString(kHkcuIeMain, u""), u" spaced\r\nback\\slash ");
  EXPECT_EQ(reg.GetDword(kHkcuInternetSettings, u"GlobalUserOffline"), 1u);
  // A string is not a number.
  EXPECT_FALSE(reg.GetDword(kHkcuIeMain, u"Disable Script Debugger"));
  EXPECT_FALSE(reg.GetValue(kHkcuIeMain, u"missing"));
  EXPECT_TRUE(reg.DeleteValue(kHkcuIeMain, u"Disable Script Debugger"));
  EXPECT_FALSE(reg.DeleteValue(kHkcuIeMain, u"Disable Script Debugger"));
  EXPECT_EQ(reg.ValueNames(kHkcuIeMain), std::vector<u16>{u""});
  EXPECT_TRUE(reg.CreateKey(kHkcuTypedUrls));
  EXPECT_TRUE(reg.KeyExists(kHkcuTypedUrls));
  EXPECT_TRUE(reg.ValueNames(kHkcuTypedUrls).empty());
  EXPECT_TRUE(reg.DeleteKey(kHkcuIeMain));
  EXPECT_FALSE(reg.KeyExists(kHkcuIeMain));
  EXPECT_EQ(reg.GetDword(kHkcuInternetSettings, u"GlobalUserOffline"), 1u);
}

TEST(Registry, DamagedValuesAreMissing) {
  EXPECT_FALSE(IniRegistry::Decode(u"dword:12x"));
  EXPECT_FALSE(IniRegistry::Decode(u"dword:99999999999"));
  EXPECT_FALSE(IniRegistry::Decode(u"garbage"));
  EXPECT_EQ(IniRegistry::Decode(u"dword:4294967295")->dword, 4294967295u);
}
