// The bookmark file: what other browsers write reads with its folders and titles, and the
// Favorites folder goes out and comes back the same.
#include <gtest/gtest.h>

#include "base/files.h"
#include "favorites/bookmark_html.h"
#include "favorites/favorites_folder.h"
#include "fakes/temp_dir.h"
#include "platform/ini_registry.h"

using namespace zel;
using zel::test::TempDir;

namespace {

BookmarkNode Entry(std::u16string title, std::u16string url, int64_t date = 0) {
  BookmarkNode n;
  n.title = std::move(title);
  n.url = std::move(url);
  n.addDate = date;
  return n;
}
BookmarkNode Folder(std::u16string title, std::vector<BookmarkNode> children) {
  BookmarkNode n;
  n.folder = true;
  n.title = std::move(title);
  n.children = std::move(children);
  return n;
}

// What another browser exports: attributes it has and we do not, <p> after lists, a
// personal toolbar folder, nested lists, entities and Chinese titles.
const char kOtherBrowser[] = R"(<!DOCTYPE NETSCAPE-Bookmark-file-1>
<!-- This is an automatically generated file. -->
<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">
<meta http-equiv="Content-Security-Policy" content="default-src 'self'">
<TITLE>Bookmarks</TITLE>
<H1>Bookmarks Menu</H1>
<DL><p>
    <DT><H3 ADD_DATE="1600000000" LAST_MODIFIED="1600000001" PERSONAL_TOOLBAR_FOLDER="true">书签栏</H3>
    <DL><p>
        <DT><A HREF="https://news.example/?a=1&amp;b=2" ADD_DATE="1600000002" ICON="data:image/png;base64,AAAA">新闻 &amp; 天气</A>
        <DT><H3>Work</H3>
        <DL><p>
            <DT><A HREF="http://intranet/" ADD_DATE="1600000003">Intranet &lt;inside&gt;</A>
        </DL><p>
        <DT><H3>空的</H3>
        <DL><p>
        </DL><p>
    </DL><p>
    <HR>
    <DT><A HREF="http://top.example/" ADD_DATE="1600000004">Top&#39;s &#x4e2d;</A>
    <DD>a description that belongs to no one
</DL><p>
)";

TEST(BookmarkHtml, ReadsAnotherBrowsersFile) {
  std::vector<BookmarkNode> expected = {
      Folder(u"书签栏",
             {Entry(u"新闻 & 天气", u"https://news.example/?a=1&b=2", 1600000002),
              Folder(u"Work", {Entry(u"Intranet <inside>", u"http://intranet/", 1600000003)}),
              Folder(u"空的", {})}),
      Entry(u"Top's 中", u"http://top.example/", 1600000004),
  };
  expected[0].addDate = 1600000000;
  EXPECT_EQ(ParseBookmarkHtml(kOtherBrowser), expected);
}

TEST(BookmarkHtml, BrokenFilesGiveWhatTheyHold) {
  struct Case {
    const char* what;
    std::string html;
    size_t topLevel;
  } cases[] = {
      {"lists never closed", "<DL><p><DT><H3>F</H3><DL><p><DT><A HREF=\"http://a/\">a", 1},
      {"closing more lists than opened", "</DL></DL><DT><A HREF=\"http://a/\">a</A></DL>", 1},
      {"an entry without an address is no entry", "<DL><DT><A>none</A></DL>", 0},
      {"not a bookmark file at all", "\x01\x02<<<>>>&&&;;;\xff\xfe", 0},
      {"GBK text", "<DL><DT><A HREF=\"http://g/\">\xd0\xc2\xce\xc5</A></DL>", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseBookmarkHtml(c.html).size(), c.topLevel) << c.what;
  EXPECT_EQ(ParseBookmarkHtml(cases[4].html)[0].title, u"新闻");
  // So deep a file is flattened, not a stack overflow.
  std::string deep;
  for (int i = 0; i < 5000; ++i) deep += "<DT><H3>d</H3><DL>";
  deep += "<DT><A HREF=\"http://deep/\">x</A>";
  auto nodes = ParseBookmarkHtml("<DL>" + deep);
  int depth = 0;
  const std::vector<BookmarkNode>* level = &nodes;
  while (!level->empty() && level->front().folder) {
    level = &level->front().children;
    ++depth;
  }
  EXPECT_LE(depth, 64);
}

TEST(BookmarkHtml, TheFavoritesFolderGoesOutAndComesBack) {
  TempDir dir;
  IniRegistry registry(dir.path() + "/registry.ini");
  const std::string a = dir.path() + "/A", b = dir.path() + "/B";
  std::vector<BookmarkNode> tree = {
      Entry(u"Zeta & Co", u"http://z.example/?x=1&y=<2>", 1500000000),
      Folder(u"新闻", {Entry(u"头条: \"今日\"", u"http://news.example/", 1500000001),
                       Folder(u"深", {Entry(u"a.b", u"http://ab.example/", 1500000002)})}),
      Entry(u"Alpha", u"http://a.example/", 1500000003),
  };
  ASSERT_EQ(ImportBookmarks(a, a, tree, &registry), 4);
  // Stored in the file's order, not by name; titles cleaned for file names only.
  std::vector<BookmarkNode> back = ReadFavoritesTree(a, &registry);
  ASSERT_EQ(back.size(), 3u);
  EXPECT_EQ(back[0].title, u"Zeta & Co");
  EXPECT_EQ(back[0].url, u"http://z.example/?x=1&y=<2>");
  EXPECT_EQ(back[0].addDate, 1500000000);
  EXPECT_EQ(back[1].title, u"新闻");
  EXPECT_EQ(back[1].children[0].title, u"头条_ _今日_");
  EXPECT_EQ(back[1].children[1].children[0].title, u"a.b");
  EXPECT_EQ(back[2].title, u"Alpha");
  // Out to a file, into another folder: the same tree.
  std::string html = WriteBookmarkHtml(back);
  std::vector<BookmarkNode> parsed = ParseBookmarkHtml(html);
  for (auto& n : parsed) n.addDate = 0;  // folders' dates are the folder's own
  ASSERT_EQ(ImportBookmarks(b, b, ParseBookmarkHtml(html), &registry), 4);
  std::vector<BookmarkNode> again = ReadFavoritesTree(b, &registry);
  auto strip = [](std::vector<BookmarkNode> v) {
    std::function<void(std::vector<BookmarkNode>&)> f = [&](std::vector<BookmarkNode>& l) {
      for (auto& n : l) {
        if (n.folder) n.addDate = 0;
        f(n.children);
      }
    };
    f(v);
    return v;
  };
  EXPECT_EQ(strip(again), strip(back));
  // Importing again into a folder that has items puts the new ones after them.
  ASSERT_EQ(ImportBookmarks(b, b, {Entry(u"Alpha", u"http://a2.example/")}, &registry), 1);
  std::vector<BookmarkNode> more = ReadFavoritesTree(b, &registry);
  ASSERT_EQ(more.size(), 4u);
  EXPECT_EQ(more[3].title, u"Alpha (2)");
  EXPECT_EQ(more[3].url, u"http://a2.example/");
}

}  // namespace
