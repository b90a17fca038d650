// Default-browser registration over a table of associations in memory: what set saves and
// replaces, what unset gives back, the desktop entry, and the start-up question's rules.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <set>

#include "base/files.h"
#include "defbrowser/default_browser.h"
#include "defbrowser/default_browser_controller.h"
#include "fakes/frame_fixture.h"
#include "fakes/temp_dir.h"
#include "settings/config_schema.h"
#include "settings/settings_file.h"
#include "update/install_ping.h"

using namespace zel;
using namespace zel::test;

namespace {

class FakeAssociations : public AssociationPort {
 public:
  std::string DefaultFor(const std::string& type) override {
    auto it = defaults.find(type);
    return it == defaults.end() ? std::string() : it->second;
  }
  bool SetDefault(const std::string& type, const std::string& id) override {
    if (!apps.count(id)) return false;
    defaults[type] = id;
    ++sets;
    return true;
  }
  void RemoveAssociation(const std::string& type) override {
    defaults.erase(type);
    removed.insert(type);
  }
  bool HasApplication(const std::string& id) override { return apps.count(id) > 0; }
  bool InstallUserEntry(const std::string& id, const std::string& text) override {
    entries[id] = text;
    apps.insert(id);
    return true;
  }
  // Every browser type handled by one application.
  void AllTo(const std::string& id) {
    for (const char* t : BrowserTypes()) defaults[t] = id;
  }

