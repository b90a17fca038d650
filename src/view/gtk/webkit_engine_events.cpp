// The WebKit view's signals turned into the engine port's events: navigation policy, new
// windows, address, load state and completion, title, progress, hover, history, dialogs.
#include <cstdio>
#include <cstring>

#include "view/gtk/webkit_engine.h"
#include "view/gtk/view_source.h"

namespace zel {

namespace {
const char kBlank[] = "about:blank";
std::string Str(const char* s) { return s ? s : ""; }

// The ports WebKit refuses to connect to for the web's protocols. It drops such a load
// without a failure (the view is left on a blank page), so the engine stops it itself.
bool BlockedPort(const std::string& uri) {
  static constexpr int kPorts[] = {
      1,    7,    9,    11,   13,   15,   17,   19,   20,   21,   22,   23,   25,   37,
      42,   43,   53,   69,   77,   79,   87,   95,   101,  102,  103,  104,  109,  110,
      111,  113,  115,  117,  119,  123,  135,  137,  139,  143,  161,  179,  389,  427,
      465,  512,  513,  514,  515,  526,  530,  531,  532,  540,  548,  554,  556,  563,
      587,  601,  636,  989,  990,  993,  995,  1719, 1720, 1723, 2049, 3659, 4045, 4190,
      5060, 5061, 6000, 6566, 6665, 6666, 6667, 6668, 6669, 6679, 6697, 10080};
  GUri* parsed = g_uri_parse(uri.c_str(), G_URI_FLAGS_NONE, nullptr);
  if (!parsed) return false;
  const char* scheme = g_uri_get_scheme(parsed);
  int port = g_uri_get_port(parsed);
  bool web = scheme && (g_ascii_strcasecmp(scheme, "http") == 0 ||
                        g_ascii_strcasecmp(scheme, "https") == 0);
  g_uri_unref(parsed);
  return web && port > 0 && std::find(std::begin(kPorts), std::end(kPorts), port) != std::end(kPorts);
}

// The title question of a finished load.
struct CompleteAsk {
  std::weak_ptr<bool> alive;
  WebKitEngine* engine;
  unsigned gen;
};
}  // namespace

// ---- Events ----

void WebKitEngine::OnDownloadStarted(WebKitWebContext*, WebKitDownload* download,
                                     WebKitEngine* self) {
  // Every view hears every download of the context; this one's page started it.
  if (webkit_download_get_web_view(download) != self->view_ || !self->events_) return;
  // The user's click, key or typed address stands behind one download; any other the page
  // started by itself. The downloads' owner reads both marks.
  const int64_t now = g_get_monotonic_time() / 1000;
  const bool byUser = self->userStartMs_ >= 0 && now - self->userStartMs_ < kUserStartMs;
  self->userStartMs_ = -1;
  char key[32];
  std::snprintf(key, sizeof key, "%p|", static_cast<void*>(self->view_));
  g_object_set_data_full(G_OBJECT(download), kDownloadPageKey,
                         g_strdup((key + self->committedUri_).c_str()), g_free);
  g_object_set_data(G_OBJECT(download), kDownloadByPage, GINT_TO_POINTER(byUser ? 0 : 1));
  g_object_set_data(G_OBJECT(download), kDownloadNoActiveContent,
                    GINT_TO_POINTER((self->downloadControl_ & kDownloadControlNoActiveX) ? 1 : 0));
  self->events_->OnBecameDownload(FromUtf8(self->committedUri_));
}

gboolean WebKitEngine::OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                      WebKitPolicyDecisionType type, WebKitEngine* self) {
  if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) {
    // A page's own address whose answer the view cannot show (a .tar.gz, a .zip, a type it
    // does not know) becomes a download, as an attachment does; WebKit would drop it.
    auto* response = WEBKIT_RESPONSE_POLICY_DECISION(decision);
    if (webkit_response_policy_decision_is_main_frame_main_resource(response) &&
        !webkit_response_policy_decision_is_mime_type_supported(response)) {
      webkit_policy_decision_download(decision);
      return TRUE;
    }
    // Otherwise WebKit's own choice: attachments download, the rest is shown or dropped.
    return FALSE;
  }
  if (self->warming_) {
    // A spare view's warm-up load: refused at its decision, it has started the view's web
    // process and left no page behind.
    self->warming_ = false;
    WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
        WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    if (Str(webkit_uri_request_get_uri(webkit_navigation_action_get_request(action))) ==
        kWarmUpUri) {
      webkit_policy_decision_ignore(decision);
      return TRUE;
    }
  }
  auto* nav = WEBKIT_NAVIGATION_POLICY_DECISION(decision);
  if (type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) {
    // A link or form aimed at a window that does not exist yet. The page's new window is
    // NewWindow2 (from create, which follows); the name goes with it to the new engine.
    WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(nav);
    self->newWindowName_ = Str(webkit_navigation_action_get_frame_name(action));
    self->newWindowUri_ = Str(webkit_uri_request_get_uri(webkit_navigation_action_get_request(action)));
    webkit_policy_decision_use(decision);
    return TRUE;
  }
  // Keep the decision alive if the listener destroys this engine.
  g_object_ref(decision);
  std::weak_ptr<bool> alive = self->alive_;
  bool use = self->DecideNavigation(nav);
  if (use)
    webkit_policy_decision_use(decision);
  else
    webkit_policy_decision_ignore(decision);
  g_object_unref(decision);
  if (!alive.expired() && self->blockedUri_) {
    std::string blocked = std::move(*self->blockedUri_);
    self->blockedUri_.reset();
    self->ShowFailedPage(blocked, "端口被阻止：为了安全，浏览器不连接这个端口。");
  }
  return TRUE;
}

