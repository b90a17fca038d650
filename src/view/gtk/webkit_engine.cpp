#include "view/gtk/webkit_engine.h"
#include "view/gtk/view_source.h"

#include <algorithm>
#include <cstring>

namespace zel {

namespace {

const char kBlank[] = "about:blank";

// WebKit reads the address of a request byte by byte as Latin-1: a typed address with
// Chinese in it goes to WebKit with its UTF-8 bytes percent-encoded, as a link's would.
std::string AsciiUri(const std::string& uri) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(uri.size());
  for (unsigned char c : uri) {
    if (c < 0x80) {
      out += char(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

// WebKit draws without compositing when it is told to (the variable users set on machines
// with broken GL) or when the view's settings never accelerate.
bool DrawsWithoutCompositing(WebKitSettings* settings) {
  const char* off = g_getenv("WEBKIT_DISABLE_COMPOSITING_MODE");
  return (off && std::strcmp(off, "0") != 0) ||
         webkit_settings_get_hardware_acceleration_policy(settings) ==
             WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER;
}

std::string Str(const char* s) { return s ? s : ""; }


// "Name: value" lines (CR LF or LF separated) into the request's headers.
void AddHeaders(WebKitURIRequest* request, const u16& headers) {
  SoupMessageHeaders* h = webkit_uri_request_get_http_headers(request);
  if (!h || headers.empty()) return;
  std::string text = ToUtf8(headers);
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t colon = line.find(':');
    if (colon == std::string::npos || colon == 0) continue;
    std::string name = line.substr(0, colon);
    std::string value = line.substr(colon + 1);
    value.erase(0, value.find_first_not_of(" \t"));
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
    soup_message_headers_append(h, name.c_str(), value.c_str());
  }
}

// A JavaScript string literal holding s (UTF-8).
std::string JsString(const std::string& s) {
  std::string out = "\"";
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned char c = s[i];
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char buf[8];
      g_snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else if (c == 0xE2 && i + 2 < s.size() && (unsigned char)s[i + 1] == 0x80 &&
               ((unsigned char)s[i + 2] == 0xA8 || (unsigned char)s[i + 2] == 0xA9)) {
      out += (unsigned char)s[i + 2] == 0xA8 ? "\\u2028" : "\\u2029";  // line separators
      i += 2;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

// Form-encoded text ("+" and %XX) back to its characters; bytes that are not UTF-8 become
// U+FFFD.
std::string FormDecode(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '+') {
      out += ' ';
    } else if (s[i] == '%' && i + 2 < s.size() && g_ascii_isxdigit(s[i + 1]) &&
               g_ascii_isxdigit(s[i + 2])) {
      out += char(g_ascii_xdigit_value(s[i + 1]) * 16 + g_ascii_xdigit_value(s[i + 2]));
      i += 2;
    } else {
      out += s[i];
    }
  }
  if (g_utf8_validate(out.data(), out.size(), nullptr)) return out;
  char* valid = g_utf8_make_valid(out.data(), out.size());
  std::string r = valid;
  g_free(valid);
  return r;
}

std::string HtmlEscape(const std::string& s) {
  char* e = g_markup_escape_text(s.c_str(), -1);
  std::string r = e;
  g_free(e);
  return r;
}

// A page that posts body (name=value&... form encoding) to uri as soon as it is parsed.
std::string PostFormPage(const std::string& uri, const std::string& body) {
  std::string html =
      "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body>"
      "<form method=\"post\" enctype=\"application/x-www-form-urlencoded\" "
      "accept-charset=\"utf-8\" action=\"" + HtmlEscape(uri) + "\">";
  size_t pos = 0;
  while (pos <= body.size() && !body.empty()) {
    size_t end = body.find('&', pos);
    if (end == std::string::npos) end = body.size();
    std::string pair = body.substr(pos, end - pos);
    pos = end + 1;
    if (pair.empty()) continue;
    size_t eq = pair.find('=');
    std::string name = FormDecode(pair.substr(0, eq));
    std::string value = eq == std::string::npos ? "" : FormDecode(pair.substr(eq + 1));
    html += "<input type=\"hidden\" name=\"" + HtmlEscape(name) + "\" value=\"" +
            HtmlEscape(value) + "\">";
  }
  return html + "</form><script>document.forms[0].submit();</script></body></html>";
}

struct ScriptCall {
  std::weak_ptr<bool> alive;
  std::function<void(const ScriptResult&)> done;
};

void OnScriptDone(GObject* source, GAsyncResult* result, gpointer data) {
  std::unique_ptr<ScriptCall> call(static_cast<ScriptCall*>(data));
  GError* error = nullptr;
  JSCValue* value =
      webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error);
  // An answer for an engine that is gone is dropped: its listener went with it.
  if (call->alive.expired()) {
    g_clear_error(&error);
    g_clear_object(&value);
    return;
  }
  ScriptResult r;
  if (!value) {
    r.error = FromUtf8(error ? error->message : "script failed");
  } else if (jsc_value_is_undefined(value)) {
    r.ok = true;
    r.json = "null";
  } else {
    char* json = jsc_value_to_json(value, 0);
    if (json) {
      r.ok = true;
      r.json = json;
    } else {
      JSCException* e = jsc_context_get_exception(jsc_value_get_context(value));
      r.error = FromUtf8(e ? jsc_exception_get_message(e) : "value has no JSON form");
      jsc_context_clear_exception(jsc_value_get_context(value));
    }
    g_free(json);
  }
  g_clear_error(&error);
  g_clear_object(&value);
  if (call->done) call->done(r);
}

}  // namespace

// Copies every writable setting of from into to.
void CopySettings(WebKitSettings* from, WebKitSettings* to) {
  guint n = 0;
  GParamSpec** specs = g_object_class_list_properties(G_OBJECT_GET_CLASS(from), &n);
  for (guint i = 0; i < n; ++i) {
    GParamSpec* p = specs[i];
    const GParamFlags need = GParamFlags(G_PARAM_READABLE | G_PARAM_WRITABLE);
    if ((p->flags & need) != need || (p->flags & (G_PARAM_CONSTRUCT_ONLY | G_PARAM_DEPRECATED)))
      continue;
    GValue v = G_VALUE_INIT;
    g_value_init(&v, p->value_type);
    g_object_get_property(G_OBJECT(from), p->name, &v);
    g_object_set_property(G_OBJECT(to), p->name, &v);
    g_value_unset(&v);
  }
  g_free(specs);
}

WebKitEngine::WebKitEngine(WebKitWebContext* context, WebKitWebView* opener,
                           WebKitSettings* base, WebKitUserContentManager* content)
    : opener_(opener) {
  WebKitSettings* settings = webkit_settings_new();
  WebKitSettings* from = opener ? webkit_web_view_get_settings(opener) : base;
  if (from) CopySettings(from, settings);
  // Every window a page opens reaches the create signal; the view decides about popups.
  webkit_settings_set_javascript_can_open_windows_automatically(settings, TRUE);
  GObject* obj;
  if (opener) {
    obj = G_OBJECT(g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", opener, "settings",
                                settings, "user-content-manager",
                                webkit_web_view_get_user_content_manager(opener), nullptr));
  } else if (content) {
    obj = G_OBJECT(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context, "settings",
                                settings, "user-content-manager", content, nullptr));
  } else {
    obj = G_OBJECT(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context, "settings",
                                settings, nullptr));
  }
  g_object_unref(settings);
  view_ = WEBKIT_WEB_VIEW(g_object_ref_sink(obj));
  history_ = webkit_web_view_get_back_forward_list(view_);
  cancellable_ = g_cancellable_new();

  g_signal_connect(view_, "decide-policy", G_CALLBACK(OnDecidePolicy), this);
  holdDraw_ = DrawsWithoutCompositing(webkit_web_view_get_settings(view_));
  if (holdDraw_) g_signal_connect(view_, "draw", G_CALLBACK(OnDraw), this);
  g_signal_connect(view_, "create", G_CALLBACK(OnCreate), this);
  g_signal_connect(view_, "load-changed", G_CALLBACK(OnLoadChanged), this);
  g_signal_connect(view_, "load-failed", G_CALLBACK(OnLoadFailed), this);
  g_signal_connect(view_, "notify::title", G_CALLBACK(OnTitle), this);
  g_signal_connect(view_, "notify::uri", G_CALLBACK(OnUri), this);
  g_signal_connect(view_, "notify::estimated-load-progress", G_CALLBACK(OnProgress), this);
  g_signal_connect(view_, "mouse-target-changed", G_CALLBACK(OnMouseTarget), this);
  g_signal_connect(view_, "load-failed-with-tls-errors", G_CALLBACK(OnTlsFailed), this);
  g_signal_connect(view_, "web-process-terminated", G_CALLBACK(OnWebProcessTerminated), this);
  g_signal_connect(history_, "changed", G_CALLBACK(OnHistoryChanged), this);
  g_signal_connect(webkit_web_view_get_context(view_), "download-started",
                   G_CALLBACK(OnDownloadStarted), this);
  ConnectInput();
  NoteLiveView(view_, true);
  // Not connected: "ready-to-show" (a new window's view is already in its tab when WebKit
  // emits it) and "close" (window.close() from a script: the view logic decides about
  // closing tabs, and WebKit does nothing by itself).
}

