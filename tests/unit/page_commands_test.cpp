// The page commands on the active tab, the find bar's count and the downloads' rules and
// controller, over fake engines and ports.
#include <glib.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "downloads/download_rules.h"
#include "downloads/downloads_controller.h"
#include "fakes/frame_fixture.h"
#include "frame/page_commands.h"
#include "page/find_rules.h"
#include "view/source_page.h"

using namespace zel;
using namespace zel::test;

namespace {

class PageCommands : public FrameFixture {};

TEST_F(PageCommands, DocumentCommandsGoToTheActivePage) {
  struct Row {
    int id;
    int ole;
  } rows[] = {
      {cmd::kPageSetup, kOlePageSetup}, {cmd::kPrint, kOlePrint},
      {cmd::kPrintPreview, kOlePrintPreview}, {cmd::kProperties, kOleProperties},
      {cmd::kCut, kOleCut}, {cmd::kCopy, kOleCopy},
      {cmd::kPaste, kOlePaste}, {cmd::kSelectAll, kOleSelectAll},
  };
  // Without a tab they are off and do nothing.
  for (const Row& r : rows) EXPECT_FALSE(frame_.CommandEnabled(r.id)) << r.id;
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  CChildFrame* b = OpenPage("http://site/b.htm", "B");
  frame_.ActivateTab(a);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.id);
    EXPECT_TRUE(frame_.CommandEnabled(r.id));
    ASSERT_TRUE(frame_.OnCommand(r.id));
    ASSERT_FALSE(EngineOf(a)->calls.empty());
    EXPECT_EQ(EngineOf(a)->calls.back(), "ExecWB " + std::to_string(r.ole) + " 2");
  }
  for (const std::string& call : EngineOf(b)->calls) EXPECT_NE(call.rfind("ExecWB", 0), 0u) << call;
}

TEST_F(PageCommands, TheHistoryListShowsTheActiveTabsPagesAndGoesToThePickedOne) {
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  PageCommandsController& pages = frame_.pageCommands();
  // A page with nowhere to go has no list.
  EngineOf(a)->travel = {{u"http://site/a.htm", u"A"}};
  EXPECT_TRUE(pages.HistoryMenu().empty());

  // Two pages behind, one ahead: the furthest ahead comes first; an untitled page shows
  // its address.
  EngineOf(a)->travel = {{u"http://site/1.htm", u"One"}, {u"http://site/2.htm", u"  "},
                         {u"http://site/3.htm", u"Three"}, {u"http://site/4.htm", u"Four"}};
  EngineOf(a)->travelCurrent = 2;
  std::vector<HistoryMenuEntry> rows = pages.HistoryMenu();
  struct Row {
    const char16_t* text;
    int offset;
  } want[] = {{u"Four", 1}, {u"Three", 0}, {u"http://site/2.htm", -1}, {u"One", -2}};
  ASSERT_EQ(rows.size(), std::size(want));
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].text, want[i].text) << i;
    EXPECT_EQ(rows[i].offset, want[i].offset) << i;
  }
  EngineOf(a)->calls.clear();
  pages.GoToHistoryEntry(-2);
  pages.GoToHistoryEntry(1);
  pages.GoToHistoryEntry(0);
  EXPECT_EQ(EngineOf(a)->calls, (std::vector<std::string>{"GoBack 2", "GoForward 1"}));

  // A long list is cut to the nearest pages on each side.
  EngineOf(a)->travel.clear();
  for (int i = 0; i < 40; ++i) EngineOf(a)->travel.push_back({u"http://site/p", u"P" + IntToText(i)});
  EngineOf(a)->travelCurrent = 35;
  rows = pages.HistoryMenu();
  const int side = PageCommandsController::kHistoryMenuSide;
  ASSERT_EQ(rows.size(), size_t(4 + 1 + side));
  EXPECT_EQ(rows.front().offset, 4);
  EXPECT_EQ(rows.back().offset, -side);
  EXPECT_EQ(rows.back().text, u"P" + IntToText(35 - side));
}

