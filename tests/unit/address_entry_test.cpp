// Enter in the address box: completions, the search fall-back, the typed list and history.
#include <gtest/gtest.h>

#include "fakes/frame_fixture.h"
#include "filters/filters_controller.h"
#include "frame/address_box.h"
#include "frame/page_menus.h"
#include "search/search_controller.h"
#include "frame/address_entry.h"
#include "platform/ini_registry.h"
#include "settings/settings_file.h"
#include "base/files.h"

using namespace zel;
using namespace zel::test;

namespace {

FrameSettings Defaults() {
  FrameSettings s;
  LoadLateSettings(s);  // the absent values: http://www. + .com / .net / .com.cn / .cn
  return s;
}

TEST(AddressEntry, Completions) {
  ScratchProfile p;
  FrameSettings s = Defaults();
  auto nav = [&](const char16_t* t, ModifierState k = {}) {
    TypedAddress a = CompleteTypedAddress(t, k, s);
    return a.kind == TypedAddress::Kind::Navigate ? a.text : u"search:" + a.text;
  };
  EXPECT_EQ(nav(u"w", {true, false, false}), u"http://www.w.com");
  EXPECT_EQ(nav(u"w", {false, true, false}), u"http://www.w.net");
  EXPECT_EQ(nav(u"w", {true, true, false}), u"http://www.w.com.cn");
  EXPECT_EQ(nav(u"w", {true, false, true}), u"http://www.w.cn");
  EXPECT_EQ(nav(u"localhost"), u"http://localhost");
  EXPECT_EQ(nav(u"ftp.example.com"), u"ftp://ftp.example.com");
  EXPECT_EQ(nav(u"example.org/x"), u"http://example.org/x");
  EXPECT_EQ(nav(u"\\\\server\\share"), u"\\\\server\\share");
  EXPECT_EQ(nav(u"two words"), u"search:two words");
  EXPECT_EQ(nav(u"word"), u"search:word");
  EXPECT_EQ(nav(u"me@home"), u"search:me@home");
  EXPECT_EQ(nav(u"user@example.com"), u"search:user@example.com");
  EXPECT_EQ(nav(u"www.a.com/@x"), u"http://www.a.com/@x");  // an address despite its "@"
  EXPECT_EQ(nav(u"C:\\docs\\a.htm"), u"C:/docs/a.htm");
  EXPECT_EQ(nav(u"http://a/b\\c"), u"http://a/b/c");
  // A host and port has no scheme the engine knows: it becomes an http address.
  EXPECT_EQ(nav(u"localhost:8080/x"), u"http://localhost:8080/x");
  EXPECT_EQ(nav(u"127.0.0.1:80"), u"http://127.0.0.1:80");
  EXPECT_EQ(nav(u"about:blank"), u"about:blank");
  EXPECT_EQ(nav(u"mail:1234x"), u"mail:1234x");
  // Shift alone completes; with Alt as well the words are searched in the page (target 4).
  EXPECT_EQ(CompleteTypedAddress(u"two words", {false, true, true}, s).searchTarget, 4);
}

TEST(AddressEntry, ErrorPageAddress) {
  EXPECT_EQ(ErrorPageAddress(u"res://ieframe.dll/dnserror.htm#http://a.b/"), u"http://a.b/");
  EXPECT_EQ(ErrorPageAddress(u"RES://x.dll/e.htm#file://C:\\a\\b.htm"), u"file:///C:/a/b.htm");
  EXPECT_EQ(ErrorPageAddress(u"res://x#"), u"res://x#");
  EXPECT_EQ(ErrorPageAddress(u"http://a/#x"), u"http://a/#x");
}

TEST(AddressEntry, ListKeepsOneFormOfEachAddress) {
  std::vector<u16> list;
  RememberTypedAddress(list, u"http://a/");
  RememberTypedAddress(list, u"http://a");
  RememberTypedAddress(list, u"http://b");
  RememberTypedAddress(list, u"http://b/");
  EXPECT_EQ(list, (std::vector<u16>{u"http://b", u"http://a/"}));
}

class AddressBox : public FrameFixture {};

TEST_F(AddressBox, EnterLoadsInTheActiveTabOrANewOne) {
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  frame_.controller<AddressBoxController>().OnAddressEnter(u"  example.org  ", {});
  EXPECT_EQ(EngineOf(a)->navigations.back(), u"http://example.org");
  EXPECT_EQ(frame_.controller<AddressBoxController>().typedAddresses(), std::vector<u16>{u"http://example.org"});
  EXPECT_EQ(window_.addressList, frame_.controller<AddressBoxController>().typedAddresses());
  // Alt+Enter: a new tab even with newtabaddress off.
  frame_.controller<AddressBoxController>().OnAddressEnter(u"example.net", {false, false, true});
  loop_.RunPosted();
  EXPECT_EQ(frame_.TabCount(), 2);
  EXPECT_EQ(LastNavigation(), u"http://example.net");
  // Text that is no address is searched, in a new tab (no engine chosen: the default one).
  size_t engines = engines_.created.size();
  frame_.controller<AddressBoxController>().OnAddressEnter(u"two words", {});
  EXPECT_EQ(frame_.controller<SearchController>().searchWords, u"two words");
  EXPECT_EQ(engines_.created.size(), engines + 1);
  EXPECT_EQ(LastNavigation(), u"https://www.baidu.com/s?wd=two+words&tn=ZEL");
}

TEST_F(AddressBox, HistoryGoesToTheRegistryTopTwentyFour) {
  IniRegistry registry(profile_.ProfileFolder() + "/registry.ini");
  CMainFrame frame({&window_, &loop_, &prompts_, &registry, &shell_, &engines_, &keys_});
  CChildFrame* tab = frame.OpenUrl(u"http://start/", {.tab = TabChoice::New, .start = StartKind::Address, .show = true});
  ASSERT_NE(tab, nullptr);
  for (int i = 0; i < 30; ++i) frame.controller<AddressBoxController>().OnAddressEnter(Format(u"http://site%d/", i), {});
  frame.controller<AddressBoxController>().SaveTypedHistory();
  EXPECT_EQ(registry.GetString(kHkcuTypedUrls, u"url1"), u"http://site29/");
  EXPECT_EQ(registry.GetString(kHkcuTypedUrls, u"url24"), u"http://site6/");
  EXPECT_FALSE(registry.GetValue(kHkcuTypedUrls, u"url25"));
  frame.controller<AddressBoxController>().LoadTypedHistory();
  EXPECT_EQ(frame.controller<AddressBoxController>().typedAddresses().size(), 24u);
  frame.OnCommand(cmd::kClearTypedAddresses);
  EXPECT_TRUE(frame.controller<AddressBoxController>().typedAddresses().empty());
  EXPECT_FALSE(registry.GetValue(kHkcuTypedUrls, u"url1"));
  EXPECT_FALSE(registry.GetValue(kHkcuTypedUrls, u"url24"));
}

TEST_F(AddressBox, UpAndOffline) {
  CChildFrame* a = OpenPage("http://a.example.com/x/y.htm", "A");
  frame_.OnCommand(cmd::kUp);
  EXPECT_EQ(EngineOf(a)->navigations.back(), u"http://a.example.com/x/");
  EXPECT_EQ(frame_.CommandChecked(cmd::kOffline), false);
  frame_.OnCommand(cmd::kOffline);
  EXPECT_EQ(frame_.CommandChecked(cmd::kOffline), true);
  EXPECT_TRUE(engines_.offline);
  frame_.OnCommand(cmd::kOffline);
  EXPECT_FALSE(engines_.offline);
}

}  // namespace

