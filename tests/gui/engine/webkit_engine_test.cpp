// The WebKit engine against real pages: the events a view receives and the operations it
// calls, in a real window under X.
#include <glib/gstdio.h>
#include <libsoup/soup.h>

#include "base/files.h"
#include "engine/engine_fixture.h"
#include "fakes/temp_dir.h"
#include "support/synth_input.h"

using namespace std::chrono_literals;

namespace zel::test {
namespace {

// An HTTP server on the test's own main loop that shows what it received: the method in
// #m, the body in #b and the X-Zel-Test header in #h. "/slow" never answers.
class EchoServer {
 public:
  explicit EchoServer(int port = 0) {
    server_ = soup_server_new(nullptr, nullptr);
    soup_server_add_handler(server_, nullptr, Handle, nullptr, nullptr);
    soup_server_listen_local(server_, port, SOUP_SERVER_LISTEN_IPV4_ONLY, nullptr);
    GSList* uris = soup_server_get_uris(server_);
    port_ = uris ? g_uri_get_port(static_cast<GUri*>(uris->data)) : 0;
    g_slist_free_full(uris, reinterpret_cast<GDestroyNotify>(g_uri_unref));
  }
  ~EchoServer() {
    soup_server_disconnect(server_);
    g_object_unref(server_);
  }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }

