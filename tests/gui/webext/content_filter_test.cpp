// The content filter's request hook in real web processes: a WebKitWebContext with the
// browser's ContentFilterHost, real views in windows, pages and images from the test
// server. A listed image must arrive as the complete 1x1 blank GIF without the server ever
// seeing its request; everything else must load as served (a 2x3 PNG here, so a real
// image can never be mistaken for the blank one).
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "filters/filter_lists.h"
#include "filters/gtk/content_filter_host.h"
#include "support/log_watch.h"
#include "support/pump.h"
#include "support/test_server.h"

using namespace std::chrono_literals;

namespace zel::test {
namespace {

bool gDisplayReady = false;

// A 2x3 PNG, made once.
const std::string& RealImage() {
  static const std::string png = [] {
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 2, 3);
    gdk_pixbuf_fill(pixbuf, 0x3366ccff);
    gchar* buffer = nullptr;
    gsize size = 0;
    gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &size, "png", nullptr, nullptr);
    std::string bytes(buffer ? buffer : "", size);
    g_free(buffer);
    g_object_unref(pixbuf);
    return bytes;
  }();
  return png;
}

FilterLists Lists(std::vector<u16> block, std::vector<u16> allow = {}) {
  FilterLists lists;
  lists.contentBlockList = std::move(block);
  lists.contentAllowList = std::move(allow);
  lists.contentIndexStale = true;
  lists.RebuildContentIndex();
  return lists;
}

struct ImageState {
  bool complete = false;
  int width = -1;
  int height = -1;
};

class ContentFilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gDisplayReady) << "GTK could not open a display";
    ClearLogged();
    WebKitWebsiteDataManager* data = webkit_website_data_manager_new_ephemeral();
    context_ = webkit_web_context_new_with_website_data_manager(data);
    g_object_unref(data);
    for (const char* path : {"/ads/listed.gif", "/ads/other.gif", "/ads/ok.png", "/ads/late.gif",
                             "/banner/exact.gif", "/big/upper.gif", "/BIG/Upper.GIF",
                             "/img/plain.png"})
      server_.SetPage(path, RealImage());
  }

  void TearDown() override {
    if (window_) gtk_widget_destroy(window_);
    view_ = nullptr;
    host_.reset();
    if (context_) g_object_unref(context_);
    PumpFor(50ms);
    for (const auto& c : LoggedCriticals()) ADD_FAILURE() << "critical message: " << c;
  }

  std::string Url(const std::string& path) const { return server_.Url(path); }
  u16 Url16(const std::string& path) const { return FromUtf8(server_.Url(path)); }

  void StartHost(const FilterLists& lists, bool hookActive) {
    host_ = std::make_unique<ContentFilterHost>(context_, lists, hookActive);
    ASSERT_EQ(host_->extensionFolder(), g_getenv("ZEL_WEBEXT_DIR"))
        << "the request hook's module was not found";
  }

  void OpenView() {
    view_ = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context_, nullptr));
    ContentFilterHost::WatchView(view_, [this](u16 url) { blocked_.push_back(ToUtf8(url)); });
    g_signal_connect(view_, "load-changed", G_CALLBACK(OnLoadChanged), this);
    g_signal_connect(view_, "load-failed", G_CALLBACK(OnLoadFailed), this);
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window_), 800, 600);
    gtk_container_add(GTK_CONTAINER(window_), GTK_WIDGET(view_));
    gtk_widget_show_all(window_);
  }

  // Serves a page with one <img> per (id, path) and loads it; true once it finished.
  bool LoadPage(const std::string& path,
                const std::vector<std::pair<std::string, std::string>>& images) {
    std::string html = "<!DOCTYPE html><html><head><title>page</title></head><body>";
    for (const auto& [id, src] : images) html += "<img id=\"" + id + "\" src=\"" + src + "\">";
    html += "</body></html>";
    server_.SetPage(path, html);
    int before = finished_;
    webkit_web_view_load_uri(view_, Url(path).c_str());
    return PumpUntil([&] { return finished_ > before; }) && !failed_;
  }

  bool ReloadBypassingCache() {
    int before = finished_;
    webkit_web_view_reload_bypass_cache(view_);
    return PumpUntil([&] { return finished_ > before; }) && !failed_;
  }

  std::string Eval(const std::string& script) {
    struct Result {
      bool done = false;
      std::string json;
    } result;
    webkit_web_view_evaluate_javascript(
        view_, script.c_str(), -1, nullptr, nullptr, nullptr,
        [](GObject* source, GAsyncResult* res, gpointer data) {
          auto* r = static_cast<Result*>(data);
          GError* error = nullptr;
          JSCValue* value =
              webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), res, &error);
          if (value) {
            gchar* json = jsc_value_to_json(value, 0);
            r->json = json ? json : "";
            g_free(json);
            g_object_unref(value);
          } else {
            r->json = std::string("error: ") + (error ? error->message : "?");
            g_clear_error(&error);
          }
          r->done = true;
        },
        &result);
    if (!PumpUntil([&] { return result.done; }, 10s)) return "no answer";
    return result.json;
  }

  ImageState Image(const std::string& id) {
    std::string json = Eval("(function(){var i=document.getElementById('" + id +
                            "');return i?[i.complete?1:0,i.naturalWidth,i.naturalHeight]:[];})()");
    ImageState s;
    int complete = 0;
    if (std::sscanf(json.c_str(), "[%d,%d,%d]", &complete, &s.width, &s.height) == 3)
      s.complete = complete == 1;
    return s;
  }

  // The image arrived as the 1x1 blank GIF.
  void ExpectBlank(const std::string& id) {
    ImageState s = Image(id);
    EXPECT_TRUE(s.complete) << id;
    EXPECT_EQ(s.width, 1) << id;
    EXPECT_EQ(s.height, 1) << id;
  }
  // The image arrived as served by the test server.
  void ExpectReal(const std::string& id) {
    ImageState s = Image(id);
    EXPECT_TRUE(s.complete) << id;
    EXPECT_EQ(s.width, 2) << id;
    EXPECT_EQ(s.height, 3) << id;
  }

  bool WasReported(const std::string& url) const {
    for (const auto& b : blocked_)
      if (b == url) return true;
    return false;
  }

  static void OnLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer self) {
    if (event == WEBKIT_LOAD_STARTED) static_cast<ContentFilterTest*>(self)->failed_ = false;
    if (event == WEBKIT_LOAD_FINISHED) ++static_cast<ContentFilterTest*>(self)->finished_;
  }
  static gboolean OnLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar*, GError*, gpointer self) {
    static_cast<ContentFilterTest*>(self)->failed_ = true;
    return FALSE;
  }

  TestServer server_;
  WebKitWebContext* context_ = nullptr;
  std::unique_ptr<ContentFilterHost> host_;
  WebKitWebView* view_ = nullptr;
  GtkWidget* window_ = nullptr;
  int finished_ = 0;
  bool failed_ = false;
  std::vector<std::string> blocked_;
};

TEST_F(ContentFilterTest, ExactEntryArrivesAsBlankImageWithoutRequest) {
  StartHost(Lists({Url16("/banner/exact.gif")}), true);
  OpenView();
  ASSERT_TRUE(LoadPage("/raw/exact", {{"listed", "/banner/exact.gif"}, {"plain", "/img/plain.png"}}));
  ExpectBlank("listed");
  EXPECT_EQ(server_.Hits("/banner/exact.gif"), 0);
  ExpectReal("plain");
  EXPECT_EQ(server_.Hits("/img/plain.png"), 1);
}

