#include <gtest/gtest.h>

#include "search/find_rules.h"

using namespace zel;

namespace {

const u16 kFind = u"查找关键字 当前/总计: ";
const u16 kHigh = u"高亮关键字计数: ";

// One find command against a page holding `matches` matches.
FindStep Step(FindState& st, u16view keyword, int matches, bool shift = false,
              bool matchCase = false) {
  if (BeginFind(st, keyword, matchCase)) StartNewFindKeyword(st, matches);
  int target = NextFindTarget(st, shift);
  return FinishFind(st, target, matches);
}

// Runs the command, and again while it asks to, like the posted repeat does.
FindStep RunWithRepeats(FindState& st, u16view keyword, int matches, bool shift = false) {
  FindStep s = Step(st, keyword, matches, shift);
  for (int guard = 0; s.again && guard < 3; ++guard) s = Step(st, keyword, matches);
  EXPECT_FALSE(s.again) << "the find command keeps repeating";
  return s;
}

}  // namespace

TEST(FindRules, Flags) {
  EXPECT_EQ(FindFlags(false, false), 0);
  EXPECT_EQ(FindFlags(true, false), 2);
  EXPECT_EQ(FindFlags(false, true), 4);
  EXPECT_EQ(FindFlags(true, true), 6);
}

TEST(FindRules, StepsForwardAndShowsCurrentOfTotal) {
  FindState st;
  FindStep s = Step(st, u"abc", 3);
  EXPECT_TRUE(s.select);
  EXPECT_EQ(s.status, kFind + u"1/3");
  EXPECT_EQ(Step(st, u"abc", 3).status, kFind + u"2/3");
  EXPECT_EQ(Step(st, u"abc", 3).status, kFind + u"3/3");
  EXPECT_EQ(st.current, 2);
}

TEST(FindRules, PastTheLastMatchWrapsToTheFirst) {
  FindState st;
  for (int i = 0; i < 3; ++i) Step(st, u"k", 3);
  FindStep s = Step(st, u"k", 3);
  EXPECT_FALSE(s.select);
  EXPECT_TRUE(s.again);
  EXPECT_EQ(s.status, kFind + u"0/0");
  EXPECT_EQ(st.current, -1);
  s = Step(st, u"k", 3);
  EXPECT_TRUE(s.select);
  EXPECT_EQ(s.status, kFind + u"1/3");
}

TEST(FindRules, ShiftGoesBackwardsAndWrapsToTheLast) {
  FindState st;
  // Fresh keyword, backwards: the last match.
  EXPECT_EQ(Step(st, u"k", 4, true).status, kFind + u"4/4");
  EXPECT_EQ(Step(st, u"k", 4, true).status, kFind + u"3/4");
  // Without Shift the next step goes forwards again.
  EXPECT_EQ(Step(st, u"k", 4).status, kFind + u"4/4");

  FindState back;
  Step(back, u"k", 4);  // at the first match
  FindStep s = Step(back, u"k", 4, true);
  EXPECT_TRUE(s.again);
  // The repeat keeps the direction of the step that ran out.
  s = Step(back, u"k", 4);
  EXPECT_TRUE(s.select);
  EXPECT_EQ(s.status, kFind + u"4/4");
}

TEST(FindRules, NoMatchesShowsZeroAndDoesNotRepeat) {
  FindState st;
  FindStep s = Step(st, u"none", 0);
  EXPECT_FALSE(s.select);
  EXPECT_FALSE(s.again);
  EXPECT_EQ(s.status, kFind + u"0/0");
  EXPECT_FALSE(RunWithRepeats(st, u"none", 0, true).select);
}

TEST(FindRules, CaseOnlyChangeContinuesUnlessMatchCase) {
  FindState st;
  Step(st, u"Word", 5);
  Step(st, u"Word", 5);
  EXPECT_FALSE(BeginFind(st, u"WORD", false));
  EXPECT_EQ(NextFindTarget(st, false), 2);
  EXPECT_EQ(st.lastKeyword, u"WORD");

  EXPECT_TRUE(BeginFind(st, u"word", true));
  EXPECT_TRUE(BeginFind(st, u"other", false));
  StartNewFindKeyword(st, 5);
  EXPECT_EQ(NextFindTarget(st, false), 0);
}

TEST(FindRules, NewKeywordRestartsAtTheFirstMatch) {
  FindState st;
  Step(st, u"a", 5);
  Step(st, u"a", 5);
  FindStep s = Step(st, u"b", 2);
  EXPECT_EQ(s.status, kFind + u"1/2");
}

TEST(FindRules, PageWithFewerMatchesThanCountedDoesNotLoop) {
  FindState st;
  Step(st, u"k", 6);  // counted 6
  st.current = -1;
  // The page now holds 2: a backwards start aims at the old last match, runs out, and
  // the repeat lands on the real last one.
  FindStep s = RunWithRepeats(st, u"k", 2, true);
  EXPECT_TRUE(s.select);
  EXPECT_EQ(s.status, kFind + u"2/2");
}

TEST(FindHighlight, SameKeywordTwiceRemovesTheMarks) {
  HighlightState st;
  EXPECT_FALSE(BeginHighlight(st, u"abc"));
  EXPECT_EQ(FinishHighlight(st, 7), kHigh + u"7");
  EXPECT_TRUE(BeginHighlight(st, u"abc"));
  EXPECT_EQ(FinishHighlight(st, 7), kHigh + u"-7");
  EXPECT_FALSE(BeginHighlight(st, u"abc"));
  EXPECT_EQ(FinishHighlight(st, 7), kHigh + u"7");
}

TEST(FindHighlight, NewKeywordSetsMarks) {
  HighlightState st;
  BeginHighlight(st, u"abc");
  FinishHighlight(st, 2);
  EXPECT_FALSE(BeginHighlight(st, u"ABC"));
  EXPECT_EQ(FinishHighlight(st, 2), kHigh + u"2");
}

TEST(FindHighlight, RemovingNothingHasNoMinus) {
  HighlightState st;
  BeginHighlight(st, u"zz");
  FinishHighlight(st, 0);
  EXPECT_TRUE(BeginHighlight(st, u"zz"));
  EXPECT_EQ(FinishHighlight(st, 0), kHigh + u"0");
}
