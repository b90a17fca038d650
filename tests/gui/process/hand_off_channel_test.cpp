// The hand-off channel of a real running browser, driven through its real socket: silent
// and malformed clients, and two profiles side by side.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <optional>

#include "base/files.h"
#include "fakes/temp_dir.h"
#include "platform/instance_files.h"
#include "support/browser_process.h"
#include "support/test_server.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using zel::ChannelPaths;
using zel::test::BrowserProcess;
using zel::test::TempDir;
using zel::test::TestServer;
using zel::test::WindowCaptions;

namespace {

// A connected client socket of the frame, closed with the object.
class Client {
 public:
  explicit Client(const std::string& path) {
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    // A server that stops accepting must not hang the test in connect().
    timeval tv{2, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~Client() {
    if (fd_ >= 0) ::close(fd_);
  }
  Client(const Client&) = delete;
  bool connected() const { return fd_ >= 0; }
  bool Send(const std::string& bytes) {
    return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size());
  }
  // Everything the server sends until it closes the connection; nullopt when it neither
  // sends nor closes within the time.
  std::optional<std::string> ReadUntilClosed(std::chrono::milliseconds timeout) {
    std::string got;
    const auto end = Clock::now() + timeout;
    for (;;) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
      if (left.count() <= 0) return std::nullopt;
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, int(left.count())) <= 0) return std::nullopt;
      char buf[64];
      ssize_t r = ::recv(fd_, buf, sizeof buf, 0);
      if (r <= 0) return got;
      got.append(buf, size_t(r));
    }
  }

 private:
  int fd_ = -1;
};

class HandOffChannel : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = tmp_ / "home";
    runtime_ = tmp_ / "run";
    ASSERT_EQ(mkdir(runtime_.c_str(), 0700), 0);
  }
  // The channel of a profile, named as the browser names it.
  ChannelPaths Channel(const std::string& home) {
    return zel::ChannelPathsFor(runtime_, zel::ProfileKey(home));
  }
  // One request as a second start sends it; the answer line and how long it took.
  struct Answer {
    std::optional<std::string> text;
    std::chrono::milliseconds took;
  };
  Answer Request(const ChannelPaths& channel, const std::string& bytes) {
    const auto start = Clock::now();
    Client c(channel.socket);
    EXPECT_TRUE(c.connected());
    EXPECT_TRUE(c.Send(bytes));
    auto text = c.ReadUntilClosed(5s);
    return {text, std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start)};
  }

  TempDir tmp_;
  std::string home_, runtime_;
  TestServer server_;
};

TEST_F(HandOffChannel, SilentClientsNeitherDelayAHandOffNorFreezeTheWindow) {
  BrowserProcess first(home_, runtime_);
  ASSERT_TRUE(first.Start({server_.Url("/t/One")}));
  ASSERT_TRUE(first.WaitForCaption("One - Zel浏览器", 20s)) << first.Caption();
  const ChannelPaths channel = Channel(home_);

  std::vector<std::unique_ptr<Client>> silent;
  auto connectSilent = [&] {
    for (int i = 0; i < 20; ++i) {
      silent.push_back(std::make_unique<Client>(channel.socket));
      EXPECT_TRUE(silent.back()->connected()) << "client " << i;
    }
  };
  connectSilent();

  // Answered at once while all twenty hold their connections.
  Answer raise = Request(channel, "RAISE\n");
  EXPECT_EQ(raise.text, "OK\n");
  EXPECT_LE(raise.took, 100ms);
  ASSERT_TRUE(zel::WriteShareFile(channel.share, zel::FromUtf8(server_.Url("/t/Direct"))) ==
              zel::ShareWrite::Written);
  Answer direct = Request(channel, "5120\n");
  ::unlink(channel.share.c_str());
  EXPECT_EQ(direct.text, "OK\n");
  EXPECT_LE(direct.took, 100ms);

  // A tab comes forward when its first page starts, so the next start waits for this one:
  // otherwise a slow web process could bring Direct forward after Two.
  ASSERT_TRUE(first.WaitForCaption("Direct - Zel浏览器", 20s)) << first.Caption();

  // A real second start, among twenty new silent clients (the first twenty may be gone).
  connectSilent();
  BrowserProcess second(home_, runtime_);
  ASSERT_TRUE(second.Start({server_.Url("/t/Two")}));
  EXPECT_EQ(second.Wait(1s), 0) << "not handed off within a second";
  // The window goes on: it loads both pages and shows the last one.
  EXPECT_TRUE(first.WaitForCaption("Two - Zel浏览器", 20s))
      << first.Caption() << "; /t/Two asked " << server_.Hits("/t/Two") << " times";
  EXPECT_EQ(server_.Hits("/t/Direct"), 1);

  // Each silent client is dropped at its deadline, without an answer.
  for (auto& c : silent) EXPECT_EQ(c->ReadUntilClosed(5s), "");
  EXPECT_TRUE(first.Running());
}