TEST_F(PageCommands, ViewSourceOpensTheSourceInFront) {
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  const size_t before = engines_.created.size();
  ASSERT_TRUE(frame_.OnCommand(cmd::kViewSource));
  loop_.RunPosted();
  ASSERT_EQ(engines_.created.size(), before + 1);
  EXPECT_EQ(LastNavigation(), u"view-source:http://site/a.htm");
  // The source of a source, and of a blank page, is not asked for.
  EngineOf(frame_.ActiveChild() ? frame_.ActiveChild() : a)->FinishLoad(u"源文件");
  loop_.RunPosted();
  CChildFrame* blank = OpenBlank();
  ASSERT_NE(blank, nullptr);
  const size_t withBlank = engines_.created.size();
  frame_.OnCommand(cmd::kViewSource);
  loop_.RunPosted();
  EXPECT_EQ(engines_.created.size(), withBlank);
}

TEST_F(PageCommands, StopAllStopsEveryTabAndRefreshLeavesBlankAlone) {
  CChildFrame* a = OpenPage("http://site/a.htm", "A");
  CChildFrame* b = OpenPage("http://site/b.htm", "B");
  frame_.ActivateTab(a);
  for (CChildFrame* c : {a, b}) {
    EngineOf(c)->Navigate2({u"http://site/next.htm"});
    EngineOf(c)->events->OnProgressChange(500, 1000);
  }
  ASSERT_EQ(window_.entries[1].icon, 2);
  frame_.OnCommand(cmd::kStopAll);
  // The active tab shows its normal icon, the other one the unseen-page icon.
  EXPECT_EQ(window_.entries[0].icon, -1);
  EXPECT_EQ(window_.entries[1].icon, 5);
  for (CChildFrame* c : {a, b}) {
    EXPECT_EQ(c->view()->loadState, kNotLoading);
    EXPECT_NE(std::find(EngineOf(c)->calls.begin(), EngineOf(c)->calls.end(), "Stop"),
              EngineOf(c)->calls.end());
  }
  CChildFrame* blank = OpenBlank();
  ASSERT_NE(blank, nullptr);
  EngineOf(blank)->calls.clear();
  frame_.OnCommand(cmd::kRefresh);
  frame_.OnCommand(cmd::kRefreshCompletely);
  for (const std::string& call : EngineOf(blank)->calls) EXPECT_NE(call.rfind("Refresh2", 0), 0u);
  frame_.ActivateTab(a);
  frame_.OnCommand(cmd::kRefresh);
  EXPECT_EQ(EngineOf(a)->calls.back(), "Refresh2 0");
  frame_.OnCommand(cmd::kRefreshCompletely);
  EXPECT_EQ(EngineOf(a)->calls.back(), "Refresh2 3");
}

// ---- The find bar's count ----

TEST(FindCount, StepsThroughTheMatchesAndWraps) {
  using S = FindRequest::Step;
  struct Row {
    S step;
    int matches;
    const char16_t* label;
  } rows[] = {
      {S::New, 3, u"1/3"},      {S::Next, 3, u"2/3"},     {S::Next, 3, u"3/3"},
      {S::Next, 3, u"1/3"},     {S::Previous, 3, u"3/3"}, {S::Previous, 3, u"2/3"},
      {S::New, 0, u"找不到"},   {S::Next, 0, u"找不到"},  {S::New, 1, u"1/1"},
      {S::Next, 1, u"1/1"},     {S::Previous, 1, u"1/1"},
      // A step reports one match; the total stays that of the new search.
      {S::New, 5, u"1/5"},      {S::Previous, 1, u"5/5"}, {S::Next, 1, u"1/5"},
      {S::Next, 1, u"2/5"},     {S::Next, 0, u"找不到"},  {S::Previous, 1, u"1/1"},
      // More than the limit: the count says so and stops at its end.
      {S::New, 1001, u"1/1000+"}, {S::Previous, 1, u"1000/1000+"},
      {S::Next, 1, u"1000/1000+"},
  };
  FindCount c;
  EXPECT_EQ(c.Label(false), u"");
  EXPECT_EQ(c.Label(true), u"找不到");
  int i = 0;
  for (const Row& r : rows) {
    c.Answer(r.step, r.matches, 1000);
    EXPECT_EQ(c.Label(true), r.label) << "row " << i;
    ++i;
  }
  EXPECT_EQ(c.Label(false), u"");
}

