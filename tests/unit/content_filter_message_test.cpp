// The state the browser sends the request hook, the report it sends back, the decision the
// hook makes per request, and where the browser finds the hook's module.
#include <gtest/gtest.h>
#include <glib.h>

#include "base/files.h"
#include "fakes/temp_dir.h"
#include "filters/content_request_filter.h"
#include "filters/filter_lists.h"
#include "filters/filter_message.h"
#include "filters/webext_folder.h"

using namespace zel;
using zel::test::TempDir;

namespace {

// Encodes, sinks, decodes and releases, as one side hands the other the value.
std::optional<ContentFilterState> RoundTrip(const ContentFilterState& in) {
  GVariant* v = g_variant_ref_sink(EncodeContentFilterState(in));
  auto out = DecodeContentFilterState(v);
  g_variant_unref(v);
  return out;
}

ContentFilterState Active(std::vector<u16> block, std::vector<u16> allow = {}) {
  ContentFilterState s;
  s.hookActive = true;
  s.stale = false;
  s.blockList = std::move(block);
  s.allowList = std::move(allow);
  return s;
}

ContentRequestFilter FilterOf(const ContentFilterState& s) {
  ContentRequestFilter f;
  f.Apply(s);
  return f;
}

}  // namespace

// ---- message format ----

TEST(ContentFilterMessage, StateHasTheDocumentedType) {
  GVariant* v = g_variant_ref_sink(EncodeContentFilterState(Active({u"a"}, {u"b"})));
  EXPECT_STREQ(g_variant_get_type_string(v), "(bbasas)");
  gchar* text = g_variant_print(v, FALSE);
  EXPECT_STREQ(text, "(true, false, ['a'], ['b'])");
  g_free(text);
  g_variant_unref(v);
}

TEST(ContentFilterMessage, StateRoundTrips) {
  ContentFilterState in;
  in.hookActive = true;
  in.stale = true;
  in.blockList = {u"http://ads.example.com/x.gif", u"*/banner/*", u"http://中文.cn/广告.png"};
  in.allowList = {u"http://ads.example.com/ok.gif"};
  auto out = RoundTrip(in);
  ASSERT_TRUE(out);
  EXPECT_TRUE(out->hookActive);
  EXPECT_TRUE(out->stale);
  EXPECT_EQ(out->blockList, in.blockList);
  EXPECT_EQ(out->allowList, in.allowList);

  in.hookActive = false;
  in.stale = false;
  in.blockList.clear();
  out = RoundTrip(in);
  ASSERT_TRUE(out);
  EXPECT_FALSE(out->hookActive);
  EXPECT_FALSE(out->stale);
  EXPECT_TRUE(out->blockList.empty());
  EXPECT_EQ(out->allowList, in.allowList);
}

TEST(ContentFilterMessage, StateOfAnotherTypeIsRefused) {
  EXPECT_FALSE(DecodeContentFilterState(nullptr));
  GVariant* wrong = g_variant_ref_sink(g_variant_new("(bbas)", TRUE, FALSE, nullptr));
  EXPECT_FALSE(DecodeContentFilterState(wrong));
  g_variant_unref(wrong);
  GVariant* str = g_variant_ref_sink(g_variant_new_string("x"));
  EXPECT_FALSE(DecodeContentFilterState(str));
  g_variant_unref(str);
}

TEST(ContentFilterMessage, StateOfListsTakesTheContentListsAndStaleFlag) {
  FilterLists lists;
  lists.popupBlockList = {u"http://popup/"};
  lists.contentBlockList = {u"A", u"b*"};
  lists.contentAllowList = {u"c"};
  lists.contentIndexStale = false;
  ContentFilterState s = ContentFilterStateOf(lists, true);
  EXPECT_TRUE(s.hookActive);
  EXPECT_FALSE(s.stale);
  EXPECT_EQ(s.blockList, (std::vector<u16>{u"A", u"b*"}));
  EXPECT_EQ(s.allowList, (std::vector<u16>{u"c"}));

  lists.contentIndexStale = true;
  s = ContentFilterStateOf(lists, false);
  EXPECT_FALSE(s.hookActive);
  EXPECT_TRUE(s.stale);
}

TEST(ContentFilterMessage, FreshListsAreStale) {
  // The frame's host starts the web processes with lists not loaded yet.
  EXPECT_TRUE(ContentFilterStateOf(FilterLists(), true).stale);
}

TEST(ContentFilterMessage, BlockedAddressRoundTrips) {
  GVariant* v = g_variant_ref_sink(EncodeBlockedAddress(u"http://a.cn/广告.gif"));
  auto url = DecodeBlockedAddress(v);
  g_variant_unref(v);
  ASSERT_TRUE(url);
  EXPECT_EQ(*url, u"http://a.cn/广告.gif");
  GVariant* wrong = g_variant_ref_sink(g_variant_new_int32(3));
  EXPECT_FALSE(DecodeBlockedAddress(wrong));
  g_variant_unref(wrong);
  EXPECT_FALSE(DecodeBlockedAddress(nullptr));
}

// ---- per-request decision ----