 private:
  static std::string Escape(const std::string& s) {
    char* e = g_markup_escape_text(s.data(), gssize(s.size()));
    std::string r = e;
    g_free(e);
    return r;
  }
  static void Handle(SoupServer*, SoupServerMessage* msg, const char* path, GHashTable*, gpointer) {
    if (g_strcmp0(path, "/slow") == 0) {
      soup_server_message_pause(msg);
      return;
    }
    GBytes* body = soup_message_body_flatten(soup_server_message_get_request_body(msg));
    gsize n = 0;
    const char* data = static_cast<const char*>(g_bytes_get_data(body, &n));
    const char* header = soup_message_headers_get_one(
        soup_server_message_get_request_headers(msg), "X-Zel-Test");
    std::string html = "<!DOCTYPE html><html><head><title>Echo</title></head><body><pre id=m>" +
                       Escape(soup_server_message_get_method(msg)) + "</pre><pre id=b>" +
                       Escape(std::string(data ? data : "", n)) + "</pre><pre id=h>" +
                       Escape(header ? header : "") + "</pre></body></html>";
    g_bytes_unref(body);
    soup_server_message_set_status(msg, 200, nullptr);
    soup_server_message_set_response(msg, "text/html; charset=utf-8", SOUP_MEMORY_COPY,
                                     html.data(), html.size());
  }
  SoupServer* server_;
  int port_ = 0;
};

std::string Page(const std::string& title, const std::string& body) {
  return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + title +
         "</title></head><body>" + body + "</body></html>";
}

// A shown top-level window of the given type (a dialog the engine opened), or null.
GtkWidget* FindDialog(GType type) {
  GList* all = gtk_window_list_toplevels();
  GtkWidget* found = nullptr;
  for (GList* l = all; l; l = l->next)
    if (G_TYPE_CHECK_INSTANCE_TYPE(l->data, type) && gtk_widget_get_visible(GTK_WIDGET(l->data)))
      found = GTK_WIDGET(l->data);
  g_list_free(all);
  return found;
}

// Every widget at or under root, internal children included (WebKit draws its dialogs
// and its login form as children of the view).
void Collect(GtkWidget* root, std::vector<GtkWidget*>* out) {
  out->push_back(root);
  if (GTK_IS_CONTAINER(root))
    gtk_container_forall(
        GTK_CONTAINER(root),
        [](GtkWidget* child, gpointer list) {
          Collect(child, static_cast<std::vector<GtkWidget*>*>(list));
        },
        out);
}

// The shown button of this label (mnemonic marks ignored) inside the view, or null.
GtkWidget* ButtonInView(GtkWidget* view, const std::string& label) {
  std::vector<GtkWidget*> all;
  Collect(view, &all);
  for (GtkWidget* w : all) {
    if (!GTK_IS_BUTTON(w) || !gtk_widget_is_visible(w)) continue;
    std::string text = gtk_button_get_label(GTK_BUTTON(w)) ? gtk_button_get_label(GTK_BUTTON(w)) : "";
    std::erase(text, '_');
    if (text == label) return w;
  }
  return nullptr;
}

std::vector<GtkEntry*> EntriesInView(GtkWidget* view) {
  std::vector<GtkWidget*> all;
  std::vector<GtkEntry*> entries;
  Collect(view, &all);
  for (GtkWidget* w : all)
    if (GTK_IS_ENTRY(w) && gtk_widget_is_visible(w)) entries.push_back(GTK_ENTRY(w));
  return entries;
}

const char kBlockStyle[] = "style=\"display:block;width:300px;height:40px\"";

// ---- Navigation events ----

TEST_F(EngineTest, NavigationRaisesBeforeCommitTitleAndCompleteInOrder) {
  std::string url = server_.Url("/t/Alpha");
  ASSERT_TRUE(Load(*engine_, events_, url)) << events_.Dump();
  int bn = events_.IndexOf("BN " + url);
  int nc = events_.IndexOf("NC " + url);
  int tc = events_.IndexOf("TC Alpha");
  int dc = events_.IndexOf("DC " + url);
  EXPECT_GE(bn, 0) << events_.Dump();
  EXPECT_GT(nc, bn) << events_.Dump();
  EXPECT_GT(tc, nc) << events_.Dump();
  EXPECT_GT(dc, tc) << events_.Dump();
  // Loading progress on the 10000 scale, then a finished page (0, 0) before the completion.
  int loading = -1;
  for (int i = bn; i < dc; ++i)
    if (events_.log[i].rfind("PC ", 0) == 0 && events_.log[i] != "PC 0/0" &&
        events_.log[i].find("/10000") != std::string::npos)
      loading = i;
  EXPECT_GE(loading, 0) << events_.Dump();
  int finished = events_.IndexOf("PC 0/0", nc);
  EXPECT_GT(finished, loading) << events_.Dump();
  EXPECT_LT(finished, dc) << events_.Dump();

  const BeforeNavigateArgs* nav = events_.NavFor(url);
  ASSERT_TRUE(nav);
  EXPECT_FALSE(nav->isPost);
  EXPECT_TRUE(nav->topLevel);
  EXPECT_FALSE(nav->userGesture);
  EXPECT_EQ(U8(engine_->LocationURL()), url);
  EXPECT_EQ(U8(engine_->LocationName()), "Alpha");
  EXPECT_FALSE(engine_->Busy());
  EXPECT_EQ(server_.Hits("/t/Alpha"), 1);
}

TEST_F(EngineTest, CancelledNavigationNeverReachesTheServer) {
  std::string start = server_.Url("/t/Start"), blocked = server_.Url("/t/Blocked");
  ASSERT_TRUE(Load(*engine_, events_, start));
  events_.cancelIf = [](const BeforeNavigateArgs& a) { return U8(a.url).find("/Blocked") != std::string::npos; };
  NavRequest req;
  req.url = FromUtf8(blocked);
  engine_->Navigate2(req);
  ASSERT_TRUE(PumpUntil([&] { return events_.Has("BN " + blocked); })) << events_.Dump();
  PumpFor(1000ms);
  EXPECT_EQ(server_.Hits("/t/Blocked"), 0);
  EXPECT_FALSE(events_.Has("NC " + blocked)) << events_.Dump();
  EXPECT_EQ(U8(engine_->LocationURL()), start);
  EXPECT_FALSE(engine_->Busy());
}

TEST_F(EngineTest, SubmittedFormArrivesAsPostWithGesture) {
  server_.SetPage("/raw/form", Page("Form",
                                    "<form method=\"post\" action=\"/t/Posted\"><input name=q value=hi>"
                                    "<input type=submit id=go value=Send " + std::string(kBlockStyle) +
                                    "></form>"));
  std::string form = server_.Url("/raw/form"), posted = server_.Url("/t/Posted");
  ASSERT_TRUE(Load(*engine_, events_, form));
  Click(*engine_, "go");
  ASSERT_TRUE(WaitComplete(events_, posted, 0)) << events_.Dump();
  const BeforeNavigateArgs* get = events_.NavFor(form);
  const BeforeNavigateArgs* post = events_.NavFor(posted);
  ASSERT_TRUE(get && post);
  EXPECT_FALSE(get->isPost);
  EXPECT_TRUE(post->isPost);
  EXPECT_TRUE(post->userGesture);
  EXPECT_TRUE(events_.Has("TC Posted"));
}

TEST_F(EngineTest, Navigate2WithPostDataPostsTheBodyInPlaceOfTheCurrentPage) {
  EchoServer echo;
  std::string first = server_.Url("/t/First"), target = echo.Url("/submit");
  ASSERT_TRUE(Load(*engine_, events_, first));
  size_t logStart = events_.log.size();
  NavRequest req;
  req.url = FromUtf8(target);
  req.postData = "a=1+2&b=%E4%B8%AD";
  engine_->Navigate2(req);
  ASSERT_TRUE(WaitComplete(events_, target, 0)) << events_.Dump();

  const BeforeNavigateArgs* nav = events_.NavFor(target);
  ASSERT_TRUE(nav);
  EXPECT_TRUE(nav->isPost);
  EXPECT_EQ(nav->postData, req.postData);
  EXPECT_EQ(Run(*engine_, "document.getElementById('m').textContent").json, "\"POST\"");
  EXPECT_EQ(Run(*engine_, "document.getElementById('b').textContent").json,
            "\"a=1+2&b=%E4%B8%AD\"");
  // The form page that carries the post is never seen: no events, no history entry.
  for (size_t i = logStart; i < events_.log.size(); ++i)
    EXPECT_EQ(events_.log[i].find("about:blank"), std::string::npos) << events_.Dump();
  int current = -1;
  auto log = engine_->TravelLog(&current);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(U8(log[0].url), first);
  EXPECT_EQ(U8(log[1].url), target);
  EXPECT_EQ(current, 1);
  EXPECT_TRUE(events_.back);
}

TEST_F(EngineTest, CancelledPostLoadsNothing) {
  EchoServer echo;
  std::string first = server_.Url("/t/First"), target = echo.Url("/submit");
  ASSERT_TRUE(Load(*engine_, events_, first));
  events_.cancelIf = [](const BeforeNavigateArgs& a) { return a.isPost; };
  NavRequest req;
  req.url = FromUtf8(target);
  req.postData = "a=1";
  engine_->Navigate2(req);
  ASSERT_TRUE(PumpUntil([&] { return events_.Has("BN " + target); }));
  PumpFor(800ms);
  EXPECT_EQ(U8(engine_->LocationURL()), first);
  EXPECT_FALSE(events_.Has("NC " + target));
}

TEST_F(EngineTest, ExtraHeadersReachTheServerAndTheEvent) {
  EchoServer echo;
  std::string target = echo.Url("/headers");
  NavRequest req;
  req.url = FromUtf8(target);
  req.headers = u"X-Zel-Test: hello\r\n";
  engine_->Navigate2(req);
  ASSERT_TRUE(WaitComplete(events_, target, 0)) << events_.Dump();
  EXPECT_EQ(Run(*engine_, "document.getElementById('h').textContent").json, "\"hello\"");
  EXPECT_EQ(Run(*engine_, "document.getElementById('m').textContent").json, "\"GET\"");
  const BeforeNavigateArgs* nav = events_.NavFor(target);
  ASSERT_TRUE(nav);
  EXPECT_EQ(nav->headers, req.headers);
}

TEST_F(EngineTest, NoHistoryFlagReplacesTheCurrentEntry) {
  std::string a = server_.Url("/t/A"), b = server_.Url("/t/B");
  ASSERT_TRUE(Load(*engine_, events_, a));
  NavRequest req;
  req.url = FromUtf8(b);
  req.flags = kNavNoHistory;
  engine_->Navigate2(req);
  ASSERT_TRUE(WaitComplete(events_, b, 0)) << events_.Dump();
  auto log = engine_->TravelLog(nullptr);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(U8(log[0].url), b);
  EXPECT_FALSE(engine_->CanGoBack());
  const BeforeNavigateArgs* nav = events_.NavFor(b);
  ASSERT_TRUE(nav);
  EXPECT_EQ(nav->flags, kNavNoHistory);
}

TEST_F(EngineTest, FailedLoadCompletesOnceWithItsAddress) {
  std::string url;
  {
    EchoServer gone;
    url = gone.Url("/nowhere");
  }
  NavRequest req;
  req.url = FromUtf8(url);
  engine_->Navigate2(req);
  ASSERT_TRUE(WaitComplete(events_, url, 0)) << events_.Dump();
  PumpFor(1500ms);
  EXPECT_EQ(events_.Count("DC " + url), 1) << events_.Dump();
  for (const auto& l : events_.log) {
    if (l.rfind("DC ", 0) == 0 || l.rfind("NC ", 0) == 0) {
      EXPECT_EQ(l.substr(3), url) << events_.Dump();
    }
  }
  int bn = events_.IndexOf("BN " + url);
  EXPECT_GE(bn, 0);
  EXPECT_GT(events_.IndexOf("PC 0/0"), bn);
  EXPECT_EQ(events_.log.back(), "DC " + url) << events_.Dump();
  EXPECT_FALSE(engine_->Busy());
}

TEST_F(EngineTest, StoppedLoadCompletes) {
  EchoServer echo;
  std::string url = echo.Url("/slow");
  NavRequest req;
  req.url = FromUtf8(url);
  engine_->Navigate2(req);
  ASSERT_TRUE(PumpUntil([&] { return engine_->Busy() && events_.Has("BN " + url); }));
  PumpFor(200ms);
  EXPECT_FALSE(events_.Has("PC 0/0"));
  engine_->Stop();
  ASSERT_TRUE(WaitComplete(events_, url, 0)) << events_.Dump();
  EXPECT_TRUE(events_.Has("PC 0/0"));
  EXPECT_FALSE(engine_->Busy());
  PumpFor(500ms);
  EXPECT_EQ(events_.Count("DC " + url), 1) << events_.Dump();
  // A stop is no failure: no error page.
  EXPECT_EQ(Run(*engine_, "document.getElementById('retry') === null").json, "true");
}

TEST_F(EngineTest, CancelledNavigationLeavesNoLoadingState) {
  ASSERT_TRUE(Load(*engine_, events_, server_.Url("/t/Here")));
  events_.cancelIf = [](const BeforeNavigateArgs&) { return true; };
  size_t before = events_.log.size();
  NavRequest req;
  req.url = FromUtf8(server_.Url("/t/Elsewhere"));
  engine_->Navigate2(req);
  ASSERT_TRUE(PumpUntil([&] { return events_.navs.size() == 2; }));
  PumpFor(500ms);
  // Nothing says "loading" for a navigation that never started.
  for (size_t i = before; i < events_.log.size(); ++i)
    EXPECT_NE(events_.log[i].rfind("PC ", 0), 0u) << events_.Dump();
  EXPECT_FALSE(engine_->Busy());
}

TEST_F(EngineTest, RefreshLoadsThePageAgain) {
  std::string url = server_.Url("/t/Again");
  ASSERT_TRUE(Load(*engine_, events_, url));
  engine_->Refresh2(kRefreshNormal);
  ASSERT_TRUE(WaitComplete(events_, url, 1)) << events_.Dump();
  engine_->Refresh2(kRefreshCompletely);
  ASSERT_TRUE(WaitComplete(events_, url, 2)) << events_.Dump();
  EXPECT_EQ(server_.Hits("/t/Again"), 3);
  EXPECT_EQ(events_.Count("BN " + url), 3);
}

TEST_F(EngineTest, GoHomeShowsTheBlankPage) {
  ASSERT_TRUE(Load(*engine_, events_, server_.Url("/t/Away")));
  engine_->GoHome();
  ASSERT_TRUE(WaitComplete(events_, "about:blank", 0)) << events_.Dump();
  EXPECT_EQ(U8(engine_->LocationURL()), "about:blank");
  EXPECT_TRUE(events_.Has("BN about:blank"));
}

// ---- New windows ----

class NewWindowTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    events_.onNewWindow = [this](const u16&, bool) {
      popup_ = Make(engine_.get(), &popupEvents_);
      return popup_.get();
    };
  }
  void TearDown() override {
    popup_.reset();
    EngineTest::TearDown();
  }
  Recorder popupEvents_;
  std::unique_ptr<Engine> popup_;
};

