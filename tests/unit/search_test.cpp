#include <gtest/gtest.h>

#include <set>

#include "settings/settings_file.h"
#include "base/files.h"
#include "fakes/temp_dir.h"
#include "res/engine_icons.h"
#include "search/search_engines.h"

using namespace zel;
using zel::test::ScratchProfile;

namespace {

std::string EngineFile(const ScratchProfile& p) { return p.dir() / "profile/SearchEngine/config.ini"; }

void WriteEngineFile(const ScratchProfile& p, const std::string& body) {
  ASSERT_TRUE(CreateFolderLevels(p.dir() / "profile/SearchEngine"));
  ASSERT_TRUE(WriteFileAtomic(EngineFile(p), body));
}

void WriteConfig(const ScratchProfile& p, const std::string& body) {
  ASSERT_TRUE(CreateFolderLevels(p.ProfileFolder()));
  ASSERT_TRUE(WriteFileAtomic(p.ConfigPath(), body));
}

const std::string kThreeEngines =
    "[]\r\ncount=3\r\n"
    "0_title=Alpha\r\n0_ico=a.png\r\n0_s=http://a.example/?q=%s\r\n"
    "1_title=\r\n1_ico=\r\n1_s=http://b.example/find/%s/%s\r\n"
    "2_title=Gamma\r\n2_ico=g.png\r\n2_s=\r\n"
    "3_title=Beyond\r\n3_s=http://d.example/?q=%s\r\n";

}  // namespace

// --- keyword encoding ------------------------------------------------------------------

TEST(SearchEncoding, ChineseAsciiSpaceAndSymbols) {
  EXPECT_EQ(EncodeSearchKeyword(u"中文 a+b"), u"%D6%D0%CE%C4+a%2Bb");
  EXPECT_EQ(EncodeSearchKeyword(u"a b&c"), u"a+b%26c");
}

TEST(SearchEncoding, OnlyLettersAndDigitsStayAsTheyAre) {
  EXPECT_EQ(EncodeSearchKeyword(u"AZaz09"), u"AZaz09");
  // Characters that URL encoders commonly keep are still escaped here.
  EXPECT_EQ(EncodeSearchKeyword(u"-._~*%/"), u"%2D%2E%5F%7E%2A%25%2F");
}

TEST(SearchEncoding, FullWidthPunctuationUsesItsGbkBytesInUpperCase) {
  EXPECT_EQ(EncodeSearchKeyword(u"，"), u"%A3%AC");
  EXPECT_EQ(EncodeSearchKeyword(u"搜索"), u"%CB%D1%CB%F7");
}

TEST(SearchEncoding, CharacterOutsideGbkBecomesQuestionMark) {
  EXPECT_EQ(EncodeSearchKeyword(u"a\U0001F600b"), u"a%3Fb");
}

TEST(SearchEncoding, StopsAt1023CharactersWithoutCuttingAGroup) {
  EXPECT_EQ(EncodeSearchKeyword(u16(1100, u'a')).size(), 1023u);

  // 170 Chinese characters take 1020; the 171st would need 6 more.
  u16 chinese;
  for (int i = 0; i < 200; ++i) chinese += u"中";
  u16 enc = EncodeSearchKeyword(chinese);
  EXPECT_EQ(enc.size(), 1020u);
  EXPECT_EQ(enc.substr(enc.size() - 6), u"%D6%D0");

  EXPECT_EQ(EncodeSearchKeyword(u16(1021, u'a') + u"%"), u16(1021, u'a'));
  EXPECT_EQ(EncodeSearchKeyword(u16(1020, u'a') + u"%"), u16(1020, u'a') + u"%25");
  EXPECT_EQ(EncodeSearchKeyword(u16(1018, u'a') + u"中"), u16(1018, u'a'));
}

// --- search address --------------------------------------------------------------------

TEST(SearchUrl, EveryPlaceholderIsReplaced) {
  EXPECT_EQ(BuildSearchUrl(u"http://x.example/%s/?q=%s", u"a b"), u"http://x.example/a+b/?q=a+b");
}

TEST(SearchUrl, TemplateWithoutPlaceholderIsUsedUnchanged) {
  EXPECT_EQ(BuildSearchUrl(u"http://x.example/home", u"abc"), u"http://x.example/home");
}

TEST(SearchUrl, EmptyTemplateUsesDefaultProvider) {
  EXPECT_EQ(BuildSearchUrl(u"", u"中 1"), u"https://www.baidu.com/s?wd=%D6%D0+1&tn=ZEL");
}

// --- engine list -----------------------------------------------------------------------

