#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/ini_document.h"
#include "platform/ini_registry.h"
#include "settings/settings_file.h"
#include "base/files.h"
#include "fakes/temp_dir.h"

using namespace zel;
using zel::test::ScratchProfile;
using zel::test::TempDir;

namespace {
std::string Read(const std::string& p) { return ReadFileBytes(p).value_or("<missing>"); }
}  // namespace

TEST(SettingsFile, PathRule) {
  SettingsFile::SetLocation("/opt/zel/", "profile/Defaults");
  EXPECT_EQ(SettingsFile::ResolvePath(u"config.ini"), "/opt/zel/profile/Defaults/config.ini");
  EXPECT_EQ(SettingsFile::ResolvePath(u"/etc/x.ini"), "/etc/x.ini");
  SettingsFile::SetLocation("/opt/zel/", "");
  EXPECT_EQ(SettingsFile::ResolvePath(u"a.ini"), "/opt/zel/a.ini");
}

TEST(SettingsFile, BareNameLandsInCreatedProfileFolder) {
  ScratchProfile p;
  EXPECT_FALSE(DirExists(p.ProfileFolder()));
  SettingsFile f(u"config.ini", u"GENERAL");
  EXPECT_EQ(f.ReadText(u"homepage", u"x"), u"x");
  EXPECT_TRUE(DirExists(p.ProfileFolder()));  // created on the first read
  EXPECT_TRUE(f.WriteText(u"homepage", u"http://a/"));
  EXPECT_EQ(Read(p.ConfigPath()), "[GENERAL]\r\nhomepage=http://a/\r\n");
}

TEST(SettingsFile, IntegersFollowLeadingDigits) {
  ScratchProfile p;
  SettingsFile f(u"config.ini", u"GENERAL");
  f.WriteText(u"width", u"12abc");
  f.WriteText(u"height", u"letters");
  f.WriteInt(u"top", -40);
  EXPECT_EQ(f.ReadInt(u"width", 800), 12);
  EXPECT_EQ(f.ReadInt(u"height", 600), 0);
  EXPECT_EQ(f.ReadInt(u"top", 50), -40);
  EXPECT_EQ(f.ReadInt(u"missing", 77), 77);
  // Integers are read with 16 characters at most: the 16th digit is lost.
  f.WriteText(u"long", u"1234567890123456789");
  EXPECT_EQ(f.ReadInt(u"long", 0), 2147483647);
  f.WriteText(u"cut", u"000000000000001234");
  EXPECT_EQ(f.ReadInt(u"cut", 0), 1);
}

TEST(SettingsFile, TextIsCutAt259) {
  ScratchProfile p;
  SettingsFile f(u"config.ini", u"GENERAL");
  u16 longHome = u"http://example.com/" + u16(400, u'a');
  f.WriteText(u"homepage", longHome);
  u16 back = f.ReadText(u"homepage", u"", 260);
  EXPECT_EQ(back.size(), 259u);
  EXPECT_EQ(back, longHome.substr(0, 259));
  EXPECT_EQ(f.ReadText(u"absent", u16(300, u'd'), 260).size(), 259u);
  EXPECT_EQ(f.ReadText(u"homepage", u"", 2048), longHome);
}

TEST(SettingsFile, WriteDeleteAndSections) {
  ScratchProfile p;
  SettingsFile f(u"config.ini", u"GENERAL");
  f.WriteText(u"a", u"1");
  f.SetSection(u"TABSET");
  f.WriteText(u"b", u"2");
  f.SetSection(u"GENERAL");
  f.WriteText(u"c", u"3");  // appended to the end of its own section
  f.WriteText(u"A", u"4");  // replaces a in place
  EXPECT_EQ(Read(p.ConfigPath()), "[GENERAL]\r\nA=4\r\nc=3\r\n[TABSET]\r\nb=2\r\n");
  EXPECT_TRUE(f.DeleteKey(u"c"));
  EXPECT_EQ(f.ReadText(u"c", u"gone"), u"gone");
  f.SetSection(u"");
  f.WriteText(u"e", u"5");
  EXPECT_NE(Read(p.ConfigPath()).find("[]\r\ne=5\r\n"), std::string::npos);
  EXPECT_EQ(f.ReadText(u"e"), u"5");
}