TEST_F(ContentFilterTest, PatternEntryArrivesAsBlankImageWithoutRequest) {
  StartHost(Lists({u"http://127.0.0.1:*/ads/*.gif"}), true);
  OpenView();
  ASSERT_TRUE(LoadPage("/raw/pattern", {{"a", "/ads/listed.gif"},
                                        {"b", "/ads/other.gif"},
                                        {"png", "/ads/ok.png"},  // tail ".gif" does not match
                                        {"plain", "/img/plain.png"}}));
  ExpectBlank("a");
  ExpectBlank("b");
  EXPECT_EQ(server_.Hits("/ads/listed.gif"), 0);
  EXPECT_EQ(server_.Hits("/ads/other.gif"), 0);
  ExpectReal("png");
  EXPECT_EQ(server_.Hits("/ads/ok.png"), 1);
  ExpectReal("plain");
  EXPECT_EQ(server_.Hits("/img/plain.png"), 1);
}

TEST_F(ContentFilterTest, UpperCaseAddressMatchesLowerCaseEntry) {
  StartHost(Lists({Url16("/big/upper.gif")}), true);
  OpenView();
  ASSERT_TRUE(LoadPage("/raw/upper", {{"upper", "/BIG/Upper.GIF"}, {"plain", "/img/plain.png"}}));
  ExpectBlank("upper");
  EXPECT_EQ(server_.Hits("/BIG/Upper.GIF"), 0);
  EXPECT_EQ(server_.Hits("/big/upper.gif"), 0);
  ExpectReal("plain");
}

TEST_F(ContentFilterTest, ViewHearsOfEachBlockedRequestLowerCased) {
  StartHost(Lists({Url16("/big/upper.gif"), u"*/ads/*"}), true);
  OpenView();
  ASSERT_TRUE(LoadPage("/raw/report", {{"upper", "/BIG/Upper.GIF"},
                                       {"ads", "/ads/listed.gif"},
                                       {"plain", "/img/plain.png"}}));
  std::string upper = Url("/big/upper.gif");
  std::string ads = Url("/ads/listed.gif");
  EXPECT_TRUE(PumpUntil([&] { return WasReported(upper) && WasReported(ads); }, 5s))
      << "reports: " << ::testing::PrintToString(blocked_);
  EXPECT_FALSE(WasReported(Url("/BIG/Upper.GIF")));
  EXPECT_FALSE(WasReported(Url("/img/plain.png")));
  EXPECT_FALSE(WasReported(Url("/raw/report")));
  EXPECT_EQ(blocked_.size(), 2u) << ::testing::PrintToString(blocked_);
}

TEST_F(ContentFilterTest, AllowEntryLetsListedRequestThrough) {
  StartHost(Lists({u"*/ads/*"}, {Url16("/ads/ok.png")}), true);
  OpenView();
  ASSERT_TRUE(LoadPage("/raw/allow", {{"listed", "/ads/listed.gif"}, {"allowed", "/ads/ok.png"}}));
  ExpectBlank("listed");
  EXPECT_EQ(server_.Hits("/ads/listed.gif"), 0);
  ExpectReal("allowed");
  EXPECT_EQ(server_.Hits("/ads/ok.png"), 1);
  EXPECT_FALSE(WasReported(Url("/ads/ok.png")));
}

TEST_F(ContentFilterTest, UpdateWithFilterOffLetsTheSamePageLoadTheImage) {
  FilterLists lists = Lists({u"*/ads/*"});
  StartHost(lists, true);
  OpenView();
  ASSERT_TRUE(LoadPage("/raw/toggle", {{"listed", "/ads/listed.gif"}}));
  ExpectBlank("listed");
  ASSERT_EQ(server_.Hits("/ads/listed.gif"), 0);

  host_->Update(lists, false);
  EXPECT_FALSE(host_->state().hookActive);
  ASSERT_TRUE(ReloadBypassingCache());
  ExpectReal("listed");
  EXPECT_EQ(server_.Hits("/ads/listed.gif"), 1);
}