WebKitEngine::~WebKitEngine() {
  NoteLiveView(view_, false);
  alive_.reset();
  events_ = nullptr;
  if (postSource_) g_source_remove(postSource_);
  if (completeTimer_) g_source_remove(completeTimer_);
  if (findTimer_) g_source_remove(findTimer_);
  g_cancellable_cancel(cancellable_);
  g_object_unref(cancellable_);
  g_clear_object(&tlsCertificate_);
  g_signal_handlers_disconnect_by_data(history_, this);
  g_signal_handlers_disconnect_by_data(webkit_web_view_get_context(view_), this);
  if (findConnected_)
    g_signal_handlers_disconnect_by_data(webkit_web_view_get_find_controller(view_), this);
  g_signal_handlers_disconnect_by_data(view_, this);
  gtk_widget_destroy(GTK_WIDGET(view_));
  g_object_unref(view_);
  g_clear_object(&pageSetup_);
  g_clear_object(&printSettings_);
}

// ---- Navigation ----

void WebKitEngine::Navigate2(const NavRequest& request) {
  CancelPostLoad();
  std::string uri = ToUtf8(request.url);
  if (uri.empty()) return;
  if (!request.postData.empty()) {
    // WebKit cannot load a request with a body, so a POST goes through a generated page
    // whose form posts the fields of the body (name=value&... form encoding). It is reported
    // and decided first, as the engine's own navigations are.
    postLoad_ = PostLoad{uri, request.postData, request.flags, request.headers};
    postSource_ = g_idle_add(StartPostLoad, this);
    return;
  }
  // The user's own view-source address opens in this view; nothing else does from now on.
  AllowSourceFor(view_, AsciiUri(uri));
  const char* page = webkit_web_view_get_uri(view_);
  std::string target = ToUtf8(request.targetFrame);
  if ((request.flags & kNavOpenInNewWindow) && target.empty()) target = "_blank";
  if (!target.empty() && target != "_self" && target != "_top" && target != "_parent" && page) {
    // A named frame or window: the page opens it, so the name means what it means to the
    // page (a frame of it, a window it opened, or a new window through create).
    RunPageScript("window.open(" + JsString(uri) + "," + JsString(target) + ");");
    return;
  }
  if ((request.flags & kNavNoHistory) && page) {
    // The new page takes the place of the current one in the back/forward list.
    pending_ = PendingNav{uri, request.flags, request.headers};
    RunPageScript("location.replace(" + JsString(uri) + ");");
    return;
  }
  LoadRequest(uri, request.flags, request.headers);
}