TEST_F(NewWindowTest, ClickOnTargetedLinkOpensTheNamedWindowInTheRelatedEngine) {
  server_.SetPage("/raw/links", Page("Links", "<a id=named href=\"/t/Popped\" target=\"zelwin\" " +
                                                  std::string(kBlockStyle) + ">named</a>"));
  std::string links = server_.Url("/raw/links"), popped = server_.Url("/t/Popped");
  ASSERT_TRUE(Load(*engine_, events_, links));
  Click(*engine_, "named");
  ASSERT_TRUE(PumpUntil([&] { return popupEvents_.Has("TC Popped"); })) << events_.Dump()
                                                                        << popupEvents_.Dump();
  ASSERT_EQ(events_.newWindows.size(), 1u);
  EXPECT_EQ(events_.newWindows[0].url, popped);
  EXPECT_TRUE(events_.newWindows[0].gesture);
  const BeforeNavigateArgs* nav = popupEvents_.NavFor(popped);
  ASSERT_TRUE(nav) << popupEvents_.Dump();
  EXPECT_EQ(U8(nav->targetFrame), "zelwin");
  // The opener stays where it was.
  EXPECT_FALSE(events_.Has("BN " + popped));
  EXPECT_EQ(U8(engine_->LocationURL()), links);
  EXPECT_EQ(U8(popup_->LocationURL()), popped);
}