bool WebKitEngine::DecideNavigation(WebKitNavigationPolicyDecision* decision) {
  WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(decision);
  WebKitURIRequest* request = webkit_navigation_action_get_request(action);
  std::string uri = Str(webkit_uri_request_get_uri(request));
  const char* method = webkit_uri_request_get_http_method(request);
  bool isPost = method && g_ascii_strcasecmp(method, "POST") == 0;
  WebKitNavigationType navType = webkit_navigation_action_get_navigation_type(action);

  if (!goOnUri_.empty() && GoOnDespiteCertificate(uri)) return false;
  // A page's frame, script or link asking for a source view gets nothing: each would cost
  // a load (and a process) of its own.
  if (g_str_has_prefix(uri.c_str(), kViewSourcePrefix) && !SourceAllowed(view_, uri))
    return false;

  if (postHelper_) {
    // The generated form page and its submission were reported by StartPostLoad.
    if (!isPost && g_str_has_prefix(uri.c_str(), "data:")) return true;
    if (isPost && uri == postHelperTarget_) {
      EndPostHelper();
      return true;
    }
    EndPostHelper();  // something else took over
  }

  if (navType == WEBKIT_NAVIGATION_TYPE_LINK_CLICKED && events_ &&
      (webkit_navigation_action_get_modifiers(action) & GDK_CONTROL_MASK)) {
    // A Ctrl+click on a link asks for a new window, as a page's own window.open does: the
    // new-window rules decide about it and place its tab; this page stays as it is.
    Engine* target = events_->OnNewWindow2(FromUtf8(uri), true);
    if (auto* engine = dynamic_cast<WebKitEngine*>(target)) engine->LoadRequest(uri, 0, {});
    return false;
  }

  BeforeNavigateArgs args;
  args.url = FromUtf8(uri);
  args.isPost = isPost;
  args.userGesture = webkit_navigation_action_is_user_gesture(action);
  // WebKit names a target frame only for a window that does not exist yet, and does not
  // say which frame of the page a navigation is for: the page's module tells of clicks and
  // forms aimed at a frame of the page; every other navigation counts as the top-level one.
  args.topLevel = !TakeFrameNavigation(uri);
  args.historyStep = navType == WEBKIT_NAVIGATION_TYPE_BACK_FORWARD;
  args.targetFrame = FromUtf8(Str(webkit_navigation_action_get_frame_name(action)));
  if (!openerTarget_.empty()) {
    args.targetFrame = FromUtf8(openerTarget_);
    openerTarget_.clear();
  }
  bool asked = pending_ && (pending_->uri == uri || navType == WEBKIT_NAVIGATION_TYPE_OTHER);
  if (asked) {
    const bool decided = pending_->decided && pending_->uri == uri;
    args.flags = pending_->flags;
    args.headers = pending_->headers;
    pending_.reset();
    if (decided) return true;
  }
  if (!events_) return true;
  events_->OnBeforeNavigate2(args);
  if (args.cancel) return false;
  if (BlockedPort(uri)) {
    blockedUri_ = uri;
    return false;
  }
  return true;
}