void WebKitEngine::LoadRequest(const std::string& uri, int flags, const u16& headers) {
  pending_ = PendingNav{uri, flags, headers};
  if (uri == kBlank && events_) {
    // The browser's own blank page is decided at once: its tab shows without waiting for a
    // web process to start (or for a busy one to get to it).
    BeforeNavigateArgs args;
    args.url = FromUtf8(uri);
    args.flags = flags;
    args.headers = headers;
    std::weak_ptr<bool> alive = alive_;
    events_->OnBeforeNavigate2(args);
    if (alive.expired()) return;
    if (args.cancel) {
      pending_.reset();
      return;
    }
    if (pending_ && pending_->uri == uri) pending_->decided = true;
  }
  NoteUserStart();
  WebKitURIRequest* req = webkit_uri_request_new(AsciiUri(uri).c_str());
  AddHeaders(req, headers);
  webkit_web_view_load_request(view_, req);
  g_object_unref(req);
}

void WebKitEngine::RunPageScript(const std::string& script) {
  webkit_web_view_evaluate_javascript(view_, script.c_str(), -1, nullptr, nullptr, cancellable_,
                                      nullptr, nullptr);
}

gboolean WebKitEngine::StartPostLoad(gpointer data) {
  auto* self = static_cast<WebKitEngine*>(data);
  self->postSource_ = 0;
  PostLoad post = std::move(*self->postLoad_);
  self->postLoad_.reset();
  if (self->events_) {
    BeforeNavigateArgs args;
    args.url = FromUtf8(post.uri);
    args.flags = post.flags;
    args.isPost = true;
    args.postData = post.body;
    args.headers = post.headers;
    std::weak_ptr<bool> alive = self->alive_;
    self->events_->OnBeforeNavigate2(args);
    if (alive.expired() || args.cancel) return G_SOURCE_REMOVE;
  }
  // The form page submits while it is still loading, so WebKit replaces its back/forward
  // entry with the posted page. Its script runs even where the view switched page scripts
  // off; they are switched off again when the post leaves.
  WebKitSettings* s = webkit_web_view_get_settings(self->view_);
  if (!webkit_settings_get_enable_javascript_markup(s)) {
    webkit_settings_set_enable_javascript_markup(s, TRUE);
    self->restoreScripts_ = true;
  }
  self->postHelper_ = true;
  self->postHelperTarget_ = post.uri;
  std::string page = PostFormPage(post.uri, post.body);
  // Loaded as a navigation of its own (WebKit gives it a back/forward entry, which the post
  // then takes over; loading it as HTML text would replace the current page's entry).
  char* encoded = g_base64_encode(reinterpret_cast<const guchar*>(page.data()), page.size());
  std::string uri = std::string("data:text/html;charset=utf-8;base64,") + encoded;
  g_free(encoded);
  webkit_web_view_load_uri(self->view_, uri.c_str());
  return G_SOURCE_REMOVE;
}