// ---- Downloads ----

TEST(DownloadRules, SafeNames) {
  struct Row {
    const char16_t* suggested;
    const char16_t* name;
  } rows[] = {
      {u"report.pdf", u"report.pdf"},
      {u"../../etc/passwd", u"passwd"},
      {u"a\\b\\c.txt", u"c.txt"},
      {u"..hidden", u"hidden"},
      {u"...", u"download"},
      {u"", u"download"},
      {u"tab\there.txt", u"tab_here.txt"},
      {u"文件 1.zip", u"文件 1.zip"},
      {u"name. ", u"name"},
  };
  for (const Row& r : rows) EXPECT_EQ(SafeDownloadName(r.suggested), r.name) << ToUtf8(r.suggested);
  u16 longName(300, u'x');
  longName += u".tar.gz";
  u16 cut = SafeDownloadName(longName);
  EXPECT_EQ(cut.size(), 200u);
  EXPECT_TRUE(EndsWith(cut, u".gz"));
}

TEST(DownloadRules, SizesSpeedsAndRowTexts) {
  struct Row {
    int64_t bytes;
    const char16_t* text;
  } rows[] = {
      {0, u"0 字节"},           {-5, u"0 字节"},          {1023, u"1023 字节"},
      {1024, u"1.00 KB"},       {1536, u"1.50 KB"},       {10 * 1024, u"10.0 KB"},
      {512 * 1024, u"512 KB"},  {5 * 1024 * 1024, u"5.00 MB"},
      {int64_t(3) << 30, u"3.00 GB"},
  };
  for (const Row& r : rows) EXPECT_EQ(FormatSize(r.bytes), r.text) << r.bytes;
  EXPECT_EQ(DownloadRowText(1024, 5 * 1024 * 1024, 800 * 1024, false),
            u"1.00 KB / 5.00 MB, 800 KB/s");
  EXPECT_EQ(DownloadRowText(1024, 0, 0, false), u"1.00 KB");
  EXPECT_EQ(DownloadRowText(5 * 1024 * 1024, 5 * 1024 * 1024, 100, true), u"已完成 5.00 MB");

  SpeedMeter m(3000);
  EXPECT_EQ(m.BytesPerSecond(), 0);
  m.Sample(0, 0);
  EXPECT_EQ(m.BytesPerSecond(), 0);
  m.Sample(1000, 1000);
  EXPECT_DOUBLE_EQ(m.BytesPerSecond(), 1000);
  // Old samples leave the window: the speed is that of the last seconds.
  m.Sample(5000, 1000);
  m.Sample(6000, 11000);
  EXPECT_DOUBLE_EQ(m.BytesPerSecond(), 10000);
}

class FakeDownloadSource : public DownloadSource {
 public:
  void SetEvents(DownloadEvents* e) override { events = e; }
  void SetDestination(int id, u16view path) override { destinations[id] = u16(path); }
  void Cancel(int id) override {
    cancels.push_back(id);
    if (events) events->OnDownloadFailed(id, true, u"");
  }
  DownloadEvents* events = nullptr;
  std::map<int, u16> destinations;
  std::vector<int> cancels;
};

class FakeDownloadsBar : public DownloadsBarView {
 public:
  void ShowDownloadsBar(bool show) override { shown = show; }
  bool DownloadsBarShown() const override { return shown; }
  void AddDownloadRow(int id, u16view name) override { rows[id].name = u16(name); }
  void UpdateDownloadRow(int id, double fraction, u16view text, DownloadState state) override {
    rows[id].fraction = fraction;
    rows[id].text = u16(text);
    rows[id].state = state;
  }
  void RemoveDownloadRow(int id) override { rows.erase(id); }
  struct Row {
    u16 name, text;
    double fraction = 0;
    DownloadState state = DownloadState::Waiting;
  };
  bool shown = false;
  std::map<int, Row> rows;
};

