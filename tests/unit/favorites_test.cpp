// The Favorites folder: the stored order and its reader's bounds, the names and addresses
// of entries, the menu's ids and the organize operations.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

#include "base/files.h"
#include "favorites/favorites_folder.h"
#include "favorites/menu_order.h"
#include "favorites/organize.h"
#include "fakes/temp_dir.h"
#include "platform/ini_registry.h"

using namespace zel;
using zel::test::TempDir;

namespace {

class FavoritesFolder : public ::testing::Test {
 protected:
  std::string Root() { return dir_.path() + "/Favorites"; }
  void SetUp() override { CreateFolderLevels(Root()); }
  void File(const std::string& rel, const std::string& url = "http://example.com/") {
    CreateFolderLevels(DirName(JoinPath(Root(), rel)));
    WriteFileAtomic(JoinPath(Root(), rel), ShortcutFileText(FromUtf8(url)));
  }
  void Folder(const std::string& rel) { CreateFolderLevels(JoinPath(Root(), rel)); }
  std::vector<std::string> Names(u16view relative = u"") {
    std::vector<std::string> out;
    for (const auto& i : ListFavorites(Root(), relative, &registry_))
      out.push_back((i.folder ? "[" : "") + ToUtf8(i.name) + (i.folder ? "]" : ""));
    return out;
  }
  TempDir dir_;
  IniRegistry registry_{dir_.path() + "/registry.ini"};
};

// A title longer than a file name may be is cut between characters to fit with ".url" and
// a " (n)" for a namesake; both namesakes are written.
TEST(FavoriteNames, LongTitlesAreCutToTheFileSystemsLimit) {
  struct Case {
    const char* what;
    u16 title;
  } cases[] = {
      {"100 Chinese characters", u16(100, u'长')},
      {"300 letters", u16(300, u'a')},
      {"letters and a pair at the cut", u16(237, u'a') + u"\U0001F600\U0001F600"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    for (int n = 0; n < 2; ++n) {
      auto path = AddFavorite(dir.path(), c.title, u"http://a.example/");
      ASSERT_TRUE(path.has_value());
      std::string base = path->substr(path->rfind('/') + 1);
      EXPECT_LE(base.size(), 255u);
      EXPECT_TRUE(IsValidUtf8(base)) << base;
      EXPECT_TRUE(FileExists(*path));
      EXPECT_EQ(base.substr(base.size() - 4), ".url");
      if (n == 1) EXPECT_NE(base.find(" (2).url"), std::string::npos) << base;
    }
  }
}

TEST_F(FavoritesFolder, ListsInTheStoredOrderThenNewFoldersThenNewFiles) {
  struct Case {
    const char* what;
    std::vector<OrderedName> order;
    std::vector<std::string> expected;
  } cases[] = {
      {"no order: folders, then files, by name", {},
       {"[News]", "[Tools]", "a.url", "b.url", "news.url"}},
      {"a stored file that is gone emits nothing; the rest keep their order",
       {{u"b.url", false}, {u"gone.url", false}, {u"Tools", true}, {u"a.url", false}},
       {"b.url", "[Tools]", "a.url", "[News]", "news.url"}},
      {"names match ignoring case; a folder and a file of one name stay apart",
       {{u"NEWS.URL", false}, {u"news", true}},
       {"news.url", "[News]", "[Tools]", "a.url", "b.url"}},
      {"a name stored as a folder does not take the file",
       {{u"a.url", true}, {u"b.url", false}},
       {"b.url", "[News]", "[Tools]", "a.url", "news.url"}},
      {"a name stored twice emits its item once",
       {{u"b.url", false}, {u"B.URL", false}, {u"a.url", false}},
       {"b.url", "a.url", "[News]", "[Tools]", "news.url"}},
  };
  File("a.url");
  File("b.url");
  File("news.url");
  Folder("News");
  Folder("Tools");
  for (const Case& c : cases) {
    if (c.order.empty()) registry_.DeleteKey(MenuOrderKey(u""));
    else ASSERT_TRUE(WriteMenuOrder(registry_, u"", c.order));
    EXPECT_EQ(Names(), c.expected) << c.what;
  }
}

TEST_F(FavoritesFolder, ANewFolderAndFileComeAfterTheOrderedItemsFolderFirst) {
  File("sub/old.url");
  Folder("sub/Old");
  ASSERT_TRUE(WriteMenuOrder(registry_, u"sub", {{u"old.url", false}, {u"Old", true}}));
  File("sub/new.url");
  Folder("sub/New");
  EXPECT_EQ(Names(u"sub"), (std::vector<std::string>{"old.url", "[Old]", "[New]", "new.url"}));
  // Another folder's order is its own.
  EXPECT_EQ(Names(), (std::vector<std::string>{"[sub]"}));
}

TEST(FavoriteNames, DisplayAndFileTitles) {
  struct Case {
    std::u16string in, display, title;
  } cases[] = {
      {u"a.b.url", u"a.b", u"a.b.url"},
      {u"News.url", u"News", u"News.url"},
      {u"plain", u"plain", u"plain"},
      {u"a/b:c", u"a/b:c", u"a_b_c"},
      {u"x\\y*?\"<>|\r\nz", u"x\\y*?\"<>|\r\nz", u"x_y________z"},
      {u"新闻.中文.url", u"新闻.中文", u"新闻.中文.url"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FavoriteDisplayName(c.in), c.display) << ToUtf8(c.in);
    EXPECT_EQ(FavoriteFileTitle(c.in), c.title) << ToUtf8(c.in);
  }
}

TEST_F(FavoritesFolder, AddressesOfShortcutsLinksAndBadFiles) {
  std::string longUrl = "http://example.com/" + std::string(3000 - 19, 'x');
  File("long.url", longUrl);
  File("Upper.URL", "http://upper.example/");
  WriteFileAtomic(Root() + "/quoted.url", "[InternetShortcut]\r\nURL=\"http://q.example/\"\r\n");
  WriteFileAtomic(Root() + "/garbage.url", std::string("\x00\xff\x01[Internet\x00", 12) +
                                               std::string(200, '\xfe'));
  std::string big = ShortcutFileText(u"http://big.example/") + std::string(10 << 20, 'A');
  WriteFileAtomic(Root() + "/big.url", big);
  WriteFileAtomic(Root() + "/notes.txt", "URL=http://no.example/");
  ASSERT_EQ(symlink((Root() + "/Upper.URL").c_str(), (Root() + "/link").c_str()), 0);
  ASSERT_EQ(symlink("/usr/share/doc", (Root() + "/doc link").c_str()), 0);
  ASSERT_EQ(symlink("/nowhere/x.url", (Root() + "/dangling").c_str()), 0);
  struct Case {
    const char* file;
    std::u16string url;
  } cases[] = {
      {"long.url", FromUtf8(longUrl.substr(0, 2047))},
      {"Upper.URL", u"http://upper.example/"},
      {"quoted.url", u"http://q.example/"},
      {"garbage.url", u""},
      {"big.url", u""},
      {"notes.txt", u""},
      {"link", u"http://upper.example/"},
      {"doc link", u"/usr/share/doc"},
      {"dangling", u""},
      {"missing.url", u""},
  };
  auto start = std::chrono::steady_clock::now();
  for (const Case& c : cases) EXPECT_EQ(FavoriteUrl(JoinPath(Root(), c.file)), c.url) << c.file;
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  // Every one of them is listed all the same.
  EXPECT_EQ(Names().size(), 9u);
}

TEST_F(FavoritesFolder, TheMenuNumbersEveryFileInEmissionOrder) {
  File("z.url", "http://z.example/");
  File("Sub/inner.url", "http://inner.example/");
  File("Sub/Deeper/deep.url", "http://deep.example/");
  Folder("Empty");
  ASSERT_TRUE(WriteMenuOrder(registry_, u"", {{u"z.url", false}, {u"Sub", true}}));
  FavoritesMenu m = BuildFavoritesMenu(Root(), &registry_);
  ASSERT_EQ(m.items.size(), 3u);
  EXPECT_EQ(m.items[0].text, u"z");
  EXPECT_EQ(m.items[0].id, 41000);
  EXPECT_EQ(m.items[1].text, u"Sub");
  EXPECT_EQ(m.items[1].id, 0);
  ASSERT_EQ(m.items[1].children.size(), 2u);
  EXPECT_EQ(m.items[1].children[0].text, u"Deeper");
  EXPECT_EQ(m.items[1].children[0].children[0].id, 41001);
  EXPECT_EQ(m.items[1].children[1].id, 41002);
  EXPECT_TRUE(m.items[2].children.empty());
  EXPECT_EQ(m.UrlFor(41000), u"http://z.example/");
  EXPECT_EQ(m.UrlFor(41001), u"http://deep.example/");
  EXPECT_EQ(m.UrlFor(41002), u"http://inner.example/");
  EXPECT_EQ(m.UrlFor(41003), u"");
}

TEST_F(FavoritesFolder, OrganizeKeepsTheOrderItShows) {
  File("a.url");
  File("b.url");
  File("c.url");
  ASSERT_TRUE(ShiftFavorite(Root(), Root() + "/c.url", -1, &registry_));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.url", "c.url", "b.url"}));
  std::string news = NewFavoritesFolder(Root(), Root(), u"新闻", &registry_);
  ASSERT_FALSE(news.empty());
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.url", "c.url", "b.url", "[新闻]"}));
  ASSERT_TRUE(MoveFavorite(Root(), Root() + "/c.url", news, -1, &registry_));
  ASSERT_TRUE(MoveFavorite(Root(), Root() + "/b.url", Root(), 0, &registry_));
  EXPECT_EQ(Names(), (std::vector<std::string>{"b.url", "a.url", "[新闻]"}));
  EXPECT_EQ(Names(u"新闻"), (std::vector<std::string>{"c.url"}));
  ASSERT_TRUE(RenameFavorite(Root(), Root() + "/a.url", u"首页/新", &registry_));
  EXPECT_EQ(Names(), (std::vector<std::string>{"b.url", "首页_新.url", "[新闻]"}));
  EXPECT_FALSE(MoveFavorite(Root(), news, news, -1, &registry_)) << "a folder into itself";
  ASSERT_TRUE(DeleteFavorite(Root(), news, &registry_));
  EXPECT_EQ(Names(), (std::vector<std::string>{"b.url", "首页_新.url"}));
  EXPECT_FALSE(DeleteFavorite(Root(), dir_.path() + "/registry.ini", &registry_))
      << "nothing outside the folder";
}

TEST_F(FavoritesFolder, AFolderRenamedMovedOrDeletedTakesItsOrderAlong) {
  File("Sub/a.url");
  File("Sub/b.url");
  File("Sub/Inner/x.url");
  File("Sub/Inner/y.url");
  Folder("Other");
  ASSERT_TRUE(WriteMenuOrder(registry_, u"Sub", {{u"b.url", false}, {u"a.url", false}}));
  ASSERT_TRUE(WriteMenuOrder(registry_, u"Sub/Inner", {{u"y.url", false}, {u"x.url", false}}));
  const std::vector<std::string> sub{"b.url", "a.url", "[Inner]"}, inner{"y.url", "x.url"};

  ASSERT_TRUE(RenameFavorite(Root(), Root() + "/Sub", u"Sub2", &registry_));
  EXPECT_EQ(Names(u"Sub2"), sub);
  EXPECT_EQ(Names(u"Sub2/Inner"), inner);
  EXPECT_FALSE(registry_.KeyExists(MenuOrderKey(u"Sub"))) << "no order left behind";
  EXPECT_FALSE(registry_.KeyExists(MenuOrderKey(u"Sub/Inner")));

  ASSERT_TRUE(MoveFavorite(Root(), Root() + "/Sub2", Root() + "/Other", -1, &registry_));
  EXPECT_EQ(Names(u"Other/Sub2"), sub);
  EXPECT_EQ(Names(u"Other/Sub2/Inner"), inner);
  EXPECT_FALSE(registry_.KeyExists(MenuOrderKey(u"Sub2")));
  EXPECT_FALSE(registry_.KeyExists(MenuOrderKey(u"Sub2/Inner")));

  ASSERT_TRUE(DeleteFavorite(Root(), Root() + "/Other/Sub2", &registry_));
  EXPECT_FALSE(registry_.KeyExists(MenuOrderKey(u"Other/Sub2")));
  EXPECT_FALSE(registry_.KeyExists(MenuOrderKey(u"Other/Sub2/Inner")));
  // A new folder of the old name starts without the old order.
  File("Other/Sub2/a.url");
  File("Other/Sub2/b.url");
  EXPECT_EQ(Names(u"Other/Sub2"), (std::vector<std::string>{"a.url", "b.url"}));
}

// ---- The reader's bounds

std::string U32(uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string U16(uint16_t v) { return std::string{char(v), char(v >> 8)}; }
// An entry with an 8-bit long name and short name; size 0 means its own length.
std::string Entry(int32_t position, const std::string& name, uint16_t attributes, uint32_t size = 0) {
  std::string body = U32(uint32_t(position)) + U16(0) + U16(0x32) + U32(0) + U16(0) + U16(0) +
                     U16(attributes) + name + std::string(1, '\0') + "SHORT~1" + std::string(1, '\0');
  return U32(size ? size : uint32_t(body.size() + 4)) + body;
}
std::string Header(uint32_t count) { return std::string(8, '\0') + U32(0) + U32(1) + U32(count); }

TEST(MenuOrderReader, StaysInsideTheValue) {
  struct Case {
    const char* what;
    std::string data;
    std::vector<std::string> names;  // the entries parsed, in order
  } cases[] = {
      {"two entries", Header(2) + Entry(1, "b.url", 0x20) + Entry(0, "A", 0x10), {"b.url", "A"}},
      {"an entry size past the data: the entry is read up to the end, no further",
       Header(2) + Entry(0, "a.url", 0x20, 0x7FFFFFF0), {"a.url"}},
      {"a name without its zero before the end reads as empty and is skipped",
       Header(1) + U32(40) + U32(0) + U16(0) + U16(0x32) + U32(0) + U16(0) + U16(0) + U16(0x20) +
           "abc", {}},
      {"a count far past the entries", Header(0x7FFFFFFF) + Entry(0, "x.url", 0x20), {"x.url"}},
      {"a zero count", Header(0) + Entry(0, "x.url", 0x20), {}},
      {"a size too small to move on ends the list", Header(3) + Entry(0, "a.url", 0x20) + U32(2),
       {"a.url"}},
      {"the header cut short", std::string(10, '\0'), {}},
      {"GBK names", Header(1) + Entry(0, "\xd0\xc2\xce\xc5.url", 0x20), {"新闻.url"}},
  };
  for (const Case& c : cases) {
    auto order = ParseMenuOrder(c.data);
    std::vector<std::string> names;
    if (order)
      for (const auto& e : order->entries) names.push_back(ToUtf8(e.longName));
    EXPECT_EQ(names, c.names) << c.what;
    EXPECT_EQ(order.has_value(), !c.names.empty()) << c.what;
  }
  // Positions pick the order; one outside the count is not placed but still read.
  auto o = ParseMenuOrder(Header(3) + Entry(2, "c", 0x20) + Entry(0, "a", 0x20) +
                          Entry(7, "z", 0x20));
  ASSERT_TRUE(o);
  EXPECT_EQ(o->entries.size(), 3u);
  EXPECT_EQ(o->Sequence(), (std::vector<int>{1, 0, 0}));
}

TEST(MenuOrderReader, ReadsWhatTheWriterWrites) {
  std::vector<OrderedName> items = {
      {u"新闻", true},
      {u"News.url", false},
      {u"a.b.url", false},
      {u16(150, u'长') + u".url", false},  // past what the extension block's size can say
      {u16(115, u'x'), true},
      // A long name whose UTF-16 bytes hold the extension block's signature (03 04).
      {u16(5, u'\x0396') + u16(120, u'\x0004') + u"Z", false},
  };
  auto o = ParseMenuOrder(EncodeMenuOrder(items));
  ASSERT_TRUE(o);
  ASSERT_EQ(o->entries.size(), items.size());
  std::vector<int> seq = o->Sequence();
  ASSERT_EQ(seq.size(), items.size());
  for (size_t i = 0; i < items.size(); ++i) {
    const MenuOrderEntry& e = o->entries[size_t(seq[i])];
    EXPECT_EQ(e.longName, items[i].name) << i;
    EXPECT_EQ(e.IsFolder(), items[i].folder) << i;
  }
  // Through the registry's text and back.
  EXPECT_EQ(HexToBytes(BytesToHex(EncodeMenuOrder(items))), EncodeMenuOrder(items));
}

}  // namespace
