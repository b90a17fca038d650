// The page's context menus and drops: the text rules, the menu context commands and the
// drop decision, over the fake engine and ports.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/files.h"
#include "filters/filters_controller.h"
#include "frame/address_box.h"
#include "frame/page_menus.h"
#include "search/search_controller.h"
#include "fakes/frame_fixture.h"
#include "frame/context_rules.h"

using namespace zel;
using namespace zel::test;

namespace {

TEST(ContextRules, AddressesSearchesAndScripts) {
  EXPECT_TRUE(IsContextAddress(u"http://a.b/"));
  EXPECT_TRUE(IsContextAddress(u"WWW.site.com"));
  EXPECT_TRUE(IsContextAddress(u"ftp.a.b"));  // short, but an FTP address
  EXPECT_TRUE(IsContextAddress(u"About:Blank"));
  EXPECT_FALSE(IsContextAddress(u"www.ab"));  // under 8 characters
  EXPECT_FALSE(IsContextAddress(u"hello world"));
  EXPECT_TRUE(IsScriptOrMailText(u"MailTo:x@y"));
  EXPECT_FALSE(IsScriptOrMailText(u"mailto"));
  // Link candidates: "." or "/" after the first character, "\", or a drive.
  EXPECT_TRUE(IsLinkAddress(u"site.com/x"));
  EXPECT_TRUE(IsLinkAddress(u"c:"));
  EXPECT_TRUE(IsLinkAddress(u"c:\\dir"));
  EXPECT_FALSE(IsLinkAddress(u".com"));
  EXPECT_FALSE(IsLinkAddress(u"word"));
  EXPECT_FALSE(IsLinkAddress(u"me@site.com"));        // a mail address
  EXPECT_TRUE(IsLinkAddress(u"http://me@site.com/"));  // an address with a user
}

TEST(ContextRules, RedirectTargetCutsAtTheSecondAddress) {
  EXPECT_EQ(RedirectTarget(u"http://r.com/go?to=http://b.com/x"), u"http://b.com/x");
  EXPECT_EQ(RedirectTarget(u"http://r.com/go?u=https://b.com/"), u"https://b.com/");
  // "http://" is looked for before "ftp://", wherever each stands.
  EXPECT_EQ(RedirectTarget(u"http://r.com/?a=ftp://f.com/&b=http://h.com/"), u"http://h.com/");
  EXPECT_EQ(RedirectTarget(u"http://single.com/page"), u"http://single.com/page");
  EXPECT_EQ(RedirectTarget(u"abc"), u"abc");
}

TEST(ContextRules, SavedTextProposesTheFirstLine) {
  EXPECT_EQ(SaveTextFileName(u"Chapter 1\r\nbody"), u"Chapter 1");
  EXPECT_EQ(SaveTextFileName(u"a/b"), u"a");
  EXPECT_EQ(SaveTextFileName(u"what? now"), u"what");
  EXPECT_EQ(SaveTextFileName(u"plain"), u"plain");
  // A forbidden character in front keeps the whole text.
  EXPECT_EQ(SaveTextFileName(u"*star"), u"*star");
}

TEST(ContextRules, DragDirections) {
  EXPECT_EQ(DirectionOfDrag(10, 3), DragDirection::Right);
  EXPECT_EQ(DirectionOfDrag(-10, 3), DragDirection::Left);
  EXPECT_EQ(DirectionOfDrag(3, 10), DragDirection::Down);
  EXPECT_EQ(DirectionOfDrag(3, -10), DragDirection::Up);
  // Exact diagonals and no movement use the up settings.
  EXPECT_EQ(DirectionOfDrag(10, 10), DragDirection::Up);
  EXPECT_EQ(DirectionOfDrag(-7, 7), DragDirection::Up);
  EXPECT_EQ(DirectionOfDrag(0, 0), DragDirection::Up);
}

TEST(ContextRules, ImageFilesAndDropTables) {
  EXPECT_TRUE(IsImageFile(u"/tmp/a.b/Photo.JPEG"));
  EXPECT_TRUE(IsImageFile(u"x.wmf"));
  EXPECT_FALSE(IsImageFile(u"x.png.txt"));
  EXPECT_FALSE(IsImageFile(u"png"));
  EXPECT_EQ(ImageDropAction(1).kind, DropAction::EngineDefault);
  EXPECT_EQ(ImageDropAction(2).kind, DropAction::Refuse);
  EXPECT_EQ(ImageDropAction(3).kind, DropAction::Menu);
  EXPECT_EQ(ImageDropAction(6), (DropAction{DropAction::Command, 1142}));
  EXPECT_EQ(ImageDropAction(9), (DropAction{DropAction::Command, 1144}));
  EXPECT_EQ(ImageDropAction(10).kind, DropAction::Nothing);
  EXPECT_EQ(LinkDropAction(2).kind, DropAction::Menu);
  EXPECT_EQ(LinkDropAction(3), (DropAction{DropAction::Command, 1144}));
  EXPECT_EQ(LinkDropAction(16), (DropAction{DropAction::Command, 1195}));
  EXPECT_EQ(LinkDropAction(17).kind, DropAction::Nothing);
  EXPECT_EQ(TextDropAction(7), (DropAction{DropAction::Command, 1148}));
  EXPECT_EQ(TextDropAction(10).kind, DropAction::Nothing);
  EXPECT_EQ(TextDropAction(16), (DropAction{DropAction::Command, 1179}));
  EXPECT_EQ(TextDropAction(0).kind, DropAction::Nothing);
  EXPECT_EQ(TextDropAction(-4).kind, DropAction::Nothing);
}

TEST(ContextRules, ScriptResultsAsText) {
  EXPECT_EQ(JsonStringValue("\"a\\\"b\\\\c\\n\\u4e2d\""), u"a\"b\\c\n中");
  EXPECT_EQ(JsonStringValue(" \"\" "), u"");
  EXPECT_EQ(JsonStringValue("null"), std::nullopt);
  EXPECT_EQ(JsonStringValue("\"bad\\u12\""), std::nullopt);
  EXPECT_EQ(JsonStringValue("\"a\"b\""), std::nullopt);
}

class Context : public FrameFixture {
 protected:
  void SetUp() override {
    page_ = OpenPage("http://site/a.htm", "A");
    engine_ = EngineOf(page_);
  }
  void Run(int id) {
    frame_.OnCommand(id);
    loop_.RunPosted();
  }
  void SetContext(ContextKind kind, const u16& address, const u16& text) {
    frame_.controller<PageMenuController>().contextKind = kind;
    frame_.controller<PageMenuController>().contextAddress = address;
    frame_.controller<PageMenuController>().contextText = text;
    frame_.controller<PageMenuController>().contextX = 12;
    frame_.controller<PageMenuController>().contextY = 34;
  }
  bool Called(FakeEngine* e, const std::string& call) {
    return std::find(e->calls.begin(), e->calls.end(), call) != e->calls.end();
  }
  CChildFrame* page_ = nullptr;
  FakeEngine* engine_ = nullptr;
};

TEST_F(Context, OpenSearchesAWordAndOpensAnAddress) {
  SetContext(ContextKind::Text, u"  zel ", u"  zel ");
  Run(cmd::kOpenContext);
  EXPECT_EQ(window_.searchBox, u"zel");
  ASSERT_EQ(frame_.TabCount(), 2);  // the web search's tab
  EXPECT_NE(LastNavigation().find(u"zel"), u16::npos);
  // With Shift the word is highlighted in the page instead.
  keys_.shift = true;
  Run(cmd::kOpenContext);
  EXPECT_EQ(frame_.controller<SearchController>().searchTarget, 4);
  EXPECT_EQ(frame_.TabCount(), 2);
  keys_.shift = false;
  // An address opens in a tab; script and mail texts do nothing.
  SetContext(ContextKind::Text, u"http://site/b.htm", u"");
  Run(cmd::kOpenContext);
  EXPECT_EQ(frame_.TabCount(), 3);
  EXPECT_EQ(LastNavigation(), u"http://site/b.htm");
  SetContext(ContextKind::Text, u"javascript:alert(1)", u"");
  Run(cmd::kOpenContext);
  EXPECT_EQ(frame_.TabCount(), 3);
}

TEST_F(Context, OpenActivatesTheTabThatShowsTheAddressUnderThePopupFilter) {
  CChildFrame* b = OpenPage("http://site/b.htm", "B");
  frame_.ActivateTab(page_);
  frame_.controller<FiltersController>().lists().switches.popup = true;
  SetContext(ContextKind::Text, u"http://site/b.htm", u"");
  Run(cmd::kOpenContext);
  EXPECT_EQ(frame_.TabCount(), 2);
  EXPECT_EQ(frame_.ActiveChild(), b);
}

TEST_F(Context, BackgroundAndReverseOpensRestoreTheirSwitches) {
  SetContext(ContextKind::Text, u"http://site/b.htm", u"");
  Run(cmd::kOpenContextBack);
  EXPECT_TRUE(frame_.settings().activateNewTabs);
  EXPECT_EQ(frame_.ActiveChild(), page_);
  ASSERT_EQ(frame_.TabCount(), 2);
  // With newsequence 1 (right of the current tab) the reverse open puts it at the end.
  OpenPage("http://site/c.htm", "C");
  frame_.ActivateTab(page_);
  SetContext(ContextKind::Text, u"http://site/d.htm", u"");
  Run(cmd::kOpenContextReverse);
  ASSERT_EQ(frame_.TabCount(), 4);
  EXPECT_EQ(frame_.settings().newsequence, 1);
  EXPECT_EQ(EngineOf(frame_.TabAt(3))->navigations.back(), u"http://site/d.htm");
}

TEST_F(Context, LinksAreOpenedByClickingThem) {
  SetContext(ContextKind::Link, u"http://site/b.htm", u"B");
  Run(cmd::kOpenContextFront);
  EXPECT_TRUE(Called(engine_, "ClickAt 12,34"));
  EXPECT_EQ(page_->pendingNewWindowFlags, 2);
  // A text that is no address is searched; a script link is left to the page.
  engine_->calls.clear();
  SetContext(ContextKind::Link, u"word", u"");
  Run(cmd::kOpenContext);
  EXPECT_FALSE(Called(engine_, "ClickAt 12,34"));
  EXPECT_EQ(window_.searchBox, u"word");
  frame_.ActivateTab(page_);
  SetContext(ContextKind::Link, u"javascript:go()", u"");
  Run(cmd::kOpenContextBack);
  EXPECT_TRUE(Called(engine_, "ClickAt 12,34"));
  EXPECT_EQ(page_->pendingNewWindowFlags, 4);
}

TEST_F(Context, ShowCopyEditAndRedirect) {
  SetContext(ContextKind::Link, u"http://r.com/?u=http://b.com/", u"the text");
  Run(cmd::kShowContextAddress);
  EXPECT_EQ(window_.status, u"http://r.com/?u=http://b.com/");
  Run(cmd::kCopyContextText);
  EXPECT_EQ(clipboard_.text, u"the text");
  Run(cmd::kCopyContextAddress);
  EXPECT_EQ(clipboard_.text, u"http://r.com/?u=http://b.com/");
  Run(cmd::kOpenRedirectTarget);
  EXPECT_EQ(LastNavigation(), u"http://b.com/");
  Run(cmd::kOpenInOtherBrowser);
  ASSERT_FALSE(shell_.calls.empty());
  EXPECT_EQ(shell_.calls.back().target, u"http://r.com/?u=http://b.com/");
  // With no other browser on the desktop the status bar says so.
  shell_.browserResult = false;
  SetContext(ContextKind::Image, u"www.example.com/a.png", u"");
  Run(cmd::kOpenInOtherBrowser);
  EXPECT_EQ(shell_.calls.back().target, u"http://www.example.com/a.png");
  EXPECT_EQ(window_.status, u"没有找到其他网页浏览器来打开 http://www.example.com/a.png");
  shell_.browserResult = true;
  // Edit text: the answer becomes the context text and is opened.
  prompts_.textAnswers.push_back(u16(u"http://site/edited.htm"));
  Run(cmd::kEditContextText);
  EXPECT_EQ(prompts_.prompts.back(), u"文本:");
  EXPECT_EQ(frame_.controller<PageMenuController>().contextText, u"http://site/edited.htm");
  EXPECT_EQ(LastNavigation(), u"http://site/edited.htm");
  // Cancelled: nothing changes.
  Run(cmd::kEditContextText);
  EXPECT_EQ(frame_.controller<PageMenuController>().contextText, u"http://site/edited.htm");
  Run(cmd::kShowPicture);
  EXPECT_TRUE(Called(EngineOf(frame_.ActiveChild()), "ShowPictureAt 12,34"));
}

TEST_F(Context, FromClipboardOpensButNeverMail) {
  int tabs = frame_.TabCount();
  clipboard_.text = u16(u"mailto:me@site.com");
  Run(cmd::kOpenFromClipboard);
  EXPECT_EQ(frame_.TabCount(), tabs);
  EXPECT_TRUE(window_.searchBox.empty());
  clipboard_.text = u16(u"http://site/clip.htm");
  Run(cmd::kOpenFromClipboard);
  EXPECT_EQ(frame_.TabCount(), tabs + 1);
  EXPECT_EQ(LastNavigation(), u"http://site/clip.htm");
}

TEST_F(Context, SaveTextWritesUtf16WithoutAMark) {
  SetContext(ContextKind::Text, u"", u"标题:\nbody");
  std::string path = profile_.dir() / "saved.txt";
  prompts_.saveAnswer = FromUtf8(path);
  Run(cmd::kSaveContextText);
  ASSERT_EQ(prompts_.saveNames.size(), 1u);
  EXPECT_EQ(prompts_.saveNames[0], u"标题");
  EXPECT_EQ(prompts_.saveFilters[0], u"文本文件(*.txt)|*.txt|所有文件(*.*)|*.*|||txt");
  std::optional<u16> back = ReadUtf16LeFile(path);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, u"标题:\nbody");
  EXPECT_EQ(EncodeUtf16Le(u"标题:\nbody").size(), 16u);
  // No text: no dialog.
  frame_.controller<PageMenuController>().contextText.clear();
  Run(cmd::kSaveContextText);
  EXPECT_EQ(prompts_.saveNames.size(), 1u);
}

