// The side panes' layout in CommandBars.ini: what a damaged section reads as, and a write
// that keeps the file's other sections.
#include <gtest/gtest.h>

#include "base/ini_document.h"
#include "panes/side_panes_controller.h"

using namespace zel;

namespace {

TEST(SideLayout, ReadsTheSectionAndKeepsTheRestOfTheFile) {
  struct Case {
    const char* what;
    std::string file;
    int width;
    std::vector<int> open;
  } cases[] = {
      {"no file: the default, every pane closed", "", 220, {}},
      {"a saved layout", "[ZELSide]\r\nWidth=300\r\nPanes=1531,1529\r\n", 300, {1531, 1529}},
      {"unknown and repeated panes are dropped", "[ZELSide]\r\nPanes=1530, 7,1530,abc,1531\r\n",
       220, {1530, 1531}},
      {"a width out of bounds keeps the default", "[ZELSide]\r\nWidth=-5\r\n", 220, {}},
      {"a width of garbage", "[ZELSide]\r\nWidth=\xff\xfe\r\n", 220, {}},
  };
  for (const Case& c : cases) {
    SideLayout l = ParseSideLayout(c.file);
    EXPECT_EQ(l.width, c.width) << c.what;
    EXPECT_EQ(l.open, c.open) << c.what;
  }
  std::string file = "[CommandBars]\r\nBars=3\r\n[ZELSide]\r\nWidth=100\r\n";
  std::string written = WriteSideLayout(file, {.width = 333, .open = {1530, 1529}});
  IniDocument doc = IniDocument::Parse(written);
  EXPECT_EQ(doc.Get(u"CommandBars", u"Bars"), std::optional<u16>(u"3"));
  SideLayout back = ParseSideLayout(written);
  EXPECT_EQ(back.width, 333);
  EXPECT_EQ(back.open, (std::vector<int>{1530, 1529}));
}

}  // namespace