TEST_F(NewWindowTest, Navigate2AimedAtAWindowByNameLoadsInThatWindow) {
  server_.SetPage("/raw/links", Page("Links", "<a id=named href=\"/t/Popped\" target=\"zelwin\" " +
                                                  std::string(kBlockStyle) + ">named</a>"));
  std::string links = server_.Url("/raw/links");
  ASSERT_TRUE(Load(*engine_, events_, links));
  Click(*engine_, "named");
  ASSERT_TRUE(PumpUntil([&] { return popupEvents_.Has("TC Popped"); })) << popupEvents_.Dump();
  std::string second = server_.Url("/t/Second");
  NavRequest req;
  req.url = FromUtf8(second);
  req.targetFrame = u"zelwin";
  engine_->Navigate2(req);
  ASSERT_TRUE(WaitComplete(popupEvents_, second, 0)) << popupEvents_.Dump();
  EXPECT_EQ(events_.newWindows.size(), 1u);
  EXPECT_EQ(U8(engine_->LocationURL()), links);
  EXPECT_EQ(U8(popup_->LocationURL()), second);
}

TEST_F(NewWindowTest, WindowOpenAfterAClickIsAUserGesture) {
  server_.SetPage("/raw/button", Page("Button", "<button id=b onclick=\"window.open('/t/Clicked')\" " +
                                                    std::string(kBlockStyle) + ">open</button>"));
  ASSERT_TRUE(Load(*engine_, events_, server_.Url("/raw/button")));
  Click(*engine_, "b");
  ASSERT_TRUE(PumpUntil([&] { return popupEvents_.Has("TC Clicked"); })) << events_.Dump();
  ASSERT_EQ(events_.newWindows.size(), 1u);
  EXPECT_TRUE(events_.newWindows[0].gesture);
  EXPECT_EQ(events_.newWindows[0].url, server_.Url("/t/Clicked"));
}

TEST_F(NewWindowTest, WindowOpenWithoutAClickIsNoUserGesture) {
  server_.SetPage("/raw/auto", Page("Auto", "<script>setTimeout(function(){"
                                            "window.open('/t/Unasked')}, 50)</script>"));
  ASSERT_TRUE(Load(*engine_, events_, server_.Url("/raw/auto")));
  ASSERT_TRUE(PumpUntil([&] { return popupEvents_.Has("TC Unasked"); })) << events_.Dump();
  ASSERT_EQ(events_.newWindows.size(), 1u);
  EXPECT_FALSE(events_.newWindows[0].gesture);
}

TEST_F(NewWindowTest, OpenInNewWindowFlagOpensThroughNewWindow2) {
  ASSERT_TRUE(Load(*engine_, events_, server_.Url("/t/Opener")));
  std::string url = server_.Url("/t/Fresh");
  NavRequest req;
  req.url = FromUtf8(url);
  req.flags = kNavOpenInNewWindow;
  engine_->Navigate2(req);
  ASSERT_TRUE(PumpUntil([&] { return popupEvents_.Has("TC Fresh"); })) << events_.Dump();
  ASSERT_EQ(events_.newWindows.size(), 1u);
  EXPECT_EQ(events_.newWindows[0].url, url);
  EXPECT_EQ(U8(engine_->LocationURL()), server_.Url("/t/Opener"));
}

const char kOpenReport[] =
    "<script>setTimeout(function(){var w = window.open('/t/Never');"
    "document.title = w ? 'opened' : 'refused';}, 50)</script>";

TEST_F(EngineTest, RefusedNewWindowOpensNothing) {
  server_.SetPage("/raw/open", Page("Open", kOpenReport));
  events_.onNewWindow = [](const u16&, bool) { return nullptr; };
  ASSERT_TRUE(Load(*engine_, events_, server_.Url("/raw/open")));
  ASSERT_TRUE(PumpUntil([&] { return events_.Has("TC refused"); })) << events_.Dump();
  EXPECT_EQ(events_.newWindows.size(), 1u);
  PumpFor(300ms);
  EXPECT_EQ(server_.Hits("/t/Never"), 0);
}

TEST_F(EngineTest, EngineNotMadeForTheOpenerIsRefused) {
  server_.SetPage("/raw/open", Page("Open", kOpenReport));
  Recorder otherEvents;
  std::unique_ptr<Engine> other;
  events_.onNewWindow = [&](const u16&, bool) {
    other = Make(nullptr, &otherEvents);
    return other.get();
  };
  ASSERT_TRUE(Load(*engine_, events_, server_.Url("/raw/open")));
  ASSERT_TRUE(PumpUntil([&] { return events_.Has("TC refused"); })) << events_.Dump();
  bool warned = false;
  for (const auto& w : LoggedWarnings()) warned |= w.find("not created for this opener") != std::string::npos;
  EXPECT_TRUE(warned);
  EXPECT_EQ(server_.Hits("/t/Never"), 0);
  other.reset();
}

// ---- History ----

