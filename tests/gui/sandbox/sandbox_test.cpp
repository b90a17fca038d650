// The pages' processes in WebKit's sandbox: every web process of the frame (the spare one
// included) has mount and user namespaces of its own, sees the web-process module read-only
// and none of the profile; the content filter still answers from inside. SandboxFallback
// runs where user namespaces are refused (ctest starts it under bubblewrap with
// --disable-userns): no sandbox, pages load, and the user is told.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/commands.h"
#include "base/files.h"
#include "filters/gtk/content_filter_host.h"
#include "host/gtk/frame_host.h"
#include "support/pump.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;

namespace zel::test {
namespace {

// The parent of a process, from /proc/<pid>/stat (0 when it is gone).
pid_t ParentOf(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(in, line);
  const size_t close = line.rfind(')');
  if (close == std::string::npos) return 0;
  char state = 0;
  int ppid = 0;
  std::sscanf(line.c_str() + close + 1, " %c %d", &state, &ppid);
  return ppid;
}

// The web processes started for this process (under the sandbox's bubblewrap or directly).
std::vector<pid_t> OurWebProcesses() {
  std::vector<pid_t> out;
  const pid_t self = ::getpid();
  for (const auto& e : std::filesystem::directory_iterator("/proc")) {
    const std::string name = e.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream comm(e.path() / "comm");
    std::string c;
    std::getline(comm, c);
    if (c.rfind("WebKitWebProces", 0) != 0) continue;
    const pid_t pid = std::stoi(name);
    for (pid_t p = ParentOf(pid); p > 1; p = ParentOf(p))
      if (p == self) {
        out.push_back(pid);
        break;
      }
  }
  return out;
}

std::string Namespace(const std::string& pid, const char* kind) {
  std::error_code ec;
  return std::filesystem::read_symlink("/proc/" + pid + "/ns/" + kind, ec).string();
}

// What a process can open of a path, looked at through its own root (its mount namespace).
int OpenInside(pid_t pid, const std::string& path, int flags) {
  const int fd = ::open(("/proc/" + std::to_string(pid) + "/root" + path).c_str(), flags);
  if (fd >= 0) {
    ::close(fd);
    return 0;
  }
  return errno;
}

class WebSandbox : public FrameTest {
 protected:
  void BeforeStart() override {
    WriteFileAtomic(ProfileFolder() + "/blockage.ini",
                    "[URL]\r\nurl_block_count=1\r\nblock_0=http://127.0.0.1:*/ads/*\r\n");
    server_.SetPage("/page", R"HTML(<html><head><title>Page</title></head><body>
        <img id="ad" src="/ads/banner.png"><img id="own" src="/own.png"></body></html>)HTML");
    server_.SetPage("/ads/banner.png", "not really a png");
    server_.SetPage("/own.png", "not really a png");
  }
  std::string Size(CChildFrame* tab, const std::string& id) {
    return Run(tab, "(function(){var i=document.getElementById('" + id +
                        "');return i.complete ? i.naturalWidth + 'x' + i.naturalHeight : 'loading';})()");
  }
  // A run without the sandbox: the page's processes share the browser's namespaces.
  void ExpectUnconfined() {
    std::vector<pid_t> processes;
    ASSERT_TRUE(PumpUntil([&] { return !(processes = OurWebProcesses()).empty(); }, 30s));
    for (pid_t pid : processes)
      EXPECT_EQ(Namespace(std::to_string(pid), "mnt"), Namespace("self", "mnt"));
  }
  std::string AboutText() {
    prompts_.messages.clear();
    frame().OnCommand(cmd::kAbout);
    return prompts_.messages.empty() ? "" : ToUtf8(prompts_.messages.back());
  }
};

TEST_F(WebSandbox, EveryPageProcessHasNamespacesOfItsOwnAndSeesNoProfile) {
  ASSERT_NE(OpenAndWait("/page", "Page"), nullptr);
  // The page's process (a spare view's comes only once a second tab is asked for).
  std::vector<pid_t> processes;
  ASSERT_TRUE(PumpUntil([&] { return (processes = OurWebProcesses()).size() >= 1; }, 30s))
      << processes.size() << " web processes";
  const std::string config = ProfileFolder() + "/config.ini";
  ASSERT_TRUE(FileExists(config));
  const std::string module =
      host_->contentFilter().extensionFolder() + "/zel-webext.so";
  ASSERT_TRUE(FileExists(module));
  for (pid_t pid : processes) {
    SCOPED_TRACE("web process " + std::to_string(pid));
    const std::string p = std::to_string(pid);
    EXPECT_NE(Namespace(p, "mnt"), Namespace("self", "mnt"));
    // Run by root, bubblewrap needs no user namespace; it always makes a PID namespace.
    EXPECT_TRUE(Namespace(p, "user") != Namespace("self", "user") ||
                Namespace(p, "pid") != Namespace("self", "pid"));
    // The engine's own data folder (webdata/) is bound inside; the browser's files are not.
    EXPECT_EQ(OpenInside(pid, config, O_RDONLY), ENOENT);
    // The module is there to be loaded, and nobody inside can change it.
    EXPECT_EQ(OpenInside(pid, module, O_RDONLY), 0);
    EXPECT_EQ(OpenInside(pid, module, O_WRONLY), EROFS);
  }
  EXPECT_NE(AboutText().find("网页沙箱: 已启用"), std::string::npos) << AboutText();
}

TEST_F(WebSandbox, TheContentFilterAnswersFromInside) {
  CChildFrame* tab = OpenAndWait("/page", "Page");
  ASSERT_NE(tab, nullptr);
  EXPECT_TRUE(PumpUntil([&] { return Size(tab, "ad") == "\"1x1\""; })) << Size(tab, "ad");
  EXPECT_EQ(server_.Hits("/ads/banner.png"), 0);
  EXPECT_EQ(server_.Hits("/own.png"), 1);
  std::vector<pid_t> processes = OurWebProcesses();
  ASSERT_FALSE(processes.empty());
  for (pid_t pid : processes)
    EXPECT_NE(Namespace(std::to_string(pid), "mnt"), Namespace("self", "mnt"));
}

class SandboxTurnedOff : public WebSandbox {
 protected:
  void BeforeStart() override {
    WebSandbox::BeforeStart();
    setenv("ZEL_DISABLE_SANDBOX", "1", 1);
  }
  void TearDown() override {
    WebSandbox::TearDown();
    unsetenv("ZEL_DISABLE_SANDBOX");
  }
};

TEST_F(SandboxTurnedOff, PagesLoadAndTheUserIsTold) {
  EXPECT_EQ(probe().StatusText(), "网页沙箱已被 ZEL_DISABLE_SANDBOX 关闭，网页进程以您的全部权限运行");
  ASSERT_NE(OpenAndWait("/page", "Page"), nullptr);
  ExpectUnconfined();
  EXPECT_NE(AboutText().find("网页沙箱: 已由环境变量 ZEL_DISABLE_SANDBOX 关闭"), std::string::npos);
}

class SandboxFallback : public WebSandbox {};

TEST_F(SandboxFallback, PagesLoadAndTheUserIsTold) {
  EXPECT_EQ(probe().StatusText(),
            "网页沙箱无法启用（本机缺少 bubblewrap 或不允许用户命名空间），网页进程以您的全部权限运行");
  CChildFrame* tab = OpenAndWait("/page", "Page");
  ASSERT_NE(tab, nullptr);
  ExpectUnconfined();
  // The page is drawn by a working process: the content filter still answers.
  EXPECT_TRUE(PumpUntil([&] { return Size(tab, "ad") == "\"1x1\""; })) << Size(tab, "ad");
  EXPECT_NE(AboutText().find("网页沙箱: 未启用"), std::string::npos) << AboutText();
}

}  // namespace
}  // namespace zel::test
