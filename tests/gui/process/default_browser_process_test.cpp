// The installer's switches as processes, against the desktop's real association tools in
// scratch XDG folders where another browser is the default: "-Install" opens no window,
// makes zel.desktop the default as xdg-settings and gio see it and reports the install;
// "-Uninstall" gives the other browser its place back.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdio>

#include "base/files.h"
#include "fakes/temp_dir.h"
#include "support/browser_process.h"
#include "support/test_server.h"

using namespace std::chrono_literals;
using zel::test::BrowserProcess;
using zel::test::TempDir;
using zel::test::TestServer;

namespace {

constexpr char kWebTypes[] =
    "x-scheme-handler/http;x-scheme-handler/https;x-scheme-handler/ftp;text/html;"
    "application/xhtml+xml;";

class InstallSwitches : public ::testing::Test {
 protected:
  void SetUp() override {
    ::mkdir(runtime_.c_str(), 0700);
    ASSERT_TRUE(zel::CreateFolderLevels(tmp_ / "data/applications"));
    ASSERT_TRUE(zel::CreateFolderLevels(tmp_ / "config"));
    ASSERT_TRUE(zel::WriteFileAtomic(tmp_ / "data/applications/other.desktop",
                                     std::string("[Desktop Entry]\nType=Application\nName=Other\n"
                                                 "Exec=/bin/true %U\nMimeType=") +
                                         kWebTypes + "\n"));
    std::string list = "[Default Applications]\n";
    for (const char* t : {"x-scheme-handler/http", "x-scheme-handler/https", "x-scheme-handler/ftp",
                          "text/html", "application/xhtml+xml"})
      list += std::string(t) + "=other.desktop\n";
    ASSERT_TRUE(zel::WriteFileAtomic(tmp_ / "config/mimeapps.list", list));
    ASSERT_EQ(Tool("xdg-settings get default-web-browser"), "other.desktop");
    server_.SetPage("/stat", "counted");
  }

  // A desktop tool's first output line, run in the scratch folders.
  std::string Tool(const std::string& command) {
    const std::string line = "env -u XDG_CURRENT_DESKTOP HOME='" + tmp_.path() +
                             "' XDG_CONFIG_HOME='" + (tmp_ / "config") + "' XDG_DATA_HOME='" +
                             (tmp_ / "data") + "' " + command + " 2>/dev/null";
    std::string out;
    if (FILE* p = ::popen(line.c_str(), "r")) {
      std::array<char, 4096> buf;
      while (size_t n = std::fread(buf.data(), 1, buf.size(), p)) out.append(buf.data(), n);
      ::pclose(p);
    }
    return out.substr(0, out.find('\n'));
  }

  // Runs zel with the arguments to its end; false when it showed a window meanwhile.
  bool RunWithoutWindow(const std::vector<std::string>& args, int* status) {
    BrowserProcess b(home_, runtime_);
    Environment(b);
    if (!b.Start(args)) return false;
    bool window = false;
    zel::test::WaitFor([&] {
      if (!zel::test::WindowCaptions(b.pid()).empty()) window = true;
      return !b.Running();
    }, 30s);
    *status = b.Wait(1s).value_or(-1);
    return !window;
  }

  void Environment(BrowserProcess& b) {
    b.SetEnv("HOME", tmp_.path());
    b.SetEnv("XDG_CONFIG_HOME", tmp_ / "config");
    b.SetEnv("XDG_DATA_HOME", tmp_ / "data");
    b.SetEnv("ZEL_STATS_URL", server_.Url("/"));
  }

  int Requests(const std::string& r) {
    auto all = server_.RequestsWithQuery();
    return std::count(all.begin(), all.end(), r);
  }