TEST_F(EngineTest, BackAndForwardStateFollowTheHistory) {
  std::string a = server_.Url("/t/A"), b = server_.Url("/t/B"), c = server_.Url("/t/C");
  ASSERT_TRUE(Load(*engine_, events_, a));
  EXPECT_FALSE(events_.back);
  EXPECT_FALSE(events_.forward);
  ASSERT_TRUE(Load(*engine_, events_, b));
  EXPECT_TRUE(PumpUntil([&] { return events_.back; }));
  EXPECT_FALSE(events_.forward);
  ASSERT_TRUE(Load(*engine_, events_, c));

  engine_->GoBack(1);
  ASSERT_TRUE(WaitComplete(events_, b, 1)) << events_.Dump();
  EXPECT_EQ(U8(engine_->LocationURL()), b);
  EXPECT_EQ(events_.Count("BN " + b), 2) << "a history move is a navigation too";
  EXPECT_TRUE(PumpUntil([&] { return events_.back && events_.forward; }));
  EXPECT_TRUE(engine_->CanGoBack());
  EXPECT_TRUE(engine_->CanGoForward());

  engine_->GoBack(5);  // only one step is left
  ASSERT_TRUE(WaitComplete(events_, a, 1)) << events_.Dump();
  EXPECT_TRUE(PumpUntil([&] { return !events_.back && events_.forward; }));

  engine_->GoForward(2);
  ASSERT_TRUE(WaitComplete(events_, c, 1)) << events_.Dump();
  EXPECT_TRUE(PumpUntil([&] { return events_.back && !events_.forward; }));
  EXPECT_FALSE(engine_->CanGoForward());
}

TEST_F(EngineTest, TravelLogListsEntriesOldestFirst) {
  std::string a = server_.Url("/t/A"), b = server_.Url("/t/B"), c = server_.Url("/t/C");
  int current = 7;
  EXPECT_TRUE(engine_->TravelLog(&current).empty());
  EXPECT_EQ(current, -1);
  ASSERT_TRUE(Load(*engine_, events_, a));
  ASSERT_TRUE(Load(*engine_, events_, b));
  ASSERT_TRUE(Load(*engine_, events_, c));
  engine_->GoBack(1);
  ASSERT_TRUE(WaitComplete(events_, b, 1));
  auto log = engine_->TravelLog(&current);
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(U8(log[0].url), a);
  EXPECT_EQ(U8(log[1].url), b);
  EXPECT_EQ(U8(log[2].url), c);
  EXPECT_EQ(U8(log[0].title), "A");
  EXPECT_EQ(U8(log[2].title), "C");
  EXPECT_EQ(current, 1);
}

TEST_F(EngineTest, RestoredSessionBringsBackTheHistory) {
  std::string a = server_.Url("/t/A"), b = server_.Url("/t/B"), c = server_.Url("/t/C");
  ASSERT_TRUE(Load(*engine_, events_, a));
  ASSERT_TRUE(Load(*engine_, events_, b));
  ASSERT_TRUE(Load(*engine_, events_, c));
  std::string state = engine_->SaveSession();
  ASSERT_FALSE(state.empty());

  Recorder again;
  std::unique_ptr<Engine> fresh = Make(nullptr, &again);
  EXPECT_FALSE(fresh->RestoreSession("not a session"));
  ASSERT_TRUE(fresh->RestoreSession(state));
  ASSERT_TRUE(WaitComplete(again, c, 0)) << again.Dump();
  EXPECT_TRUE(again.Has("TC C"));
  EXPECT_TRUE(fresh->CanGoBack());
  EXPECT_TRUE(again.back);
  int current = -1;
  auto log = fresh->TravelLog(&current);
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(U8(log[0].url), a);
  EXPECT_EQ(current, 2);
  fresh->GoBack(1);
  ASSERT_TRUE(WaitComplete(again, b, 0)) << again.Dump();
  EXPECT_TRUE(again.Has("TC B"));
  fresh.reset();
}

// ---- Scripts ----

TEST_F(EngineTest, RunScriptAnswersWithJson) {
  ASSERT_TRUE(Load(*engine_, events_, server_.Url("/t/Script")));
  ScriptResult r = Run(*engine_, "1+1");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.json, "2");
  r = Run(*engine_, "[1, 'x', {a: [true, null]}]");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.json, "[1,\"x\",{\"a\":[true,null]}]");
  r = Run(*engine_, "document.title + '中'");
  EXPECT_EQ(r.json, "\"Script中\"");
  r = Run(*engine_, "undefined");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.json, "null");
  r = Run(*engine_, "throw new Error('boom')");
  EXPECT_FALSE(r.ok);
  EXPECT_NE(U8(r.error).find("boom"), std::string::npos) << U8(r.error);
  r = Run(*engine_, "this is not javascript");
  EXPECT_FALSE(r.ok);
}

TEST_F(EngineTest, ScriptAnswerAfterTheEngineIsGoneIsDropped) {
  ASSERT_TRUE(Load(*engine_, events_, server_.Url("/t/Gone")));
  bool called = false;
  engine_->RunScript(u"var s = 0; for (var i = 0; i < 1e6; i++) s += i; s", [&](const ScriptResult&) {
    called = true;
  });
  engine_.reset();
  PumpFor(1000ms);
  EXPECT_FALSE(called);
}

// ---- The page's dialogs and login ----

// A script started in the page; its answer, once there is one.
struct Pending {
  bool done = false;
  ScriptResult result;
};
std::shared_ptr<Pending> Start(Engine& e, const std::string& script) {
  auto p = std::make_shared<Pending>();
  e.RunScript(FromUtf8(script), [p](const ScriptResult& r) {
    p->result = r;
    p->done = true;
  });
  return p;
}

TEST_F(EngineTest, ConfirmAndPromptAreShownAndAnswerWhatTheUserChose) {
  ASSERT_TRUE(Load(*engine_, events_, server_.Url("/t/Ask")));
  // Silent (as every tab is) holds back script errors only.
  engine_->SetSilent(true);
  GtkWidget* view = Widget(*engine_);
  auto yes = Start(*engine_, "confirm('really?')");
  ASSERT_TRUE(PumpUntil([&] { return ButtonInView(view, "OK") != nullptr; }));
  EXPECT_FALSE(yes->done);
  gtk_button_clicked(GTK_BUTTON(ButtonInView(view, "OK")));
  ASSERT_TRUE(PumpUntil([&] { return yes->done; }));
  EXPECT_EQ(yes->result.json, "true");

  auto no = Start(*engine_, "confirm('really?')");
  ASSERT_TRUE(PumpUntil([&] { return ButtonInView(view, "Cancel") != nullptr; }));
  gtk_button_clicked(GTK_BUTTON(ButtonInView(view, "Cancel")));
  ASSERT_TRUE(PumpUntil([&] { return no->done; }));
  EXPECT_EQ(no->result.json, "false");

  auto name = Start(*engine_, "prompt('name?', 'x')");
  ASSERT_TRUE(PumpUntil([&] { return EntriesInView(view).size() == 1; }));
  gtk_entry_set_text(EntriesInView(view)[0], "Zhang San");
  gtk_button_clicked(GTK_BUTTON(ButtonInView(view, "OK")));
  ASSERT_TRUE(PumpUntil([&] { return name->done; }));
  EXPECT_EQ(name->result.json, "\"Zhang San\"");
}

