// `zel --help` and `zel --version` answer on the terminal and end: no display, no profile,
// no running browser is needed or touched.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "fakes/temp_dir.h"

using zel::test::TempDir;

namespace {

struct Outcome {
  int status = -1;
  std::string out;
};

Outcome RunWithoutDisplay(const std::string& home, const std::string& arg) {
  const std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY ZEL_HOME='" + home + "' timeout 10 '" +
                          ZEL_BINARY + "' " + arg + " 2>&1";
  Outcome r;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

TEST(CommandInfo, HelpAndVersionPrintAndEndWithoutADisplayOrAProfile) {
  TempDir tmp;
  const std::string home = tmp / "home";
  struct Case {
    const char* arg;
    std::vector<const char*> says;
  } cases[] = {
      {"--help", {"用法", "-Install", "-Uninstall", "ZEL_HOME", "--version"}},
      {"-h", {"用法"}},
      {"--version", {"Zel浏览器 "}},
      {"-v", {"Zel浏览器 "}},
  };
  for (const Case& c : cases) {
    const Outcome r = RunWithoutDisplay(home, c.arg);
    EXPECT_EQ(r.status, 0) << c.arg << ": " << r.out;
    for (const char* s : c.says) EXPECT_NE(r.out.find(s), std::string::npos) << c.arg << " lacks " << s << ": " << r.out;
    struct stat st;
    EXPECT_NE(stat(home.c_str(), &st), 0) << c.arg << " made the program folder";
  }
}

}  // namespace