TEST_F(Context, SelectedLinkOrABlankTab) {
  Run(cmd::kOpenSelectedLink);
  ASSERT_FALSE(engine_->pendingScripts.empty());
  auto answer = engine_->pendingScripts.back();
  answer(ScriptResult{true, "\" http://site/first.htm \"", u""});
  loop_.RunPosted();
  ASSERT_EQ(frame_.TabCount(), 2);
  EXPECT_EQ(LastNavigation(), u"http://site/first.htm");
  // No link inside the selection: a blank tab.
  frame_.ActivateTab(page_);
  Run(cmd::kOpenSelectedLinkText);
  engine_->pendingScripts.back()(ScriptResult{true, "null", u""});
  loop_.RunPosted();
  EXPECT_EQ(frame_.TabCount(), 3);
}

TEST_F(Context, PageMenusFollowTheHit) {
  PageHit link;
  link.link = u"http://site/l.htm";
  link.linkText = u" Link ";
  link.image = u"http://site/i.png";
  EXPECT_TRUE(page_->view()->OnContextMenu(link, 5, 6));
  ASSERT_EQ(window_.menus.size(), 1u);
  EXPECT_EQ(window_.menus[0][0].id, cmd::kOpenContext);
  EXPECT_EQ(window_.menus[0].size(), LinkMenu().size());
  EXPECT_EQ(frame_.controller<PageMenuController>().contextKind, ContextKind::Link);
  EXPECT_EQ(frame_.controller<PageMenuController>().contextText, u"Link");
  EXPECT_EQ(frame_.controller<PageMenuController>().contextX, 5);
  PageHit image;
  image.image = u"http://site/i.png";
  EXPECT_TRUE(page_->view()->OnContextMenu(image, 7, 8));
  EXPECT_EQ(window_.menus.back()[0].id, cmd::kShowPicture);
  EXPECT_EQ(frame_.controller<PageMenuController>().contextAddress, u"http://site/i.png");
  // Selected text: the menu waits for the page's selection.
  PageHit text;
  text.selection = true;
  EXPECT_TRUE(page_->view()->OnContextMenu(text, 1, 2));
  EXPECT_EQ(window_.menus.size(), 2u);
  engine_->pendingScripts.back()(ScriptResult{true, "\"some words\"", u""});
  ASSERT_EQ(window_.menus.size(), 3u);
  EXPECT_EQ(frame_.controller<PageMenuController>().contextText, u"some words");
  EXPECT_EQ(frame_.controller<PageMenuController>().contextKind, ContextKind::Text);
  // Anything else keeps the engine's own menu.
  EXPECT_FALSE(page_->view()->OnContextMenu(PageHit{}, 1, 2));
  PageHit field;
  field.selection = field.editable = true;
  EXPECT_FALSE(page_->view()->OnContextMenu(field, 1, 2));
}