TEST_F(EngineTest, AlertHoldsOnlyItsOwnPage) {
  Recorder otherEvents;
  std::unique_ptr<Engine> other = Make(nullptr, &otherEvents);
  ASSERT_TRUE(Load(*engine_, events_, server_.Url("/t/Waits")));
  engine_->SetSilent(true);
  auto alert = Start(*engine_, "alert('wait'); 7");
  ASSERT_TRUE(PumpUntil([&] { return ButtonInView(Widget(*engine_), "Close") != nullptr; }));
  // The other page loads and runs while the alert waits for its answer.
  ASSERT_TRUE(Load(*other, otherEvents, server_.Url("/t/Meanwhile"))) << otherEvents.Dump();
  EXPECT_EQ(Run(*other, "1 + 1").json, "2");
  EXPECT_EQ(ButtonInView(Widget(*other), "Close"), nullptr);
  EXPECT_FALSE(alert->done);
  gtk_button_clicked(GTK_BUTTON(ButtonInView(Widget(*engine_), "Close")));
  ASSERT_TRUE(PumpUntil([&] { return alert->done; }));
  EXPECT_EQ(alert->result.json, "7");
}

TEST_F(EngineTest, PageBehindBasicAuthenticationLoadsAfterLogin) {
  server_.SetProtectedPage("/raw/secret", "zel", "s3cret", Page("Secret", "inside"));
  std::string url = server_.Url("/raw/secret");
  NavRequest req;
  req.url = FromUtf8(url);
  engine_->Navigate2(req);
  GtkWidget* view = Widget(*engine_);
  ASSERT_TRUE(PumpUntil([&] { return EntriesInView(view).size() == 2; })) << events_.Dump();
  EXPECT_FALSE(events_.Has("TC Secret"));
  // The user name is the visible field, the password the hidden one.
  for (GtkEntry* field : EntriesInView(view))
    gtk_entry_set_text(field, gtk_entry_get_visibility(field) ? "zel" : "s3cret");
  GtkWidget* login = ButtonInView(view, "Authenticate");
  if (!login) login = ButtonInView(view, "Log In");
  ASSERT_TRUE(login);
  gtk_button_clicked(GTK_BUTTON(login));
  ASSERT_TRUE(PumpUntil([&] { return events_.Has("TC Secret"); })) << events_.Dump();
  EXPECT_EQ(Run(*engine_, "document.body.textContent").json, "\"inside\"");
}

// ---- Failed loads ----

TEST_F(EngineTest, FailedLoadsShowOurErrorPageWithTheReasonAndKeepTheAddress) {
  // The retry button's text and the reason, once the error page is shown.
  auto errorPage = [&](std::string* reason) {
    return PumpUntil([&] {
      ScriptResult r = Run(*engine_, "document.getElementById('retry') ? "
                                     "document.getElementById('retry').textContent + '|' + "
                                     "document.getElementById('reason').textContent : ''");
      if (!r.ok || r.json.size() < 3) return false;
      *reason = r.json;
      return true;
    });
  };
  std::string blocked = "http://127.0.0.1:9/";
  NavRequest req;
  req.url = FromUtf8(blocked);
  engine_->Navigate2(req);
  std::string reason;
  ASSERT_TRUE(errorPage(&reason)) << events_.Dump();
  EXPECT_NE(reason.find("重试|端口被阻止"), std::string::npos) << reason;
  EXPECT_EQ(U8(engine_->LocationURL()), blocked);
  EXPECT_TRUE(events_.Has("NC " + blocked)) << events_.Dump();

  int port = 0;
  {
    EchoServer gone;
    port = std::stoi(gone.Url("").substr(strlen("http://127.0.0.1:")));
  }
  std::string refused = "http://127.0.0.1:" + std::to_string(port) + "/back";
  req.url = FromUtf8(refused);
  engine_->Navigate2(req);
  ASSERT_TRUE(WaitComplete(events_, refused, 0)) << events_.Dump();
  ASSERT_TRUE(errorPage(&reason)) << events_.Dump();
  EXPECT_NE(reason.find("重试|连接被拒绝"), std::string::npos) << reason;
  EXPECT_EQ(U8(engine_->LocationURL()), refused);

  // Retry, once the server is there, loads the address.
  EchoServer back(port);
  int before = events_.Count("DC " + refused);
  Click(*engine_, "retry");
  ASSERT_TRUE(WaitComplete(events_, refused, before)) << events_.Dump();
  EXPECT_EQ(Run(*engine_, "document.title").json, "\"Echo\"");
  EXPECT_EQ(U8(engine_->LocationURL()), refused);
}

// ---- Status, focus, page switches ----

TEST_F(EngineTest, StatusTextShowsTheLinkUnderThePointer) {
  server_.SetPage("/raw/hover", Page("Hover", "<a id=l href=\"/t/Target\" " + std::string(kBlockStyle) +
                                                  ">link</a><div style=\"height:400px\"></div>"));
  ASSERT_TRUE(Load(*engine_, events_, server_.Url("/raw/hover")));
  double x = 0, y = 0;
  ASSERT_TRUE(CenterOf(*engine_, "l", &x, &y));
  std::string target = server_.Url("/t/Target");
  // Moved again now and then: under load the page can miss a single motion.
  int moves = 0;
  ASSERT_TRUE(PumpUntil([&] {
    if (moves++ % 20 == 0) MoveTo(Widget(*engine_), x + (moves / 20) % 2, y);
    return !events_.statuses.empty() && events_.statuses.back() == target;
  })) << events_.Dump();
  moves = 0;
  ASSERT_TRUE(PumpUntil([&] {
    if (moves++ % 20 == 0) MoveTo(Widget(*engine_), 600 + (moves / 20) % 2, 300);
    return events_.statuses.back().empty();
  })) << events_.Dump();
}

