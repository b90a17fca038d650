// The Debian package the build makes (ctest's Package.Deb runs cpack first), unpacked into
// a scratch root with dpkg -x: it holds the program, its module, desktop entry, icons and
// metadata, names the libraries it needs, and the unpacked zel starts to a page with its
// web-process module loaded and its profile in the user's data folder, given nothing but
// the usual XDG variables.
#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "base/files.h"
#include "fakes/temp_dir.h"
#include "support/browser_process.h"
#include "support/test_server.h"

using namespace std::chrono_literals;
using zel::test::BrowserProcess;
using zel::test::TempDir;
using zel::test::TestServer;

namespace {

std::string FindPackage() {
  std::string found;
  if (DIR* d = ::opendir(ZEL_PACKAGE_DIR)) {
    while (dirent* e = ::readdir(d)) {
      std::string name = e->d_name;
      if (name.size() > 4 && name.compare(name.size() - 4, 4, ".deb") == 0)
        found = zel::JoinPath(ZEL_PACKAGE_DIR, name);
    }
    ::closedir(d);
  }
  return found;
}

std::string Output(const std::string& command) {
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buf[4096];
    while (size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    ::pclose(p);
  }
  return out;
}

// Whether a process of the user has the file mapped (the web processes load the module).
bool SomeProcessMaps(const std::string& path) {
  bool found = false;
  if (DIR* d = ::opendir("/proc")) {
    while (dirent* e = ::readdir(d)) {
      if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
      std::ifstream maps(std::string("/proc/") + e->d_name + "/maps");
      std::stringstream text;
      text << maps.rdbuf();
      if (text.str().find(path) != std::string::npos) found = true;
    }
    ::closedir(d);
  }
  return found;
}

TEST(InstalledPackage, UnpackedZelStartsWithItsOwnFiles) {
  const std::string deb = FindPackage();
  ASSERT_FALSE(deb.empty()) << "no package in " << ZEL_PACKAGE_DIR;
  TempDir tmp;
  const std::string root = tmp / "root";
  ASSERT_EQ(std::system(("dpkg -x '" + deb + "' '" + root + "'").c_str()), 0);
  for (const char* f : {"usr/bin/zel", "usr/bin/zel-browser", ZEL_PACKAGE_WEBEXT,
                        "usr/share/applications/zel.desktop",
                        "usr/share/metainfo/org.zel_browser.Zel.metainfo.xml",
                        "usr/share/icons/hicolor/16x16/apps/zel.png",
                        "usr/share/icons/hicolor/256x256/apps/zel.png",
                        "usr/share/icons/hicolor/scalable/apps/zel.svg", "usr/share/doc/zel/copyright"})
    EXPECT_TRUE(zel::FileExists(zel::JoinPath(root, f))) << f;
  EXPECT_TRUE(zel::DirExists(root + "/usr/share/zel"));
  const std::string depends = Output("dpkg-deb -f '" + deb + "' Depends");
  EXPECT_NE(depends.find("libwebkit2gtk-4.1-0"), std::string::npos) << depends;
  EXPECT_NE(depends.find("libgtkmm-3.0"), std::string::npos) << depends;

  TestServer server;
  ::mkdir((tmp / "run").c_str(), 0700);
  BrowserProcess b("", tmp / "run");
  b.SetBinary(root + "/usr/bin/zel");
  b.SetEnv("HOME", tmp / "home");
  b.SetEnv("XDG_DATA_HOME", tmp / "data");
  b.SetEnv("XDG_CONFIG_HOME", tmp / "config");
  ASSERT_TRUE(b.Start({server.Url("/t/Installed")}));
  EXPECT_TRUE(b.WaitForCaption("Installed - Zel浏览器", 30s)) << b.Caption();
  EXPECT_TRUE(zel::test::WaitFor(
      [&] { return SomeProcessMaps(zel::JoinPath(root, ZEL_PACKAGE_WEBEXT)); }, 20s));
  // The profile goes to the user's data folder, never into the install's bin folder.
  EXPECT_TRUE(zel::FileExists(tmp / "data/zel/profile/Defaults/config.ini"));
  EXPECT_FALSE(zel::DirExists(root + "/usr/bin/profile"));
  b.Signal(SIGTERM);
  EXPECT_EQ(b.Wait(10s), 0);
}

}  // namespace
