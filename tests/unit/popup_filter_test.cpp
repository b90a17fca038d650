// The popup decision and the filter commands of the frame, over fake ports.
#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "filters/filters_controller.h"
#include "frame/address_box.h"
#include "frame/page_menus.h"
#include "search/search_controller.h"
#include "base/files.h"
#include "fakes/frame_fixture.h"
#include "filters/floating_ad.h"

using namespace zel;
using namespace zel::test;

namespace {

class Popups : public FrameFixture {
 protected:
  Popups() {
    frame_.SetProgramFolder(FromUtf8(profile_.dir().path() + "/"));
    frame_.settings().popupFilter = true;
    frame_.settings().showInfoBar = true;
    frame_.settings().sound = true;
  }
  void WriteBlockage(const std::string& text) {
    CreateFolderLevels(profile_.ProfileFolder());
    WriteFileAtomic(profile_.ProfileFolder() + "/blockage.ini", text);
  }
  // The page of tab opens a window for url, as a script does; returns the new engine.
  FakeEngine* ScriptOpens(CChildFrame* tab, const std::string& url) {
    Engine* e = tab->view()->OnNewWindow2(FromUtf8(url), false);
    if (!e) return nullptr;
    auto* fe = static_cast<FakeEngine*>(e);
    fe->Navigate2({FromUtf8(url)});
    loop_.RunPosted();
    return fe;
  }
};

TEST_F(Popups, WindowWithoutAClickIsBlockedAndTheOpenerIsTold) {
  frame_.OnDeferredStartup();
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  size_t children = frame_.ChildCount();
  ScriptOpens(a, "http://ads.example/pop.htm");
  EXPECT_EQ(frame_.TabCount(), 1);
  EXPECT_EQ(frame_.ChildCount(), children);  // the candidate's tab went away
  EXPECT_EQ(frame_.controller<FiltersController>().lists().blockedPopupCount, 1);
  EXPECT_EQ(window_.shownPopupBars[a], u"已阻止弹出窗口: http://ads.example/pop.htm");
  EXPECT_EQ(window_.beeps, 1);
}

TEST_F(Popups, AClickLetsOneWindowThrough) {
  frame_.OnDeferredStartup();
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  a->view()->OnUserInput(UserInput::LeftDown, false, false);
  ScriptOpens(a, "http://site/first.htm");
  EXPECT_EQ(frame_.TabCount(), 2);
  // The same click does not let a second window through.
  ScriptOpens(a, "http://site/second.htm");
  EXPECT_EQ(frame_.TabCount(), 2);
  EXPECT_EQ(frame_.controller<FiltersController>().lists().blockedPopupCount, 1);
}

TEST_F(Popups, CtrlLetsTheWindowThrough) {
  frame_.OnDeferredStartup();
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  keys_.ctrl = true;
  ScriptOpens(a, "http://ads.example/pop.htm");
  EXPECT_EQ(frame_.TabCount(), 2);
}

TEST_F(Popups, FilterOffLetsEverythingThrough) {
  frame_.settings().popupFilter = false;
  frame_.OnDeferredStartup();
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  ScriptOpens(a, "http://ads.example/pop.htm");
  EXPECT_EQ(frame_.TabCount(), 2);
  frame_.OnCommand(cmd::kPopupFilter);  // Alt+P
  EXPECT_TRUE(frame_.controller<FiltersController>().lists().switches.popup);
  EXPECT_EQ(frame_.CommandChecked(cmd::kPopupFilter), true);
}

TEST_F(Popups, AllowListAndAllowedSites) {
  WriteBlockage("[POPUP]\r\npop_unblock_count=1\r\nunbock_0=http://friend/*\r\n");
  frame_.OnDeferredStartup();
  CChildFrame* a = OpenPage("http://www.shop.example/a.htm", "A");
  ScriptOpens(a, "http://friend/pop.htm");
  EXPECT_EQ(frame_.TabCount(), 2);
  // Allowing the site of the opener's page: its other sub-domains are exempt from now on.
  frame_.ActivateTab(a);
  window_.shownPopupBars[a] = u"x";
  frame_.OnCommand(cmd::kAllowSite);
  EXPECT_EQ(window_.shownPopupBars.count(a), 0u);
  EXPECT_EQ(frame_.controller<FiltersController>().lists().allowedSites, std::vector<u16>{u".shop.example"});
  ScriptOpens(a, "http://img.shop.example/pop.htm");
  EXPECT_EQ(frame_.TabCount(), 3);
  // The site is kept in Unblocksite.dat and comes back at the next start.
  auto saved = ReadUtf16LeFile(profile_.ProfileFolder() + "/Unblocksite.dat");
  ASSERT_TRUE(saved);
  EXPECT_EQ(*saved, u".shop.example,");
}

TEST_F(Popups, AllowedSitesAreReadAtStart) {
  CreateFolderLevels(profile_.ProfileFolder());
  AppendUtf16LeFile(profile_.ProfileFolder() + "/Unblocksite.dat", u".a.example,.b.example,");
  frame_.OnDeferredStartup();
  EXPECT_EQ(frame_.controller<FiltersController>().lists().allowedSites, (std::vector<u16>{u".a.example", u".b.example"}));
}

TEST_F(Popups, BlockListedPageClosesItsTab) {
  WriteBlockage("[POPUP]\r\npop_block_count=1\r\nblock_0=http://bad.example/*\r\n");
  frame_.OnDeferredStartup();
  OpenPage("http://site/a.htm", "A");
  frame_.OpenUrl(u"http://bad.example/x.htm", {.tab = TabChoice::New, .start = StartKind::Address, .show = true});
  loop_.RunPosted();
  EXPECT_EQ(frame_.TabCount(), 1);
  EXPECT_EQ(frame_.controller<FiltersController>().lists().blockedPopupCount, 1);
  // Ctrl held: the listed address loads.
  keys_.ctrl = true;
  frame_.OpenUrl(u"http://bad.example/x.htm", {.tab = TabChoice::New, .start = StartKind::Address, .show = true});
  loop_.RunPosted();
  EXPECT_EQ(frame_.TabCount(), 2);
}

TEST_F(Popups, BlockListedPageFoundWhenItFinishes) {
  WriteBlockage("[POPUP]\r\npop_block_count=1\r\nblock_0=http://bad.example/landing\r\n");
  frame_.OnDeferredStartup();
  OpenPage("http://site/a.htm", "A");
  CChildFrame* b = OpenPage("http://site/redirect.htm", "R");
  EngineOf(b)->location = u"http://bad.example/landing";  // where the redirect ended
  EngineOf(b)->events->OnDocumentComplete(u"http://bad.example/landing", true);
  loop_.RunPosted();
  EXPECT_EQ(frame_.TabCount(), 1);
}

TEST_F(Popups, NewWindowForAnOpenPageBringsThatTabForward) {
  frame_.OnDeferredStartup();
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  CChildFrame* b = OpenPage("http://site/b.htm", "B");
  frame_.ActivateTab(a);
  a->view()->OnUserInput(UserInput::LeftDown, false, false);
  ScriptOpens(a, "http://site/B.htm");
  EXPECT_EQ(frame_.TabCount(), 2);
  EXPECT_EQ(frame_.ActiveChild(), b);
}

TEST_F(Popups, AddToContentFilterAndMasterSwitch) {
  frame_.OnDeferredStartup();
  frame_.controller<PageMenuController>().contextAddress = u"http://ads.example/banner.gif";
  prompts_.textAnswers = {u"http://ads.example/*"};
  frame_.OnCommand(cmd::kAddToContentFilter);
  EXPECT_EQ(prompts_.prompts.back(), u"将该地址添加到页面内容过滤列表(可使用通配符 * ):");
  EXPECT_TRUE(frame_.controller<FiltersController>().lists().IsContentBlocked(u"http://ads.example/x.gif"));
  prompts_.textAnswers = {u"http://ads.example/*"};
  frame_.OnCommand(cmd::kAddToContentFilter);
  EXPECT_EQ(frame_.controller<FiltersController>().lists().contentBlockList.size(), 1u);
  // The master switch remembers what was on.
  frame_.OnCommand(cmd::kAllFilters);
  EXPECT_FALSE(frame_.controller<FiltersController>().lists().switches.popup);
  EXPECT_FALSE(frame_.controller<FiltersController>().lists().switches.content);
  EXPECT_EQ(frame_.CommandChecked(cmd::kAllFilters), false);
  frame_.OnCommand(cmd::kAllFilters);
  EXPECT_TRUE(frame_.controller<FiltersController>().lists().switches.popup);
  EXPECT_TRUE(frame_.controller<FiltersController>().lists().switches.content);
  EXPECT_TRUE(frame_.controller<FiltersController>().lists().switches.floatingAd);
}

TEST_F(Popups, PageElementSwitchesReachTheEngine) {
  frame_.OnDeferredStartup();
  frame_.settings().ctlpro = 0x70;
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  EXPECT_TRUE(EngineOf(a)->images);
  frame_.OnCommand(cmd::kShowImages);
  EXPECT_FALSE(EngineOf(a)->images);
  EXPECT_EQ(EngineOf(a)->calls.back(), "Refresh2 0");  // reloaded
  EXPECT_EQ(frame_.CommandChecked(cmd::kShowImages), false);
  keys_.ctrl = true;  // with Ctrl the page is not reloaded
  size_t n = EngineOf(a)->calls.size();
  frame_.OnCommand(cmd::kAllowScripts);
  EXPECT_EQ(EngineOf(a)->calls.size(), n);
  EXPECT_FALSE(EngineOf(a)->scriptsOn);
  EXPECT_EQ(frame_.CommandChecked(cmd::kAllowScripts), false);
  frame_.OnCommand(cmd::kPlaySounds);
  EXPECT_TRUE(EngineOf(a)->muted);
  // Images back on without a reload: the broken images load again by script.
  frame_.OnCommand(cmd::kShowImages);
  EXPECT_TRUE(EngineOf(a)->images);
  ASSERT_FALSE(EngineOf(a)->scripts.empty());
  EXPECT_NE(EngineOf(a)->scripts.back().find(u"img.src = src"), u16::npos);
  // A tab opened from this one takes its flags.
  keys_.ctrl = false;
  a->view()->OnUserInput(UserInput::LeftDown, false, false);
  Engine* e = a->view()->OnNewWindow2(u"http://site/w.htm", true);
  EXPECT_TRUE(static_cast<FakeEngine*>(e)->muted);
  EXPECT_FALSE(static_cast<FakeEngine*>(e)->scriptsOn);
  frame_.OnCommand(cmd::kNoActiveXDownload);
  EXPECT_EQ(frame_.controller<FiltersController>().DeliveredElementFlags(*a->view()) & 0x400, 0x400);
}

TEST(FloatingAd, ScriptFileRules) {
  PageScript s;
  EXPECT_TRUE(LoadFloatingAdScript(std::nullopt, s));
  EXPECT_EQ(s.language, u"JavaScript");
  EXPECT_NE(s.text.find(u"MutationObserver"), u16::npos);
  // 39 characters: the built-in script.
  u16 short39(39, u'x');
  s = {};
  EXPECT_TRUE(LoadFloatingAdScript(short39, s));
  EXPECT_EQ(s.language, u"JavaScript");
  // 40 characters are parsed (and this one is damaged).
  s = {};
  EXPECT_FALSE(LoadFloatingAdScript(u16(40, u'x'), s));
  EXPECT_EQ(s.text, u16(40, u'x'));
  EXPECT_TRUE(s.language.empty());
  s = {};
  EXPECT_TRUE(LoadFloatingAdScript(u"<SCRIPT LANGUAGE=\"JavaScript\">hide();</Script> trailing", s));
  EXPECT_EQ(s.language, u"javascript");
  EXPECT_EQ(s.text, u"hide();");
  EXPECT_TRUE(LoadFloatingAdScript(u"<script language=vbscript>MsgBox 1</SCRIPT>padding....", s));
  EXPECT_EQ(s.language, u"vbscript");
  EXPECT_FALSE(IsJavaScriptLanguage(s.language));
  // A failure keeps the language loaded before.
  EXPECT_FALSE(LoadFloatingAdScript(u"<script language=perl>x</script> more padding here", s));
  EXPECT_EQ(s.language, u"vbscript");
  EXPECT_FALSE(LoadFloatingAdScript(u"> before < ................................", s));
  EXPECT_FALSE(LoadFloatingAdScript(u"<script language=jscript>no end tag at all........", s));
}

TEST_F(Popups, DamagedScriptFileSaysSo) {
  CreateFolderLevels(profile_.dir().path() + "/Resource");
  WriteUtf16LeFileAtomic(profile_.dir().path() + "/Resource/KillFlyAd.htm",
                         u"this file has no script tag at all, just words");
  frame_.settings().killFlying = true;
  frame_.OnDeferredStartup();
  ASSERT_FALSE(prompts_.messages.empty());
  EXPECT_EQ(prompts_.messages.back(), u"脚本内容错误!");
}

TEST_F(Popups, FloatingAdFilterRunsOnTheActivePageWhenSwitchedOn) {
  frame_.settings().killFlying = false;
  frame_.OnDeferredStartup();
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  frame_.OnCommand(cmd::kFloatingAdFilter);
  ASSERT_FALSE(EngineOf(a)->scripts.empty());
  EXPECT_NE(EngineOf(a)->scripts.back().find(u"MutationObserver"), u16::npos);
  frame_.OnCommand(cmd::kFloatingAdFilter);  // off: nothing runs
  EXPECT_EQ(EngineOf(a)->scripts.size(), 1u);
  // While the filter is on, every finished page gets the script; a blank one does not.
  frame_.OnCommand(cmd::kFloatingAdFilter);
  CChildFrame* b = OpenPage("http://site/b.htm", "B");
  ASSERT_EQ(EngineOf(b)->scripts.size(), 1u);
  EXPECT_NE(EngineOf(b)->scripts[0].find(u"MutationObserver"), u16::npos);
  CChildFrame* c = frame_.OpenUrl(u"", {.tab = TabChoice::New, .start = StartKind::Blank, .show = true});
  EngineOf(c)->FinishLoad(u"");
  EXPECT_TRUE(EngineOf(c)->scripts.empty());
}

}  // namespace