TEST_F(EngineTest, FocusGoesToThePage) {
  ASSERT_TRUE(Load(*engine_, events_, server_.Url("/t/Focus")));
  GtkWidget* window = gtk_widget_get_toplevel(Widget(*engine_));
  GtkWidget* entry = gtk_entry_new();
  gtk_container_remove(GTK_CONTAINER(window), Widget(*engine_));  // keeps the view: the engine holds it
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_box_pack_start(GTK_BOX(box), entry, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), Widget(*engine_), TRUE, TRUE, 0);
  gtk_container_add(GTK_CONTAINER(window), box);
  gtk_widget_show_all(window);
  gtk_widget_grab_focus(entry);
  ASSERT_EQ(gtk_window_get_focus(GTK_WINDOW(window)), entry);
  engine_->Focus();
  EXPECT_EQ(gtk_window_get_focus(GTK_WINDOW(window)), Widget(*engine_));
}

TEST_F(EngineTest, ImageSwitchIsPerView) {
  Recorder otherEvents;
  std::unique_ptr<Engine> other = Make(nullptr, &otherEvents);
  server_.SetPage("/raw/imgA", Page("ImgA", "<img src=\"/img/A.png\">"));
  server_.SetPage("/raw/imgB", Page("ImgB", "<img src=\"/img/B.png\">"));
  engine_->SetLoadImages(false);
  ASSERT_TRUE(Load(*engine_, events_, server_.Url("/raw/imgA")));
  ASSERT_TRUE(Load(*other, otherEvents, server_.Url("/raw/imgB")));
  PumpFor(300ms);
  EXPECT_EQ(server_.Hits("/img/A.png"), 0);
  EXPECT_EQ(server_.Hits("/img/B.png"), 1);
  EXPECT_NE(webkit_web_view_get_settings(View(*engine_)), webkit_web_view_get_settings(View(*other)));
  other.reset();
}

TEST_F(EngineTest, ScriptSwitchStopsPageScriptsButNotRunScript) {
  server_.SetPage("/raw/scripted", Page("Static", "<script>document.title = 'Scripted';</script>"));
  std::string url = server_.Url("/raw/scripted");
  engine_->SetScriptsEnabled(false);
  ASSERT_TRUE(Load(*engine_, events_, url));
  EXPECT_EQ(U8(engine_->LocationName()), "Static");
  EXPECT_EQ(Run(*engine_, "1+2").json, "3");
  engine_->SetScriptsEnabled(true);
  engine_->Refresh2(kRefreshNormal);
  ASSERT_TRUE(WaitComplete(events_, url, 1));
  EXPECT_EQ(U8(engine_->LocationName()), "Scripted");
}

TEST_F(EngineTest, MediaSwitchTurnsMediaElementsIntoUnknownOnes) {
  const std::string kind = "document.createElement('video').constructor.name";
  ASSERT_TRUE(Load(*engine_, events_, server_.Url("/t/Media")));
  EXPECT_EQ(Run(*engine_, kind).json, "\"HTMLVideoElement\"");
  engine_->SetMediaEnabled(false);
  engine_->Refresh2(kRefreshNormal);
  ASSERT_TRUE(WaitComplete(events_, server_.Url("/t/Media"), 1));
  EXPECT_EQ(Run(*engine_, kind).json, "\"HTMLUnknownElement\"");
}

// ---- ExecWB ----

TEST_F(EngineTest, TextSizeZoomsTextOnly) {
  server_.SetPage("/raw/zoom", Page("Zoom", "<span id=t>some text</span>"
                                            "<div id=box style=\"width:100px;height:10px\"></div>"));
  ASSERT_TRUE(Load(*engine_, events_, server_.Url("/raw/zoom")));
  const std::string text = "document.getElementById('t').getBoundingClientRect().width";
  const std::string box = "document.getElementById('box').getBoundingClientRect().width";
  double normal = std::stod(Run(*engine_, text).json);
  engine_->ExecWB(kOleZoom, kOleOptionNoPrompt, 4);
  EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(View(*engine_)), 1.5);
  EXPECT_TRUE(webkit_settings_get_zoom_text_only(webkit_web_view_get_settings(View(*engine_))));
  EXPECT_TRUE(PumpUntil([&] { return std::stod(Run(*engine_, text).json) > normal * 1.3; }));
  EXPECT_EQ(Run(*engine_, box).json, "100");
  engine_->ExecWB(kOleZoom, kOleOptionNoPrompt, 0);
  EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(View(*engine_)), 0.7);
  engine_->ExecWB(kOleZoom, kOleOptionNoPrompt, 2);
  EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(View(*engine_)), 1.0);
  engine_->ExecWB(kOleZoom, kOleOptionNoPrompt, 9);
  EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(View(*engine_)), 1.5);
}

TEST_F(EngineTest, SaveWithoutPromptWritesIntoTheSaveFolder) {
  TempDir dir;
  static_cast<WebKitEngine*>(engine_.get())->SetSaveFolder(dir.path());
  ASSERT_TRUE(Load(*engine_, events_, server_.Url("/t/Saved")));
  engine_->ExecWB(kOleSaveAs, kOleOptionNoPrompt);
  auto holds = [](const std::string& path) {
    auto text = ReadFileBytes(path);
    return text && text->find("Saved") != std::string::npos && text->find("</html>") != std::string::npos;
  };
  EXPECT_TRUE(PumpUntil([&] { return holds(dir / "Saved.mht"); }));
  engine_->ExecWB(kOleSaveAs, kOleOptionNoPrompt);
  EXPECT_TRUE(PumpUntil([&] { return holds(dir / "Saved (2).mht"); }));
}

