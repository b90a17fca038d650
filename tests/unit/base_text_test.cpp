#include <gtest/gtest.h>

#include "base/files.h"
#include "base/text.h"

using namespace zel;

TEST(Text, TrimAndCase) {
  EXPECT_EQ(Trim(u"  a b \r\n"), u"a b");
  EXPECT_EQ(Trim(u"   "), u"");
  EXPECT_EQ(ToLower(u"ABC Ä"), u"abc ä");
  EXPECT_TRUE(EqualsNoCase(u"About:Blank", u"about:blank"));
  EXPECT_FALSE(EqualsNoCase(u"about:blan", u"about:blank"));
  EXPECT_EQ(FindNoCase(u"xxHTTP://", u"http://"), 2u);
  EXPECT_EQ(FindNoCase(u"abc", u"abcd"), u16::npos);
  EXPECT_TRUE(EndsWithNoCase(u"a.URL", u".url"));
}

TEST(Text, ToIntFollowsLeadingDigits) {
  EXPECT_EQ(ToInt(u"12abc"), 12);
  EXPECT_EQ(ToInt(u"abc"), 0);
  EXPECT_EQ(ToInt(u"  -7"), -7);
  EXPECT_EQ(ToInt(u""), 0);
  EXPECT_EQ(ToInt(u"99999999999999"), 2147483647);
  EXPECT_EQ(ToInt(u"-99999999999999"), -2147483647 - 1);
}

TEST(Text, Format) {
  EXPECT_EQ(Format(u"%s - %s", u"页", u"Zel浏览器"), u"页 - Zel浏览器");
  EXPECT_EQ(Format(u"block_%d", 3), u"block_3");
  EXPECT_EQ(Format(u"100%% %d", -5), u"100% -5");
  EXPECT_EQ(Format(u"%s%s", u"a"), u"a");
}

TEST(Text, Conversions) {
  u16 s = u"Zel浏览器 \U0001F600";
  EXPECT_EQ(FromUtf8(ToUtf8(s)), s);
  // A lone surrogate never produces invalid UTF-8.
  u16 lone = u"a";
  lone += char16_t(0xD800);
  EXPECT_TRUE(IsValidUtf8(ToUtf8(lone)));
  EXPECT_EQ(FromUtf8("\xff\xfe" "a"), u"\uFFFD\uFFFDa");
  std::string gbk = ToGbk(u"中文");
  EXPECT_EQ(gbk, "\xd6\xd0\xce\xc4");
  EXPECT_EQ(FromGbk(gbk), u"中文");
}

TEST(Files, AtomicWriteAndUtf16) {
  char tmpl[] = "/tmp/zeltestXXXXXX";
  std::string dir = mkdtemp(tmpl);
  std::string deep = dir + "/a/b/c";
  ASSERT_TRUE(CreateFolderLevels(deep));
  std::string f = deep + "/x.dat";
  ASSERT_TRUE(WriteFileAtomic(f, "one"));
  ASSERT_TRUE(WriteFileAtomic(f, "two"));
  EXPECT_EQ(*ReadFileBytes(f), "two");
  std::string u = deep + "/u.dat";
  ASSERT_TRUE(AppendUtf16LeFile(u, u"host,"));
  ASSERT_TRUE(AppendUtf16LeFile(u, u"站点,"));
  EXPECT_EQ(*ReadUtf16LeFile(u), u"host,站点,");
  EXPECT_EQ(ReadFileBytes(u)->size(), 16u);
  EXPECT_FALSE(ReadFileBytes(deep + "/missing"));
  std::system(("rm -rf " + dir).c_str());
}