TEST_F(ContentFilterTest, UpdateReachesARunningProcessAndRebuildsItsIndex) {
  StartHost(Lists({}), false);
  OpenView();
  ASSERT_TRUE(LoadPage("/raw/before", {{"early", "/ads/listed.gif"}}));
  ExpectReal("early");
  EXPECT_EQ(server_.Hits("/ads/listed.gif"), 1);

  // Same view, same site: the page stays in the process that started with the filter off.
  host_->Update(Lists({Url16("/ads/late.gif")}), true);
  ASSERT_TRUE(LoadPage("/raw/after", {{"late", "/ads/late.gif"}, {"other", "/ads/other.gif"}}));
  ExpectBlank("late");
  EXPECT_EQ(server_.Hits("/ads/late.gif"), 0);
  ExpectReal("other");  // the new lists replaced the old ones, nothing else is listed

  host_->Update(Lists({Url16("/ads/other.gif")}), true);
  ASSERT_TRUE(ReloadBypassingCache());
  ExpectReal("late");
  EXPECT_EQ(server_.Hits("/ads/late.gif"), 1);
  ExpectBlank("other");
}

TEST_F(ContentFilterTest, NewProcessStartsWithTheLatestUpdate) {
  // The host starts inactive; the update comes before any web process exists, so only the
  // initialization data of the first process can carry it.
  StartHost(Lists({}), false);
  host_->Update(Lists({u"*/ads/*"}), true);
  OpenView();
  ASSERT_TRUE(LoadPage("/raw/fresh", {{"listed", "/ads/listed.gif"}, {"plain", "/img/plain.png"}}));
  ExpectBlank("listed");
  EXPECT_EQ(server_.Hits("/ads/listed.gif"), 0);
  ExpectReal("plain");
}

TEST_F(ContentFilterTest, StaleIndexLetsEverythingThrough) {
  FilterLists lists = Lists({u"*"});
  lists.contentIndexStale = true;
  StartHost(lists, true);
  OpenView();
  ASSERT_TRUE(LoadPage("/raw/stale", {{"listed", "/ads/listed.gif"}, {"plain", "/img/plain.png"}}));
  ExpectReal("listed");
  EXPECT_EQ(server_.Hits("/ads/listed.gif"), 1);
  ExpectReal("plain");
  EXPECT_TRUE(blocked_.empty()) << ::testing::PrintToString(blocked_);

  // Once the index is current, the lone "*" takes every request, the page's own included.
  lists.contentIndexStale = true;
  lists.RebuildContentIndex();
  host_->Update(lists, true);
  ASSERT_TRUE(LoadPage("/raw/stale2", {{"listed", "/ads/other.gif"}}));
  EXPECT_EQ(server_.Hits("/raw/stale2"), 0);
  EXPECT_TRUE(PumpUntil([&] { return WasReported(Url("/raw/stale2")); }, 5s));
}

TEST_F(ContentFilterTest, ContentFilterOffLetsEverythingThrough) {
  StartHost(Lists({u"*/ads/*"}), false);
  OpenView();
  ASSERT_TRUE(LoadPage("/raw/off", {{"listed", "/ads/listed.gif"}}));
  ExpectReal("listed");
  EXPECT_EQ(server_.Hits("/ads/listed.gif"), 1);
  EXPECT_TRUE(blocked_.empty());
}

}  // namespace
}  // namespace zel::test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  zel::test::WatchGLog();
  g_setenv("GSETTINGS_BACKEND", "memory", TRUE);
  // The module built next to these tests, unless the caller names another.
  g_setenv("ZEL_WEBEXT_DIR", ZEL_WEBEXT_BUILD_DIR, FALSE);
  // Listing the tests needs no display.
  if (!::testing::GTEST_FLAG(list_tests)) zel::test::gDisplayReady = gtk_init_check(&argc, &argv);
  return RUN_ALL_TESTS();
}
