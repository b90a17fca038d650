// Site icons over the frame with fake downloads and a fake image list.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <thread>

#include "base/files.h"
#include "fakes/frame_fixture.h"
#include "frame/tab_locks.h"
#include "icons/site_icons.h"

namespace zel::test {
namespace {

// Favicons from a table; every request is counted.
class TableFetcher : public HttpFetcher {
 public:
  bool Fetch(const HttpRequest& req, FetchCancel*) override {
    std::lock_guard<std::mutex> l(mu);
    requests.push_back(req.url);
    auto it = files.find(req.url);
    return it != files.end() && WriteFileAtomic(req.path, it->second);
  }
  size_t Count(const std::string& url) {
    std::lock_guard<std::mutex> l(mu);
    return std::count(requests.begin(), requests.end(), url);
  }
  std::mutex mu;
  std::map<std::string, std::string> files;
  std::vector<std::string> requests;
};

// A file is an image when it begins with "ICON".
class TableImages : public SiteIconImages {
 public:
  int Append(const std::string& path) override {
    auto bytes = ReadFileBytes(path);
    if (!bytes || bytes->rfind("ICON", 0) != 0) return -3;
    return kFirstSiteIcon + count++;
  }
  int count = 0;
};

class SiteIconsTest : public FrameFixture {
 protected:
  SiteIconsTest() { icons().SetPorts(&fetcher_, &images_); }
  SiteIconsController& icons() { return frame_.controller<SiteIconsController>(); }
  int IconOf(CChildFrame* c) { return window_.entries.at(frame_.TabIndexOf(c)).icon; }
  // Runs posted work until the fetches of the run have come back.
  void Settle(size_t requests) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < end) {
      loop_.RunPosted();
      {
        std::lock_guard<std::mutex> l(fetcher_.mu);
        if (fetcher_.requests.size() >= requests && !icons().fetching()) return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ADD_FAILURE() << "the fetches did not come back";
  }
  TableFetcher fetcher_;
  TableImages images_;
};

TEST_F(SiteIconsTest, OneFetchPerSiteAndEveryTabOfItGetsTheIcon) {
  fetcher_.files["http://a.test/favicon.ico"] = "ICON a";
  CChildFrame* one = OpenPage("http://a.test/one", "One");
  CChildFrame* two = OpenPage("http://a.test/two?x", "Two");
  CChildFrame* other = OpenPage("http://b.test/", "B");  // no favicon there
  Settle(2);
  EXPECT_EQ(fetcher_.Count("http://a.test/favicon.ico"), 1u);
  EXPECT_EQ(fetcher_.Count("http://b.test/favicon.ico"), 1u);
  EXPECT_EQ(IconOf(one), kFirstSiteIcon);
  EXPECT_EQ(IconOf(two), kFirstSiteIcon);
  EXPECT_FALSE(IsSiteIcon(IconOf(other)));
  // Asked again (another tab, another load): the map answers, nothing is fetched.
  OpenPage("http://b.test/again", "B2");
  OpenPage("http://a.test/three", "Three");
  Settle(2);
  EXPECT_EQ(fetcher_.requests.size(), 2u);
  EXPECT_EQ(icons().SiteIconIndex(u"http://a.test/x"), kFirstSiteIcon);
  EXPECT_EQ(icons().SiteIconIndex(u"http://b.test/x"), kSiteIconPending);
}

TEST_F(SiteIconsTest, OnlyWebPagesAndOnlyTheNormalStatesTakeIt) {
  fetcher_.files["http://a.test/favicon.ico"] = "ICON a";
  fetcher_.files["http://c.test/favicon.ico"] = "<html>not an icon</html>";
  CChildFrame* site = OpenPage("http://a.test/", "A");
  Settle(1);
  ASSERT_EQ(IconOf(site), kFirstSiteIcon);
  struct Case {
    const char16_t* address;
    int asked;
    bool site;
  } cases[] = {
      {u"http://a.test/p", -1, true},      {u"http://a.test/p", 5, true},
      {u"http://a.test/p", 9, true},       {u"http://a.test/p", 4, false},
      {u"http://a.test/p", 2, false},      {u"http://a.test/p", 6, false},
      {u"https://a.test/p", -1, false},    {u"ftp://a.test/p", -1, false},
      {u"file:///tmp/a.html", -1, false},
  };
  for (const auto& tc : cases) {
    site->view()->SetCurrentAddress(tc.address);
    EXPECT_EQ(IsSiteIcon(icons().IconToShow(site, tc.asked)), tc.site) << ToUtf8(tc.address) << tc.asked;
  }
  // A favicon that is no image: the built-in icon stays and the site is not asked again.
  CChildFrame* bad = OpenPage("http://c.test/", "C");
  Settle(3);
  EXPECT_FALSE(IsSiteIcon(IconOf(bad)));
  EXPECT_EQ(fetcher_.Count("http://c.test/favicon.ico"), 1u);
  EXPECT_FALSE(FileExists(JoinPath(icons().CacheFolder(), SiteIconFileName(u"http://c.test/"))));
}

TEST_F(SiteIconsTest, ALockedTabKeepsItsLockWhenTheIconArrives) {
  fetcher_.files["http://a.test/favicon.ico"] = "ICON a";
  CChildFrame* front = OpenPage("http://a.test/front", "Front");
  frame_.controller<TabLockController>().ToggleLock(front);
  Settle(1);
  EXPECT_EQ(IconOf(front), 4);
  // Unlocked, it shows the site's icon.
  frame_.controller<TabLockController>().ToggleLock(front);
  EXPECT_EQ(IconOf(front), kFirstSiteIcon);
  EXPECT_EQ(window_.addressIcon, kFirstSiteIcon);
}

TEST(SiteIconFileNames, AreSafeAndDistinct) {
  const char16_t* bases[] = {u"http://a.b/", u"https://a.b/", u"http://a.b:81/", u"http://A.b/",
                             u"http://a_b/"};
  std::set<std::string> names;
  for (const char16_t* b : bases) {
    std::string n = SiteIconFileName(b);
    EXPECT_EQ(n.find('/'), std::string::npos);
    names.insert(n);
  }
  EXPECT_EQ(names.size(), std::size(bases));
  std::string longHost = "http://" + std::string(300, 'x') + ".test/";
  std::string longName = SiteIconFileName(FromUtf8(longHost));
  EXPECT_LE(longName.size(), 200u);
  EXPECT_NE(longName, SiteIconFileName(FromUtf8("http://" + std::string(301, 'x') + ".test/")));
}

}  // namespace
}  // namespace zel::test