TEST(SearchEngines, CountedListKeepsEmptyValuesAndIgnoresKeysPastCount) {
  ScratchProfile p;
  WriteEngineFile(p, kThreeEngines);
  SearchEngines s;
  s.Load();
  ASSERT_EQ(s.engines().size(), 3u);
  EXPECT_EQ(s.engines()[0].title, u"Alpha");
  EXPECT_EQ(s.engines()[0].icon, u"a.png");
  EXPECT_EQ(s.engines()[0].url, u"http://a.example/?q=%s");
  EXPECT_EQ(s.engines()[1].title, u"");
  EXPECT_EQ(s.engines()[1].url, u"http://b.example/find/%s/%s");
  EXPECT_EQ(s.engines()[2].title, u"Gamma");
  EXPECT_EQ(s.engines()[2].url, u"");
}

TEST(SearchEngines, ValuesAreCutAt259Characters) {
  ScratchProfile p;
  std::string longTitle(300, 'T');
  WriteEngineFile(p, "[]\r\ncount=1\r\n0_title=" + longTitle + "\r\n0_s=http://x/" +
                         std::string(300, 'u') + "\r\n");
  SearchEngines s;
  s.Load();
  ASSERT_EQ(s.engines().size(), 1u);
  EXPECT_EQ(s.engines()[0].title, u16(259, u'T'));
  EXPECT_EQ(s.engines()[0].url.size(), 259u);
}

TEST(SearchEngines, MissingFileGivesEmptyListAndDefaultTemplate) {
  ScratchProfile p;
  SearchEngines s;
  s.Load();
  EXPECT_TRUE(s.engines().empty());
  EXPECT_EQ(s.Current(), nullptr);
  EXPECT_EQ(s.SearchUrl(u"x"), u"https://www.baidu.com/s?wd=x&tn=ZEL");
}

TEST(SearchEngines, IndexOutsideListUsesDefaultTemplate) {
  ScratchProfile p;
  WriteEngineFile(p, kThreeEngines);
  WriteConfig(p, "[SEARCHSET]\r\nengine=7\r\n");
  SearchEngines s;
  s.Load();
  EXPECT_EQ(s.currentEngine(), 7);
  EXPECT_EQ(s.Current(), nullptr);
  EXPECT_EQ(s.SearchUrl(u"k"), u"https://www.baidu.com/s?wd=k&tn=ZEL");
  EXPECT_EQ(s.BuildEngineMenu().currentItem, -1);
}

TEST(SearchEngines, CurrentEngineTemplateIsUsedAndEmptyOneFallsBack) {
  ScratchProfile p;
  WriteEngineFile(p, kThreeEngines);
  WriteConfig(p, "[SEARCHSET]\r\nengine=1\r\n");
  SearchEngines s;
  s.Load();
  EXPECT_EQ(s.SearchUrl(u"a&b"), u"http://b.example/find/a%26b/a%26b");
  ASSERT_TRUE(s.SelectEngine(30722));  // engine 2 has an empty template
  EXPECT_EQ(s.SearchUrl(u"a"), u"https://www.baidu.com/s?wd=a&tn=ZEL");
}

TEST(SearchEngines, SelectingWritesConfigAtOnce) {
  ScratchProfile p;
  WriteEngineFile(p, kThreeEngines);
  SearchEngines s;
  s.Load();
  ASSERT_TRUE(s.SelectEngine(30722));
  EXPECT_EQ(s.currentEngine(), 2);
  EXPECT_EQ(SettingsFile(u"config.ini", u"SEARCHSET").ReadInt(u"engine", -1), 2);
  SearchEngines again;
  again.Load();
  EXPECT_EQ(again.currentEngine(), 2);
  EXPECT_EQ(again.Current()->title, u"Gamma");
}

TEST(SearchEngines, IdsOutsideTheEngineRangeAreIgnored) {
  ScratchProfile p;
  WriteEngineFile(p, kThreeEngines);
  SearchEngines s;
  s.Load();
  EXPECT_FALSE(s.SelectEngine(30208));
  EXPECT_FALSE(s.SelectEngine(30719));
  EXPECT_FALSE(s.SelectEngine(31231));
  EXPECT_EQ(s.currentEngine(), 0);
  EXPECT_FALSE(FileExists(p.ConfigPath()));
  EXPECT_TRUE(s.SelectEngine(31230));
  EXPECT_EQ(SettingsFile(u"config.ini", u"SEARCHSET").ReadInt(u"engine", -1), 510);
}

// --- engine menu -----------------------------------------------------------------------

TEST(SearchEngineMenu, OneItemPerEngineWithIdTitleAndIconPath) {
  ScratchProfile p;
  WriteEngineFile(p, kThreeEngines);
  WriteConfig(p, "[SEARCHSET]\r\nengine=2\r\n");
  SearchEngines s;
  s.Load();
  EngineMenu m = s.BuildEngineMenu();
  ASSERT_EQ(m.items.size(), 3u);
  EXPECT_EQ(m.items[0].id, 30720);
  EXPECT_EQ(m.items[2].id, 30722);
  EXPECT_EQ(m.items[0].title, u"Alpha");
  EXPECT_EQ(m.items[0].iconPath, p.dir() / "profile/SearchEngine/a.png");
  EXPECT_EQ(m.items[1].iconPath, "");
  EXPECT_EQ(m.currentItem, 2);
}