  std::map<std::string, std::string> defaults;
  std::set<std::string> apps{"zel.desktop", "other.desktop", "third.desktop"};
  std::set<std::string> removed;
  std::map<std::string, std::string> entries;
  int sets = 0;
};

std::string Saved(const char* type) {
  return ToUtf8(SettingsSnapshot(kConfigFile).ReadText(kDefBrowserSection, FromUtf8(type), u"<none>"));
}

TEST(DefaultBrowser, SetSavesWhatItReplacesOnceAndASecondSetSavesNothing) {
  ScratchProfile profile;
  FakeAssociations port;
  port.AllTo("other.desktop");
  port.defaults.erase("x-scheme-handler/unknown");  // no default yet
  SettingsFile(kConfigFile, kDefBrowserSection).WriteText(u"http\\shell", u"kept");

  EXPECT_TRUE(SetDefaultBrowser(true, port, "/opt/zel/zel"));
  for (const char* t : BrowserTypes()) EXPECT_EQ(port.DefaultFor(t), "zel.desktop") << t;
  EXPECT_EQ(Saved("x-scheme-handler/http"), "other.desktop");
  EXPECT_EQ(Saved("application/xhtml+xml"), "other.desktop");
  EXPECT_EQ(Saved("x-scheme-handler/unknown"), "");
  EXPECT_EQ(Saved("http\\shell"), "kept");  // the keys of other systems stay as they are
  EXPECT_TRUE(port.entries.empty());        // zel.desktop was there

  const auto before = ReadFileBytes(profile.ConfigPath());
  const int setsBefore = port.sets;
  EXPECT_TRUE(SetDefaultBrowser(true, port, "/opt/zel/zel"));
  EXPECT_EQ(ReadFileBytes(profile.ConfigPath()), before);
  EXPECT_EQ(port.sets, setsBefore);
  EXPECT_EQ(Saved("x-scheme-handler/http"), "other.desktop");
}

TEST(DefaultBrowser, EveryTypeHasItsRowInTheSchema) {
  for (const char* t : BrowserTypes()) {
    const u16 key = FromUtf8(t);
    EXPECT_TRUE(std::any_of(ConfigSchema().begin(), ConfigSchema().end(), [&](const SettingDef& d) {
      return d.section == u16view(kDefBrowserSection) && d.key == key && d.load == LoadPoint::Owner;
    })) << t;
  }
}

TEST(DefaultBrowser, UnsetWithNothingSavedRemovesOurAssociation) {
  ScratchProfile profile;
  FakeAssociations port;
  port.AllTo("zel.desktop");
  EXPECT_FALSE(SetDefaultBrowser(false, port, "/opt/zel/zel"));
  EXPECT_EQ(port.removed.size(), BrowserTypes().size());
  EXPECT_TRUE(port.defaults.empty());
  EXPECT_EQ(port.sets, 0);
}

TEST(DefaultBrowser, UnsetGivesBackWhatWasSavedAndLeavesLaterChoices) {
  ScratchProfile profile;
  FakeAssociations port;
  port.AllTo("zel.desktop");
  struct Case {
    const char* type;
    const char* now;    // the default when unset runs
    const char* saved;  // nullptr: nothing saved
    const char* after;  // "" : our association removed
  } cases[] = {
      {"x-scheme-handler/http", "zel.desktop", "other.desktop", "other.desktop"},
      {"x-scheme-handler/https", "zel.desktop", "gone.desktop", ""},  // that program is gone
      {"x-scheme-handler/ftp", "zel.desktop", "", ""},
      {"text/html", "third.desktop", "other.desktop", "third.desktop"},  // chosen since
      {"application/xhtml+xml", "zel.desktop", nullptr, ""},
      {"x-scheme-handler/about", "zel.desktop", "zel.desktop", ""},
  };
  SettingsBatch batch(kConfigFile);
  for (const Case& c : cases) {
    port.defaults[c.type] = c.now;
    if (c.saved) batch.WriteText(kDefBrowserSection, FromUtf8(c.type), FromUtf8(c.saved));
  }
  ASSERT_TRUE(batch.Commit());
  SetDefaultBrowser(false, port, "/opt/zel/zel");
  for (const Case& c : cases) {
    EXPECT_EQ(port.DefaultFor(c.type), c.after) << c.type;
    EXPECT_EQ(port.removed.count(c.type), std::string(c.after).empty() ? 1u : 0u) << c.type;
  }
}

TEST(DefaultBrowser, SetWritesADesktopEntryWhenNoneIsInstalledAndKeepsSavesItCannotWrite) {
  {
    ScratchProfile profile;
    FakeAssociations port;
    port.apps.erase("zel.desktop");
    port.AllTo("other.desktop");
    EXPECT_TRUE(SetDefaultBrowser(true, port, "/home/u/my zel/zel"));
    ASSERT_EQ(port.entries.count("zel.desktop"), 1u);
    EXPECT_NE(port.entries["zel.desktop"].find("\nExec=\"/home/u/my zel/zel\" %U\n"),
              std::string::npos);
  }
  {
    // config.ini cannot be written (a folder in its place): nothing is replaced, so no
    // default is lost.
    ScratchProfile profile;
    ASSERT_TRUE(CreateFolderLevels(profile.ConfigPath()));
    FakeAssociations port;
    port.AllTo("other.desktop");
    EXPECT_FALSE(SetDefaultBrowser(true, port, "/opt/zel/zel"));
    EXPECT_EQ(port.sets, 0);
    EXPECT_EQ(port.DefaultFor("x-scheme-handler/http"), "other.desktop");
  }
}

TEST(DefaultBrowser, ExecWordsFollowTheDesktopEntryQuoting) {
  struct Case {
    const char* path;
    const char* word;
  } cases[] = {
      {"/usr/bin/zel", "/usr/bin/zel"},
      {"/opt/my zel/zel", "\"/opt/my zel/zel\""},
      {"/opt/a\"b/zel", "\"/opt/a\\\\\"b/zel\""},
      {"/opt/$HOME/zel", "\"/opt/\\\\$HOME/zel\""},
      {"/opt/a\\b", "\"/opt/a\\\\\\\\b\""},
      {"/opt/100%/zel", "/opt/100%%/zel"},
  };
  for (const Case& c : cases) EXPECT_EQ(DesktopExecWord(c.path), c.word) << c.path;
}

// The entry written for a program that was not installed says what the installed one says.
TEST(DefaultBrowser, WrittenEntryMatchesTheInstalledOne) {
  auto installed = ReadFileBytes(std::string(ZEL_SOURCE_DIR) + "/data/zel.desktop");
  ASSERT_TRUE(installed);
  EXPECT_EQ(DesktopEntryText("zel"), *installed);
  std::string types;
  for (const char* t : BrowserTypes()) types += std::string(t) + ";";
  EXPECT_NE(installed->find("\nMimeType=" + types + "\n"), std::string::npos);
}

TEST(InstallSwitch, TheFirstArgumentOnly) {
  struct Case {
    std::vector<std::string> args;
    InstallEvent event;
  } cases[] = {
      {{"-Install"}, InstallEvent::Install},
      {{"-Uninstall"}, InstallEvent::Uninstall},
      {{"-Uninstall", "more"}, InstallEvent::Uninstall},
      {{"http://a/", "-Install"}, InstallEvent::None},
      {{"-install"}, InstallEvent::None},
      {{""}, InstallEvent::None},
      {{}, InstallEvent::None},
  };
  for (const Case& c : cases)
    EXPECT_EQ(InstallSwitchOfArguments(c.args), c.event) << (c.args.empty() ? "" : c.args[0]);
}

class ScriptedQuestion : public DefaultBrowserQuestionView {
 public:
  void AskSetDefault(std::function<void(DefaultQuestionAnswer)> answer) override {
    ++asked;
    pending = std::move(answer);
  }
  int asked = 0;
  std::function<void(DefaultQuestionAnswer)> pending;
};

class DefaultQuestion : public FrameFixture {
 protected:
  DefaultBrowserController& controller() { return frame_.controller<DefaultBrowserController>(); }
  // The deferred start-up's part, with its look-up finished and its answer delivered.
  void Start() {
    controller().SetPorts(&port_, &question_, "/opt/zel/zel");
    controller().OnDeferredStartup();
    controller().OnShutdown();  // joins the look-up
    loop_.RunPosted();
  }
  FakeAssociations port_;
  ScriptedQuestion question_;
};

TEST_F(DefaultQuestion, AskedOnlyInADesktopSessionWhenWantedAndNotDefault) {
  struct Case {
    bool checkdefault;
    const char16_t* desktop;  // XDG_CURRENT_DESKTOP; nullptr: not set
    const char* handler;
    int asked;
  } cases[] = {
      {true, u"GNOME", "other.desktop", 1}, {true, u"XFCE", "", 1},
      {false, u"GNOME", "other.desktop", 0}, {true, nullptr, "other.desktop", 0},
      {true, u"", "other.desktop", 0},      {true, u"GNOME", "zel.desktop", 0},
  };
  for (const Case& c : cases) {
    question_.asked = 0;
    frame_.settings().checkdefault = c.checkdefault;
    shell_.env.clear();
    if (c.desktop) shell_.env[u"XDG_CURRENT_DESKTOP"] = c.desktop;
    port_.defaults["x-scheme-handler/http"] = c.handler;
    Start();
    EXPECT_EQ(question_.asked, c.asked) << c.checkdefault << " " << c.handler;
  }
}

TEST_F(DefaultQuestion, TheAnswerWritesCheckdefaultAndOkSets) {
  struct Case {
    DefaultQuestionAnswer answer;
    int checkdefault;
    const char* handler;
  } cases[] = {
      {{false, false}, 1, "other.desktop"},
      {{false, true}, 0, "other.desktop"},
      {{true, true}, 0, "zel.desktop"},
  };
  shell_.env[u"XDG_CURRENT_DESKTOP"] = u"GNOME";
  for (const Case& c : cases) {
    port_.AllTo("other.desktop");
    frame_.settings().checkdefault = true;
    Start();
    ASSERT_TRUE(question_.pending);
    question_.pending(c.answer);
    EXPECT_EQ(SettingsSnapshot(kConfigFile).ReadInt(u"GENERAL", u"checkdefault", -1), c.checkdefault);
    EXPECT_EQ(frame_.settings().checkdefault, c.checkdefault == 1);
    EXPECT_EQ(port_.DefaultFor("x-scheme-handler/https"), c.handler);
  }
}

}  // namespace