void WebKitEngine::CancelPostLoad() {
  if (postSource_) g_source_remove(postSource_);
  postSource_ = 0;
  postLoad_.reset();
  EndPostHelper();
}

void WebKitEngine::EndPostHelper() {
  if (!postHelper_) return;
  postHelper_ = false;
  postHelperTarget_.clear();
  if (restoreScripts_)
    webkit_settings_set_enable_javascript_markup(webkit_web_view_get_settings(view_), FALSE);
  restoreScripts_ = false;
}

void WebKitEngine::GoSteps(int steps) {
  CancelPostLoad();
  // As many steps as the list holds, like calling back or forward that many times.
  GList* items = steps < 0 ? webkit_back_forward_list_get_back_list(history_)
                           : webkit_back_forward_list_get_forward_list(history_);
  int available = int(g_list_length(items));
  g_list_free(items);
  int n = std::min(std::abs(steps), available);
  if (n == 0) return;
  WebKitBackForwardListItem* item =
      webkit_back_forward_list_get_nth_item(history_, steps < 0 ? -n : n);
  if (item) webkit_web_view_go_to_back_forward_list_item(view_, item);
}

void WebKitEngine::GoBack(int steps) {
  if (steps > 0) GoSteps(-steps);
}

void WebKitEngine::GoForward(int steps) {
  if (steps > 0) GoSteps(steps);
}

void WebKitEngine::GoHome() {
  // WebKit has no home page of its own.
  CancelPostLoad();
  LoadRequest(kBlank, 0, u16());
}

void WebKitEngine::Stop() {
  CancelPostLoad();
  webkit_web_view_stop_loading(view_);
}

void WebKitEngine::Refresh2(int level) {
  CancelPostLoad();
  if (level == kRefreshCompletely)
    webkit_web_view_reload_bypass_cache(view_);
  else
    webkit_web_view_reload(view_);
}

u16 WebKitEngine::LocationURL() const { return FromUtf8(Str(webkit_web_view_get_uri(view_))); }

std::string WebKitEngine::PageTitle() const {
  const char* title = webkit_web_view_get_title(view_);
  return title && *title ? title : pageTitle_;
}

u16 WebKitEngine::LocationName() const {
  std::string title = PageTitle();
  return title.empty() ? LocationURL() : FromUtf8(title);
}