namespace {

class SearchBar : public FrameFixture {
 protected:
  SearchBar() {
    CreateFolderLevels(profile_.dir().path() + "/profile/SearchEngine");
    WriteFileAtomic(profile_.dir().path() + "/profile/SearchEngine/config.ini",
                    "[]\r\ncount=2\r\n0_title=Alpha\r\n0_s=http://alpha/?q=%s\r\n"
                    "1_title=Beta\r\n1_s=http://beta/find?w=%s&x=1\r\n");
    frame_.controller<SearchController>().LoadSearchBar();
  }
};

TEST_F(SearchBar, WordsTypedInTheAddressBoxAreSearched) {
  OpenPage("http://site/a.htm", "A");
  frame_.controller<AddressBoxController>().OnAddressEnter(u"中文 a&b", {});
  loop_.RunPosted();
  EXPECT_EQ(LastNavigation(), u"http://alpha/?q=%D6%D0%CE%C4+a%26b");
  EXPECT_EQ(frame_.TabCount(), 2);
  EXPECT_EQ(window_.keywords, std::vector<u16>{u"中文 a&b"});
  EXPECT_EQ(window_.engineMenu.items.size(), 2u);
  EXPECT_EQ(window_.engineMenu.currentItem, 0);
}

TEST_F(SearchBar, ChosenEngineIsWrittenAndUsed) {
  frame_.OnCommand(kEngineMenuFirstId + 1);
  EXPECT_EQ(ReadConfigInt(u"SEARCHSET", u"engine"), 1);
  EXPECT_EQ(window_.engineMenu.currentItem, 1);
  window_.searchBox = u"  zel  ";
  frame_.controller<SearchController>().searchTarget = 1;
  frame_.OnCommand(cmd::kSearch);
  EXPECT_EQ(LastNavigation(), u"http://beta/find?w=zel&x=1");
  EXPECT_EQ(window_.searchBox, u"zel");
  // An already listed keyword stays where it is; clearing empties box, list and file.
  window_.searchBox = u"other";
  frame_.OnCommand(cmd::kSearch);
  window_.searchBox = u"zel";
  frame_.OnCommand(cmd::kSearch);
  EXPECT_EQ(window_.keywords, (std::vector<u16>{u"other", u"zel"}));
  frame_.OnCommand(cmd::kClearKeywordHistory);
  EXPECT_TRUE(window_.keywords.empty());
  EXPECT_TRUE(window_.searchBox.empty());
}

TEST(SearchBarFirstRun, DefaultEnginesAreInstalled) {
  ScratchProfile p;
  FakeWindow window;
  CMainFrame frame({&window});
  frame.controller<SearchController>().LoadSearchBar();
  EXPECT_FALSE(window.engineMenu.items.empty());
  for (const auto& item : window.engineMenu.items) EXPECT_TRUE(FileExists(item.iconPath));
}

}  // namespace