TEST(SearchEngineMenu, StopsBeforeId31231) {
  ScratchProfile p;
  WriteEngineFile(p, "[]\r\ncount=600\r\n");
  SearchEngines s;
  s.Load();
  EngineMenu m = s.BuildEngineMenu();
  ASSERT_EQ(m.items.size(), 511u);
  EXPECT_EQ(m.items.back().id, 31230);
}

// --- first-run engine set --------------------------------------------------------------

namespace {

uint32_t Be32(const std::string& b, size_t at) {
  return uint32_t(uint8_t(b[at])) << 24 | uint32_t(uint8_t(b[at + 1])) << 16 |
         uint32_t(uint8_t(b[at + 2])) << 8 | uint32_t(uint8_t(b[at + 3]));
}

// Checks the PNG layout and returns the colour of the pixel at (8, 8) as 0xRRGGBB.
uint32_t CentrePixelOfStoredPng(const std::string& png) {
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
  EXPECT_EQ(png.substr(12, 4), "IHDR");
  EXPECT_EQ(Be32(png, 16), 16u);  // width
  EXPECT_EQ(Be32(png, 20), 16u);  // height
  // The CRC of an empty IEND chunk is the well-known AE 42 60 82.
  EXPECT_EQ(png.substr(png.size() - 12), std::string("\0\0\0\0IEND\xAE\x42\x60\x82", 12));
  size_t idat = png.find("IDAT");
  if (idat == std::string::npos) return 0;
  // zlib header, then one final stored block of 16 rows of 1 + 48 bytes.
  const size_t block = idat + 4 + 2;
  EXPECT_EQ(uint8_t(png[block]), 1);
  EXPECT_EQ(uint8_t(png[block + 1]) | uint8_t(png[block + 2]) << 8, 16 * 49);
  const size_t pixel = block + 5 + 8 * 49 + 1 + 8 * 3;
  return uint32_t(uint8_t(png[pixel])) << 16 | uint32_t(uint8_t(png[pixel + 1])) << 8 |
         uint8_t(png[pixel + 2]);
}

}  // namespace

TEST(SearchIcon, SolidPngHoldsItsColour) {
  EXPECT_EQ(CentrePixelOfStoredPng(MakeSolidIconPng(0x12, 0x34, 0x56)), 0x123456u);
  // Known CRC of this IHDR (16x16, 8-bit RGB): 90 91 68 36.
  std::string png = MakeSolidIconPng(1, 2, 3);
  EXPECT_EQ(png.substr(29, 4), std::string("\x90\x91\x68\x36", 4));
}

TEST(SearchInstall, PlainSquaresOfEarlierVersionsBecomeDrawnIcons) {
  ScratchProfile p;
  ASSERT_TRUE(InstallDefaultSearchEngines());
  const std::string folder = p.dir() / "profile/SearchEngine/";
  // baidu.png as an earlier version wrote it, google.png the user's own.
  ASSERT_TRUE(WriteFileAtomic(folder + "baidu.png", MakeSolidIconPng(0x29, 0x32, 0xE1)));
  ASSERT_TRUE(WriteFileAtomic(folder + "google.png", "mine"));
  ReplacePlainEngineIcons();
  EXPECT_EQ(ReadFileBytes(folder + "baidu.png"), std::string(DefaultEngineIcon("baidu.png")));
  EXPECT_EQ(ReadFileBytes(folder + "google.png"), std::string("mine"));
}

TEST(SearchInstall, WritesEnginesAndIconsOnce) {
  ScratchProfile p;
  ASSERT_TRUE(InstallDefaultSearchEngines());
  SearchEngines s;
  s.Load();
  ASSERT_GE(s.engines().size(), 2u);
  std::set<std::string> icons;
  for (const SearchEngine& e : s.engines()) {
    EXPECT_FALSE(e.title.empty());
    EXPECT_NE(e.url.find(u"%s"), u16::npos) << ToUtf8(e.title);
    auto png = ReadFileBytes(p.dir() / ("profile/SearchEngine/" + ToUtf8(e.icon)));
    ASSERT_TRUE(png.has_value()) << ToUtf8(e.icon);
    // The drawn icon, never the plain square of earlier versions.
    EXPECT_EQ(*png, std::string(DefaultEngineIcon(ToUtf8(e.icon)))) << ToUtf8(e.icon);
    EXPECT_EQ(png->substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
    icons.insert(*png);
  }
  EXPECT_EQ(icons.size(), s.engines().size());

  ASSERT_TRUE(WriteFileAtomic(EngineFile(p), "[]\r\ncount=1\r\n0_title=Mine\r\n"));
  EXPECT_FALSE(InstallDefaultSearchEngines());
  s.Load();
  ASSERT_EQ(s.engines().size(), 1u);
  EXPECT_EQ(s.engines()[0].title, u"Mine");
}
