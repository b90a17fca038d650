#include <gtest/gtest.h>

#include "settings/frame_settings.h"
#include "settings/settings_file.h"
#include "base/files.h"
#include "fakes/temp_dir.h"
#include "search/keyword_history.h"

using namespace zel;
using zel::test::ScratchProfile;

namespace {

std::string KeysPath(const ScratchProfile& p) { return p.ProfileFolder() + "/searchkeys.ini"; }

void WriteKeys(const ScratchProfile& p, const std::string& body) {
  ASSERT_TRUE(CreateFolderLevels(p.ProfileFolder()));
  ASSERT_TRUE(WriteFileAtomic(KeysPath(p), body));
}

u16 Key(int n) { return SettingsFile(u"searchkeys.ini", u"").ReadText(Format(u"key_%d", n)); }

std::string NumberedKeys(int from, int to, const char* prefix) {
  std::string body = "[]\r\n";
  for (int i = from; i < to; ++i)
    body += "key_" + std::to_string(i) + "=" + prefix + std::to_string(i) + "\r\n";
  return body;
}

}  // namespace

TEST(KeywordHistory, LoadStopsAtFirstEmptyValue) {
  ScratchProfile p;
  WriteKeys(p, "[]\r\nkey_0=新\r\nkey_1=b\r\nkey_2=\r\nkey_3=d\r\n");
  KeywordHistory h;
  h.Load();
  EXPECT_EQ(h.items(), (std::vector<u16>{u"新", u"b"}));
}

TEST(KeywordHistory, LoadStopsAtFirstMissingKey) {
  ScratchProfile p;
  WriteKeys(p, "[]\r\nkey_0=a\r\nkey_2=c\r\n");
  KeywordHistory h;
  h.Load();
  EXPECT_EQ(h.items(), std::vector<u16>{u"a"});
}

TEST(KeywordHistory, LoadHasNoUpperBound) {
  ScratchProfile p;
  WriteKeys(p, NumberedKeys(0, 30, "k"));
  KeywordHistory h;
  h.Load();
  ASSERT_EQ(h.items().size(), 30u);
  EXPECT_EQ(h.items()[29], u"k29");
}

TEST(KeywordHistory, AddPutsNewKeywordAtHeadAndLeavesListedOnesInPlace) {
  KeywordHistory h;
  EXPECT_TRUE(h.Add(u"one"));
  EXPECT_TRUE(h.Add(u"two"));
  EXPECT_TRUE(h.Add(u"three"));
  EXPECT_FALSE(h.Add(u"one"));
  EXPECT_EQ(h.items(), (std::vector<u16>{u"three", u"two", u"one"}));
  // Case counts.
  EXPECT_TRUE(h.Add(u"ONE"));
  EXPECT_EQ(h.items().front(), u"ONE");
}

TEST(KeywordHistory, SaveWritesOnlyTheFirst20MostRecentFirst) {
  ScratchProfile p;
  KeywordHistory h;
  for (int i = 0; i < 25; ++i) h.Add(Format(u"w%d", i));
  FrameSettings s;
  h.Save(s);
  EXPECT_EQ(Key(0), u"w24");
  EXPECT_EQ(Key(19), u"w5");
  EXPECT_EQ(Key(20), u"");
  KeywordHistory again;
  again.Load();
  ASSERT_EQ(again.items().size(), 20u);
  EXPECT_EQ(again.items(), std::vector<u16>(h.items().begin(), h.items().begin() + 20));
}

TEST(KeywordHistory, SaveRemovesTheKeysItNoLongerHolds) {
  ScratchProfile p;
  // A longer list than a save keeps (written by hand, or an older run), with a gap.
  WriteKeys(p, NumberedKeys(0, 25, "old") + "key_40=far\r\nkey_x=other\r\n");
  KeywordHistory h;
  h.Load();
  h.Add(u"new");
  h.Save(FrameSettings{});
  EXPECT_EQ(Key(0), u"new");
  EXPECT_EQ(Key(19), u"old18");
  std::string text = ReadFileBytes(KeysPath(p)).value_or("");
  for (const char* gone : {"key_20", "key_24", "key_40", "old19", "far"})
    EXPECT_EQ(text.find(gone), std::string::npos) << gone << " in\n" << text;
  EXPECT_NE(text.find("key_x=other"), std::string::npos);  // not a keyword key
  // A shorter list leaves no older keys behind either.
  KeywordHistory shorter;
  shorter.Add(u"only");
  shorter.Save(FrameSettings{});
  EXPECT_EQ(Key(0), u"only");
  EXPECT_EQ(Key(1), u"");
  KeywordHistory again;
  again.Load();
  EXPECT_EQ(again.items(), std::vector<u16>{u"only"});
}

TEST(KeywordHistory, SaveRemovesLineBreaksInsideAKeyword) {
  ScratchProfile p;
  KeywordHistory h;
  h.Add(u"a\r\nb\nc\rd");
  h.Add(u"next");
  h.Save(FrameSettings{});
  EXPECT_EQ(Key(0), u"next");
  EXPECT_EQ(Key(1), u"abcd");
  EXPECT_EQ(Key(2), u"");
}

TEST(KeywordHistory, SaveIsSkippedWhenSearchTracesAreCleared) {
  ScratchProfile p;
  KeywordHistory h;
  h.Add(u"secret");
  FrameSettings s;
  s.clean.search = true;
  h.Save(s);
  EXPECT_FALSE(FileExists(KeysPath(p)));
}

TEST(KeywordHistory, ClearEmptiesListDeletesKeysAndMarksCleanSearch) {
  ScratchProfile p;
  WriteKeys(p, NumberedKeys(0, 22, "k"));
  KeywordHistory h;
  h.Load();
  FrameSettings s;
  h.Clear(s);
  EXPECT_TRUE(h.items().empty());
  EXPECT_TRUE(s.clean.search);
  EXPECT_EQ(Key(0), u"");
  EXPECT_EQ(Key(19), u"");
  EXPECT_EQ(Key(20), u"");  // nothing typed stays in the file
  // The exit save that follows leaves the cleared file alone.
  h.Add(u"after");
  h.Save(s);
  EXPECT_EQ(Key(0), u"");
}
