// Downloads a page starts by itself: asked about once for the page, one dialog at a time; a
// refused page downloads nothing more, and a download the user clicked is not asked about.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "frame/gtk/main_window.h"
#include "support/menu_path.h"
#include "support/pump.h"
#include "tabs/frame_test.h"
#include "view/vop_view.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;
namespace fs = std::filesystem;

namespace {

constexpr char16_t kQuestion[] = u"此网页想要下载多个文件。\n\n是否允许?";

class PageDownloads : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    target_ = dir_.path() + "/saved";
    fs::create_directories(target_);
    for (int i = 0; i < 9; ++i)
      server_.SetFile("/files/f" + std::to_string(i) + ".bin", "f" + std::to_string(i) + ".bin",
                      std::string(1000 + i, char('a' + i)));
    // Six downloads as soon as the page is there, three more a second later.
    server_.SetPage("/flood", R"HTML(<html><head><title>Flood</title></head><body><script>
        function get(i) {
          var f = document.createElement('iframe');
          f.src = '/files/f' + i + '.bin';
          document.body.appendChild(f);
        }
        for (var i = 0; i < 6; i++) get(i);
        setTimeout(function() { for (var i = 6; i < 9; i++) get(i); }, 1000);
        </script><a id="one" href="/files/mine.bin">one</a></body></html>)HTML");
    server_.SetFile("/files/mine.bin", "mine.bin", std::string(500, 'm'));
  }
  int Questions() {
    return int(std::count(prompts_.questions.begin(), prompts_.questions.end(), u16(kQuestion)));
  }
  int FileHits(int from, int to) {
    int n = 0;
    for (int i = from; i < to; ++i) n += server_.Hits("/files/f" + std::to_string(i) + ".bin");
    return n;
  }
  std::string target_;
};

TEST_F(PageDownloads, ARefusedPageDownloadsNothing) {
  prompts_.yesAnswers = {false};
  CChildFrame* tab = OpenAndWait("/flood", "Flood");
  ASSERT_NE(tab, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return Questions() == 1; }));
  // The later ones come and go without a question or a dialog.
  ASSERT_TRUE(PumpUntil([&] { return FileHits(6, 9) >= 3; }));
  PumpFor(500ms);
  EXPECT_EQ(Questions(), 1);
  EXPECT_TRUE(destinations_.asked.empty());
  EXPECT_EQ(probe().StatusText(), "已阻止此网页下载文件");

}

TEST_F(PageDownloads, AnAllowedPageAsksWhereToSaveOneFileAtATime) {
  prompts_.yesAnswers = {true};
  CChildFrame* tab = OpenAndWait("/flood", "Flood");
  ASSERT_NE(tab, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return Questions() == 1; }));
  // Each save dialog waits for the one before it.
  for (size_t n = 1; n <= 9; ++n) {
    ASSERT_TRUE(PumpUntil([&] { return destinations_.pending.size() == n; }, 30s)) << n;
    PumpFor(200ms);
    EXPECT_EQ(destinations_.pending.size(), n);
    const std::string name = ToUtf8(destinations_.asked.back().second);
    // A copy: answering opens the next dialog, which adds to the list.
    auto answer = destinations_.pending.back();
    answer(FromUtf8(target_ + "/" + name));
  }
  EXPECT_EQ(Questions(), 1);
  for (int i = 0; i < 9; ++i)
    EXPECT_TRUE(PumpUntil([&] { return fs::exists(target_ + "/f" + std::to_string(i) + ".bin"); }))
        << i;
}

// With 禁止下载ActiveX on, programs and plug-ins a page starts downloading by itself are
// refused without a question; other files still get the page's question, and a program
// the user clicks is asked about as any download.
TEST_F(PageDownloads, WithTheBanProgramsThePageStartsAreRefused) {
  server_.SetFile("/files/setup.exe", "setup.exe", std::string(700, 'x'));
  server_.SetPlainFile("/files/tool.deb", "application/vnd.debian.binary-package",
                       std::string(600, 'd'));
  server_.SetFile("/files/clicked.exe", "clicked.exe", std::string(800, 'c'));
  server_.SetPage("/programs", R"HTML(<html><head><title>Programs</title></head><body><script>
      function get(src) {
        var f = document.createElement('iframe');
        f.src = src;
        document.body.appendChild(f);
      }
      get('/files/setup.exe');
      get('/files/tool.deb');
      setTimeout(function() { get('/files/f0.bin'); }, 800);
      </script><a id="prog" href="/files/clicked.exe" style="display:block;width:120px;height:40px">
      program</a></body></html>)HTML");
  GtkWidget* bar = probe().Find("menu-bar");
  ASSERT_TRUE(ActivateMenuPath(bar, {"工具", "下载控制", "禁止下载ActiveX"}));
  prompts_.yesAnswers = {true};
  CChildFrame* tab = OpenAndWait("/programs", "Programs");
  ASSERT_NE(tab, nullptr);
  // The plain file is asked about once for the page, and then where to save it.
  ASSERT_TRUE(PumpUntil([&] { return Questions() == 1; }));
  ASSERT_TRUE(PumpUntil([&] { return destinations_.pending.size() == 1; }));
  EXPECT_EQ(ToUtf8(destinations_.asked.back().second), "f0.bin");
  destinations_.pending.back()(FromUtf8(target_ + "/f0.bin"));
  EXPECT_TRUE(PumpUntil([&] { return fs::exists(target_ + "/f0.bin"); }));
  for (const char* name : {"setup.exe", "tool.deb"})
    for (const auto& [url, asked] : destinations_.asked) EXPECT_NE(ToUtf8(asked), name);
  EXPECT_FALSE(fs::exists(target_ + "/setup.exe"));
  // The program the user clicks is asked about.
  Click(tab, "prog");
  ASSERT_TRUE(PumpUntil([&] { return destinations_.pending.size() == 2; }));
  EXPECT_EQ(ToUtf8(destinations_.asked.back().second), "clicked.exe");
  EXPECT_EQ(Questions(), 1);
  // Left waiting for its destination: the frame's end cancels it (this crashed once).
}

}  // namespace