  TempDir tmp_;
  std::string home_ = tmp_ / "home", runtime_ = tmp_ / "run";
  TestServer server_;
};

TEST_F(InstallSwitches, InstallRegistersWithoutAWindowAndUninstallGivesBack) {
  int status = -1;
  ASSERT_TRUE(RunWithoutWindow({"-Install"}, &status));
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Tool("xdg-settings get default-web-browser"), "zel.desktop");
  EXPECT_NE(Tool("gio mime x-scheme-handler/https").find("zel.desktop"), std::string::npos);
  // The build tree's zel had no desktop entry: one was written for it.
  auto entry = zel::ReadFileBytes(tmp_ / "data/applications/zel.desktop");
  ASSERT_TRUE(entry);
  EXPECT_NE(entry->find(std::string("\nExec=") + ZEL_BINARY + " %U\n"), std::string::npos);
  const std::string config = zel::ReadFileBytes(home_ + "/profile/Defaults/config.ini").value_or("");
  EXPECT_NE(config.find("x-scheme-handler/http=other.desktop"), std::string::npos);
  EXPECT_NE(config.find("homepage="), std::string::npos);  // a first run's defaults are in
  EXPECT_EQ(Requests("/stat?install"), 1);
  EXPECT_EQ(zel::ReadFileBytes(home_ + "/profile/Defaults/stat.dat"),
            std::optional<std::string>("counted"));

  ASSERT_TRUE(RunWithoutWindow({"-Uninstall"}, &status));
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Tool("xdg-settings get default-web-browser"), "other.desktop");
  EXPECT_EQ(Tool("gio mime x-scheme-handler/https"),
            "Default application for “x-scheme-handler/https”: other.desktop");
  EXPECT_EQ(Requests("/stat?uninstal"), 1);
}

// What the desktop's files hold: the choices file ("-" when there is none) and every file of
// the applications folder with its bytes.
std::string DesktopFiles(const std::string& config, const std::string& apps) {
  std::string out = "mimeapps.list: " + zel::ReadFileBytes(config + "/mimeapps.list").value_or("-") + "\n";
  std::vector<std::string> names;
  if (DIR* d = ::opendir(apps.c_str())) {
    while (dirent* e = ::readdir(d))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
    ::closedir(d);
  } else {
    out += "(no applications folder)\n";
  }
  std::sort(names.begin(), names.end());
  for (const auto& n : names) out += n + ": " + zel::ReadFileBytes(apps + "/" + n).value_or("?") + "\n";
  return out;
}

TEST_F(InstallSwitches, InstallThenUninstallLeavesTheDesktopsFilesAsTheyWere) {
  struct Case {
    const char* what;
    bool choices;  // the user had chosen defaults (else the desktop's implicit ones apply)
    std::string extra;  // more of the user's choices file
  } cases[] = {
      {"chosen defaults and an added association", true,
       "[Added Associations]\ntext/html=other.desktop;\nimage/png=other.desktop;\n"},
      {"implicit defaults: no choices file", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string config = tmp_ / "config", apps = tmp_ / "data/applications";
    if (c.choices) {
      std::string list = zel::ReadFileBytes(config + "/mimeapps.list").value_or("");
      ASSERT_TRUE(zel::WriteFileAtomic(config + "/mimeapps.list", list + c.extra));
    } else {
      ::unlink((config + "/mimeapps.list").c_str());
    }
    const std::string before = DesktopFiles(config, apps);
    // Without choices, whichever browser the machine has installed is the implicit default.
    const std::string defaultBefore = Tool("xdg-settings get default-web-browser");
    int status = -1;
    ASSERT_TRUE(RunWithoutWindow({"-Install"}, &status));
    ASSERT_EQ(Tool("xdg-settings get default-web-browser"), "zel.desktop");
    ASSERT_NE(DesktopFiles(config, apps), before);
    ASSERT_TRUE(RunWithoutWindow({"-Uninstall"}, &status));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(DesktopFiles(config, apps), before);
    EXPECT_EQ(Tool("xdg-settings get default-web-browser"), defaultBefore);
  }
}

// After another argument "-Install" is no switch: the browser starts and registers nothing.
TEST_F(InstallSwitches, InstallAfterAnotherArgumentStartsTheBrowser) {
  BrowserProcess b(home_, runtime_);
  Environment(b);
  ASSERT_TRUE(b.Start({"about:blank", "-Install"}));
  EXPECT_TRUE(b.WaitForCaption("空白页 - Zel浏览器", 20s));
  EXPECT_EQ(Tool("xdg-settings get default-web-browser"), "other.desktop");
  EXPECT_EQ(Requests("/stat?install"), 0);
  b.Signal(SIGTERM);
  EXPECT_EQ(b.Wait(10s), 0);
}

}  // namespace
