#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>

#include "base/files.h"
#include "filters/filter_lists.h"

using namespace zel;

namespace {

// blockage.ini as a map of "SECTION/key" -> value.
FilterListsReader FakeIni(const std::map<u16, u16>& values) {
  auto get = [values](u16view section, u16view key) -> const u16* {
    auto it = values.find(u16(section) + u"/" + u16(key));
    return it == values.end() ? nullptr : &it->second;
  };
  return {[get](u16view s, u16view k, int def) { auto v = get(s, k); return v ? ToInt(*v) : def; },
          [get](u16view s, u16view k) { auto v = get(s, k); return v ? *v : u16(); }};
}

FilterLists Loaded(std::map<u16, u16> values) {
  FilterLists lists;
  lists.Load(FakeIni(values));
  return lists;
}

// Whole-string wildcard match by dynamic programming: "*" is any run, even empty.
bool Glob(u16view pat, u16view s) {
  std::vector<char> row(s.size() + 1, 0), next(s.size() + 1);
  row[0] = 1;
  for (char16_t c : pat) {
    next.assign(s.size() + 1, 0);
    for (size_t j = 0; j <= s.size(); ++j) {
      if (c == u'*') next[j] = row[j] || (j > 0 && next[j - 1]);
      else next[j] = j > 0 && row[j - 1] && s[j - 1] == c;
    }
    row.swap(next);
  }
  return row[s.size()];
}

struct TempDir {
  std::string path;
  TempDir() { char t[] = "/tmp/zelfiltersXXXXXX"; path = mkdtemp(t); }
  ~TempDir() { std::system(("rm -rf " + path).c_str()); }
};

}  // namespace

TEST(FilterLists, CountedListsStopAtFirstEmptyValue) {
  auto lists = Loaded({{u"POPUP/pop_block_count", u"3"}, {u"POPUP/block_0", u"a*"},
                       {u"POPUP/block_2", u"c*"}, {u"POPUP/pop_unblock_count", u"9"},
                       {u"POPUP/unbock_0", u"x"}, {u"POPUP/unbock_1", u"y"},
                       {u"URL/url_block_count", u"1"}, {u"URL/block_0", u"ad"},
                       {u"URL/block_1", u"beyond-count"}, {u"URL/url_unblock_count", u"-2"},
                       {u"URL/unbock_0", u"never"}});
  EXPECT_EQ(lists.popupBlockList, std::vector<u16>{u"a*"});
  EXPECT_EQ(lists.popupAllowList, (std::vector<u16>{u"x", u"y"}));
  EXPECT_EQ(lists.contentBlockList, std::vector<u16>{u"ad"});
  EXPECT_TRUE(lists.contentAllowList.empty());
  EXPECT_FALSE(lists.contentIndexStale);
  EXPECT_TRUE(lists.IsContentBlocked(u"ad"));
}

TEST(FilterLists, LongEntriesAreCutTo259) {
  u16 longEntry(300, u'x');
  auto lists = Loaded({{u"POPUP/pop_block_count", u"1"}, {u"POPUP/block_0", longEntry},
                       {u"URL/url_block_count", u"1"}, {u"URL/block_0", longEntry}});
  EXPECT_EQ(lists.popupBlockList.at(0), u16(259, u'x'));
  EXPECT_TRUE(lists.IsContentBlocked(u16(259, u'x')));
  EXPECT_FALSE(lists.IsContentBlocked(longEntry));
}

TEST(FilterPopupRule, LoneStarEndAnchorAndCase) {
  FilterLists lists;
  lists.popupBlockList = {u"*"};
  EXPECT_FALSE(lists.IsPopupListed(u"http://any/"));
  lists.popupBlockList = {u"**"};
  EXPECT_TRUE(lists.IsPopupListed(u"http://any/"));
  EXPECT_TRUE(MatchPopupPattern(u"ads*/pop", u"ads1/pop?id=1"));  // end not anchored
  EXPECT_FALSE(MatchPopupPattern(u"ads*/pop", u"xads1/pop"));     // start is
  EXPECT_FALSE(MatchPopupPattern(u"a*b*c", u"acb"));              // pieces in order
  lists.popupBlockList = {u"http://AD.com/*", u"http://Exact.com/"};
  EXPECT_FALSE(lists.IsPopupListed(u"http://ad.com/x"));
  EXPECT_TRUE(lists.IsPopupListed(u"http://AD.com/x"));
  EXPECT_FALSE(lists.IsPopupListed(u"http://Exact.com/x"));  // exact entries compare whole
  EXPECT_TRUE(lists.IsPopupListed(u"http://Exact.com/"));
}