class Downloads : public FrameFixture {
 protected:
  Downloads()
      : services_{frame_, commands_, frame_.settings(), &loop_, &prompts_, nullptr, &shell_},
        downloads_(services_, &source_, &destinations_, &bar_, [this] { return folder_; }) {}
  CommandRegistry commands_;
  FrameServices services_;
  FakeDownloadSource source_;
  FakeDestinations destinations_;
  FakeDownloadsBar bar_;
  u16 folder_ = u"/home/u/My Html/";
  DownloadsController downloads_;
};

TEST_F(Downloads, AskedInTheFolderThenShownUntilDone) {
  OpenPage("http://site/a.htm", "A");
  destinations_.answers = {u16(u"/home/u/My Html/report (1).pdf")};
  source_.events->OnDownloadStarted(7, u"http://site/report.pdf", u"../report.pdf");
  ASSERT_EQ(destinations_.asked.size(), 1u);
  EXPECT_EQ(destinations_.asked[0].first, u"/home/u/My Html/");
  EXPECT_EQ(destinations_.asked[0].second, u"report.pdf");
  EXPECT_EQ(source_.destinations[7], u"/home/u/My Html/report (1).pdf");
  EXPECT_TRUE(bar_.shown);
  EXPECT_EQ(bar_.rows[7].name, u"report (1).pdf");
  EXPECT_EQ(bar_.rows[7].state, DownloadState::Running);

  loop_.now = 1000;
  source_.events->OnDownloadProgress(7, 0, 4 * 1024 * 1024);
  loop_.now = 2000;
  source_.events->OnDownloadProgress(7, 1024 * 1024, 4 * 1024 * 1024);
  EXPECT_DOUBLE_EQ(bar_.rows[7].fraction, 0.25);
  EXPECT_EQ(bar_.rows[7].text, u"1.00 MB / 4.00 MB, 1.00 MB/s");
  // Within a quarter second the row keeps its text; the state is kept all the same.
  loop_.now = 2100;
  source_.events->OnDownloadProgress(7, 2 * 1024 * 1024, 4 * 1024 * 1024);
  EXPECT_DOUBLE_EQ(bar_.rows[7].fraction, 0.25);
  EXPECT_EQ(downloads_.items().at(7).received, 2 * 1024 * 1024);

  source_.events->OnDownloadFinished(7);
  EXPECT_EQ(bar_.rows[7].state, DownloadState::Done);
  EXPECT_DOUBLE_EQ(bar_.rows[7].fraction, 1);
  EXPECT_EQ(bar_.rows[7].text, u"已完成 4.00 MB");
  EXPECT_EQ(window_.status, u"下载完成: /home/u/My Html/report (1).pdf");
  EXPECT_EQ(downloads_.savedFiles(), std::vector<u16>{u"/home/u/My Html/report (1).pdf"});

  downloads_.OpenDownload(7);
  downloads_.OpenDownloadFolder(7);
  ASSERT_EQ(shell_.calls.size(), 2u);
  EXPECT_EQ(shell_.calls[0].target, u"/home/u/My Html/report (1).pdf");
  EXPECT_EQ(shell_.calls[1].target, u"/home/u/My Html/");
}

