// What the address box offers while the user types: the ranking of typed addresses,
// favorites and history, and the history store's lookup behind it.
#include <gtest/gtest.h>

#include "fakes/temp_dir.h"
#include "frame/address_suggestions.h"
#include "history/history_store.h"

using namespace zel;
using namespace zel::test;

namespace {

std::vector<u16> Urls(const std::vector<AddressSuggestion>& rows) {
  std::vector<u16> out;
  for (const auto& r : rows) out.push_back(r.url);
  return out;
}

TEST(AddressSuggestions, RankByPrefixThenSourceAndKeepOneRowPerPage) {
  const std::vector<u16> typed = {u"news.example/today", u"http://www.apple.example/"};
  const std::vector<AddressSuggestion> favorites = {{u"http://shop.example/apples", u"Fruit"},
                                                    {u"https://apple.example", u"苹果官网"}};
  const std::vector<AddressSuggestion> history = {{u"http://blog.example/", u"All about APPLE pie"},
                                                  {u"http://apple.example/store", u"Store"},
                                                  {u"http://apple.example/", u"Apple"}};
  struct Case {
    const char* what;
    std::u16string text;
    size_t max;
    std::vector<u16> expected;
  } cases[] = {
      {"prefix matches first (scheme and www. left out), then the rest; one row per page",
       u"apple", 8,
       {u"http://www.apple.example/", u"http://apple.example/store", u"http://shop.example/apples",
        u"http://blog.example/"}},
      {"letters in any case, surrounding blanks ignored", u"  APPLE.example/S ", 8,
       {u"http://apple.example/store"}},
      {"titles match, Chinese too", u"苹果", 8, {u"http://www.apple.example/"}},
      {"at most max rows", u"apple", 2, {u"http://www.apple.example/", u"http://apple.example/store"}},
      {"nothing typed, nothing offered", u"   ", 8, {}},
      {"only a scheme typed offers nothing", u"http://", 8, {}},
      {"no match", u"zzz", 8, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Urls(RankSuggestions(c.text, typed, favorites, history, c.max)), c.expected);
  }
  // The typed address's row takes the title a favorite or a visit gives the same page.
  auto rows = RankSuggestions(u"apple.example", typed, favorites, history);
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0].url, u"http://www.apple.example/");
  EXPECT_EQ(rows[0].title, u"苹果官网");
}

TEST(HistoryStoreFile, MatchingFindsAddressesAndTitlesMostVisitedFirst) {
  TempDir dir;
  HistoryStore s;
  ASSERT_TRUE(s.Open(dir.path() + "/history.sqlite")) << s.error();
  ASSERT_TRUE(s.Add({{u"http://a.example/", u"Old title", 10},
                     {u"http://b.example/100%", u"Percent", 15},
                     {u"http://c.example/", u"Apple news", 20},
                     {u"http://a.example/", u"New title", 30},
                     {u"http://d.example/x_y", u"Under", 40}}));
  auto urls = [&](std::u16string text, int limit) {
    std::vector<u16> out;
    for (const Visit& v : s.Matching(text, limit)) out.push_back(v.url);
    return out;
  };
  EXPECT_EQ(urls(u"EXAMPLE", 10), (std::vector<u16>{u"http://a.example/", u"http://d.example/x_y",
                                                     u"http://c.example/", u"http://b.example/100%"}));
  EXPECT_EQ(urls(u"apple", 10), std::vector<u16>{u"http://c.example/"});
  EXPECT_EQ(urls(u"100%", 10), std::vector<u16>{u"http://b.example/100%"});  // % is no wildcard
  EXPECT_EQ(urls(u"x_y", 10), std::vector<u16>{u"http://d.example/x_y"});
  EXPECT_EQ(urls(u"xay", 10), std::vector<u16>{});  // nor is _
  EXPECT_EQ(urls(u"example", 1).size(), 1u);
  auto a = s.Matching(u"a.example", 10);
  ASSERT_EQ(a.size(), 1u);
  EXPECT_EQ(a[0].title, u"New title");  // the latest visit's title
}

}  // namespace
