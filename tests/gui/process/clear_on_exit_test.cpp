// Cookies across runs of the real browser: they last from run to run, and the cookie switch
// of the exit clearing takes them with the browser's end; the cache switch takes the site
// icons.
#include <dirent.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include "base/files.h"
#include "fakes/temp_dir.h"
#include "support/browser_process.h"
#include "support/test_server.h"

using namespace std::chrono_literals;
using zel::test::BrowserProcess;
using zel::test::TempDir;
using zel::test::TestServer;

namespace {

class ClearOnExit : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = tmp_ / "home";
    runtime_ = tmp_ / "run";
    ::mkdir(runtime_.c_str(), 0700);
    ASSERT_TRUE(zel::CreateFolderLevels(home_ + "/profile/Defaults"));
    server_.SetPage("/set", "<!DOCTYPE html><title>x</title><script>document.cookie = "
                            "'c=1; max-age=3600'; document.title = 'Set';</script>");
    server_.SetPage("/show", "<!DOCTYPE html><title>x</title><script>document.title = "
                             "'C[' + document.cookie + ']';</script>");
  }
  // One run of the browser on a page, ended like a logout ends it.
  std::string RunOn(const std::string& path, const std::string& caption) {
    BrowserProcess b(home_, runtime_);
    if (!b.Start({server_.Url(path)})) return "no start";
    bool shown = b.WaitForCaption(caption + " - Zel浏览器", 20s);
    std::string seen = b.Caption();
    b.Signal(SIGTERM);
    if (b.Wait(20s) != 0) return "no clean end";
    return shown ? caption : seen;
  }
  void SetClean(const std::string& key) {
    const std::string config = home_ + "/profile/Defaults/config.ini";
    std::string text = zel::ReadFileBytes(config).value_or("");
    ASSERT_TRUE(zel::WriteFileAtomic(config, text + "[CLEANSET]\r\n" + key + "=1\r\n"));
  }
  void SetCleanCookies() { SetClean("cookies"); }
  // The files of the profile's icon cache.
  std::vector<std::string> Icons() {
    std::vector<std::string> out;
    if (DIR* d = ::opendir((home_ + "/profile/Defaults/iconcache").c_str())) {
      while (dirent* e = ::readdir(d))
        if (e->d_name[0] != '.') out.push_back(e->d_name);
      ::closedir(d);
    }
    return out;
  }

  TempDir tmp_;
  std::string home_, runtime_;
  TestServer server_;
};

TEST_F(ClearOnExit, CookiesLastAcrossRunsUntilTheExitClearingTakesThem) {
  ASSERT_EQ(RunOn("/set", "Set"), "Set");
  ASSERT_EQ(RunOn("/show", "C[c=1]"), "C[c=1]");
  SetCleanCookies();
  ASSERT_EQ(RunOn("/show", "C[c=1]"), "C[c=1]");  // cleared as this run ends
  EXPECT_EQ(RunOn("/show", "C[]"), "C[]");
}

TEST_F(ClearOnExit, TheCacheSwitchTakesTheSiteIconsWithTheBrowsersEnd) {
  GdkPixbuf* p = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 16, 16);
  gdk_pixbuf_fill(p, 0x00FF00FF);
  gchar* buf = nullptr;
  gsize len = 0;
  ASSERT_TRUE(gdk_pixbuf_save_to_buffer(p, &buf, &len, "png", nullptr, nullptr));
  g_object_unref(p);
  server_.SetPage("/favicon.ico", std::string(buf, len));
  g_free(buf);
  ASSERT_EQ(RunOn("/set", "Set"), "Set");  // a first run writes the profile's config.ini
  SetClean("cache");
  BrowserProcess b(home_, runtime_);
  ASSERT_TRUE(b.Start({server_.Url("/show")}));
  ASSERT_TRUE(b.WaitForCaption("C[c=1] - Zel浏览器", 20s));
  ASSERT_TRUE(zel::test::WaitFor([&] { return !Icons().empty(); }, 20s)) << "the icon was cached";
  b.Signal(SIGTERM);
  ASSERT_EQ(b.Wait(20s), 0);
  EXPECT_TRUE(Icons().empty()) << Icons().front();
  EXPECT_EQ(RunOn("/show", "C[c=1]"), "C[c=1]") << "the cookies stay";
}

}  // namespace