TEST(FilterPopupRule, CtrlAndAllowList) {
  bool ctrl = false;
  FilterLists lists([&ctrl] { return ctrl; });
  lists.popupBlockList = {u"http://pop.*"};
  lists.popupAllowList = {u"*good*"};
  EXPECT_TRUE(lists.IsPopupListed(u"http://pop.cn/bad"));
  EXPECT_FALSE(lists.IsPopupListed(u"http://pop.cn/good"));
  EXPECT_TRUE(lists.IsPopupAllowed(u"http://pop.cn/good"));
  ctrl = true;  // read at the moment of the check
  EXPECT_FALSE(lists.IsPopupListed(u"http://pop.cn/bad"));
}

TEST(FilterContentRule, LoneStarEndAnchorAndCase) {
  FilterLists lists;
  lists.contentBlockList = {u"*"};
  lists.contentAllowList = {u"http://ok.com/*"};
  lists.RebuildContentIndex();
  EXPECT_TRUE(lists.IsContentBlocked(u"http://anything/x.gif"));
  EXPECT_FALSE(lists.IsContentBlocked(u"http://ok.com/x.gif"));
  EXPECT_FALSE(MatchContentPattern(u"ads*/pop", u"ads1/pop?id=1"));
  EXPECT_TRUE(MatchContentPattern(u"ads*/pop", u"ads1/pop"));
  // The tail may not reuse text an earlier piece took.
  EXPECT_FALSE(MatchContentPattern(u"ab*b", u"ab"));
  EXPECT_FALSE(MatchContentPattern(u"a*bc*c", u"abc"));
  EXPECT_TRUE(MatchContentPattern(u"a*bc*c", u"abcc"));
  FilterLists cased;
  cased.contentBlockList = {u"  HTTP://Ads.COM/*.GIF\t"};
  cased.RebuildContentIndex();
  EXPECT_TRUE(cased.IsContentBlocked(u"http://ads.com/x/y.gif"));
  EXPECT_FALSE(cased.IsContentBlocked(u"http://ads.com/x/y.gif?z"));
  EXPECT_EQ(cased.contentBlockList[0], u"  HTTP://Ads.COM/*.GIF\t");  // list keeps spelling
}

TEST(FilterContentRule, StaleIndexLetsEverythingThrough) {
  FilterLists lists;
  EXPECT_TRUE(lists.AddToContentFilter(u"*/Banner/*"));
  EXPECT_TRUE(lists.IsContentBlocked(u"http://a/banner/1.gif"));
  EXPECT_FALSE(lists.AddToContentFilter(u"*/Banner/*"));
  EXPECT_TRUE(lists.AddToContentFilter(u"*/banner/*"));  // another spelling is another entry
  EXPECT_FALSE(lists.AddToContentFilter(u"  "));
  lists.contentBlockList = {u"http://x/"};
  lists.contentIndexStale = true;
  EXPECT_FALSE(lists.IsContentBlocked(u"http://x/"));
  EXPECT_FALSE(lists.IsContentBlocked(u"http://a/banner/1.gif"));
  lists.RebuildContentIndex();
  EXPECT_TRUE(lists.IsContentBlocked(u"http://x/"));
  EXPECT_FALSE(lists.IsContentBlocked(u"http://a/banner/1.gif"));
}

