// The session: the closed-pages ring, last.ini's two sections, reopening with history, the
// periodic and the shutdown save, the start that brings back the last pages, and the
// page-list dialog's commands.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>

#include "base/commands.h"
#include "base/files.h"
#include "fakes/frame_fixture.h"
#include "session/closed_ring.h"
#include "session/last_ini.h"
#include "session/page_list.h"
#include "session/session_controller.h"
#include "settings/settings_file.h"

using namespace zel;
using namespace zel::test;

namespace {

std::string Url(int n) { return "http://site" + std::to_string(n) + ".test/"; }

std::vector<u16> Urls(const std::vector<ClosedPage>& pages) {
  std::vector<u16> out;
  for (const auto& p : pages) out.push_back(p.url);
  return out;
}

std::vector<u16> Titles(const std::vector<ClosedMenuEntry>& menu) {
  std::vector<u16> out;
  for (const auto& m : menu) out.push_back(m.title);
  return out;
}

class Session : public FrameFixture {
 protected:
  SessionController& session() { return frame_.controller<SessionController>(); }
  std::string LastIni() const { return profile_.ProfileFolder() + "/last.ini"; }
  void WriteLastIni(const std::string& text) {
    std::ofstream(LastIni(), std::ios::binary) << text;
  }
  std::vector<PageEntry> Section(const char16_t* name) {
    return ReadPageSection(SettingsSnapshot(kLastIniName), name);
  }
  // A second frame over the same profile: the next start.
  std::unique_ptr<CMainFrame> Restart() {
    return std::make_unique<CMainFrame>(CMainFrame::Ports{&window_, &loop_, &prompts_, nullptr,
                                                          &shell_, &engines_, &keys_, &clipboard_});
  }
  std::vector<u16> StripUrls() {
    std::vector<u16> out;
    for (CChildFrame* c : frame_.Tabs()) out.push_back(c->view()->CurrentAddress());
    return out;
  }
};

}  // namespace

// ---- The ring ----

TEST(ClosedRing, KeepsTheLast23AndTakesFromAnySlot) {
  ClosedRing ring;
  EXPECT_TRUE(ring.empty());
  for (int i = 0; i < 30; ++i) ring.Add({FromUtf8(Url(i)), u"t", {}});
  ASSERT_EQ(ring.size(), ClosedRing::kMaxEntries);
  std::vector<u16> expected;
  for (int i = 7; i < 30; ++i) expected.push_back(FromUtf8(Url(i)));
  EXPECT_EQ(Urls(ring.OldestFirst()), expected);

  // The ring has wrapped; taking from the middle closes the gap toward the head.
  struct Case {
    int takeNewestFirstIndex;  // which entry, counted from the newest
    int taken;                 // its page number
  };
  for (Case c : {Case{0, 29}, Case{5, 23}, Case{20, 7}}) {
    std::vector<int> slots = ring.SlotsNewestFirst();
    std::optional<ClosedPage> p = ring.TakeSlot(slots[c.takeNewestFirstIndex]);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->url, FromUtf8(Url(c.taken)));
    auto it = std::find(expected.begin(), expected.end(), p->url);
    ASSERT_NE(it, expected.end());
    expected.erase(it);
    EXPECT_EQ(Urls(ring.OldestFirst()), expected);
  }
  EXPECT_FALSE(ring.TakeSlot(-1));
  EXPECT_FALSE(ring.TakeSlot(ClosedRing::kSlots));
  std::optional<ClosedPage> newest = ring.TakeNewest();
  ASSERT_TRUE(newest);
  EXPECT_EQ(newest->url, expected.back());
  ring.Clear();
  EXPECT_FALSE(ring.TakeNewest());
  EXPECT_TRUE(ring.SlotsNewestFirst().empty());
}

// ---- last.ini ----

