// Which downloads count as programs or plug-ins while downloads of active content are banned.
#include <gtest/gtest.h>

#include "view/active_content.h"

using namespace zel;

TEST(ActiveContent, ProgramsAndPluginsByNameOrType) {
  struct Row {
    const char16_t* name;
    const char16_t* mime;
    bool banned;
  } rows[] = {
      {u"setup.exe", u"application/octet-stream", true},
      {u"http://site/x/SETUP.EXE?v=2#top", u"", true},
      {u"flash.ocx", u"", true},
      {u"player.cab", u"", true},
      {u"tool.deb", u"", true},
      {u"install.sh", u"", true},
      {u"download", u"application/x-msdownload", true},
      {u"download", u"application/x-executable; charset=binary", true},
      {u"movie.swf", u"", true},
      {u"report.pdf", u"application/pdf", false},
      {u"archive.zip", u"application/zip", false},
      {u"exe", u"text/plain", false},  // no extension, a harmless type
      {u"notes.", u"", false},
      {u"C:\\dir\\a.exe.txt", u"text/plain", false},
  };
  for (const Row& r : rows)
    EXPECT_EQ(IsProgramOrPlugin(r.name, r.mime), r.banned) << ToUtf8(r.name) << " " << ToUtf8(r.mime);
}