TEST_F(EngineTest, SaveWithPromptAsksForTheFileAndSavesThere) {
  TempDir dir;
  static_cast<WebKitEngine*>(engine_.get())->SetSaveFolder(dir.path());
  ASSERT_TRUE(Load(*engine_, events_, server_.Url("/t/Asked")));
  engine_->ExecWB(kOleSaveAs, kOleOptionPrompt);
  GtkWidget* dialog = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (dialog = FindDialog(GTK_TYPE_FILE_CHOOSER_DIALOG)) != nullptr; }));
  char* proposed = gtk_file_chooser_get_current_name(GTK_FILE_CHOOSER(dialog));
  EXPECT_STREQ(proposed, "Asked.mht");
  g_free(proposed);
  std::string path = dir / "chosen.mht";
  gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(dialog), "chosen.mht");
  ASSERT_TRUE(PumpUntil([&] {
    char* f = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog));
    bool there = f && path == f;
    g_free(f);
    return there;
  }));
  gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
  EXPECT_TRUE(PumpUntil([&] {
    auto text = ReadFileBytes(path);
    return text && text->find("Asked") != std::string::npos && text->find("</html>") != std::string::npos;
  }));
  EXPECT_FALSE(FindDialog(GTK_TYPE_FILE_CHOOSER_DIALOG));
}

TEST_F(EngineTest, PropertiesShowTheTitleAndAddress) {
  std::string url = server_.Url("/t/Props");
  ASSERT_TRUE(Load(*engine_, events_, url));
  engine_->ExecWB(kOleProperties, kOleOptionNoPrompt);
  GtkWidget* dialog = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (dialog = FindDialog(GTK_TYPE_MESSAGE_DIALOG)) != nullptr; }));
  char* text = nullptr;
  g_object_get(dialog, "text", &text, nullptr);
  std::string shown = text ? text : "";
  g_free(text);
  EXPECT_NE(shown.find("Props"), std::string::npos) << shown;
  EXPECT_NE(shown.find(url), std::string::npos) << shown;
  EXPECT_NE(shown.find("text/html"), std::string::npos) << shown;
  gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CLOSE);
  EXPECT_TRUE(PumpUntil([&] { return !FindDialog(GTK_TYPE_MESSAGE_DIALOG); }));
}

TEST_F(EngineTest, PageSetupAnsweredAfterTheEngineIsGoneIsHarmless) {
  ASSERT_TRUE(Load(*engine_, events_, server_.Url("/t/Setup")));
  engine_->ExecWB(kOlePageSetup, kOleOptionPrompt);
  GtkWidget* dialog = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (dialog = FindDialog(GTK_TYPE_DIALOG)) != nullptr; }));
  engine_.reset();
  gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
  EXPECT_TRUE(PumpUntil([&] { return !FindDialog(GTK_TYPE_DIALOG); }));
}

TEST_F(EngineTest, PrintDialogOpensAndCancels) {
  ASSERT_TRUE(Load(*engine_, events_, server_.Url("/t/Paper")));
  // The print dialog runs until it is answered: answer it from the loop it runs.
  bool seen = false;
  struct Ctx {
    bool* seen;
  } ctx{&seen};
  guint id = g_timeout_add(
      100,
      [](gpointer p) -> gboolean {
        GtkWidget* d = FindDialog(GTK_TYPE_DIALOG);
        if (!d) return G_SOURCE_CONTINUE;
        *static_cast<Ctx*>(p)->seen = true;
        gtk_dialog_response(GTK_DIALOG(d), GTK_RESPONSE_CANCEL);
        return G_SOURCE_REMOVE;
      },
      &ctx);
  engine_->ExecWB(6, kOleOptionPrompt);  // the document's print command
  EXPECT_TRUE(seen);
  if (!seen) g_source_remove(id);
}

TEST_F(EngineTest, EditCommandsWorkOnTheFocusedField) {
  server_.SetPage("/raw/edit", Page("Edit", "<input id=i value=\"clip text\">"));
  ASSERT_TRUE(Load(*engine_, events_, server_.Url("/raw/edit")));
  engine_->Focus();
  ASSERT_EQ(Run(*engine_, "document.getElementById('i').focus(); 1").json, "1");
  engine_->ExecWB(kOleSelectAll, kOleOptionNoPrompt);
  const std::string selection =
      "(function(){var i=document.getElementById('i');return i.selectionStart+','+i.selectionEnd;})()";
  ASSERT_TRUE(PumpUntil([&] { return Run(*engine_, selection).json == "\"0,9\""; }));

  GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
  gtk_clipboard_set_text(clipboard, "old", -1);
  engine_->ExecWB(kOleCopy, kOleOptionNoPrompt);
  auto clipboardText = [&] {
    std::string text;
    bool got = false;
    struct Ctx { std::string* t; bool* g; } ctx{&text, &got};
    gtk_clipboard_request_text(
        clipboard,
        [](GtkClipboard*, const char* t, gpointer p) {
          auto* c = static_cast<Ctx*>(p);
          *c->t = t ? t : "";
          *c->g = true;
        },
        &ctx);
    PumpUntil([&] { return got; }, 5s);
    return text;
  };
  EXPECT_TRUE(PumpUntil([&] { return clipboardText() == "clip text"; }, 5s));

  const std::string value = "document.getElementById('i').value";
  engine_->ExecWB(kOleCut, kOleOptionNoPrompt);
  EXPECT_TRUE(PumpUntil([&] { return Run(*engine_, value).json == "\"\""; }, 5s));
  engine_->ExecWB(kOlePaste, kOleOptionNoPrompt);
  EXPECT_TRUE(PumpUntil([&] { return Run(*engine_, value).json == "\"clip text\""; }, 5s));
}

}  // namespace
}  // namespace zel::test