bool WebKitEngine::Busy() const { return webkit_web_view_is_loading(view_); }
bool WebKitEngine::CanGoBack() const { return webkit_web_view_can_go_back(view_); }
bool WebKitEngine::CanGoForward() const { return webkit_web_view_can_go_forward(view_); }

void WebKitEngine::SetRegisterAsBrowser(bool) {
  // Nothing to register: every WebKit view can be targeted by name by the pages related to
  // it (window.open and link targets find the windows they opened).
}

// ---- Scripts, history, settings ----

void WebKitEngine::RunScript(u16view script, std::function<void(const ScriptResult&)> done) {
  std::string text = ToUtf8(script);
  auto* call = new ScriptCall{alive_, std::move(done)};
  webkit_web_view_evaluate_javascript(view_, text.c_str(), gssize(text.size()), nullptr, nullptr,
                                      cancellable_, OnScriptDone, call);
}

bool WebKitEngine::IsSecure() const {
  // TLS with a certificate that has no errors.
  GTlsCertificate* certificate = nullptr;
  GTlsCertificateFlags errors = GTlsCertificateFlags(0);
  return webkit_web_view_get_tls_info(view_, &certificate, &errors) && certificate &&
         errors == 0;
}

std::vector<TravelEntry> WebKitEngine::TravelLog(int* currentIndex) const {
  std::vector<TravelEntry> out;
  if (currentIndex) *currentIndex = -1;
  if (!webkit_back_forward_list_get_current_item(history_)) return out;
  GList* back = webkit_back_forward_list_get_back_list(history_);
  GList* forward = webkit_back_forward_list_get_forward_list(history_);
  int nb = int(g_list_length(back)), nf = int(g_list_length(forward));
  g_list_free(back);
  g_list_free(forward);
  for (int i = -nb; i <= nf; ++i) {
    WebKitBackForwardListItem* item = webkit_back_forward_list_get_nth_item(history_, i);
    if (!item) continue;
    if (i == 0 && currentIndex) *currentIndex = int(out.size());
    out.push_back({FromUtf8(Str(webkit_back_forward_list_item_get_uri(item))),
                   FromUtf8(Str(webkit_back_forward_list_item_get_title(item)))});
  }
  return out;
}

std::string WebKitEngine::SaveSession() const {
  WebKitWebViewSessionState* state = webkit_web_view_get_session_state(view_);
  if (!state) return {};
  GBytes* bytes = webkit_web_view_session_state_serialize(state);
  webkit_web_view_session_state_unref(state);
  if (!bytes) return {};
  gsize size = 0;
  const char* data = static_cast<const char*>(g_bytes_get_data(bytes, &size));
  std::string out(data ? data : "", data ? size : 0);
  g_bytes_unref(bytes);
  return out;
}

bool WebKitEngine::RestoreSession(const std::string& saved) {
  if (saved.empty()) return false;
  GBytes* bytes = g_bytes_new(saved.data(), saved.size());
  WebKitWebViewSessionState* state = webkit_web_view_session_state_new(bytes);
  g_bytes_unref(bytes);
  if (!state) return false;
  CancelPostLoad();
  webkit_web_view_restore_session_state(view_, state);
  webkit_web_view_session_state_unref(state);
  // The list is back; its current page is loaded as a history navigation.
  WebKitBackForwardListItem* current = webkit_back_forward_list_get_current_item(history_);
  if (!current) return false;
  webkit_web_view_go_to_back_forward_list_item(view_, current);
  ReportCommandState();
  return true;
}

void WebKitEngine::SetLoadImages(bool on) {
  webkit_settings_set_auto_load_images(webkit_web_view_get_settings(view_), on);
}

void WebKitEngine::SetScriptsEnabled(bool on) {
  // The page's own scripts; scripts the system runs in the page (RunScript) still run.
  if (postHelper_) {
    restoreScripts_ = !on;
    return;
  }
  webkit_settings_set_enable_javascript_markup(webkit_web_view_get_settings(view_), on);
}

void WebKitEngine::SetMediaEnabled(bool on) {
  webkit_settings_set_enable_media(webkit_web_view_get_settings(view_), on);
}

void WebKitEngine::Focus() { gtk_widget_grab_focus(GTK_WIDGET(view_)); }

}  // namespace zel
