#include "view/gtk/view_source.h"

#include "view/source_page.h"

#include <libsoup/soup.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace zel {

namespace {

std::vector<WebKitWebView*>& LiveViews() {
  static std::vector<WebKitWebView*> views;
  return views;
}

struct SourceJob {
  WebKitURISchemeRequest* request = nullptr;
  std::string address;
  WebKitWebView* loader = nullptr;  // the hidden view, when no tab shows the address
};

std::string CharsetOf(WebKitWebResource* resource) {
  WebKitURIResponse* response = webkit_web_resource_get_response(resource);
  SoupMessageHeaders* headers = response ? webkit_uri_response_get_http_headers(response) : nullptr;
  if (!headers) return "";
  GHashTable* params = nullptr;
  std::string charset;
  if (soup_message_headers_get_content_type(headers, &params) && params) {
    if (auto* c = static_cast<const char*>(g_hash_table_lookup(params, "charset"))) charset = c;
  }
  if (params) g_hash_table_destroy(params);
  return charset;
}

void EndJob(SourceJob* job) {
  if (job->loader) {
    g_signal_handlers_disconnect_by_data(job->loader, job);
    // The hidden view goes once the current signal is through.
    g_idle_add(
        [](gpointer v) {
          g_object_unref(v);
          return G_SOURCE_REMOVE;
        },
        job->loader);
  }
  g_object_unref(job->request);
  delete job;
}

void Answer(SourceJob* job, std::string page) {
  gsize size = page.size();
  GInputStream* stream =
      g_memory_input_stream_new_from_data(g_memdup2(page.data(), size), gssize(size), g_free);
  webkit_uri_scheme_request_finish(job->request, stream, gint64(size), "text/html");
  g_object_unref(stream);
  EndJob(job);
}

// The bytes of the page become the source page on a worker thread (a page may be large);
// the answer comes back on the main loop.
struct Build {
  SourceJob* job;
  std::string bytes, charset, page;
};

void BuildOffTheLoop(SourceJob* job, std::string bytes, std::string charset) {
  auto* build = new Build{job, std::move(bytes), std::move(charset), {}};
  GTask* task = g_task_new(
      nullptr, nullptr,
      [](GObject*, GAsyncResult* result, gpointer) {
        auto* b = static_cast<Build*>(g_task_get_task_data(G_TASK(result)));
        Answer(b->job, std::move(b->page));
      },
      nullptr);
  g_task_set_task_data(task, build, [](gpointer b) { delete static_cast<Build*>(b); });
  g_task_run_in_thread(task, [](GTask* t, gpointer, gpointer data, GCancellable*) {
    auto* b = static_cast<Build*>(data);
    b->page = SourcePageHtml(b->job->address, b->bytes, b->charset);
    g_task_return_boolean(t, TRUE);
  });
  g_object_unref(task);
}

void Fail(SourceJob* job, const std::string& why) {
  GError* error = g_error_new_literal(G_IO_ERROR, G_IO_ERROR_FAILED, why.c_str());
  webkit_uri_scheme_request_finish_error(job->request, error);
  g_error_free(error);
  EndJob(job);
}

void ReadSource(SourceJob* job, WebKitWebResource* resource) {
  if (!resource) {
    Fail(job, "这个页面没有源文件");
    return;
  }
  g_object_set_data_full(G_OBJECT(resource), "zel-charset", g_strdup(CharsetOf(resource).c_str()),
                         g_free);
  webkit_web_resource_get_data(
      resource, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        auto* job = static_cast<SourceJob*>(data);
        gsize size = 0;
        GError* error = nullptr;
        guchar* bytes =
            webkit_web_resource_get_data_finish(WEBKIT_WEB_RESOURCE(source), result, &size, &error);
        if (!bytes) {
          Fail(job, error ? error->message : "源文件无法读取");
          g_clear_error(&error);
          return;
        }
        auto* charset = static_cast<const char*>(g_object_get_data(source, "zel-charset"));
        std::string got(reinterpret_cast<const char*>(bytes), size);
        g_free(bytes);
        BuildOffTheLoop(job, std::move(got), charset ? charset : "");
      },
      job);
}

WebKitWebView* ViewShowing(const std::string& address) {
  for (WebKitWebView* v : LiveViews()) {
    const char* uri = webkit_web_view_get_uri(v);
    if (uri && address == uri && !webkit_web_view_is_loading(v) && webkit_web_view_get_main_resource(v))
      return v;
  }
  return nullptr;
}

