#include <gtest/gtest.h>

#include "view/status_filter.h"
#include "view/vop_view.h"

using namespace zel;

TEST(StatusFilter, PageMessagesAreHiddenEngineTextsShown) {
  EXPECT_FALSE(StatusTextPasses(u"Welcome to my page"));
  EXPECT_TRUE(StatusTextPasses(u"Done"));
  EXPECT_FALSE(StatusTextPasses(u"done"));
  EXPECT_TRUE(StatusTextPasses(u"http://example.com/a.htm"));   // a hovered link
  EXPECT_TRUE(StatusTextPasses(u"https://example.com/"));
  EXPECT_TRUE(StatusTextPasses(u"0123456://x"));                // marker at index 7
  EXPECT_TRUE(StatusTextPasses(u"0123456789://x"));             // at index 10
  EXPECT_FALSE(StatusTextPasses(u"01234567890://x"));           // at index 11
  // The first marker kind found decides: "://" is searched before "mailto:".
  EXPECT_FALSE(StatusTextPasses(u"see mailto:a@b and x://y is far away"));
  EXPECT_TRUE(StatusTextPasses(u"mailto:someone@example.com"));
  EXPECT_TRUE(StatusTextPasses(u"javascript:void(0)"));
  EXPECT_TRUE(StatusTextPasses(u"about:blank"));
  EXPECT_TRUE(StatusTextPasses(u"正在打开网页"));
  EXPECT_TRUE(StatusTextPasses(u"还有 3 项剩余"));
  EXPECT_TRUE(StatusTextPasses(u"Shortcut to x"));
  EXPECT_TRUE(StatusTextPasses(u"Connecting to site"));
  EXPECT_TRUE(StatusTextPasses(u"(2 items remaining)"));
  EXPECT_FALSE(StatusTextPasses(u"Buy now!"));
}

TEST(ProgressIcons, PercentageAndLoadingIcons) {
  EXPECT_EQ(LoadPercentage(5000, 10000), 50);
  EXPECT_EQ(LoadPercentage(20000, 10000), 100);  // capped
  EXPECT_EQ(LoadPercentage(-1, 10000), kNotLoading);
  EXPECT_EQ(LoadPercentage(0, 0), kNotLoading);
  EXPECT_EQ(LoadPercentage(50, 99), kNotLoading);  // maximum / 100 is 0
  EXPECT_EQ(LoadPercentage(0, 100), 0);
  EXPECT_EQ(LoadingIcon(0), 1);
  EXPECT_EQ(LoadingIcon(33), 1);
  EXPECT_EQ(LoadingIcon(34), 2);
  EXPECT_EQ(LoadingIcon(67), 2);
  EXPECT_EQ(LoadingIcon(68), 3);
  EXPECT_EQ(LoadingIcon(100), 3);
}
