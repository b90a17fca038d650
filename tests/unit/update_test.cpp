// The update client's worker and rules, the address scrambler and the install switch.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <map>
#include <thread>

#include "base/files.h"
#include "fakes/frame_fixture.h"
#include "fakes/temp_dir.h"
#include "update/install_ping.h"
#include "update/update_controller.h"
#include "update/update_rules.h"
#include "update/update_worker.h"

namespace zel::test {
namespace {

// Serves addresses from a table (an address without a row fails) and records the rest.
class TableEnv : public UpdateEnv {
 public:
  void Notify(u16view t) override { notices.push_back(ToUtf8(t)); }
  bool Download(const std::string& url, const std::string& path, size_t) override {
    requested.push_back(url);
    return files.count(url) && WriteFileAtomic(path, files[url]);
  }
  void ShowMessage(u16view t) override { messages.push_back(ToUtf8(t)); }
  bool AskYesNo(u16view t) override { return questions.push_back(ToUtf8(t)), answer; }
  bool Wait(int ms) override { return waits.push_back(ms), true; }
  bool OpenPackage(const std::string& path) override { return opened.push_back(path), true; }
  void ExitBrowser() override { ++exits; }

  std::map<std::string, std::string> files;
  bool answer = false;
  std::vector<std::string> notices, requested, messages, questions, opened;
  std::vector<int> waits;
  int exits = 0;
};

constexpr char kIni[] = "https://u.test/update.ini";
constexpr char kPkg[] = "https://u.test/zel.deb";
// SHA-256 of "package", the bytes the table serves for kPkg.
constexpr char kPackageDigest[] = "SHA256=bc4a71180870f7945155fbb02f4b0a2e3faa2a62d6d31b7039013055ed19869a\r\n";

UpdateClient ClientIn(const TempDir& dir, bool manual) {
  UpdateClient c;
  c.title = u"Zel";
  c.version = u"1.01";
  c.package = "zel-update.deb";
  c.folder = dir / "update";
  c.updateAddress = kIni;
  c.manual = manual;
  return c;
}

struct CheckCase {
  const char* name;
  std::string ini;  // empty: update.ini cannot be fetched
  bool manual;
  bool downloads;  // the package is asked for
  bool asks;
  std::string message;     // the message box, if any
  std::string lastNotice;
};

TEST(UpdateCheck, FollowsTheDescription) {
  const std::string url = std::string(kPackageDigest) + "URL=" + kPkg;
  const CheckCase cases[] = {
      {"newer offer", "VER=1.02\r\n" + url, false, true, true, "", "下载成功"},
      {"same version, automatic", "VER=1.01\r\n" + url, false, false, false, "", "已经是最新版本"},
      {"same version, manual", "VER=1.02\r\nVET=1.01\r\n" + url, true, false, false,
       "目前没有新版本，您的版本已经是最新。", "已经是最新版本"},
      {"a line break in the version", "VER=1.1\n" + url, false, true, true, "", "下载成功"},
      {"manual without VET", "VER=1.02\r\n", true, false, false, "", "更新文件格式有错 "},
      {"no package address", "VER=1.02\r\n", false, false, false, "", "下载更新包出错 "},
      {"older offer", "VER=0.99\r\n" + url, false, false, false, "", "已经是最新版本"},
      {"no description at all", "", false, false, false, "", "更新文件格式有错 "},
      {"no digest: nothing is downloaded", std::string("VER=1.02\r\nURL=") + kPkg, false, false,
       false, "", ToUtf8(kNoDigestText)},
      {"a digest cut short", std::string("VER=1.02\r\nSHA256=1ea6d3\r\nURL=") + kPkg, false,
       false, false, "", ToUtf8(kNoDigestText)},
      {"a package over plain http", std::string("VER=1.02\r\n") + kPackageDigest + "URL=http://u.test/zel.deb",
       false, false, false, "", ToUtf8(kInsecureAddressText)},
      {"a digest of other bytes", "VER=1.02\r\nSHA256=" + std::string(64, 'a') + "\r\n" + url.substr(url.find("URL=")),
       false, true, false, "", ToUtf8(kDigestMismatchText)},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.name);
    TempDir dir;
    TableEnv env;
    if (!tc.ini.empty()) env.files[kIni] = tc.ini;
    env.files[kPkg] = "package";
    UpdateClient c = ClientIn(dir, tc.manual);
    RunUpdateCheck(c, env);
    bool asked = std::count(env.requested.begin(), env.requested.end(), kPkg) > 0;
    EXPECT_EQ(asked, tc.downloads);
    // A package that does not match its digest is deleted again.
    EXPECT_EQ(FileExists(dir / "update/zel-update.deb"), tc.downloads && tc.asks);
    EXPECT_EQ(env.questions.size(), tc.asks ? 1u : 0u);
    EXPECT_EQ(env.messages.size(), tc.message.empty() ? 0u : 1u);
    if (!tc.message.empty() && !env.messages.empty()) EXPECT_EQ(env.messages[0], tc.message);
    ASSERT_FALSE(env.notices.empty());
    EXPECT_EQ(env.notices.back(), tc.lastNotice);
    // update.ini never stays behind; No keeps the browser.
    EXPECT_FALSE(FileExists(dir / "update/update.ini"));
    EXPECT_EQ(env.exits, 0);
    EXPECT_TRUE(env.opened.empty());
  }
}

TEST(UpdateCheck, YesWaitsThenStartsThePackageAndExits) {
  TempDir dir;
  TableEnv env;
  env.files[kIni] = std::string("VER=1.02\n") + kPackageDigest + "URL=" + kPkg + "\r\n";
  env.files[kPkg] = "package";
  env.answer = true;
  UpdateClient c = ClientIn(dir, false);
  RunUpdateCheck(c, env);
  EXPECT_EQ(env.waits, std::vector<int>{kUpdateStartWaitMs});
  ASSERT_EQ(env.opened.size(), 1u);
  EXPECT_EQ(env.opened[0], dir / "update/zel-update.deb");
  EXPECT_EQ(env.notices.back(), "更新新版本");
  EXPECT_EQ(env.exits, 1);
  // The line break the file ends with is not part of the requested address.
  EXPECT_EQ(env.requested.back(), kPkg);
}

TEST(UpdateCheck, AFailedFetchIsTriedFourTimesFiveMinutesApart) {
  TempDir dir;
  TableEnv env;
  UpdateClient c = ClientIn(dir, false);
  RunUpdateCheck(c, env);
  EXPECT_EQ(env.requested, std::vector<std::string>(4, kIni));
  EXPECT_EQ(env.waits, std::vector<int>(3, kUpdateRetryWaitMs));
  EXPECT_EQ(std::count(env.notices.begin(), env.notices.end(), "网络故障"), 3);
  EXPECT_EQ(c.description, "err");
}

TEST(UpdateCheck, AManualCheckSaysAtOnceWhenTheServerCannotBeReached) {
  TempDir dir;
  TableEnv env;
  UpdateClient c = ClientIn(dir, true);
  RunUpdateCheck(c, env);
  EXPECT_EQ(env.requested, std::vector<std::string>(1, kIni));
  EXPECT_TRUE(env.waits.empty());
  EXPECT_EQ(env.messages, std::vector<std::string>{ToUtf8(kUnreachableText)});
}

TEST(UpdateCheck, AnOfferOverPlainHttpIsNotFetched) {
  TempDir dir;
  TableEnv env;
  env.files["http://u.test/update.ini"] = std::string("VER=1.02\n") + kPackageDigest + "URL=" + kPkg;
  UpdateClient c = ClientIn(dir, false);
  c.updateAddress = "http://u.test/update.ini";
  RunUpdateCheck(c, env);
  EXPECT_TRUE(env.requested.empty());
  EXPECT_EQ(env.notices, std::vector<std::string>{ToUtf8(kInsecureAddressText)});
}

TEST(UpdateCheck, ALongDescriptionIsCutTo510Bytes) {
  TempDir dir;
  TableEnv env;
  // The package address comes after the cut: it is not seen.
  std::string ini = "VER=1.02\n" + std::string(4991 - 14, '#') + "\nURL=" + kPkg;
  ini.resize(5000, '#');
  env.files[kIni] = ini;
  UpdateClient c = ClientIn(dir, false);
  ASSERT_TRUE(CreateFolderLevels(c.folder));
  ASSERT_TRUE(FetchUpdateDescription(c, env));
  EXPECT_EQ(c.description, ini.substr(0, 510));
  RunUpdateCheck(c, env);
  EXPECT_EQ(env.notices.back(), "下载更新包出错 ");
}

TEST(UpdateRules, KeysAreReadAsWritten) {
  struct Case {
    const char* text;
    const char* key;
    std::optional<std::string> value;
  } cases[] = {
      {"VER=1.02\r\n", "VER", "1.02"},
      {"VER=1.1\nURL=x", "VER", "1.1\n"},
      {"VER=1", "VER", "1"},
      {"VER=", "VER", ""},
      {"VET=2.00\nVER=1.00", "VER", "1.00"},
      {"VER=1.00\nVER=2.00", "VER", "1.00"},  // the first occurrence
      {"ver=1.00", "VER", std::nullopt},
      {"", "VET", std::nullopt},
  };
  for (const auto& tc : cases) EXPECT_EQ(DescriptionVersion(tc.text, tc.key), tc.value) << tc.text;
  EXPECT_EQ(DescriptionPackageUrl("VER=1.02\nURL=http://a/b c\r\n"), "http://a/b c\r\n");
  EXPECT_EQ(DescriptionPackageUrl("VER=1.02\n"), std::nullopt);
  const std::string hex(64, 'A');
  const struct {
    std::string text;
    std::optional<std::string> digest;
  } digests[] = {
      {"SHA256=" + hex + "\r\nURL=x", std::string(64, 'a')},  // read in lower case
      {"SHA256=" + hex, std::string(64, 'a')},
      {"SHA256=" + hex + "0", std::nullopt},  // 65 digits is no SHA-256
      {"SHA256=" + hex.substr(1), std::nullopt},
      {"SHA256=" + hex.substr(1) + "g", std::nullopt},
      {"sha256=" + hex, std::nullopt},
      {"VER=1.02\n", std::nullopt},
  };
  for (const auto& tc : digests) EXPECT_EQ(DescriptionPackageDigest(tc.text), tc.digest) << tc.text;
  for (const char* secure : {"https://u.test/x", "HTTPS://u.test"}) EXPECT_TRUE(IsSecureUpdateAddress(secure));
  for (const char* insecure : {"http://u.test/x", "https://", "https:///x", "file:///x", " https://u"})
    EXPECT_FALSE(IsSecureUpdateAddress(insecure)) << insecure;
  for (const char* newer : {"1.02", "1.1\n", " 2", "1e10"}) EXPECT_TRUE(IsNewerVersion(newer, "1.01")) << newer;
  for (const char* older : {"1.01", "1.00", "abc", ""}) EXPECT_FALSE(IsNewerVersion(older, "1.01")) << older;
}

TEST(UpdateRules, ScramblingRoundTrips) {
  for (std::string text : {std::string(""), std::string("http://update.zel-browser.org/update.ini"),
                           std::string("\x00\xff\x80 binary", 10), std::string(300, 'a')})
    for (uint32_t seed : {0u, 1u, 0x7A656C31u, 0xFFFFFFFFu}) {
      std::string hex = ScrambleText(text, seed);
      EXPECT_EQ(hex.size(), text.size() * 2);
      EXPECT_EQ(UnscrambleText(hex, seed), text);
    }
  // The first generator value of seed 0 is 38: 'A' ^ ((38 + 8) ^ 0x19) = 'A' ^ 0x37.
  EXPECT_EQ(ScrambleText("A", 0), "76");
  unsetenv("ZEL_UPDATE_URL");
  std::string builtIn = UpdateAddress();
  EXPECT_EQ(builtIn.rfind("https://", 0), 0u);
  EXPECT_EQ(BaseName(builtIn), "update.ini");
  setenv("ZEL_UPDATE_URL", "http://127.0.0.1:1/u.ini", 1);
  EXPECT_EQ(UpdateAddress(), "http://127.0.0.1:1/u.ini");
  unsetenv("ZEL_UPDATE_URL");
}

TEST(InstallSwitch, OnlyRightAfterTheQuotedProgramPath) {
  const u16 program = u"/opt/zel/zel";
  struct Case {
    const char16_t* line;
    InstallEvent event;
  } cases[] = {
      {u"\"/opt/zel/zel\"", InstallEvent::None},
      {u"\"/opt/zel/zel\" -Install", InstallEvent::Install},
      {u"\"/opt/zel/zel\" -Uninstall", InstallEvent::Uninstall},
      {u"\"/opt/zel/zel\" http://a/ -Install", InstallEvent::None},
      {u"/opt/zel/zel -Install", InstallEvent::None},
      {u"\"/opt/zel/other\" -Install", InstallEvent::None},
      {u"\"/opt/zel/zel\" -install", InstallEvent::None},
      {u"\"/opt/zel/zel\"  -Install", InstallEvent::None},
      {u"", InstallEvent::None},
  };
  for (const auto& tc : cases) EXPECT_EQ(InstallSwitchOf(tc.line, program), tc.event) << ToUtf8(tc.line);
}

// Counts the fetches; every one fails.
struct FailingFetcher : HttpFetcher {
  bool Fetch(const HttpRequest&, FetchCancel*) override { return ++count, false; }
  std::atomic<int> count{0};
};

class UpdateTimer : public FrameFixture {
 protected:
  UpdateController& update() { return frame_.controller<UpdateController>(); }
  int TimerMs() { return loop_.timers.at({&update(), msg::kUpdateTimer}).ms; }
};

TEST_F(UpdateTimer, FiveSecondsThenHourlyAndEveryFiveMinutesWhileOffline) {
  setenv("ZEL_UPDATE_URL", "https://u.test/update.ini", 1);
  FailingFetcher fetcher;
  bool online = false;
  update().SetFetcher(&fetcher);
  update().SetOnlineCheck([&] { return online; });
  EXPECT_EQ(TimerMs(), kUpdateFirstCheckMs);
  loop_.Advance(kUpdateFirstCheckMs);
  EXPECT_EQ(TimerMs(), kUpdateOfflineMs);
  EXPECT_FALSE(update().checking());
  online = true;
  loop_.Advance(kUpdateOfflineMs);
  EXPECT_EQ(TimerMs(), kUpdateHourlyMs);
  EXPECT_FALSE(update().lastClient().manual);
  EXPECT_EQ(update().lastClient().updateAddress, "https://u.test/update.ini");
  // The worker's first fetch fails; it waits for its next try until the frame closes.
  for (int i = 0; i < 2000 && fetcher.count == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_TRUE(update().checking());
  update().OnShutdown();
  EXPECT_FALSE(update().checking());
  EXPECT_EQ(fetcher.count, 1);
  // The manual check of 901 runs whatever the timer says.
  frame_.OnCommand(cmd::kOnlineUpdate);
  EXPECT_TRUE(update().lastClient().manual);
  update().OnShutdown();
  unsetenv("ZEL_UPDATE_URL");
}

}  // namespace
}  // namespace zel::test