TEST(FilterSites, AllowSiteExemptsOtherSubdomainsAndRoundTrips) {
  TempDir dir;
  std::string file = dir.path + "/Unblocksite.dat";
  FilterLists lists;
  lists.popupBlockList = {u"*listed*"};
  using R = AllowSiteResult;
  EXPECT_EQ(lists.AllowSite(u"http://user@WWW.Example.com:8080/a?b", file), R::kAdded);
  EXPECT_EQ(lists.allowedSites, std::vector<u16>{u".example.com"});
  EXPECT_FALSE(lists.CheckSiteExemption(u"http://POP.example.com/x", true));
  EXPECT_TRUE(lists.CheckSiteExemption(u"http://pop.example.com/x", false));
  EXPECT_TRUE(lists.CheckSiteExemption(u"http://pop.example.com/listed", true));
  EXPECT_TRUE(lists.CheckSiteExemption(u"http://example.org/", true));
  EXPECT_EQ(lists.AllowSite(u"https://www.example.com/other", file), R::kAlreadyAllowed);
  EXPECT_EQ(lists.AllowSite(u"http://news.site.cn/", file), R::kAdded);
  // No host, or a host that leaves nothing, would exempt every popup.
  EXPECT_EQ(lists.AllowSite(u"about:blank", file), R::kNoHost);
  EXPECT_EQ(lists.AllowSite(u"http://www/", file), R::kNoHost);
  EXPECT_EQ(lists.AllowSite(u"", file), R::kNoAddress);
  EXPECT_EQ(*ReadUtf16LeFile(file), u".example.com,news.site.cn,");
  EXPECT_EQ(ReadFileBytes(file)->size(), 2 * 26u);

  AppendUtf16LeFile(file, u",.,NEWS.site.cn,");
  FilterLists next;
  EXPECT_EQ(next.LoadAllowedSites(file), 2u);
  EXPECT_EQ(next.allowedSites, (std::vector<u16>{u".example.com", u"news.site.cn"}));
  EXPECT_TRUE(next.CheckSiteExemption(u"http://other.cn/", true));
  EXPECT_EQ(next.LoadAllowedSites(dir.path + "/missing.dat"), 0u);
  EXPECT_EQ(lists.AllowSite(u"http://x.cn/", dir.path + "/no/dir/f.dat"), R::kAdded);
}

TEST(FilterSites, TypedSitesAreAddedAndRemovedWithTheirFile) {
  TempDir dir;
  std::string file = dir.path + "/Unblocksite.dat";
  FilterLists lists;
  using R = AllowSiteResult;
  EXPECT_EQ(lists.AddAllowedSite(u"  WWW.Example.com ", file), R::kAdded);
  EXPECT_EQ(lists.AddAllowedSite(u"https://news.site.cn/a", file), R::kAdded);
  EXPECT_EQ(lists.AddAllowedSite(u"example.com", file), R::kAdded);
  EXPECT_EQ(lists.AddAllowedSite(u"http://www.example.com/", file), R::kAlreadyAllowed);
  EXPECT_EQ(lists.AddAllowedSite(u"   ", file), R::kNoAddress);
  EXPECT_EQ(lists.AddAllowedSite(u"...", file), R::kNoHost);
  EXPECT_EQ(*ReadUtf16LeFile(file), u".example.com,news.site.cn,example.com,");
  EXPECT_TRUE(lists.RemoveAllowedSite(u"news.site.cn", file));
  EXPECT_FALSE(lists.RemoveAllowedSite(u"news.site.cn", file));
  EXPECT_EQ(lists.allowedSites, (std::vector<u16>{u".example.com", u"example.com"}));
  EXPECT_EQ(*ReadUtf16LeFile(file), u".example.com,example.com,");
  // What the file keeps is what the next run starts with.
  FilterLists next;
  EXPECT_EQ(next.LoadAllowedSites(file), 2u);
  EXPECT_TRUE(lists.RemoveAllowedSite(u".example.com", file));
  EXPECT_TRUE(lists.RemoveAllowedSite(u"example.com", file));
  EXPECT_EQ(ReadUtf16LeFile(file).value_or(u"-"), u"");
}

