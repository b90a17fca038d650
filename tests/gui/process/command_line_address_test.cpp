// Addresses given on the command line, to a first start and handed over by later starts,
// are completed as typed ones and reach the network (seen by a real proxy the browser uses).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/files.h"
#include "fakes/temp_dir.h"
#include "support/browser_process.h"
#include "support/proxy_server.h"

using namespace std::chrono_literals;
using zel::test::BrowserProcess;
using zel::test::ProxyServer;
using zel::test::TempDir;

namespace {

class CommandLineAddress : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = tmp_ / "home";
    runtime_ = tmp_ / "run";
    ::mkdir(runtime_.c_str(), 0700);
    const std::string profile = home_ + "/profile/Defaults";
    ASSERT_TRUE(zel::CreateFolderLevels(profile));
    // Every page through the test's proxy, nothing bypassed.
    ASSERT_TRUE(zel::WriteFileAtomic(profile + "/config.ini",
                                     "[GENERAL]\r\nnormalquit=1\r\n[PROXYSET]\r\nenable=1\r\n"
                                     "curpro=" + proxy_.HostPort() +
                                         "\r\nproname=test\r\nexception=\r\n"));
  }
  bool Requested(const std::string& address) {
    return zel::test::WaitFor([&] { return proxy_.ForwardedCount(address) > 0; }, 20s);
  }

  TempDir tmp_;
  std::string home_, runtime_;
  ProxyServer proxy_;
};

TEST_F(CommandLineAddress, BareHostNamesAreCompletedAtStartAndThroughTheHandOff) {
  BrowserProcess first(home_, runtime_);
  ASSERT_TRUE(first.Start({"name.com"}));
  EXPECT_TRUE(Requested("http://name.com/"));

  // Later starts hand theirs to the running browser, which completes them the same way.
  const struct {
    const char* given;
    const char* requested;
  } handedOver[] = {
      {"Name.Com.cn", "http://name.com.cn/"},
      {"mail.name.com", "http://mail.name.com/"},
  };
  for (const auto& h : handedOver) {
    BrowserProcess later(home_, runtime_);
    ASSERT_TRUE(later.Start({h.given}));
    EXPECT_EQ(later.Wait(10s), 0) << h.given;
    EXPECT_TRUE(Requested(h.requested)) << h.given;
  }
  EXPECT_TRUE(first.Running());
}

}  // namespace
