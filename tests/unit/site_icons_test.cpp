// The tab icon setter's rule and the icon cache's file names (the fetches are in the GUI
// tests, against a real server).
#include <gtest/gtest.h>

#include <set>

#include "base/files.h"
#include "fakes/frame_fixture.h"
#include "icons/site_icons.h"

namespace zel::test {
namespace {

// A cache file is an image when it begins with "ICON".
class TableImages : public SiteIconImages {
 public:
  int Append(const std::string& path) override {
    auto bytes = ReadFileBytes(path);
    return bytes && bytes->rfind("ICON", 0) == 0 ? kFirstSiteIcon + count++ : -3;
  }
  int count = 0;
};

class SiteIconRule : public FrameFixture {
 protected:
  TableImages images_;
};

TEST_F(SiteIconRule, OnlyWebPagesInTheNormalStatesShowTheSiteIcon) {
  SiteIconsController& icons = frame_.controller<SiteIconsController>();
  icons.SetPorts(nullptr, &images_);
  ASSERT_TRUE(CreateFolderLevels(icons.CacheFolder()));
  ASSERT_TRUE(WriteFileAtomic(JoinPath(icons.CacheFolder(), SiteIconFileName(u"http://a.test/")), "ICON"));
  CChildFrame* tab = OpenPage("http://a.test/", "A");
  ASSERT_TRUE(tab);
  struct Case {
    const char16_t* address;
    int asked;
    bool site;
  } cases[] = {
      {u"http://a.test/p?q", -1, true}, {u"http://a.test/p", 5, true},
      {u"http://a.test/p", 9, true},    {u"http://a.test/p", 4, false},  // locked
      {u"http://a.test/p", 2, false},   {u"http://a.test/p", 6, false},  // loading, password
      {u"https://a.test/p", -1, false}, {u"ftp://a.test/p", -1, false},
      {u"file:///tmp/a.html", -1, false},
  };
  for (const auto& tc : cases) {
    tab->view()->SetCurrentAddress(tc.address);
    EXPECT_EQ(IsSiteIcon(icons.IconToShow(tab, tc.asked)), tc.site) << ToUtf8(tc.address) << tc.asked;
  }
  // The cached icon was loaded once and the map answers since.
  EXPECT_EQ(images_.count, 1);
  EXPECT_EQ(icons.SiteIconIndex(u"http://a.test/other"), kFirstSiteIcon);
}

TEST(SiteIconFileNames, AreSafeAndDistinct) {
  const char16_t* bases[] = {u"http://a.b/", u"https://a.b/", u"http://a.b:81/", u"http://A.b/",
                             u"http://a_b/"};
  std::set<std::string> names;
  for (const char16_t* b : bases) {
    EXPECT_EQ(SiteIconFileName(b).find('/'), std::string::npos);
    names.insert(SiteIconFileName(b));
  }
  EXPECT_EQ(names.size(), std::size(bases));
  std::string longName = SiteIconFileName(FromUtf8("http://" + std::string(300, 'x') + ".test/"));
  EXPECT_LE(longName.size(), 200u);
  EXPECT_NE(longName, SiteIconFileName(FromUtf8("http://" + std::string(301, 'x') + ".test/")));
}

}  // namespace
}  // namespace zel::test