TEST_F(Downloads, ACancelledChoiceOrRowWritesNothing) {
  destinations_.answers = {std::nullopt};
  source_.events->OnDownloadStarted(1, u"http://site/a.zip", u"a.zip");
  EXPECT_EQ(source_.cancels, std::vector<int>{1});
  EXPECT_TRUE(downloads_.savedFiles().empty());
  EXPECT_TRUE(source_.destinations.empty());
  EXPECT_EQ(bar_.rows[1].text, u"已取消");
  EXPECT_EQ(bar_.rows[1].state, DownloadState::Failed);

  // The question still open when the row is cancelled: a late answer saves nothing.
  source_.events->OnDownloadStarted(2, u"http://site/b.zip", u"b.zip");
  ASSERT_EQ(destinations_.pending.size(), 1u);
  downloads_.CancelDownload(2);
  destinations_.pending[0](u16(u"/tmp/b.zip"));
  EXPECT_EQ(source_.destinations.count(2), 0u);

  // A running one cancelled from its row; an ended row's button clears it.
  destinations_.answers = {u16(u"/tmp/c.zip")};
  source_.events->OnDownloadStarted(3, u"http://site/c.zip", u"c.zip");
  downloads_.CancelDownload(3);
  EXPECT_EQ(source_.cancels.back(), 3);
  EXPECT_EQ(bar_.rows[3].state, DownloadState::Failed);
  downloads_.CancelDownload(3);
  EXPECT_EQ(bar_.rows.count(3), 0u);
  // Open does nothing for a row that did not finish.
  downloads_.OpenDownload(1);
  EXPECT_TRUE(shell_.calls.empty());
}

TEST_F(Downloads, ClosingTheBarKeepsRunningRowsAndShutdownCancelsThem) {
  destinations_.answers = {u16(u"/tmp/a"), u16(u"/tmp/b")};
  source_.events->OnDownloadStarted(1, u"http://site/a", u"a");
  source_.events->OnDownloadStarted(2, u"http://site/b", u"b");
  source_.events->OnDownloadFinished(1);
  downloads_.CloseBar();
  EXPECT_FALSE(bar_.shown);
  EXPECT_EQ(bar_.rows.count(1), 0u);
  EXPECT_EQ(bar_.rows.count(2), 1u);
  ASSERT_TRUE(commands_.Run(cmd::kDownloadsBar));
  EXPECT_TRUE(bar_.shown);
  EXPECT_EQ(commands_.Checked(cmd::kDownloadsBar), std::optional<bool>(true));
  // A failure is said in the status bar; unknown ids are ignored.
  source_.events->OnDownloadFailed(99, false, u"x");
  downloads_.OnShutdown();
  EXPECT_EQ(source_.cancels, std::vector<int>{2});
}

}  // namespace

// ---- The source page ----

namespace zel_source_page_test {
TEST(SourcePage, ShowsTheBytesAsEscapedText) {
  struct Row {
    std::string bytes, charset, text;
  } rows[] = {
      {"<p class=\"a\">Tom &amp; Jerry</p>", "", "&lt;p class=&quot;a&quot;&gt;Tom &amp;amp; Jerry&lt;/p&gt;"},
      {"中文 UTF-8", "gbk", "中文 UTF-8"},                      // valid UTF-8 stays as it is
      {"\xd6\xd0\xce\xc4", "", "中文"},                          // GBK without a charset
      {"\xd6\xd0\xce\xc4", "GBK", "中文"},
      {"caf\xe9", "ISO-8859-1", "café"},
      {std::string("a\0b", 3), "", "a?b"},
      {"", "", ""},
  };
  for (const Row& r : rows) {
    const std::string page = SourcePageHtml("http://site/a", r.bytes, r.charset);
    const std::string pre = "<pre id=\"source\">";
    const size_t at = page.find(pre);
    ASSERT_NE(at, std::string::npos);
    const size_t end = page.rfind("</pre>");
    EXPECT_EQ(page.substr(at + pre.size(), end - at - pre.size()), r.text) << r.bytes;
  }
  EXPECT_NE(SourcePageHtml("http://site/<b>", "", "").find("<title>源文件: http://site/&lt;b&gt;</title>"),
            std::string::npos);
  // Any bytes at all give valid UTF-8.
  std::string all;
  for (int i = 0; i < 256; ++i) all += char(i);
  const std::string text = SourceTextAsUtf8(all, "no-such-charset");
  EXPECT_TRUE(g_utf8_validate(text.data(), gssize(text.size()), nullptr));
}
}  // namespace zel_source_page_test
