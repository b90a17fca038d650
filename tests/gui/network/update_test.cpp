// The update client and the install report against the local servers: update.ini fetched
// over TLS from a server whose test certificate the test's TLS database trusts, the package
// downloaded and checked against the offer's SHA-256, the question, the package opened by
// the desktop's handler for its type (a test handler that leaves a marker file, set up by
// ctest's environment) and the browser's own shutdown.

#include <gio/gio.h>

#include <algorithm>
#include <cstdlib>

#include "base/commands.h"
#include "base/files.h"
#include "services/gtk/soup_fetcher.h"
#include "support/self_signed_cert.h"
#include "tabs/frame_test.h"
#include "update/install_ping.h"
#include "update/update_controller.h"
#include "update/update_worker.h"

using namespace std::chrono_literals;

namespace zel::test {
namespace {

const char kQuestion[] =
    "更新信息：\n\n升级程序成功下载了最新版本，点击确认按钮,将自动升级到最新版本!\n";

// The package the tests offer (it looks like a Debian package to the desktop) and its SHA-256.
const char kPackage[] = "!<arch>\ndebian-binary   0           0     0     100644  4         `\n2.0\n";
std::string DigestOf(const std::string& bytes) {
  gchar* hex = g_compute_checksum_for_string(G_CHECKSUM_SHA256, bytes.data(), gssize(bytes.size()));
  std::string out = hex;
  g_free(hex);
  return out;
}

class UpdateRuns : public FrameTest {
 protected:
  void BeforeStart() override {
    // The test server's certificate is the only authority this process trusts.
    const std::string pem = dir_ / "test-ca.pem";
    ASSERT_TRUE(WriteFileAtomic(pem, kSelfSignedPem));
    GTlsDatabase* db = g_tls_file_database_new(pem.c_str(), nullptr);
    ASSERT_NE(db, nullptr);
    g_tls_backend_set_default_database(g_tls_backend_get_default(), db);
    g_object_unref(db);
    // The first automatic check, five seconds after the start, must find nothing new.
    secure_.SetPage("/update.ini", "VER=1.01\r\nVET=1.01\r\n");
    setenv("ZEL_UPDATE_URL", secure_.Url("/update.ini").c_str(), 1);
  }
  void TearDown() override {
    FrameTest::TearDown();
    g_tls_backend_set_default_database(g_tls_backend_get_default(), nullptr);
  }
  UpdateController& update() { return frame().controller<UpdateController>(); }
  std::string Package() const { return dir_ / "update/zel-update.deb"; }
  bool QuestionAsked() const {
    for (const u16& q : prompts_.questions)
      if (q == FromUtf8(kQuestion)) return true;
    return false;
  }
  // Only the manual key: the automatic check meanwhile finds a format error and stays out.
  void Offer(const std::string& digestLine, const std::string& package) {
    secure_.SetPage("/update.ini", "VET=1.02\r\n" + digestLine + "URL=" + package + "\r\n");
  }
  void RunManualCheck() {
    frame().OnCommand(cmd::kOnlineUpdate);
    ASSERT_TRUE(PumpUntil([&] { return !update().checking(); }, 30s));
  }