class Drop : public Context {
 protected:
  bool DropIt(PageDrop::Kind kind, int dx, int dy, const u16& address, const u16& text,
              int64_t ms = 500) {
    PageDrop d;
    d.kind = kind;
    d.startX = 100;
    d.startY = 100;
    d.x = 100 + dx;
    d.y = 100 + dy;
    d.elapsedMs = ms;
    d.address = address;
    d.text = text;
    bool handled = page_->view()->OnPageDrop(d);
    loop_.RunPosted();
    return handled;
  }
};

TEST_F(Drop, LinksByDirection) {
  // Right (3): open, by clicking the link where it was dropped.
  EXPECT_TRUE(DropIt(PageDrop::Link, 40, 5, u"http://site/l.htm", u"L"));
  EXPECT_TRUE(Called(engine_, "ClickAt 100,100"));  // where the link was
  // Left (2): the link menu.
  EXPECT_TRUE(DropIt(PageDrop::Link, -40, 5, u"http://site/l.htm", u"L"));
  ASSERT_EQ(window_.menus.size(), 1u);
  EXPECT_EQ(window_.menus[0].size(), LinkMenu().size());
  // Up (9): edit the address, which opens it in a tab.
  EXPECT_TRUE(DropIt(PageDrop::Link, 0, -40, u"http://site/up.htm", u"L"));
  EXPECT_EQ(LastNavigation(), u"http://site/up.htm");
  // A setting of 1 leaves the drop to the engine.
  frame_.settings().linkDrag[1] = 1;
  EXPECT_FALSE(DropIt(PageDrop::Link, 0, 40, u"http://site/l.htm", u"L"));
  // Held for more than 3 seconds: opened whatever the direction.
  int tabs = frame_.TabCount();
  EXPECT_TRUE(DropIt(PageDrop::Link, -40, 0, u"http://site/long.htm", u"L", 3001));
  EXPECT_EQ(frame_.TabCount(), tabs + 1);
  EXPECT_EQ(LastNavigation(), u"http://site/long.htm");
  EXPECT_EQ(window_.menus.size(), 1u);
}