bool WebKitEngine::TakeFrameNavigation(const std::string& uri) {
  gint64 now = g_get_monotonic_time();
  // An announced click whose navigation never came (the page stopped it) is forgotten.
  std::erase_if(frameNavs_, [now](const FrameNav& f) { return now - f.at > 5 * G_USEC_PER_SEC; });
  auto page = [](const std::string& u) { return u.substr(0, u.find_first_of("?#")); };
  for (auto it = frameNavs_.begin(); it != frameNavs_.end(); ++it) {
    if (it->form ? page(uri) == it->uri : uri == it->uri) {
      frameNavs_.erase(it);
      return true;
    }
  }
  return false;
}

void WebKitEngine::FollowRefusedLink() {
  std::string link = ToUtf8(hit_.link);
  if (!BlockedPort(link)) return;
  // After the page has had the click, as a navigation of the user's.
  struct Follow {
    std::weak_ptr<bool> alive;
    WebKitEngine* engine;
    std::string uri;
  };
  g_idle_add_full(
      G_PRIORITY_DEFAULT_IDLE,
      [](gpointer data) -> gboolean {
        auto* f = static_cast<Follow*>(data);
        if (!f->alive.expired()) f->engine->Navigate2(NavRequest{FromUtf8(f->uri)});
        return G_SOURCE_REMOVE;
      },
      new Follow{alive_, this, link}, [](gpointer data) { delete static_cast<Follow*>(data); });
}

GtkWidget* WebKitEngine::OnCreate(WebKitWebView* view, WebKitNavigationAction* action,
                                  WebKitEngine* self) {
  std::string uri = Str(webkit_uri_request_get_uri(webkit_navigation_action_get_request(action)));
  bool gesture = webkit_navigation_action_is_user_gesture(action);
  std::string name;
  if (!self->newWindowUri_.empty() && self->newWindowUri_ == uri) name = self->newWindowName_;
  self->newWindowName_.clear();
  self->newWindowUri_.clear();
  if (!self->events_ || g_str_has_prefix(uri.c_str(), kViewSourcePrefix)) return nullptr;
  Engine* target = self->events_->OnNewWindow2(FromUtf8(uri), gesture);
  if (!target) return nullptr;  // the window is refused
  auto* engine = dynamic_cast<WebKitEngine*>(target);
  if (!engine || engine->opener_ != view) {
    g_warning("NewWindow2 answered with an engine not created for this opener; window refused");
    return nullptr;
  }
  engine->openerTarget_ = name;
  return GTK_WIDGET(engine->view_);
}

void WebKitEngine::OnUri(WebKitWebView* view, GParamSpec*, WebKitEngine* self) {
  // A load reports its own address when it commits (the address also changes as soon as a
  // load is asked for, and WebKit counts that as loading); a move within the committed
  // page (another anchor, the page's history.pushState) is told here.
  if (self->loading_ || self->postHelper_ || !self->events_ || self->committedUri_.empty() ||
      webkit_web_view_is_loading(view))
    return;
  std::string uri = Str(webkit_web_view_get_uri(view));
  if (uri.empty() || uri == self->committedUri_) return;
  self->committedUri_ = uri;
  std::weak_ptr<bool> alive = self->alive_;
  self->events_->OnNavigateComplete2(FromUtf8(uri));
  if (alive.expired()) return;
  self->ReportCommandState();
}

gboolean WebKitEngine::OnDraw(GtkWidget*, cairo_t* cr, WebKitEngine* self) {
  if (!self->holdDraw_) return FALSE;
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  return TRUE;
}