  TestServer secure_{TestServer::Scheme::Https};
};

TEST_F(UpdateRuns, ANewerVersionIsDownloadedAskedForStartedAndTheBrowserCloses) {
  secure_.SetFile("/pkg/zel.deb", "zel.deb", kPackage);
  Offer("SHA256=" + DigestOf(kPackage) + "\r\n", secure_.Url("/pkg/zel.deb"));
  prompts_.yesAnswers = {true};
  frame().OnCommand(cmd::kOnlineUpdate);
  ASSERT_TRUE(PumpUntil([&] { return QuestionAsked(); }, 30s));
  EXPECT_GE(secure_.Hits("/update.ini"), 1);
  EXPECT_EQ(secure_.Hits("/pkg/zel.deb"), 1);
  EXPECT_TRUE(FileExists(Package()));
  EXPECT_FALSE(FileExists(dir_ / "update/update.ini"));
  // After the 4 second wait the desktop's handler opens it, then the browser exits.
  ASSERT_TRUE(PumpUntil([&] { return FileExists(Package() + ".started"); }, 30s))
      << "the test handler did not run";
  ASSERT_TRUE(PumpUntil([&] { return frame().closing(); }, 10s));
  auto config = ReadFileBytes(ProfileFolder() + "/config.ini");
  ASSERT_TRUE(config);
  EXPECT_NE(config->find("normalquit=1"), std::string::npos);
}

TEST_F(UpdateRuns, APackageTheOfferDoesNotVouchForIsNeverKeptOrOffered) {
  secure_.SetFile("/pkg/zel.deb", "zel.deb", kPackage);
  server_.SetFile("/pkg/zel.deb", "zel.deb", kPackage);
  const std::string digest = "SHA256=" + DigestOf(kPackage) + "\r\n";
  const struct {
    const char* name;
    std::string digestLine, package;
    int secureHits, plainHits;  // the package requests each server sees
  } cases[] = {
      {"no digest in the offer", "", secure_.Url("/pkg/zel.deb"), 0, 0},
      {"the digest of other bytes", "SHA256=" + std::string(64, '0') + "\r\n",
       secure_.Url("/pkg/zel.deb"), 1, 0},
      {"a package over plain http", digest, server_.Url("/pkg/zel.deb"), 0, 0},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.name);
    const int secureBefore = secure_.Hits("/pkg/zel.deb"), plainBefore = server_.Hits("/pkg/zel.deb");
    Offer(tc.digestLine, tc.package);
    RunManualCheck();
    EXPECT_EQ(secure_.Hits("/pkg/zel.deb") - secureBefore, tc.secureHits);
    EXPECT_EQ(server_.Hits("/pkg/zel.deb") - plainBefore, tc.plainHits);
    EXPECT_FALSE(FileExists(Package()));
    EXPECT_FALSE(FileExists(Package() + ".part"));
    EXPECT_FALSE(QuestionAsked());
  }
  EXPECT_FALSE(frame().closing());
}

TEST_F(UpdateRuns, AManualCheckWithNothingNewSaysSo) {
  frame().OnCommand(cmd::kOnlineUpdate);
  ASSERT_TRUE(PumpUntil([&] { return !update().checking() && !prompts_.messages.empty(); }, 30s));
  EXPECT_EQ(prompts_.messages.back(), u"目前没有新版本，您的版本已经是最新。");
  EXPECT_TRUE(prompts_.questions.empty());
  EXPECT_FALSE(FileExists(Package()));
}

TEST_F(UpdateRuns, AManualCheckSaysWhenTheServerCannotBeReachedOrIsNotTrusted) {
  TestServer untrusted(TestServer::Scheme::Https);
  untrusted.SetPage("/update.ini", "VET=1.02\r\nURL=x\r\n");
  // Nobody listens on port 9; the second server's certificate is trusted only while the
  // test's database is in place, so it is taken away for it.
  for (bool trusted : {true, false}) {
    SCOPED_TRACE(trusted ? "nothing listens" : "an untrusted certificate");
    if (!trusted) g_tls_backend_set_default_database(g_tls_backend_get_default(), nullptr);
    setenv("ZEL_UPDATE_URL", trusted ? "https://127.0.0.1:9/update.ini" : untrusted.Url("/update.ini").c_str(), 1);
    prompts_.messages.clear();
    frame().OnCommand(cmd::kOnlineUpdate);
    ASSERT_TRUE(PumpUntil([&] { return !prompts_.messages.empty(); }, 30s));
    EXPECT_EQ(prompts_.messages.back(), kUnreachableText);
    EXPECT_TRUE(prompts_.questions.empty());
  }
}

TEST_F(UpdateRuns, TheInstallReportSendsOneRequestAndKeepsTheAnswer) {
  server_.SetPage("/stat", "counted");
  setenv("ZEL_STATS_URL", server_.Url("/").c_str(), 1);
  const std::string stat = ProfileFolder() + "/stat.dat";
  ASSERT_TRUE(WriteFileAtomic(stat, "an earlier answer"));
  ReportInstallEvent(1, std::make_shared<SoupFetcher>(), ProfileFolder());
  ASSERT_TRUE(PumpUntil([&] { return ReadFileBytes(stat) == std::optional<std::string>("counted"); }, 10s));
  auto all = server_.RequestsWithQuery();
  EXPECT_EQ(std::count(all.begin(), all.end(), "/stat?install"), 1);
  // The uninstall report; a host that is not there fails silently and keeps the file.
  ReportInstallEvent(2, std::make_shared<SoupFetcher>(), ProfileFolder());
  ASSERT_TRUE(PumpUntil([&] {
    auto r = server_.RequestsWithQuery();
    return std::count(r.begin(), r.end(), "/stat?uninstal") == 1;
  }, 10s));
  setenv("ZEL_STATS_URL", "http://127.0.0.1:9/", 1);
  ReportInstallEvent(1, std::make_shared<SoupFetcher>(), ProfileFolder());
  EXPECT_EQ(ReadFileBytes(stat), std::optional<std::string>("counted"));
  unsetenv("ZEL_STATS_URL");
}

}  // namespace
}  // namespace zel::test
