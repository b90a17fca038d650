// Profile files as they come from other systems and other years: mixed encodings, stray
// bytes, UTF-16 without a mark, and lists far longer than anyone types by hand.
#include <gtest/gtest.h>

#include <chrono>

#include "base/files.h"
#include "base/ini_document.h"
#include "fakes/temp_dir.h"
#include "filters/filter_lists.h"
#include "search/keyword_history.h"
#include "settings/frame_settings.h"
#include "settings/settings_file.h"

using namespace zel;
using zel::test::ScratchProfile;

namespace {

std::string Read(const std::string& p) { return ReadFileBytes(p).value_or("<missing>"); }

void WriteProfileFile(const ScratchProfile& p, const std::string& name, const std::string& bytes) {
  ASSERT_TRUE(CreateFolderLevels(p.ProfileFolder()));
  ASSERT_TRUE(WriteFileAtomic(p.ProfileFolder() + "/" + name, bytes));
}

double SecondsOf(const std::function<void()>& f) {
  auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

// One byte that fits no encoding (a lone 0x80) costs its own line and nothing else: the
// other Chinese values read right and survive a write of another key byte for byte.
TEST(ProfileText, StrayByteCostsOnlyItsOwnLine) {
  struct Case {
    const char* name;
    std::string zhong, lan, xin;  // 中文, 蓝色 and 新 in the file's encoding
    IniDocument::Encoding encoding;
  };
  const Case cases[] = {
      {"GBK", "\xd6\xd0\xce\xc4", "\xc0\xb6\xc9\xab", "\xd0\xc2", IniDocument::Encoding::Gbk},
      {"UTF-8", "\xe4\xb8\xad\xe6\x96\x87", "\xe8\x93\x9d\xe8\x89\xb2", "\xe6\x96\xb0",
       IniDocument::Encoding::Utf8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchProfile p;
    const std::string original = "[GENERAL]\r\nhome=" + c.zhong + "\r\nodd=x\x80y" + c.lan +
                                 "\r\nskin=" + c.lan + "\r\n";
    WriteProfileFile(p, "config.ini", original);
    EXPECT_EQ(IniDocument::Parse(original).encoding(), c.encoding);
    SettingsFile f(u"config.ini", u"GENERAL");
    EXPECT_EQ(f.ReadText(u"home"), u"中文");
    EXPECT_EQ(f.ReadText(u"skin"), u"蓝色");
    ASSERT_TRUE(f.WriteText(u"title", u"新"));
    EXPECT_EQ(Read(p.ConfigPath()), original + "title=" + c.xin + "\r\n");
    // Writing the damaged key itself replaces its line in the file's encoding.
    ASSERT_TRUE(f.WriteText(u"odd", u"新"));
    EXPECT_EQ(Read(p.ConfigPath()), "[GENERAL]\r\nhome=" + c.zhong + "\r\nodd=" + c.xin +
                                        "\r\nskin=" + c.lan + "\r\ntitle=" + c.xin + "\r\n");
  }
}

// UTF-16 written without a byte-order mark is told by its NUL bytes, read, and written
// back as UTF-16 (now with a mark), never as a UTF-8 tail on a UTF-16 head.
TEST(ProfileText, MarklessUtf16IsRead) {
  struct Case {
    const char* name;
    u16 text;
    bool bigEndian;
  };
  const Case cases[] = {
      {"little-endian", u"[GENERAL]\r\nhome=http://a/\r\nskin=蓝色\r\n", false},
      {"big-endian", u"[GENERAL]\r\nhome=http://a/\r\nskin=蓝色\r\n", true},
      {"mostly Chinese", u"[GENERAL]\r\nskin=蓝色天空\r\nhome=中文网站主页\r\n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes;
    for (char16_t ch : c.text) {
      char lo = char(ch & 0xFF), hi = char(ch >> 8);
      bytes += c.bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    ScratchProfile p;
    WriteProfileFile(p, "config.ini", bytes);
    SettingsFile f(u"config.ini", u"GENERAL");
    EXPECT_EQ(f.ReadText(u"skin").substr(0, 2), u"蓝色");
    ASSERT_TRUE(f.WriteInt(u"width", 900));
    std::string after = Read(p.ConfigPath());
    ASSERT_GE(after.size(), 2u);
    EXPECT_EQ(after.substr(0, 2), c.bigEndian ? "\xFE\xFF" : "\xFF\xFE");
    IniDocument back = IniDocument::Parse(after);
    EXPECT_EQ(back.Get(u"GENERAL", u"width"), u"900");
    EXPECT_EQ(back.Get(u"GENERAL", u"skin").value_or(u"").substr(0, 2), u"蓝色");
  }
  // Plain 8-bit text is not taken for UTF-16.
  EXPECT_EQ(IniDocument::Parse("[a]\r\nb=c\r\n").encoding(), IniDocument::Encoding::Utf8);
  // Nor is 8-bit text with stray NULs once it is written back with a few lines added:
  // the file must read the same way the next time.
  std::string nuls("[\x81\0\x1a\0l\0\x05\xa5\x93\xff\xf6[\x81\x81\0\0l\0\x05[\x81\0\x1a\0\x1a\0", 27);
  IniDocument first = IniDocument::Parse(nuls);
  first.Set(u"visit", u"count", u"0");
  IniDocument again = IniDocument::Parse(first.Serialize());
  EXPECT_EQ(again.encoding(), first.encoding());
  EXPECT_EQ(again.Get(u"visit", u"count"), u"0");
}

// Many changes applied at once leave exactly what the same changes one by one leave, in
// the places the one-by-one writes put them.
TEST(ProfileText, BatchedChangesEqualOneByOne) {
  using C = IniDocument::Change;
  struct Case {
    const char* name;
    std::string file;
    std::vector<C> changes;
  };
  const Case cases[] = {
      {"new keys after the last line of their section",
       "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n",
       {{u"A", u"n1", u"a"}, {u"B", u"n2", u"b"}, {u"A", u"n3", u"c"}}},
      {"existing keys in place, any case",
       "[A]\r\n Key = old \r\nother=1\r\n",
       {{u"a", u"KEY", u"new"}, {u"A", u"key", u"newer"}}},
      {"new sections at the end in order",
       "[A]\r\nx=1\r\n",
       {{u"C", u"k", u"1"}, {u"B", u"k", u"2"}, {u"c", u"j", u"3"}}},
      {"a key written twice before it lands",
       "",
       {{u"S", u"k", u"1"}, {u"S", u"k", u"2"}}},
      {"removal between writes",
       "[A]\r\nk=1\r\nk=2\r\n",
       {{u"A", u"n", u"x"}, {u"A", u"k", std::nullopt}, {u"A", u"k", u"3"}}},
      {"only the first of two same-named sections",
       "[A]\r\nx=1\r\n[B]\r\n[a]\r\nk=0\r\n",
       {{u"A", u"k", u"1"}, {u"A", u"x", u"2"}}},
      {"names the reader would not read back the same",
       "[A]\r\n",
       {{u"A", u"a=b", u"1"}, {u"A", u";c", u"2"}, {u"x]y", u"k", u"3"}, {u"x]y", u"k", u"4"}}},
      {"values with line breaks",
       "[A]\r\n",
       {{u"A", u"k", u"1\r\n[B]\r\nz=1"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    IniDocument batched = IniDocument::Parse(c.file), oneByOne = batched;
    batched.Apply(c.changes);
    for (const C& ch : c.changes) {
      if (ch.value)
        oneByOne.Set(ch.section, ch.key, *ch.value);
      else
        oneByOne.Remove(ch.section, ch.key);
    }
    EXPECT_EQ(batched.Serialize(), oneByOne.Serialize());
  }
}

// A batch is one read and one replace; on a file that cannot be read it writes nothing.
TEST(ProfileText, BatchWritesOnceAndNeverOverAnUnreadableFile) {
  ScratchProfile p;
  WriteProfileFile(p, "config.ini", "[GENERAL]\r\nwidth=1\r\n");
  SettingsBatch batch(u"config.ini");
  for (int i = 0; i < 50; ++i) batch.WriteInt(u"GENERAL", Format(u"k%d", i), i);
  batch.DeleteKey(u"GENERAL", u"width");
  ASSERT_TRUE(batch.Commit());
  SettingsSnapshot snap(u"config.ini");
  EXPECT_EQ(snap.ReadInt(u"GENERAL", u"k49", -1), 49);
  EXPECT_EQ(snap.ReadInt(u"GENERAL", u"width", -1), -1);
  EXPECT_EQ(snap.Entries(u"GENERAL").size(), 50u);

  TakeUnreadableFiles();
  std::string folderInPlace = p.ProfileFolder() + "/blockage.ini";
  ASSERT_TRUE(CreateFolderLevels(folderInPlace));
  SettingsBatch refused(u"blockage.ini");
  refused.WriteInt(u"URL", u"url_block_count", 1);
  EXPECT_FALSE(refused.Commit());
  EXPECT_TRUE(DirExists(folderInPlace));
  EXPECT_EQ(SettingsSnapshot(u"blockage.ini").ReadInt(u"URL", u"url_block_count", 7), 7);
  EXPECT_EQ(TakeUnreadableFiles(), std::vector<std::string>{folderInPlace});
}

// Lists of 100 000 entries load in one pass. The bench measures them; here the bound is
// only far enough from the old quadratic load (minutes) to catch its return.
TEST(ProfileText, HundredThousandEntryListsLoadInOnePass) {
  constexpr int kEntries = 100000;
  ScratchProfile p;
  std::string keys = "[]\r\n";
  std::string blocks = "[POPUP]\r\npop_block_count=0\r\n[URL]\r\nurl_block_count=" +
                       std::to_string(kEntries) + "\r\n";
  u16 sites;
  for (int i = 0; i < kEntries; ++i) {
    keys += "key_" + std::to_string(i) + "=word" + std::to_string(i) + "\r\n";
    blocks += "block_" + std::to_string(i) + "=*ads" + std::to_string(i) + ".example/*\r\n";
    sites += Format(u"site%d.example,", i);
  }
  sites += u"site7.example,";  // a repeat is dropped
  WriteProfileFile(p, "searchkeys.ini", keys);
  WriteProfileFile(p, "blockage.ini", blocks);
  const std::string sitesFile = p.ProfileFolder() + "/Unblocksite.dat";
  ASSERT_TRUE(WriteUtf16LeFileAtomic(sitesFile, sites));

  KeywordHistory history;
  EXPECT_LT(SecondsOf([&] { history.Load(); }), 10.0);
  EXPECT_EQ(history.items().size(), size_t(kEntries));
  EXPECT_EQ(history.items().back(), u"word99999");

  FilterLists lists;
  EXPECT_LT(SecondsOf([&] { lists.LoadFilterLists(); }), 10.0);
  EXPECT_EQ(lists.contentBlockList.size(), size_t(kEntries));
  EXPECT_TRUE(lists.IsContentBlocked(u"http://ads99999.example/x.gif"));

  size_t added = 0;
  EXPECT_LT(SecondsOf([&] { added = lists.LoadAllowedSites(sitesFile); }), 10.0);
  EXPECT_EQ(added, size_t(kEntries));
}