namespace {

TEST_F(AddressBox, ClearingStopsAtTheFirstGap) {
  IniRegistry registry(profile_.ProfileFolder() + "/registry.ini");
  registry.SetValue(kHkcuTypedUrls, u"url1", RegValue::Str(u"http://1/"));
  registry.SetValue(kHkcuTypedUrls, u"url2", RegValue::Str(u"http://2/"));
  registry.SetValue(kHkcuTypedUrls, u"url4", RegValue::Str(u"http://4/"));
  CMainFrame frame({&window_, &loop_, &prompts_, &registry, &shell_, &engines_, &keys_});
  frame.controller<AddressBoxController>().LoadTypedHistory();
  EXPECT_EQ(frame.controller<AddressBoxController>().typedAddresses(), (std::vector<u16>{u"http://1/", u"http://2/"}));
  frame.OnCommand(cmd::kClearTypedAddresses);
  EXPECT_FALSE(registry.GetValue(kHkcuTypedUrls, u"url1"));
  EXPECT_FALSE(registry.GetValue(kHkcuTypedUrls, u"url2"));
  EXPECT_EQ(registry.GetString(kHkcuTypedUrls, u"url4"), u"http://4/");
}

TEST_F(AddressBox, OpenDialogLoadsTheChosenText) {
  IniRegistry registry(profile_.ProfileFolder() + "/registry.ini");
  registry.SetValue(kHkcuTypedUrls, u"url1", RegValue::Str(u"http://typed/"));
  CMainFrame frame({&window_, &loop_, &prompts_, &registry, &shell_, &engines_, &keys_});
  CChildFrame* a = frame.OpenUrl(u"http://a/", {.tab = TabChoice::New, .start = StartKind::Address, .show = true});
  window_.openAnswer = AddressBarView::OpenChoice{u"http://chosen/", false};
  frame.OnCommand(922);
  EXPECT_EQ(window_.openHistory, std::vector<u16>{u"http://typed/"});
  EXPECT_EQ(EngineOf(a)->navigations.back(), u"http://chosen/");
  window_.openAnswer = AddressBarView::OpenChoice{u"http://other/", true};
  frame.OnCommand(922);
  loop_.RunPosted();
  EXPECT_EQ(frame.TabCount(), 2);
  window_.openAnswer.reset();  // cancelled
  size_t n = engines_.created.size();
  frame.OnCommand(922);
  EXPECT_EQ(engines_.created.size(), n);
}

TEST_F(AddressBox, LongAndBrokenInputDoesNotHang) {
  OpenPage("http://site/a.htm", "A");
  u16 huge = u"http://x/" + u16(100000, u'a');
  frame_.controller<AddressBoxController>().OnAddressEnter(huge, {});
  EXPECT_EQ(LastNavigation(), huge);
  frame_.controller<AddressBoxController>().OnAddressEnter(u16(100000, u'w') + u" x", {});  // words: searched, cut to fit
  EXPECT_LE(LastNavigation().size(), 1100u);
  window_.searchBox = u"line\r\nbreak";
  frame_.controller<SearchController>().searchTarget = 1;
  frame_.OnCommand(cmd::kSearch);
  EXPECT_EQ(frame_.controller<SearchController>().keywordHistory().items().front(), u"line\r\nbreak");
  frame_.Close(CloseSource::System);
  SettingsFile keys(u"searchkeys.ini", u"");
  EXPECT_EQ(keys.ReadText(u"key_0"), u"linebreak");
}

TEST(SearchBarEngines, TenThousandEnginesStopAt511) {
  ScratchProfile p;
  std::string ini = "[]\r\ncount=10000\r\n";
  for (int i = 0; i < 10000; ++i)
    ini += std::to_string(i) + "_title=E" + std::to_string(i) + "\r\n" + std::to_string(i) + "_s=\r\n";
  CreateFolderLevels(p.dir().path() + "/profile/SearchEngine");
  WriteFileAtomic(p.dir().path() + "/profile/SearchEngine/config.ini", ini);
  FakeWindow window;
  CMainFrame frame({&window});
  frame.controller<SearchController>().LoadSearchBar();
  EXPECT_EQ(window.engineMenu.items.size(), 511u);
  // The chosen engine has an empty template: the default one is used.
  EXPECT_EQ(frame.controller<SearchController>().searchEngines().SearchUrl(u"x"), u"https://www.baidu.com/s?wd=x&tn=ZEL");
}

}  // namespace