TEST_F(Drop, TextAndImagesByDirection) {
  // Text up (7): highlighted in the page; a diagonal counts as up.
  EXPECT_TRUE(DropIt(PageDrop::Text, 30, -30, u"", u"word"));
  EXPECT_EQ(window_.searchBox, u"word");
  EXPECT_EQ(frame_.controller<SearchController>().searchTarget, 4);
  // Text down (9): saved.
  EXPECT_TRUE(DropIt(PageDrop::Text, 0, 30, u"", u"word"));
  EXPECT_EQ(prompts_.saveNames, std::vector<u16>{u"word"});
  // Image down (1): the engine's drop; up (6): edit the address; left (3): the menu.
  EXPECT_FALSE(DropIt(PageDrop::Image, 0, 30, u"http://site/i.png", u""));
  EXPECT_TRUE(DropIt(PageDrop::Image, 0, -30, u"http://site/i.png", u""));
  EXPECT_EQ(LastNavigation(), u"http://site/i.png");
  EXPECT_TRUE(DropIt(PageDrop::Image, -30, 0, u"http://site/i.png", u""));
  ASSERT_EQ(window_.menus.size(), 1u);
  EXPECT_EQ(window_.menus[0].size(), ImageMenu().size());
  // An image without an address says so.
  EXPECT_TRUE(DropIt(PageDrop::Image, 30, 0, u"", u""));
  EXPECT_EQ(window_.status, u"非可拖放图片或图片未显示!");
  // Value 2 refuses the drop; values past the table do nothing.
  frame_.settings().imgDrag[0] = 2;
  EXPECT_TRUE(DropIt(PageDrop::Image, 0, -30, u"http://site/i.png", u""));
  frame_.settings().txtDrag[0] = 40;
  int tabs = frame_.TabCount();
  EXPECT_TRUE(DropIt(PageDrop::Text, 0, -30, u"", u"http://site/x.htm"));
  EXPECT_EQ(frame_.TabCount(), tabs);
}

}  // namespace