TEST(FilterSwitches, MasterSwitchRemembersWhatWasOn) {
  FilterLists lists;
  EXPECT_TRUE(lists.TogglePopupFilter());
  EXPECT_FALSE(lists.TogglePopupFilter());
  lists.switches.floatingAd = false;
  FilterSwitchEffect off = lists.ToggleAllFilters();
  EXPECT_FALSE(lists.AnyFilterOn());
  EXPECT_EQ(lists.filterMask, kFilterContent | kFilterDialog);
  EXPECT_FALSE(off.hookWanted);
  EXPECT_FALSE(off.runFloatingAd);
  FilterSwitchEffect on = lists.ToggleAllFilters();
  EXPECT_TRUE(on.hookWanted);
  EXPECT_FALSE(on.runFloatingAd);
  EXPECT_TRUE(lists.switches.content && lists.switches.dialog);
  EXPECT_FALSE(lists.switches.popup || lists.switches.floatingAd);
  lists.NoteBlockedPopup(0, u"x");
  lists.NoteBlockedPopup(1, u"x");
  EXPECT_EQ(lists.blockedPopupCount, 2);
}

TEST(FilterRules, MatchersAgreeWithWildcardReference) {
  std::mt19937 rng(20240611);
  auto text = [&rng](const char16_t* alphabet, size_t n, size_t maxLen) {
    u16 s(rng() % (maxLen + 1), u'a');
    for (auto& c : s) c = alphabet[rng() % n];
    return s;
  };
  int popupHits = 0, contentHits = 0;
  for (int i = 0; i < 30000; ++i) {
    u16 pat = text(u"ab**", 4, 6);
    u16 url = text(u"abc", 3, 7);
    bool hasStar = pat.find(u'*') != u16::npos;
    bool content = hasStar ? Glob(pat, url) : pat == url;
    bool popup = hasStar && pat != u"*" && Glob(pat + u"*", url);
    ASSERT_EQ(MatchContentPattern(pat, url), content) << ToUtf8(pat) << " " << ToUtf8(url);
    ASSERT_EQ(MatchPopupPattern(pat, url), popup) << ToUtf8(pat) << " " << ToUtf8(url);
    contentHits += content;
    popupHits += popup;
  }
  EXPECT_GT(contentHits, 3000);
  EXPECT_GT(popupHits, 3000);
}

TEST(FilterContentIndex, AgreesWithPlainRuleOnGeneratedLists) {
  std::mt19937 rng(7);
  const std::vector<u16> parts = {u"http://", u"ads.", u"cdn", u"x.com/", u"Banner",
                                  u"/img/",   u".gif", u"track", u"?id=1", u"ab",
                                  u"a",       u"b",    u"/",     u"pop",   u"ADS"};
  auto join = [&](int n, bool stars) {
    u16 s = stars && rng() % 3 == 0 ? u"*" : u"";
    for (int i = 0; i < n; ++i) {
      s += parts[rng() % parts.size()];
      if (stars && rng() % 3 == 0) s += u"*";
    }
    return s;
  };
  auto plain = [](const std::vector<u16>& list, u16view url) {
    for (const u16& raw : list) {
      u16 e = Trim(ToLower(raw));
      if (e.find(u'*') != u16::npos ? Glob(e, url) : e == url) return true;
    }
    return false;
  };
  int blocked = 0, allowedBack = 0, checks = 0;
  for (int round = 0; round < 8; ++round) {
    FilterLists lists;
    for (int i = 0; i < 200; ++i) {
      u16 e = join(1 + rng() % 4, true);
      lists.contentBlockList.push_back(rng() % 5 ? e : u" " + e + u"\t");
    }
    for (int i = 0; i < 40; ++i) lists.contentAllowList.push_back(join(1 + rng() % 4, true));
    lists.RebuildContentIndex();
    for (int i = 0; i < 1000; ++i, ++checks) {
      u16 url = rng() % 4 ? join(1 + rng() % 7, false) : lists.contentBlockList[rng() % 200];
      url = ToLower(url);
      bool inBlock = plain(lists.contentBlockList, url);
      bool expect = inBlock && !plain(lists.contentAllowList, url);
      ASSERT_EQ(lists.IsContentBlocked(url), expect) << ToUtf8(url);
      blocked += expect;
      allowedBack += inBlock && !expect;
    }
  }
  EXPECT_GT(blocked, checks / 10);
  EXPECT_LT(blocked, checks * 9 / 10);
  EXPECT_GT(allowedBack, 50);
}