TEST_F(HandOffChannel, MalformedRequestsGetAnErrorAndNoDialog) {
  BrowserProcess first(home_, runtime_);
  ASSERT_TRUE(first.Start({server_.Url("/t/One")}));
  ASSERT_TRUE(first.WaitForCaption("One - Zel浏览器", 20s)) << first.Caption();
  const ChannelPaths channel = Channel(home_);

  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"garbage line", "garbage\x01\xff\n"},
      {"empty line", "\n"},
      {"hand-off without a shared text", "5120\n"},
      {"line without an end", std::string(4096, 'x')},
      {"the request as a prefix", "5120 and more\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Answer a = Request(channel, c.bytes);
    EXPECT_EQ(a.text, "ERR\n");
    EXPECT_LE(a.took, 1s);
  }
  // The shared text is a link to somebody's file: not read, nothing opened.
  std::string victim = tmp_ / "victim.txt";
  ASSERT_TRUE(zel::WriteFileAtomic(victim, std::string(2560, 'A')));
  ASSERT_EQ(::symlink(victim.c_str(), channel.share.c_str()), 0);
  EXPECT_EQ(Request(channel, "5120\n").text, "ERR\n");
  ::unlink(channel.share.c_str());

  // The browser still serves a real second start, and never opened another window.
  BrowserProcess second(home_, runtime_);
  ASSERT_TRUE(second.Start({server_.Url("/t/After")}));
  EXPECT_EQ(second.Wait(5s), 0);
  EXPECT_TRUE(first.WaitForCaption("After - Zel浏览器", 20s)) << first.Caption();
  EXPECT_EQ(WindowCaptions(first.pid()).size(), 1u);
  EXPECT_EQ(zel::ReadFileBytes(victim), std::string(2560, 'A'));
}

TEST_F(HandOffChannel, TwoProfilesRunTwoBrowsers) {
  const std::string homeA = tmp_ / "a", homeB = tmp_ / "b";
  BrowserProcess a(homeA, runtime_);
  ASSERT_TRUE(a.Start({server_.Url("/t/A1")}));
  ASSERT_TRUE(a.WaitForCaption("A1 - Zel浏览器", 20s)) << a.Caption();
  BrowserProcess b(homeB, runtime_);
  ASSERT_TRUE(b.Start({server_.Url("/t/B1")}));
  ASSERT_TRUE(b.WaitForCaption("B1 - Zel浏览器", 20s)) << b.Caption();
  EXPECT_TRUE(a.Running());
  EXPECT_EQ(a.Caption(), "A1 - Zel浏览器");

  // A later start goes to the browser of its own profile.
  BrowserProcess toA(homeA, runtime_);
  ASSERT_TRUE(toA.Start({server_.Url("/t/A2")}));
  EXPECT_EQ(toA.Wait(5s), 0);
  EXPECT_TRUE(a.WaitForCaption("A2 - Zel浏览器", 20s)) << a.Caption();
  BrowserProcess toB(homeB + "/", runtime_);  // another spelling of the same folder
  ASSERT_TRUE(toB.Start({server_.Url("/t/B2")}));
  EXPECT_EQ(toB.Wait(5s), 0);
  EXPECT_TRUE(b.WaitForCaption("B2 - Zel浏览器", 20s)) << b.Caption();
  EXPECT_EQ(a.Caption(), "A2 - Zel浏览器");
  EXPECT_TRUE(a.Running());
  EXPECT_TRUE(b.Running());
  EXPECT_EQ(server_.Hits("/t/A2"), 1);
  EXPECT_EQ(server_.Hits("/t/B2"), 1);
}

}  // namespace