TEST(ContentRequestFilter, OnlyHttpAndHttpsAreChecked) {
  EXPECT_TRUE(IsHttpAddress("http://a/"));
  EXPECT_TRUE(IsHttpAddress("https://a/"));
  EXPECT_TRUE(IsHttpAddress("HTTPS://a/"));
  EXPECT_FALSE(IsHttpAddress("ftp://a/"));
  EXPECT_FALSE(IsHttpAddress("data:image/gif;base64,xx"));
  EXPECT_FALSE(IsHttpAddress("httpx://a/"));
  EXPECT_FALSE(IsHttpAddress("http"));

  auto f = FilterOf(Active({u"*"}));
  EXPECT_TRUE(f.Check("http://a/x.gif"));
  EXPECT_TRUE(f.Check("https://a/x.gif"));
  EXPECT_FALSE(f.Check("file:///tmp/x.gif"));
  EXPECT_FALSE(f.Check("data:image/gif;base64,R0lG"));
  EXPECT_FALSE(f.Check("blob:http://a/1"));
}

TEST(ContentRequestFilter, ListedAddressIsBlockedAndReportedLowerCase) {
  auto f = FilterOf(Active({u"http://ads.example.com/Banner.GIF"}));
  auto r = f.Check("http://ads.example.com/BANNER.gif");
  ASSERT_TRUE(r);
  EXPECT_EQ(*r, u"http://ads.example.com/banner.gif");
  EXPECT_FALSE(f.Check("http://ads.example.com/banner.gif?x=1"));
  EXPECT_FALSE(f.Check("http://ads.example.com/other.gif"));
}

TEST(ContentRequestFilter, PatternsFollowTheContentRule) {
  auto f = FilterOf(Active({u"http://*/ads/*.gif"}));
  EXPECT_TRUE(f.Check("http://x.cn/ads/1.gif"));
  EXPECT_TRUE(f.Check("HTTP://X.CN/ADS/1.GIF"));
  EXPECT_FALSE(f.Check("http://x.cn/ads/1.gif?v=2"));  // the tail is anchored
  EXPECT_FALSE(f.Check("https://x.cn/ads/1.gif"));     // the head is anchored
}

TEST(ContentRequestFilter, AllowListWins) {
  auto f = FilterOf(Active({u"*/ads/*"}, {u"http://a.cn/ads/ok.gif", u"*keep*"}));
  EXPECT_TRUE(f.Check("http://a.cn/ads/no.gif"));
  EXPECT_FALSE(f.Check("http://a.cn/ads/ok.gif"));
  EXPECT_FALSE(f.Check("http://a.cn/ads/KEEP.gif"));
}

TEST(ContentRequestFilter, InactiveOrStaleLetsEverythingThrough) {
  ContentFilterState s = Active({u"*"});
  s.hookActive = false;
  EXPECT_FALSE(FilterOf(s).Check("http://a/x.gif"));
  s.hookActive = true;
  s.stale = true;
  EXPECT_FALSE(FilterOf(s).Check("http://a/x.gif"));
  EXPECT_FALSE(ContentRequestFilter().Check("http://a/x.gif"));  // nothing applied yet
}

TEST(ContentRequestFilter, ApplyReplacesTheLists) {
  ContentRequestFilter f;
  f.Apply(Active({u"http://a/one.gif"}));
  EXPECT_TRUE(f.Check("http://a/one.gif"));
  f.Apply(Active({u"http://a/two.gif"}));
  EXPECT_FALSE(f.Check("http://a/one.gif"));
  EXPECT_TRUE(f.Check("http://a/two.gif"));
  ContentFilterState off = Active({u"http://a/two.gif"});
  off.hookActive = false;
  f.Apply(off);
  EXPECT_FALSE(f.Check("http://a/two.gif"));
  f.Apply(Active({u"http://a/two.gif"}));
  EXPECT_TRUE(f.Check("http://a/two.gif"));
}

TEST(ContentRequestFilter, EntriesAreTrimmedLikeTheIndex) {
  auto f = FilterOf(Active({u"  http://a/x.gif\t"}));
  EXPECT_TRUE(f.Check("http://a/x.gif"));
}

// ---- module folder ----

namespace {

void PutModule(const std::string& dir) {
  ASSERT_TRUE(CreateFolderLevels(dir));
  ASSERT_TRUE(WriteFileAtomic(JoinPath(dir, kWebExtensionModule), "x"));
}

}  // namespace

TEST(WebExtensionFolder, BesideTheExecutableFirst) {
  TempDir t;
  PutModule(t / "bin/webext");
  PutModule(t / "lib/zel/webext");
  EXPECT_EQ(FindWebExtensionFolder({"", t / "bin", t / "lib/zel/webext"}), t / "bin/webext");
}

TEST(WebExtensionFolder, InstallFolderWhenNothingBesideTheExecutable) {
  TempDir t;
  ASSERT_TRUE(CreateFolderLevels(t / "bin/webext"));  // folder without the module
  PutModule(t / "lib/zel/webext");
  EXPECT_EQ(FindWebExtensionFolder({"", t / "bin", t / "lib/zel/webext"}), t / "lib/zel/webext");
}

TEST(WebExtensionFolder, OverrideIsTheOnlyPlaceLookedAt) {
  TempDir t;
  PutModule(t / "bin/webext");
  PutModule(t / "mine");
  EXPECT_EQ(FindWebExtensionFolder({t / "mine", t / "bin", ""}), t / "mine");
  EXPECT_EQ(FindWebExtensionFolder({t / "empty", t / "bin", ""}), "");
}

TEST(WebExtensionFolder, NoneFound) {
  TempDir t;
  EXPECT_EQ(FindWebExtensionFolder({"", t / "bin", t / "lib"}), "");
  EXPECT_EQ(FindWebExtensionFolder({"", "", ""}), "");
}
