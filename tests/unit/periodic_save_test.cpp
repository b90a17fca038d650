// What the frame keeps on disk while it runs, so a crash loses little: typed addresses and
// search words go out with the periodic save once they changed; and what a killed run left
// half-written is cleared at the next start.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <ctime>

#include "base/files.h"
#include "fakes/fake_engine.h"
#include "fakes/fake_ports.h"
#include "fakes/fake_shell.h"
#include "fakes/temp_dir.h"
#include "frame/address_box.h"
#include "frame/main_frame.h"
#include "platform/ini_registry.h"
#include "search/search_controller.h"
#include "settings/settings_file.h"

using namespace zel;
using namespace zel::test;

namespace {

class PeriodicSave : public ::testing::Test {
 protected:
  PeriodicSave()
      : registry_(profile_.ProfileFolder() + "/registry.ini"),
        frame_({&window_, &loop_, &prompts_, &registry_, &shell_, &engines_, &keys_, &clipboard_}) {
    frame_.settings().newsequence = 1;
    frame_.settings().activateNewTabs = true;
    frame_.OnDeferredStartup();
  }
  u16 SavedKeyword() { return SettingsFile(u"searchkeys.ini", u"").ReadText(u"key_0"); }
  std::optional<u16> SavedAddress() { return registry_.GetString(kHkcuTypedUrls, u"url1"); }
  // The periodic save falls on the 40th tick of the 750 ms frame timer.
  static constexpr int kSaveAfterMs = 40 * 750;

  ScratchProfile profile_;
  FakeWindow window_;
  FakeLoop loop_;
  FakePrompts prompts_;
  IniRegistry registry_;
  FakeShell shell_;
  FakeEngineFactory engines_;
  FakeKeys keys_;
  FakeClipboard clipboard_;
  CMainFrame frame_;
};

}  // namespace

TEST_F(PeriodicSave, TypedAddressesAndSearchWordsAreSavedWhileRunning) {
  frame_.controller<AddressBoxController>().OnAddressEnter(u"example.org/typed", {});
  frame_.controller<SearchController>().SearchFor(u"中文 词", int(SearchMode::Web));
  loop_.RunPosted();
  loop_.Advance(kSaveAfterMs - 750);
  EXPECT_FALSE(SavedAddress());  // not before the save tick
  EXPECT_EQ(SavedKeyword(), u"");
  loop_.Advance(750);
  EXPECT_EQ(SavedKeyword(), u"中文 词");
  ASSERT_TRUE(SavedAddress());
  EXPECT_NE(SavedAddress()->find(u"example.org/typed"), u16::npos);

  // Nothing changed: the next save tick writes nothing.
  std::string keys = profile_.ProfileFolder() + "/searchkeys.ini";
  struct stat before {};
  ASSERT_EQ(::stat(keys.c_str(), &before), 0);
  loop_.Advance(kSaveAfterMs + 750);
  struct stat after {};
  ASSERT_EQ(::stat(keys.c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);
}

TEST_F(PeriodicSave, ClearingOnExitMeansNeverWritten) {
  frame_.settings().clean.address = true;
  frame_.settings().clean.search = true;
  frame_.controller<AddressBoxController>().OnAddressEnter(u"example.org/secret", {});
  frame_.controller<SearchController>().SearchFor(u"secret", int(SearchMode::Web));
  loop_.RunPosted();
  loop_.Advance(2 * kSaveAfterMs);
  EXPECT_FALSE(SavedAddress());
  EXPECT_EQ(SavedKeyword(), u"");
}

// Only the atomic writer's own temporaries and cut-off download bodies that predate the start
// go: not a write in progress, not other dot files, not the profile files themselves.
TEST(StaleTempFiles, OnlyOldTemporariesOfTheWriterGo) {
  TempDir dir;
  struct Entry {
    const char* name;
    bool old;
    bool removed;
  };
  const Entry entries[] = {
      {".config.ini.aB3xZ9", true, true},   // left by a killed write
      {".registry.ini.000000", true, true},
      {".config.ini.Qq1234", false, false},  // being written now
      {".hidden", true, false},
      {".config.ini.ab-xyz", true, false},   // not mkstemp's letters
      {"config.ini", true, false},
      {"config.ini.aB3xZ9", true, false},    // no leading dot
      {"stat.dat.part", true, true},         // a fetch cut off by a kill
      {"site.ico.part", false, false},       // a fetch going on now
      {"notes.part.txt", true, false},
  };
  struct timespec start {};
  ::clock_gettime(CLOCK_REALTIME, &start);
  for (const Entry& e : entries) {
    std::string path = dir / e.name;
    ASSERT_TRUE(WriteFileAtomic(path, "x"));
    if (e.old) {
      struct utimbuf t {start.tv_sec - 60, start.tv_sec - 60};
      ASSERT_EQ(::utime(path.c_str(), &t), 0);
    } else {
      struct utimbuf t {start.tv_sec + 5, start.tv_sec + 5};
      ASSERT_EQ(::utime(path.c_str(), &t), 0);
    }
  }
  EXPECT_EQ(RemoveStaleTempFiles(dir.path(), start.tv_sec, start.tv_nsec), 3u);
  for (const Entry& e : entries) EXPECT_EQ(FileExists(dir / e.name), !e.removed) << e.name;
  EXPECT_EQ(RemoveStaleTempFiles(dir / "missing", start.tv_sec, start.tv_nsec), 0u);
}