void WebKitEngine::OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, WebKitEngine* self) {
  if (self->postHelper_) return;  // the generated form page
  std::string uri = Str(webkit_web_view_get_uri(view));
  switch (event) {
    case WEBKIT_LOAD_STARTED: {
      std::weak_ptr<bool> alive = self->alive_;
      self->loading_ = true;
      self->failedUri_.reset();
      self->tlsErrors_ = GTlsCertificateFlags(0);
      if (self->completing_) {
        // WebKit's error page for the failed load completes it; any other load comes after
        // the last page's completion.
        if (self->awaitErrorPage_)
          self->DropComplete();
        else
          self->FinishComplete(std::nullopt);
      }
      // Loading shows from the start, not from the server's first answer: WebKit's own
      // first progress came before the load was decided.
      if (!alive.expired() && self->events_) {
        double p = webkit_web_view_get_estimated_load_progress(view);
        self->events_->OnProgressChange(int(std::clamp(p, 0.01, 1.0) * 10000 + 0.5), 10000);
      }
      break;
    }
    case WEBKIT_LOAD_COMMITTED: {
      if (self->holdDraw_) {
        self->holdDraw_ = false;
        gtk_widget_queue_draw(GTK_WIDGET(view));
      }
      // Only the error page of the failed page keeps its offer to go on.
      if (uri != self->goOnUri_) {
        self->goOnUri_.clear();
        g_clear_object(&self->tlsCertificate_);
      }
      self->committedUri_ = uri;
      // A new page: what the user did for the last one stands behind nothing of this one.
      self->userStartMs_ = -1;
      self->lastStatus_.clear();  // the new page reports its own links
      self->lastTitle_.clear();
      self->pageTitle_.clear();
      if (!self->events_) return;
      std::weak_ptr<bool> alive = self->alive_;
      self->events_->OnNavigateComplete2(FromUtf8(uri));
      if (alive.expired()) return;
      self->ReportCommandState();
      if (alive.expired()) return;
      // A title the page already has (one that came with the commit).
      if (const char* t = webkit_web_view_get_title(view); t && *t) self->ReportTitle(t);
      break;
    }
    case WEBKIT_LOAD_FINISHED: {
      self->loading_ = false;
      if (self->stoppedUri_ && self->events_) {
        // The notice is up: the view marks the tab.
        std::string stopped = std::move(*self->stoppedUri_);
        self->stoppedUri_.reset();
        std::weak_ptr<bool> alive = self->alive_;
        self->events_->OnPageStopped(FromUtf8(stopped));
        if (alive.expired()) return;
      }
      // A finished page: both values 0 (also after a failure or a stop).
      if (self->events_) {
        std::weak_ptr<bool> alive = self->alive_;
        self->events_->OnProgressChange(0, 0);
        if (alive.expired()) return;
      }
      if (self->failedUri_) {
        // The failed address completes, without a title of its own. When WebKit shows its
        // error page for it, that page's load brings the completion instead (the timer is
        // there in case no page comes).
        std::string failed = std::move(*self->failedUri_);
        self->failedUri_.reset();
        if (self->completing_) self->FinishComplete(std::nullopt);
        self->completing_ = failed;
        if (self->errorPageFollows_) {
          self->awaitErrorPage_ = true;
          self->completeTimer_ = g_timeout_add(1000, OnCompleteTimeout, self);
        } else {
          self->FinishComplete(std::nullopt);
        }
        break;
      }
      self->BeginComplete(uri);
      break;
    }
    default:
      break;
  }
}

void WebKitEngine::BeginComplete(const std::string& uri) {
  if (completing_) FinishComplete(std::nullopt);
  completing_ = uri;
  if (const char* t = webkit_web_view_get_title(view_); t && *t) {
    FinishComplete(std::string(t));
    return;
  }
  // Ask the page for its title; the answer (or, should the page be stuck in a dialog, the
  // timeout) completes the document.
  unsigned gen = ++completeGen_;
  completeTimer_ = g_timeout_add(1000, OnCompleteTimeout, this);
  webkit_web_view_evaluate_javascript(view_, "document.title", -1, nullptr, nullptr, cancellable_,
                                      OnCompleteTitle, new CompleteAsk{alive_, this, gen});
}