TEST(IniDocument, ProfileSemantics) {
  auto d = IniDocument::Parse(
      "junk before sections\n"
      "[General]\n"
      "  Key  =  spaced value  \n"
      "key=second\n"
      "quoted=\"  kept  \"\n"
      "half=\"open\n"
      "[GENERAL]\n"
      "other=in second section\n");
  EXPECT_EQ(d.Get(u"general", u"KEY"), u"spaced value");  // first match wins
  EXPECT_EQ(d.Get(u"GENERAL", u"quoted"), u"  kept  ");
  EXPECT_EQ(d.Get(u"GENERAL", u"half"), u"\"open");
  EXPECT_FALSE(d.Get(u"GENERAL", u"other"));  // only the first section counts
  EXPECT_FALSE(d.Get(u"NOPE", u"key"));
  d.Set(u"GENERAL", u"multi", u"line1\r\n[EVIL]\r\nx=1");
  EXPECT_FALSE(IniDocument::Parse(d.Serialize()).HasSection(u"EVIL"));
}

TEST(IniDocument, EncodingsReadAndKept) {
  // UTF-16LE with a mark
  std::string u16le = "\xFF\xFE" + EncodeUtf16Le(u"[S]\r\nk=中文\r\n");
  auto a = IniDocument::Parse(u16le);
  EXPECT_EQ(a.Get(u"S", u"k"), u"中文");
  a.Set(u"S", u"n", u"新");
  EXPECT_EQ(a.Serialize(), "\xFF\xFE" + EncodeUtf16Le(u"[S]\r\nk=中文\r\nn=新\r\n"));
  // UTF-8 with and without a mark
  auto b = IniDocument::Parse("\xEF\xBB\xBF[S]\nk=\xE4\xB8\xAD\n");
  EXPECT_EQ(b.Get(u"S", u"k"), u"中");
  EXPECT_EQ(b.Serialize().substr(0, 3), "\xEF\xBB\xBF");
  // GBK from a Windows profile
  auto c = IniDocument::Parse("[S]\r\nk=\xd6\xd0\xce\xc4\r\n");
  EXPECT_EQ(c.encoding(), IniDocument::Encoding::Gbk);
  EXPECT_EQ(c.Get(u"S", u"k"), u"中文");
  c.Set(u"S", u"k", u"文");
  EXPECT_EQ(c.Serialize(), "[S]\r\nk=\xce\xc4\r\n");
  // A character GBK cannot hold survives the round trip.
  c.Set(u"S", u"e", u"\U0001F600");
  EXPECT_EQ(IniDocument::Parse(c.Serialize()).Get(u"S", u"e"), u"\U0001F600");
}

TEST(SettingsFile, EncodingKeptThroughAccessor) {
  ScratchProfile p;
  CreateFolderLevels(p.ProfileFolder());
  WriteFileAtomic(p.ConfigPath(), "\xFF\xFE" + EncodeUtf16Le(u"[GENERAL]\r\nskin=蓝色\r\n"));
  SettingsFile f(u"config.ini", u"GENERAL");
  EXPECT_EQ(f.ReadText(u"skin"), u"蓝色");
  f.WriteInt(u"zoomed", 0);
  std::string bytes = Read(p.ConfigPath());
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(DecodeUtf16Le(bytes), u"[GENERAL]\r\nskin=蓝色\r\nzoomed=0\r\n");
}

TEST(SettingsFile, FailedWriteLeavesOldFileWhole) {
  ScratchProfile p;
  SettingsFile f(u"config.ini", u"GENERAL");
  ASSERT_TRUE(f.WriteText(u"homepage", u"http://kept/"));
  std::string before = Read(p.ConfigPath());
  // Limit file size so the write stops midway (root is not exempt from this limit).
  struct rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  struct rlimit small = old;
  small.rlim_cur = 4096;
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  bool ok = f.WriteText(u"big", u16(100000, u'x'));
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(ok);
  EXPECT_EQ(Read(p.ConfigPath()), before);
  EXPECT_EQ(f.ReadText(u"homepage"), u"http://kept/");
  // No temporary file is left behind.
  EXPECT_EQ(std::system(("test $(ls -A '" + p.ProfileFolder() + "' | wc -l) -eq 1").c_str()), 0);
}

TEST(SettingsFile, FolderThatCannotBeCreated) {
  TempDir d;
  WriteFileAtomic(d / "blocker", "a file where a folder should be");
  SettingsFile::SetLocation(d.path() + "/", "blocker/Defaults");
  SettingsFile f(u"config.ini", u"GENERAL");
  EXPECT_EQ(f.ReadInt(u"width", 800), 800);
  EXPECT_FALSE(f.WriteInt(u"width", 1));
  EXPECT_EQ(Read(d / "blocker"), "a file where a folder should be");
}