TEST_F(Session, Closing30PagesKeepsTheLast23AndARestartBringsTheSame23InOrder) {
  std::vector<CChildFrame*> tabs;
  for (int i = 0; i < 30; ++i) tabs.push_back(OpenPage(Url(i), "Page " + std::to_string(i)));
  for (CChildFrame* t : tabs) Close(t);
  std::vector<u16> expected;
  for (int i = 7; i < 30; ++i) expected.push_back(FromUtf8(Url(i)));
  EXPECT_EQ(Urls(session().closedPages().OldestFirst()), expected);
  ASSERT_EQ(window_.closedMenu.size(), 23u);
  EXPECT_EQ(window_.closedMenu.front().title, u"Page 29");  // newest first

  ASSERT_TRUE(frame_.Close(CloseSource::ExitCommand));
  std::vector<PageEntry> saved = Section(kCloseSection);
  ASSERT_EQ(saved.size(), 23u);
  EXPECT_EQ(saved.front(), (PageEntry{u"Page 7", FromUtf8(Url(7))}));

  auto next = Restart();
  EXPECT_EQ(Urls(next->controller<SessionController>().closedPages().OldestFirst()), expected);
  EXPECT_TRUE(next->CommandEnabled(cmd::kReopenClosedPage));
}

TEST_F(Session, OpenPagesSkipBlankTabsAndAreNumberedFromZero) {
  OpenPage(Url(1), "A");
  OpenBlank();
  CChildFrame* b = OpenPage(Url(2), "B");
  b->customCaption = u"My B";
  ASSERT_EQ(frame_.TabCount(), 3);
  ASSERT_TRUE(frame_.Close(CloseSource::ExitCommand));
  EXPECT_EQ(SettingsSnapshot(kLastIniName).ReadInt(kVisitSection, u"count", -1), 2);
  EXPECT_EQ(Section(kVisitSection),
            (std::vector<PageEntry>{{u"A", FromUtf8(Url(1))}, {u"My B", FromUtf8(Url(2))}}));
  // Written owner-only: it holds the addresses the user went to.
  struct stat st {};
  ASSERT_EQ(::stat(LastIni().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(Session, KeysBeyondCountFromALongerSaveAreIgnored) {
  WriteLastIni(
      "[close]\r\ncount=2\r\ntitle_0=Old A\r\nurl_0=http://a.test/\r\ntitle_1=Old B\r\n"
      "url_1=http://b.test/\r\ntitle_2=Stale\r\nurl_2=http://stale.test/\r\n"
      "[visit]\r\ncount=1\r\ntitle_0=V\r\nurl_0=http://v.test/\r\ntitle_1=Stale\r\n"
      "url_1=http://stale.test/\r\n");
  EXPECT_EQ(Section(kVisitSection), (std::vector<PageEntry>{{u"V", u"http://v.test/"}}));
  auto next = Restart();
  EXPECT_EQ(Urls(next->controller<SessionController>().closedPages().OldestFirst()),
            (std::vector<u16>{u"http://a.test/", u"http://b.test/"}));
  // A shorter save leaves the old keys behind and they stay ignored.
  next->Close(CloseSource::ExitCommand);
  EXPECT_EQ(SettingsSnapshot(kLastIniName).ReadText(kVisitSection, u"url_1"), u"http://stale.test/");
  EXPECT_EQ(SettingsSnapshot(kLastIniName).ReadInt(kVisitSection, u"count", -1), 0);
  EXPECT_TRUE(Section(kVisitSection).empty());
}

TEST_F(Session, BadFilesLoadInBoundedTimeWithoutACrash) {
  std::string garbage;
  for (int i = 0; i < 200000; ++i) garbage.push_back(char((i * 7919) % 256));
  struct Case {
    const char* what;
    std::string text;
    size_t entries;
  } cases[] = {
      {"huge count", "[close]\r\ncount=1000000\r\ntitle_0=A\r\nurl_0=http://a.test/\r\n", 1},
      {"negative count", "[close]\r\ncount=-5\r\ntitle_0=A\r\nurl_0=http://a.test/\r\n", 0},
      {"count past int", "[close]\r\ncount=99999999999999\r\ntitle_0=A\r\nurl_0=http://a/\r\n", 1},
      {"missing title", "[close]\r\ncount=3\r\ntitle_0=A\r\nurl_0=http://a/\r\nurl_1=http://b/\r\n", 1},
      {"missing count", "[close]\r\ntitle_0=A\r\nurl_0=http://a/\r\n", 0},
      {"binary garbage", garbage, 0},
      {"garbage after a header", "[close]\r\ncount=4\r\n" + garbage, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteLastIni(c.text);
    auto started = std::chrono::steady_clock::now();
    auto next = Restart();
    auto took = std::chrono::steady_clock::now() - started;
    EXPECT_LT(took, std::chrono::seconds(2));
    const ClosedRing& ring = next->controller<SessionController>().closedPages();
    EXPECT_EQ(size_t(ring.size()), c.entries);
    EXPECT_LE(Section(kCloseSection).size(), size_t(ClosedRing::kMaxEntries) + 1);
  }
}

TEST_F(Session, AnUnreadableFileIsNeverWritten) {
  ASSERT_TRUE(CreateFolderLevels(LastIni()));  // a folder in the file's place
  EXPECT_FALSE(ApplyToIniFile(LastIni(), PageSectionChanges(kVisitSection, {{u"A", u"http://a/"}})));
  EXPECT_TRUE(DirExists(LastIni()));
  EXPECT_TRUE(ApplyToIniFile(profile_.ProfileFolder() + "/other.ini",
                             PageSectionChanges(kVisitSection, {{u"A", u"http://a/"}})));
}

// ---- Reopening ----

TEST_F(Session, AltZReopensTheNewestWithItsHistoryAndABlankTabIsNotListed) {
  EXPECT_FALSE(frame_.CommandEnabled(cmd::kReopenClosedPageKey));
  frame_.OnCommand(cmd::kReopenClosedPageKey);  // nothing to reopen: nothing happens
  EXPECT_EQ(frame_.TabCount(), 0);

  CChildFrame* a = OpenPage(Url(1), "A");
  CChildFrame* blank = OpenBlank();
  OpenPage(Url(2), "B");
  EngineOf(a)->session = "history of A";
  Close(blank);
  EXPECT_TRUE(session().closedPages().empty());
  Close(a);
  ASSERT_EQ(session().closedPages().size(), 1);
  EXPECT_TRUE(frame_.CommandEnabled(cmd::kReopenClosedPage));

  frame_.OnCommand(cmd::kReopenClosedPageKey);
  loop_.RunPosted();
  CChildFrame* back = frame_.Tabs().back();
  EXPECT_EQ(back->view()->CurrentAddress(), FromUtf8(Url(1)));
  // The engine got the history back instead of a plain load of the address.
  EXPECT_EQ(EngineOf(back)->session, "history of A");
  EXPECT_TRUE(EngineOf(back)->navigations.empty());
  EXPECT_TRUE(session().closedPages().empty());
  EXPECT_TRUE(window_.closedMenu.empty());
  EXPECT_FALSE(frame_.CommandEnabled(cmd::kReopenClosedPage));
}

TEST_F(Session, ReopeningTheOldestFromTheMenuLeavesTheOtherTwoNewestFirst) {
  std::vector<CChildFrame*> tabs;
  for (int i = 0; i < 3; ++i) tabs.push_back(OpenPage(Url(i), "P" + std::to_string(i)));
  OpenPage(Url(9), "Stays");
  for (CChildFrame* t : tabs) Close(t);
  ASSERT_EQ(Titles(window_.closedMenu), (std::vector<u16>{u"P2", u"P1", u"P0"}));
  int oldest = window_.closedMenu.back().command;
  EXPECT_TRUE(frame_.CommandEnabled(oldest));
  frame_.OnCommand(oldest);
  loop_.RunPosted();
  EXPECT_EQ(frame_.Tabs().back()->view()->CurrentAddress(), FromUtf8(Url(0)));
  EXPECT_EQ(Titles(window_.closedMenu), (std::vector<u16>{u"P2", u"P1"}));
  // The items follow the ring: the command of a slot no longer in use does nothing.
  EXPECT_FALSE(frame_.CommandEnabled(oldest + 2));
  int tabsBefore = frame_.TabCount();
  frame_.OnCommand(oldest + 2);
  EXPECT_EQ(frame_.TabCount(), tabsBefore);
}

// ---- Saving while running ----

TEST_F(Session, ThePeriodicSaveRunsOnlyInFrontAndOnlyAfterAChange) {
  struct Case {
    const char* what;
    bool visible, minimized, active, changed;
    bool saves;
  } cases[] = {
      {"in front, changed", true, false, true, true, true},
      {"unchanged", true, false, true, false, false},
      {"hidden", false, false, true, true, false},
      {"minimized", true, true, true, true, false},
      {"not active", true, false, false, true, false},
  };
  frame_.OnDeferredStartup();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ::unlink(LastIni().c_str());
    OpenPage(Url(1), "A");
    if (!c.changed) {
      // A save first clears the mark.
      loop_.Advance(41 * msg::kFrameTimerMs);
      session().WaitForSaves();
      ::unlink(LastIni().c_str());
    }
    window_.visible = c.visible;
    window_.minimized = c.minimized;
    window_.active = c.active;
    loop_.Advance(40 * msg::kFrameTimerMs - msg::kFrameTimerMs);
    session().WaitForSaves();
    EXPECT_FALSE(FileExists(LastIni()));  // never before the 40th tick
    loop_.Advance(2 * msg::kFrameTimerMs);
    session().WaitForSaves();
    EXPECT_EQ(FileExists(LastIni()), c.saves);
    window_.visible = true;
    window_.minimized = false;
    window_.active = true;
    // Back to a known phase of the counter: one full round.
    loop_.Advance(41 * msg::kFrameTimerMs);
    session().WaitForSaves();
  }
}

// ---- Start mode 2 ----

TEST_F(Session, AStoredStartMode2OpensTheLastPagesInOrderButNotAfterACrash) {
  const std::string visit =
      "[visit]\r\ncount=3\r\ntitle_0=One\r\nurl_0=http://one.test/\r\ntitle_1=Two\r\n"
      "url_1=http://two.test/\r\ntitle_2=Three\r\nurl_2=http://three.test/\r\n";
  struct Case {
    const char* what;
    int stored;
    bool normalquit;
    std::vector<u16> urls;
  } cases[] = {
      {"stored 2", 2, true, {u"http://one.test/", u"http://two.test/", u"http://three.test/"}},
      {"stored 2 after a crash", 2, false, {u"about:blank"}},
      {"stored 0", 0, true, {u"about:blank"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteLastIni(visit);
    auto next = Restart();
    next->settings().storedStartmode = c.stored;
    next->settings().normalquit = c.normalquit;
    next->settings().startmode = c.normalquit ? c.stored : 2;
    next->settings().newsequence = 1;  // would reverse them without the forced order
    next->OpenStartPage();
    loop_.RunPosted();
    std::vector<u16> urls;
    for (CChildFrame* t : next->Tabs()) urls.push_back(t->view()->CurrentAddress());
    EXPECT_EQ(urls, c.urls);
    ASSERT_NE(next->ActiveChild(), nullptr);
    EXPECT_EQ(next->ActiveChild(), next->Tabs().front());
    EXPECT_EQ(next->settings().newsequence, 1);
  }
}

// ---- The page-list dialog ----

TEST_F(Session, PageListOpensCheckedPagesOfTheLastRunAndEditsItsLists) {
  WriteLastIni(
      "[visit]\r\ncount=2\r\ntitle_0=One\r\nurl_0=http://one.test/\r\ntitle_1=Two\r\n"
      "url_1=http://two.test/\r\n[close]\r\ncount=1\r\ntitle_0=Gone\r\nurl_0=http://gone.test/\r\n");
  CChildFrame* here = OpenPage(Url(5), "Here");
  PageList list(session(), {frame_, frame_.commands(), frame_.settings(), &loop_, &prompts_});
  ASSERT_EQ(list.Items(kLastVisited).size(), 2u);
  EXPECT_TRUE(list.Items(kLastVisited)[0].checked);   // the first tab starts checked
  EXPECT_FALSE(list.Items(kLastClosed)[0].checked);
  ASSERT_EQ(list.Items(kOpenNow).size(), 1u);
  EXPECT_EQ(list.Items(kOpenNow)[0].tab, here);

  // Checked pages open at the current tab's index while they open.
  list.Ok(kLastVisited);
  loop_.RunPosted();
  EXPECT_EQ(StripUrls(),
            (std::vector<u16>{u"http://two.test/", u"http://one.test/", FromUtf8(Url(5))}));
  EXPECT_EQ(frame_.settings().newsequence, 1);

  // Edits and removals act on the list; on the open tabs they close the tab.
  list.Command(kLastClosed, cmd::kPageListCheckAll, -1);
  EXPECT_TRUE(list.Items(kLastClosed)[0].checked);
  list.Command(kLastClosed, cmd::kPageListUncheckAll, -1);
  EXPECT_FALSE(list.Items(kLastClosed)[0].checked);
  prompts_.textAnswers = {u"http://edited.test/", u"Edited"};
  list.Command(kLastClosed, cmd::kPageListEditAddress, 0);
  list.EditByRightDoubleClick(kLastClosed, 0, false);
  EXPECT_EQ(list.Items(kLastClosed)[0].url, u"http://edited.test/");
  EXPECT_EQ(list.Items(kLastClosed)[0].title, u"Edited");
  EXPECT_EQ(prompts_.prompts, (std::vector<u16>{u"Input URL:", u"Input Title:"}));
  list.Command(kLastClosed, cmd::kPageListOpen, 0);
  loop_.RunPosted();
  EXPECT_NE(frame_.FindTabByAddress(u"http://edited.test/", nullptr), nullptr);

  list.Command(kOpenNow, cmd::kPageListRemove, 0);
  loop_.RunPosted();
  EXPECT_EQ(frame_.TabIndexOf(here), -1);
  EXPECT_TRUE(list.Items(kOpenNow).empty());
  // 563 opens nothing on the open tabs and keeps the dialog.
  EXPECT_FALSE(list.Command(kOpenNow, cmd::kPageListOpenChecked, -1));
  EXPECT_TRUE(list.Command(kLastVisited, cmd::kPageListOpenChecked, -1));
}

TEST_F(Session, PageListOkOnTheClosedPagesRebuildsTheRingFromTheList) {
  for (int i = 0; i < 3; ++i) Close(OpenPage(Url(i), "P" + std::to_string(i)));
  OpenPage(Url(9), "Stays");
  PageList list(session(), {frame_, frame_.commands(), frame_.settings(), &loop_, &prompts_});
  ASSERT_EQ(list.Items(kClosedNow).size(), 3u);
  EXPECT_EQ(list.Items(kClosedNow)[0].title, u"P2");
  list.Command(kClosedNow, cmd::kPageListRemove, 1);  // P1 goes
  list.Ok(kClosedNow);                                // nothing checked: nothing opens
  EXPECT_EQ(Titles(window_.closedMenu), (std::vector<u16>{u"P2", u"P0"}));
  EXPECT_EQ(Urls(session().closedPages().OldestFirst()),
            (std::vector<u16>{FromUtf8(Url(0)), FromUtf8(Url(2))}));

  // OK on the open tabs saves them.
  EXPECT_FALSE(FileExists(LastIni()));
  list.Ok(kOpenNow);
  session().WaitForSaves();
  EXPECT_EQ(Section(kVisitSection), (std::vector<PageEntry>{{u"Stays", FromUtf8(Url(9))}}));
}
