// The runtime folder and the files of the single-instance channel, on real files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include <gtest/gtest.h>

#include "base/files.h"
#include "fakes/temp_dir.h"
#include "platform/instance_files.h"
#include "platform/share_text.h"

using namespace zel;
using zel::test::TempDir;

namespace {

constexpr uid_t kOtherUid = 65534;  // "nobody": the other local user

bool CanChown() { return ::geteuid() == 0; }

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st.st_mode & 07777;
}

bool IsLink(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// What another user can leave at a name before we come.
enum class Planted { Nothing, OurPrivateFolder, OtherOwner, OpenMode, GroupReadable, Symlink, File };

// Another owner needs chown, so root; without it those cases are left out.
bool Skipped(Planted what) { return what == Planted::OtherOwner && !CanChown(); }

// Puts the planted thing at path.
bool Plant(Planted what, const std::string& path, const std::string& scratch) {
  switch (what) {
    case Planted::Nothing:
      return true;
    case Planted::OurPrivateFolder:
      return ::mkdir(path.c_str(), 0700) == 0;
    case Planted::OtherOwner:
      return ::mkdir(path.c_str(), 0700) == 0 &&
             ::chown(path.c_str(), kOtherUid, kOtherUid) == 0;
    case Planted::OpenMode:
      return ::mkdir(path.c_str(), 0700) == 0 && ::chmod(path.c_str(), 0777) == 0;
    case Planted::GroupReadable:
      return ::mkdir(path.c_str(), 0700) == 0 && ::chmod(path.c_str(), 0750) == 0;
    case Planted::Symlink: {
      // A link to a folder that would pass every other check.
      std::string target = JoinPath(scratch, "link-target");
      return ::mkdir(target.c_str(), 0700) == 0 && ::symlink(target.c_str(), path.c_str()) == 0;
    }
    case Planted::File:
      return WriteFileAtomic(path, "x") && ::chmod(path.c_str(), 0600) == 0;
  }
  return false;
}

struct FolderCase {
  const char* name;
  Planted planted;
  bool isPrivate;  // FolderIsPrivate of the planted path
};

const FolderCase kFolderCases[] = {
    {"our own 0700 folder", Planted::OurPrivateFolder, true},
    {"missing", Planted::Nothing, false},
    {"owned by another user", Planted::OtherOwner, false},
    {"mode 0777", Planted::OpenMode, false},
    {"readable by the group", Planted::GroupReadable, false},
    {"a symlink to a private folder", Planted::Symlink, false},
    {"a regular file", Planted::File, false},
};

TEST(RuntimeFolder, OnlyARealPrivateFolderOfOursPasses) {
  for (const FolderCase& c : kFolderCases) {
    SCOPED_TRACE(c.name);
    TempDir tmp;
    std::string path = tmp / "zel-run";
    if (Skipped(c.planted)) continue;
    ASSERT_TRUE(Plant(c.planted, path, tmp.path()));
    EXPECT_EQ(FolderIsPrivate(path, ::geteuid()), c.isPrivate);
  }
  // The owner is compared with the uid asked about, not with whoever runs the check.
  TempDir tmp;
  std::string mine = tmp / "mine";
  ASSERT_EQ(::mkdir(mine.c_str(), 0700), 0);
  EXPECT_FALSE(FolderIsPrivate(mine, ::geteuid() + 1));
}

TEST(RuntimeFolder, XdgRuntimeDirIsUsedOnlyWhenPrivate) {
  for (const FolderCase& c : kFolderCases) {
    SCOPED_TRACE(c.name);
    TempDir tmp;
    std::string xdg = tmp / "xdg";
    if (Skipped(c.planted)) continue;
    ASSERT_TRUE(Plant(c.planted, xdg, tmp.path()));
    const uid_t uid = ::geteuid();
    std::string chosen = ChooseRuntimeFolder(xdg.c_str(), tmp.path(), uid);
    std::string fallback = tmp / ("zel-" + std::to_string(uid));
    EXPECT_EQ(chosen, c.isPrivate ? xdg : fallback);
    EXPECT_TRUE(FolderIsPrivate(chosen, uid));
  }
}

TEST(RuntimeFolder, MissingFolderIsCreatedPrivate) {
  TempDir tmp;
  const uid_t uid = ::geteuid();
  std::string chosen = ChooseRuntimeFolder(nullptr, tmp.path(), uid);
  EXPECT_EQ(chosen, tmp / ("zel-" + std::to_string(uid)));
  EXPECT_EQ(ModeOf(chosen), 0700u);
  // A second start finds the same folder.
  EXPECT_EQ(ChooseRuntimeFolder("", tmp.path(), uid), chosen);
}

TEST(RuntimeFolder, TakenNameMovesToTheNextFixedNameAndLeavesItAlone) {
  const Planted takeovers[] = {Planted::OtherOwner, Planted::OpenMode, Planted::Symlink,
                               Planted::File};
  for (Planted p : takeovers) {
    SCOPED_TRACE(int(p));
    TempDir tmp;
    const uid_t uid = ::geteuid();
    std::string base = tmp / ("zel-" + std::to_string(uid));
    if (Skipped(p)) continue;
    ASSERT_TRUE(Plant(p, base, tmp.path()));
    const mode_t before = ModeOf(base);
    std::string chosen = ChooseRuntimeFolder(nullptr, tmp.path(), uid);
    EXPECT_EQ(chosen, base + ".1");
    EXPECT_TRUE(FolderIsPrivate(chosen, uid));
    // The same name again for the next start of ours, so the two still meet.
    EXPECT_EQ(ChooseRuntimeFolder(nullptr, tmp.path(), uid), chosen);
    // The planted thing is not repaired or taken over.
    EXPECT_EQ(ModeOf(base), before);
  }
}

TEST(RuntimeFolder, EveryFixedNameTakenGivesAPrivateFolderOfItsOwn) {
  TempDir tmp;
  const uid_t uid = ::geteuid();
  std::string base = tmp / ("zel-" + std::to_string(uid));
  ASSERT_TRUE(Plant(Planted::OpenMode, base, tmp.path()));
  for (int i = 1; i <= 20; ++i)
    ASSERT_TRUE(Plant(Planted::OpenMode, base + "." + std::to_string(i), tmp.path()));
  std::string a = ChooseRuntimeFolder(nullptr, tmp.path(), uid);
  std::string b = ChooseRuntimeFolder(nullptr, tmp.path(), uid);
  EXPECT_EQ(a.rfind(base + "-", 0), 0u) << a;
  EXPECT_TRUE(FolderIsPrivate(a, uid));
  EXPECT_TRUE(FolderIsPrivate(b, uid));
  EXPECT_NE(a, b);
}

TEST(ProfileKey, OneFolderOneKeyTwoFoldersTwoKeys) {
  TempDir tmp;
  std::string one = tmp / "one", two = tmp / "two", link = tmp / "link";
  ASSERT_TRUE(CreateFolderLevels(one));
  ASSERT_TRUE(CreateFolderLevels(two));
  ASSERT_EQ(::symlink(one.c_str(), link.c_str()), 0);
  const std::string key = ProfileKey(one);
  EXPECT_EQ(key.size(), 12u);
  EXPECT_EQ(ProfileKey(one + "/"), key);
  EXPECT_EQ(ProfileKey(two + "/../one/"), key);
  EXPECT_EQ(ProfileKey(link), key);
  EXPECT_NE(ProfileKey(two), key);
  // A folder that does not exist yet still gets a key of its own.
  EXPECT_NE(ProfileKey(tmp / "later"), key);
  EXPECT_EQ(ProfileKey(tmp / "later/"), ProfileKey(tmp / "later"));

  ChannelPaths a = ChannelPathsFor("/run/x", ProfileKey(one));
  ChannelPaths b = ChannelPathsFor("/run/x", ProfileKey(two));
  for (auto field : {&ChannelPaths::firstLock, &ChannelPaths::socket, &ChannelPaths::mutex,
                     &ChannelPaths::share}) {
    EXPECT_EQ(DirName(a.*field), "/run/x");
    EXPECT_NE(a.*field, b.*field);
  }
}

TEST(ShareFile, WrittenTextReadsBack) {
  TempDir tmp;
  std::string share = tmp / "ZELShare-k";
  const u16 text = u"http://例子.com/页面?q=1";
  ASSERT_EQ(WriteShareFile(share, text), ShareWrite::Written);
  EXPECT_EQ(ModeOf(share), 0600u);
  EXPECT_EQ(ReadShareFile(share), text);
  // A stale file of any size is replaced, never appended to or read past.
  ASSERT_TRUE(WriteFileAtomic(share, std::string(kShareBytes * 2, 'A')));
  ASSERT_EQ(WriteShareFile(share, u"b"), ShareWrite::Written);
  EXPECT_EQ(ReadFileBytes(share)->size(), kShareBytes);
  EXPECT_EQ(ReadShareFile(share), u"b");
}

TEST(ShareFile, PlantedLinkIsNeverWrittenThroughOrRead) {
  TempDir tmp;
  std::string victim = tmp / "victim.txt";
  std::string share = tmp / "ZELShare-k";
  ASSERT_TRUE(WriteFileAtomic(victim, "precious"));
  ASSERT_EQ(::symlink(victim.c_str(), share.c_str()), 0);

  // The reading side does not follow it either.
  EXPECT_FALSE(ReadShareFile(share).has_value());

  EXPECT_EQ(WriteShareFile(share, u"http://a/"), ShareWrite::Written);
  EXPECT_EQ(ReadFileBytes(victim), "precious");
  EXPECT_FALSE(IsLink(share));
  EXPECT_EQ(ReadShareFile(share), u"http://a/");
}

TEST(ShareFile, WhatIsNotAFullRegularFileIsNoText) {
  TempDir tmp;
  std::string share = tmp / "ZELShare-k";
  EXPECT_FALSE(ReadShareFile(share).has_value());  // missing
  ASSERT_TRUE(WriteFileAtomic(share, std::string(kShareBytes - 1, 'a')));
  EXPECT_FALSE(ReadShareFile(share).has_value());  // short
  ::unlink(share.c_str());
  ASSERT_EQ(::mkfifo(share.c_str(), 0600), 0);
  EXPECT_FALSE(ReadShareFile(share).has_value());  // a pipe: no wait for a writer
  ::unlink(share.c_str());
  ASSERT_EQ(::mkdir(share.c_str(), 0700), 0);
  EXPECT_FALSE(ReadShareFile(share).has_value());  // a folder
}

TEST(ShareFile, LockFileIsNotOpenedThroughALink) {
  TempDir tmp;
  std::string victim = tmp / "victim.txt";
  std::string lock = tmp / "ZELMutex-k.lock";
  ASSERT_TRUE(WriteFileAtomic(victim, "precious"));
  ASSERT_EQ(::symlink(victim.c_str(), lock.c_str()), 0);
  EXPECT_LT(OpenLockFile(lock), 0);
  ::unlink(lock.c_str());
  int fd = OpenLockFile(lock);
  ASSERT_GE(fd, 0);
  EXPECT_TRUE(::fcntl(fd, F_GETFD) & FD_CLOEXEC);
  ::close(fd);
  EXPECT_EQ(ModeOf(lock), 0600u);
}

}  // namespace