TEST(SettingsFile, GarbageFileReadsDefaultsAndKeepsItsText) {
  ScratchProfile p;
  CreateFolderLevels(p.ProfileFolder());
  std::string garbage("\x01\x02\xff\xfe\x00zz[GENERAL\x00", 14);
  garbage += std::string(10 * 1024 * 1024, 'q');  // a 10 MB line
  garbage += "\n[GENERAL]\nwidth=1024\n";
  WriteFileAtomic(p.ConfigPath(), garbage);
  SettingsFile f(u"config.ini", u"GENERAL");
  EXPECT_EQ(f.ReadInt(u"height", 600), 600);
  f.WriteInt(u"height", 700);
  EXPECT_EQ(f.ReadInt(u"height", 600), 700);
  EXPECT_GT(Read(p.ConfigPath()).size(), 10u * 1024 * 1024);  // nothing thrown away
}

// A profile file that is there but cannot be read (here a folder in its place; an I/O error
// or a missing permission take the same path) is never replaced by a write, reads give the
// defaults, and the file is reported once.
TEST(UnreadableProfileFile, IsNeitherReadNorReplaced) {
  ScratchProfile p;
  TakeUnreadableFiles();
  ASSERT_TRUE(CreateFolderLevels(p.ConfigPath()));
  WriteFileAtomic(p.ConfigPath() + "/keep.txt", "user data");
  SettingsFile f(u"config.ini", u"GENERAL");
  EXPECT_EQ(f.ReadInt(u"width", 800), 800);
  EXPECT_FALSE(f.WriteInt(u"width", 1024));
  EXPECT_FALSE(f.DeleteKey(u"width"));
  EXPECT_TRUE(DirExists(p.ConfigPath()));
  EXPECT_EQ(ReadFileBytes(p.ConfigPath() + "/keep.txt"), std::optional<std::string>("user data"));

  std::string registryPath = p.ProfileFolder() + "/registry.ini";
  ASSERT_TRUE(CreateFolderLevels(registryPath));
  IniRegistry registry(registryPath);
  EXPECT_FALSE(registry.GetValue(u"Software\\Zel", u"a").has_value());
  EXPECT_FALSE(registry.SetValue(u"Software\\Zel", u"a", RegValue::Dw(1)));
  EXPECT_FALSE(registry.CreateKey(u"Software\\Zel"));
  EXPECT_FALSE(registry.DeleteKey(u"Software\\Zel"));
  EXPECT_TRUE(DirExists(registryPath));

  std::vector<std::string> told = TakeUnreadableFiles();
  EXPECT_EQ(told, (std::vector<std::string>{p.ConfigPath(), registryPath}));
  f.ReadText(u"homepage");
  EXPECT_TRUE(TakeUnreadableFiles().empty());  // once a run
  // A file that simply is not there is no failure: it is created.
  SettingsFile other(u"other.ini", u"S");
  EXPECT_TRUE(other.WriteInt(u"k", 1));
  EXPECT_TRUE(TakeUnreadableFiles().empty());
}

// The case a user meets: a config.ini that the browser may write but not read (here a
// write-only file). As root the check runs in a child that has given up root, since root
// reads every file.
TEST(UnreadableProfileFile, WriteOnlyFileKeepsItsContent) {
  ScratchProfile p;
  ASSERT_TRUE(CreateFolderLevels(p.ProfileFolder()));
  const std::string original = "[GENERAL]\r\nhomepage=http://mine/\r\nwidth=1000\r\n";
  ASSERT_TRUE(WriteFileAtomic(p.ConfigPath(), original));
  auto attempt = [&] {
    SettingsFile f(u"config.ini", u"GENERAL");
    bool wrote = f.WriteInt(u"width", 640);
    return !wrote && f.ReadInt(u"width", 7) == 7;
  };
  if (::geteuid() != 0) {
    ASSERT_EQ(::chmod(p.ConfigPath().c_str(), 0200), 0);
    EXPECT_TRUE(attempt());
  } else {
    const uid_t nobody = 65534;
    ASSERT_EQ(::chown(p.dir().path().c_str(), nobody, nobody), 0);
    ASSERT_EQ(::chown(DirName(p.ProfileFolder()).c_str(), nobody, nobody), 0);
    ASSERT_EQ(::chown(p.ProfileFolder().c_str(), nobody, nobody), 0);
    ASSERT_EQ(::chown(p.ConfigPath().c_str(), nobody, nobody), 0);
    ASSERT_EQ(::chmod(p.ConfigPath().c_str(), 0200), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      bool ok = ::setgid(nobody) == 0 && ::setuid(nobody) == 0 && attempt();
      ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  ::chmod(p.ConfigPath().c_str(), 0600);
  EXPECT_EQ(ReadFileBytes(p.ConfigPath()), std::optional<std::string>(original));
}
