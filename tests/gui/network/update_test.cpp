// The update client and the install report against the local server: update.ini fetched,
// the package downloaded, the question, the package opened by the desktop's handler for its
// type (a test handler that leaves a marker file, set up by ctest's environment) and the
// browser's own shutdown.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>

#include "base/commands.h"
#include "base/files.h"
#include "services/gtk/soup_fetcher.h"
#include "tabs/frame_test.h"
#include "update/install_ping.h"
#include "update/update_controller.h"

using namespace std::chrono_literals;

namespace zel::test {
namespace {

// A server that answers every request with the first kilobyte of a 100 000-byte body, then
// closes the connection.
class CuttingServer {
 public:
  CuttingServer() {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    bind(fd_, reinterpret_cast<sockaddr*>(&a), len);
    listen(fd_, 4);
    getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] {
      for (int c; (c = accept(fd_, nullptr, nullptr)) >= 0; close(c)) {
        std::string req(4096, '\0');
        size_t got = 0;
        while (req.find("\r\n\r\n") >= got) {
          ssize_t n = read(c, req.data() + got, req.size() - got);
          if (n <= 0 || (got += size_t(n)) == req.size()) break;
        }
        ++requests_;
        std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + std::string(1000, 'x');
        (void)!write(c, reply.data(), reply.size());
      }
    });
  }
  ~CuttingServer() {
    shutdown(fd_, SHUT_RDWR);  // ends the accept
    thread_.join();
    close(fd_);
  }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  int requests() const { return requests_; }

 private:
  int fd_ = -1, port_ = 0;
  std::atomic<int> requests_{0};
  std::thread thread_;
};

const char kQuestion[] =
    "更新信息：\n\n升级程序成功下载了最新版本，点击确认按钮,将自动升级到最新版本!\n";

class UpdateRuns : public FrameTest {
 protected:
  void BeforeStart() override {
    // The first automatic check, five seconds after the start, must find nothing new.
    server_.SetPage("/update.ini", "VER=1.01\r\nVET=1.01\r\n");
    setenv("ZEL_UPDATE_URL", server_.Url("/update.ini").c_str(), 1);
  }
  UpdateController& update() { return frame().controller<UpdateController>(); }
  std::string Package() const { return dir_ / "update/zel-update.deb"; }
  bool QuestionAsked() const {
    for (const u16& q : prompts_.questions)
      if (q == FromUtf8(kQuestion)) return true;
    return false;
  }
};

TEST_F(UpdateRuns, ANewerVersionIsDownloadedAskedForStartedAndTheBrowserCloses) {
  // What the package holds does not matter to the client; this one looks like a Debian
  // package to the desktop.
  server_.SetFile("/pkg/zel.deb", "zel.deb", "!<arch>\ndebian-binary   0           0     0     100644  4         `\n2.0\n");
  // Only the manual key: the automatic check meanwhile finds a format error and stays out.
  server_.SetPage("/update.ini", "VET=1.02\r\nURL=" + server_.Url("/pkg/zel.deb") + "\r\n");
  prompts_.yesAnswers = {true};
  frame().OnCommand(cmd::kOnlineUpdate);
  ASSERT_TRUE(PumpUntil([&] { return QuestionAsked(); }, 30s));
  EXPECT_GE(server_.Hits("/update.ini"), 1);
  EXPECT_EQ(server_.Hits("/pkg/zel.deb"), 1);
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

TEST_F(UpdateRuns, AManualCheckWithNothingNewSaysSo) {
  frame().OnCommand(cmd::kOnlineUpdate);
  ASSERT_TRUE(PumpUntil([&] { return !update().checking() && !prompts_.messages.empty(); }, 30s));
  EXPECT_EQ(prompts_.messages.back(), u"目前没有新版本，您的版本已经是最新。");
  EXPECT_TRUE(prompts_.questions.empty());
  EXPECT_FALSE(FileExists(Package()));
}

TEST_F(UpdateRuns, AConnectionClosedMidPackageLeavesNoPackage) {
  CuttingServer cutting;
  server_.SetPage("/update.ini", "VET=1.02\r\nURL=" + cutting.Url("/zel.deb") + "\r\n");
  frame().OnCommand(cmd::kOnlineUpdate);
  ASSERT_TRUE(PumpUntil([&] { return cutting.requests() >= 1 && !update().checking(); }, 30s));
  EXPECT_FALSE(FileExists(Package()));
  EXPECT_FALSE(FileExists(Package() + ".part"));
  EXPECT_TRUE(prompts_.questions.empty());
  EXPECT_FALSE(frame().closing());
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
