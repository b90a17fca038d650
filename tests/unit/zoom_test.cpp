// Zoom, text size and encoding of the active tab, and the script runner, over fake engines.
#include <gtest/gtest.h>

#include "fakes/frame_fixture.h"
#include "filters/filters_controller.h"
#include "page/encoding_rules.h"
#include "page/zoom_controller.h"
#include "platform/ini_registry.h"
#include "view/page_script.h"
#include "view/vop_view.h"

using namespace zel;
using namespace zel::test;

namespace {

class Zoom : public FrameFixture {
 protected:
  // The code of the last script the tab's page was given, leaving out the read-back of the
  // page's zoom that follows a step.
  u16 LastScript(CChildFrame* tab) {
    auto& s = EngineOf(tab)->scripts;
    for (auto it = s.rbegin(); it != s.rend(); ++it)
      if (*it != u"parseInt(document.body.style.zoom)") return *it;
    return u16();
  }
  void Answer(CChildFrame* tab, bool ok) {
    auto& pending = EngineOf(tab)->pendingScripts;
    ASSERT_FALSE(pending.empty());
    auto done = std::move(pending.front());
    pending.erase(pending.begin());
    ScriptResult r;
    r.ok = ok;
    r.json = ok ? "null" : "";
    if (done) done(r);
  }
  ZoomController& zoom() { return frame_.controller<ZoomController>(); }
};

TEST_F(Zoom, FixedLevelsSetTheBodyZoomAndFollowTheTabThroughItsPages) {
  struct Row {
    int id;
    const char16_t* zoom;
  } rows[] = {{1116, u"50%"},  {1117, u"100%"}, {1118, u"120%"}, {1119, u"150%"},
              {1120, u"180%"}, {1121, u"200%"}, {1122, u"300%"}};
  CChildFrame* tab = OpenPage("http://site/a.htm", "A");
  for (const Row& r : rows) {
    SCOPED_TRACE(r.id);
    ASSERT_TRUE(frame_.OnCommand(r.id));
    EXPECT_EQ(LastScript(tab), u" document.body.style.zoom=\"" + u16(r.zoom) + u"\"; ");
    EXPECT_EQ(tab->view()->zoomCommand, r.id);
    for (const Row& other : rows) EXPECT_EQ(*frame_.CommandChecked(other.id), other.id == r.id);
  }
  EXPECT_EQ(ZoomPercentOf(1200), 300);  // any other id
  // 180 % comes back after the title change and the finished load of the next page.
  frame_.OnCommand(1120);
  size_t before = EngineOf(tab)->scripts.size();
  tab->view()->Navigate(u"http://site/b.htm");
  EngineOf(tab)->FinishLoad(u"B");
  ASSERT_GE(EngineOf(tab)->scripts.size(), before + 2);
  EXPECT_EQ(LastScript(tab), u" document.body.style.zoom=\"180%\"; ");
  // At 100 % the page is left alone.
  frame_.OnCommand(1117);
  before = EngineOf(tab)->scripts.size();
  tab->view()->Navigate(u"http://site/c.htm");
  EngineOf(tab)->FinishLoad(u"C");
  EXPECT_EQ(EngineOf(tab)->scripts.size(), before);
}

TEST_F(Zoom, StepsRunTheirScriptsAndKeepTheFixedLevel) {
  CChildFrame* tab = OpenPage("http://site/a.htm", "A");
  frame_.OnCommand(1118);
  frame_.OnCommand(cmd::kZoomIn);
  EXPECT_EQ(LastScript(tab), ParseScriptElement(ZoomInScript())->code);
  EXPECT_NE(LastScript(tab).find(u"if(i==19)i=18; newZoom=i+10+'%';"), u16::npos);
  EXPECT_NE(LastScript(tab).find(u'\t'), u16::npos);
  frame_.OnCommand(cmd::kZoomOut);
  EXPECT_NE(LastScript(tab).find(u"if(i<18)i=18; newZoom=i-10+'%';"), u16::npos);
  EXPECT_EQ(tab->view()->zoomCommand, 1118);
}

TEST_F(Zoom, ScriptsOfTheZoomNeverReportTheirFailures) {
  CChildFrame* tab = OpenPage("http://site/a.htm", "A");
  window_.status.clear();
  frame_.OnCommand(1120);
  while (!EngineOf(tab)->pendingScripts.empty()) Answer(tab, false);
  EXPECT_NE(window_.status, kRunScriptError);
}

TEST_F(Zoom, TextSizeStepsStayInTheirRangeAndNewTabsTakeTheLastSize) {
  CChildFrame* tab = OpenPage("http://site/a.htm", "A");
  EXPECT_EQ(zoom().TextSizeOf(tab), 2);
  EXPECT_TRUE(*frame_.CommandChecked(814));
  struct Row {
    int id;
    int index;  // afterwards
    bool sent;  // the engine was told
  } rows[] = {
      {812, 0, true},  {1100, 0, false},  // "放大" at index 0 does nothing
      {1101, 1, true}, {816, 4, true},  {1101, 4, false}, {1100, 3, true}, {814, 2, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.id);
    size_t calls = EngineOf(tab)->calls.size();
    frame_.OnCommand(r.id);
    EXPECT_EQ(zoom().TextSizeOf(tab), r.index);
    for (int id = 812; id <= 816; ++id) EXPECT_EQ(*frame_.CommandChecked(id), id - 812 == r.index);
    EXPECT_EQ(EngineOf(tab)->calls.size() > calls, r.sent);
    if (r.sent) {
      EXPECT_EQ(EngineOf(tab)->calls.back(), "ExecWB 19 2");
      EXPECT_EQ(EngineOf(tab)->lastExecArgument, 4 - r.index);
    }
  }
  frame_.OnCommand(813);
  CChildFrame* second = OpenPage("http://site/b.htm", "B");
  EXPECT_EQ(zoom().TextSizeOf(second), 1);
  EXPECT_EQ(EngineOf(second)->lastExecArgument, 3);
  // The settings' load starts every run at "中".
  zoom().OnSettingsLoaded();
  EXPECT_EQ(zoom().lastTextSize(), 2);
}

TEST_F(Zoom, EncodingsSetTheEngineCharsetAndMoveTheCheckMark) {
  CChildFrame* tab = OpenPage("http://site/a.htm", "A");
  struct Row {
    int id;
    const char* engine;
  } rows[] = {
      {869, "iso-2022-jp"}, {867, "gb2312"},    {1081, "HZ-GB-2312"}, {866, "iso-8859-1"},
      {1070, "utf-8"},      {1067, "utf-16le"}, {1068, "utf-16be"},   {1080, "x-user-defined"},
      {992, ""},            {1044, ""},         {1069, ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.id);
    ASSERT_TRUE(frame_.OnCommand(r.id));
    EXPECT_EQ(EngineOf(tab)->calls.back(), std::string("SetCharset ") + r.engine);
    EXPECT_TRUE(*frame_.CommandChecked(r.id));
    EXPECT_FALSE(*frame_.CommandChecked(866 == r.id ? 867 : 866));
  }
  EXPECT_EQ(u16(CharsetOfEncodingCommand(869)), u"iso-2022-jp");
  // Ids of the range without an item do nothing.
  for (int id : {870, 990, 1000, 1050}) EXPECT_EQ(CharsetOfEncodingCommand(id), nullptr);
  EXPECT_FALSE(frame_.HasCommand(1050));
}

// The frame over a registry file, for automatic detection.
class AutoDetect : public ::testing::Test {
 protected:
  ScratchProfile profile_;
  IniRegistry registry_{profile_.ProfileFolder() + "/registry.ini"};
  FakeWindow window_;
  FakeLoop loop_;
  FakePrompts prompts_;
  FakeShell shell_;
  FakeEngineFactory engines_;
  FakeKeys keys_;
  FakeClipboard clipboard_;
  CMainFrame frame_{{&window_, &loop_, &prompts_, &registry_, &shell_, &engines_, &keys_,
                     &clipboard_}};
};

TEST_F(AutoDetect, FlipsTheRegistryValueAndAppliesOrRefreshes) {
  CChildFrame* tab = frame_.OpenUrl(u"http://site/a.htm", {.tab = TabChoice::New, .show = true});
  auto* engine = static_cast<FakeEngine*>(tab->view()->engine());
  engine->FinishLoad(u"A");
  loop_.RunPosted();
  EXPECT_FALSE(*frame_.CommandChecked(1011));
  frame_.OnCommand(1011);
  EXPECT_EQ(registry_.GetDword(kHkcuIeInternational, u"AutoDetect"), 1u);
  EXPECT_TRUE(*frame_.CommandChecked(1011));
  EXPECT_EQ(engine->calls.back(), "SetCharset ");  // the engine's own detection
  frame_.OnCommand(1011);
  EXPECT_EQ(registry_.GetDword(kHkcuIeInternational, u"AutoDetect"), 0u);
  EXPECT_FALSE(*frame_.CommandChecked(1011));
  EXPECT_EQ(engine->calls.back(), "Refresh2 1");
}

TEST(ScriptElement, ParsesTheTagLanguageAndCode) {
  struct Row {
    const char16_t* text;
    bool ok;
    const char16_t* language;
    const char16_t* code;
  } rows[] = {
      {u"<script language=\"JavaScript\">a=1;</script>", true, u"javascript", u"a=1;"},
      {u"<SCRIPT LANGUAGE=JScript>b()</SCRIPT>", true, u"jscript", u"b()"},
      {u"<script language=vbscript>MsgBox 1</Script>", true, u"vbscript", u"MsgBox 1"},
      {u"<script language=\"JavaScript\">a=1;", false, nullptr, nullptr},  // no "</script>"
      {u"<script>a=1;</script>", false, nullptr, nullptr},                 // no language
      {u"javascript>a</script><", false, nullptr, nullptr},                // ">" before "<"
      {u"no tag at all", false, nullptr, nullptr},
      {u"<javascript>x</script>", true, u"javascript", u"x"},  // the word after the tag's "<"
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(ToUtf8(r.text));
    auto s = ParseScriptElement(r.text);
    ASSERT_EQ(s.has_value(), r.ok);
    if (!r.ok) continue;
    EXPECT_EQ(s->language, r.language);
    EXPECT_EQ(s->code, r.code);
  }
}

class Runner : public Zoom {
 protected:
  FiltersController& filters() { return frame_.controller<FiltersController>(); }
};

TEST_F(Runner, RefusesABrokenScriptAndRunsInTheActiveTabOrEveryTab) {
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  CChildFrame* b = OpenPage("http://site/b.htm", "B");
  EXPECT_FALSE(filters().RunScriptElement(u"<script language=\"JavaScript\">x=1;"));
  EXPECT_EQ(prompts_.messages.back(), u"脚本内容错误!");
  size_t beforeA = EngineOf(a)->scripts.size(), beforeB = EngineOf(b)->scripts.size();
  EXPECT_TRUE(filters().RunScriptElement(u"<script language=\"JavaScript\">x=1;</script>"));
  EXPECT_EQ(EngineOf(a)->scripts.size(), beforeA);
  EXPECT_EQ(LastScript(b), u"x=1;");
  keys_.ctrl = keys_.shift = true;
  filters().RunScriptElement(u"<script language=\"JavaScript\">y=2;</script>");
  EXPECT_EQ(LastScript(a), u"y=2;");
  EXPECT_EQ(LastScript(b), u"y=2;");
}

TEST_F(Runner, HoldsTheUserActionFlagWhileTheScriptRunsAndReportsFailures) {
  CChildFrame* tab = OpenPage("http://site/a.htm", "A");
  while (!EngineOf(tab)->pendingScripts.empty()) Answer(tab, true);
  EXPECT_FALSE(tab->view()->rightClickFlag());
  filters().RunScriptElement(u"<script language=\"JavaScript\">window.open('x')</script>");
  EXPECT_TRUE(tab->view()->rightClickFlag());
  Answer(tab, false);
  EXPECT_FALSE(tab->view()->rightClickFlag());
  EXPECT_EQ(window_.status, kRunScriptError);
  // VBScript has no engine: it fails at once.
  window_.status.clear();
  size_t before = EngineOf(tab)->scripts.size();
  filters().RunScriptElement(u"<script language=\"VBScript\">MsgBox 1</script>");
  EXPECT_EQ(EngineOf(tab)->scripts.size(), before);
  EXPECT_EQ(window_.status, kRunScriptError);
}

}  // namespace