void WebKitEngine::DropComplete() {
  completing_.reset();
  awaitErrorPage_ = false;
  ++completeGen_;
  if (completeTimer_) g_source_remove(completeTimer_);
  completeTimer_ = 0;
}

void WebKitEngine::OnCompleteTitle(GObject* source, GAsyncResult* result, gpointer data) {
  std::unique_ptr<CompleteAsk> ask(static_cast<CompleteAsk*>(data));
  JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, nullptr);
  std::optional<std::string> title;
  if (value && jsc_value_is_string(value)) {
    char* t = jsc_value_to_string(value);
    title = t ? t : "";
    g_free(t);
  }
  g_clear_object(&value);
  if (ask->alive.expired() || ask->engine->completeGen_ != ask->gen || !ask->engine->completing_)
    return;
  ask->engine->FinishComplete(title);
}

gboolean WebKitEngine::OnCompleteTimeout(gpointer data) {
  auto* self = static_cast<WebKitEngine*>(data);
  self->completeTimer_ = 0;
  self->FinishComplete(std::nullopt);
  return G_SOURCE_REMOVE;
}

void WebKitEngine::FinishComplete(const std::optional<std::string>& title) {
  if (!completing_) return;
  std::string uri = std::move(*completing_);
  DropComplete();
  std::weak_ptr<bool> alive = alive_;
  // Trimmed as WebKit trims it; a page without a title is shown by its address.
  if (title) {
    std::string t = *title;
    t.erase(0, t.find_first_not_of(" \t\r\n"));
    t.erase(t.find_last_not_of(" \t\r\n") + 1);
    pageTitle_ = t;
    ReportTitle(t.empty() ? uri : t);
    if (alive.expired()) return;
  }
  if (events_) events_->OnDocumentComplete(FromUtf8(uri), true);
}

void WebKitEngine::OnTitle(WebKitWebView* view, GParamSpec*, WebKitEngine* self) {
  if (self->postHelper_) return;
  // WebKit clears the title before the next page commits; that is no title of a page.
  const char* t = webkit_web_view_get_title(view);
  if (t && *t) self->ReportTitle(t);
}

void WebKitEngine::ReportTitle(const std::string& title) {
  if (title.empty() || title == lastTitle_) return;
  lastTitle_ = title;
  if (events_) events_->OnTitleChange(FromUtf8(title));
}

void WebKitEngine::OnProgress(WebKitWebView* view, GParamSpec*, WebKitEngine* self) {
  // Between the start and the end of a load: WebKit starts counting before the navigation
  // is decided, and a cancelled navigation never starts.
  if (self->postHelper_ || !self->events_ || !self->loading_) return;
  double p = webkit_web_view_get_estimated_load_progress(view);
  self->events_->OnProgressChange(int(std::clamp(p, 0.0, 1.0) * 10000 + 0.5), 10000);
}

void WebKitEngine::OnMouseTarget(WebKitWebView*, WebKitHitTestResult* hit, guint,
                                 WebKitEngine* self) {
  self->NoteHit(hit);
  u16 text;
  if (webkit_hit_test_result_context_is_link(hit))
    text = FromUtf8(Str(webkit_hit_test_result_get_link_uri(hit)));
  if (text == self->lastStatus_) return;
  self->lastStatus_ = text;
  if (self->events_) self->events_->OnStatusTextChange(text);
}

void WebKitEngine::OnHistoryChanged(WebKitBackForwardList*, WebKitBackForwardListItem*, gpointer,
                                    WebKitEngine* self) {
  if (self->postHelper_) return;
  self->ReportCommandState();
}

void WebKitEngine::ReportCommandState() {
  if (!events_) return;
  std::weak_ptr<bool> alive = alive_;
  bool back = CanGoBack(), forward = CanGoForward();
  events_->OnCommandStateChange(kCscNavigateBack, back);
  if (alive.expired() || !events_) return;
  events_->OnCommandStateChange(kCscNavigateForward, forward);
}

}  // namespace zel