void LoadHidden(SourceJob* job, WebKitWebView* asking) {
  WebKitSettings* settings = webkit_settings_new();
  webkit_settings_set_enable_javascript(settings, FALSE);
  // In the asking tab's web process: a source costs no process of its own.
  job->loader = WEBKIT_WEB_VIEW(g_object_ref_sink(
      g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", asking, "settings", settings, nullptr)));
  g_object_unref(settings);
  // Only a page the engine shows has a source here: anything else would become a download.
  g_signal_connect(job->loader, "decide-policy",
                   G_CALLBACK(+[](WebKitWebView*, WebKitPolicyDecision* d,
                                  WebKitPolicyDecisionType type, SourceJob*) -> gboolean {
                     if (type != WEBKIT_POLICY_DECISION_TYPE_RESPONSE) return FALSE;
                     if (webkit_response_policy_decision_is_mime_type_supported(
                             WEBKIT_RESPONSE_POLICY_DECISION(d)))
                       return FALSE;
                     webkit_policy_decision_ignore(d);
                     return TRUE;
                   }),
                   job);
  g_signal_connect(job->loader, "load-failed",
                   G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent, const char*, GError* error,
                                  SourceJob* job) -> gboolean {
                     Fail(job, error && error->message ? error->message : "页面无法打开");
                     return TRUE;
                   }),
                   job);
  g_signal_connect(job->loader, "load-changed",
                   G_CALLBACK(+[](WebKitWebView* v, WebKitLoadEvent event, SourceJob* job) {
                     if (event != WEBKIT_LOAD_FINISHED) return;
                     g_signal_handlers_disconnect_by_data(v, job);
                     ReadSource(job, webkit_web_view_get_main_resource(v));
                   }),
                   job);
  webkit_web_view_load_uri(job->loader, job->address.c_str());
}

constexpr char kAllowedKey[] = "zel-user-source";

void OnSourceRequest(WebKitURISchemeRequest* request, gpointer) {
  const char* uri = webkit_uri_scheme_request_get_uri(request);
  auto* job = new SourceJob;
  job->request = WEBKIT_URI_SCHEME_REQUEST(g_object_ref(request));
  WebKitWebView* asking = webkit_uri_scheme_request_get_web_view(request);
  if (!asking || !uri || !SourceAllowed(asking, uri)) {
    Fail(job, "只有用户自己打开的源文件才会显示");
    return;
  }
  const size_t prefix = std::strlen(kViewSourcePrefix);
  job->address = uri && std::strlen(uri) > prefix ? uri + prefix : "";
  // view-source: of view-source: would read our own page; it is refused like an empty address.
  if (job->address.empty() || g_str_has_prefix(job->address.c_str(), kViewSourcePrefix)) {
    Fail(job, "没有可以显示源文件的地址");
    return;
  }
  if (WebKitWebView* v = ViewShowing(job->address)) {
    ReadSource(job, webkit_web_view_get_main_resource(v));
    return;
  }
  LoadHidden(job, asking);
}

}  // namespace

void AllowSourceFor(WebKitWebView* view, const std::string& uri) {
  const bool source = g_str_has_prefix(uri.c_str(), kViewSourcePrefix);
  g_object_set_data_full(G_OBJECT(view), kAllowedKey, source ? g_strdup(uri.c_str()) : nullptr,
                         g_free);
}

bool SourceAllowed(WebKitWebView* view, const std::string& uri) {
  auto* allowed = static_cast<const char*>(g_object_get_data(G_OBJECT(view), kAllowedKey));
  return allowed && uri == allowed;
}

void NoteLiveView(WebKitWebView* view, bool alive) {
  auto& views = LiveViews();
  views.erase(std::remove(views.begin(), views.end(), view), views.end());
  if (alive) views.push_back(view);
}

bool AnyLiveViewLoading() {
  const auto& views = LiveViews();
  return std::any_of(views.begin(), views.end(), [](WebKitWebView* v) { return webkit_web_view_is_loading(v); });
}

void RegisterViewSourceScheme(WebKitWebContext* context) {
  webkit_web_context_register_uri_scheme(context, "view-source", OnSourceRequest, nullptr, nullptr);
}

}  // namespace zel
