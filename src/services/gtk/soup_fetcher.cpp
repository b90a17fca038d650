#include "services/gtk/soup_fetcher.h"

#include <gio/gio.h>
#include <libsoup/soup.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

namespace zel {

namespace {

// The proxy of a fetch: the one the pages use.
GProxyResolver* MakeResolver(const EngineProxy& p) {
  switch (p.mode) {
    case EngineProxy::Mode::System:
      return G_PROXY_RESOLVER(g_object_ref(g_proxy_resolver_get_default()));
    case EngineProxy::Mode::Direct:
      return nullptr;
    case EngineProxy::Mode::Custom: {
      std::vector<const char*> ignore;
      for (const auto& h : p.ignoreHosts) ignore.push_back(h.c_str());
      ignore.push_back(nullptr);
      GProxyResolver* r = g_simple_proxy_resolver_new(
          p.defaultProxy.empty() ? nullptr : p.defaultProxy.c_str(), const_cast<char**>(ignore.data()));
      for (const auto& [scheme, uri] : p.schemes)
        g_simple_proxy_resolver_set_uri_proxy(G_SIMPLE_PROXY_RESOLVER(r), scheme.c_str(), uri.c_str());
      return r;
    }
  }
  return nullptr;
}

// A secure fetch ended where it began: on https (a redirect may have left it), with a
// certificate that had no error (libsoup refuses those unless told otherwise; checked again).
bool SecureEnough(SoupMessage* msg, const HttpRequest& req) {
  if (!req.secureOnly) return true;
  GUri* final = soup_message_get_uri(msg);
  const char* scheme = final ? g_uri_get_scheme(final) : nullptr;
  return scheme && g_ascii_strcasecmp(scheme, "https") == 0 &&
         soup_message_get_tls_peer_certificate(msg) &&
         soup_message_get_tls_peer_certificate_errors(msg) == 0;
}

}  // namespace

bool SoupFetcher::Fetch(const HttpRequest& req, FetchCancel* cancel) {
  GUri* uri = g_uri_parse(req.url.c_str(), GUriFlags(SOUP_HTTP_URI_FLAGS), nullptr);
  if (!uri) return false;
  const char* scheme = g_uri_get_scheme(uri);
  bool http = scheme && (g_ascii_strcasecmp(scheme, "http") == 0 || g_ascii_strcasecmp(scheme, "https") == 0);
  if (http && req.secureOnly && g_ascii_strcasecmp(scheme, "https") != 0) http = false;
  if (!http || !g_uri_get_host(uri) || !*g_uri_get_host(uri)) {
    g_uri_unref(uri);
    return false;
  }
  GProxyResolver* resolver = MakeResolver(req.proxy);
  int timeout = req.timeoutSeconds > 0 ? req.timeoutSeconds : 30;
  SoupSession* session = soup_session_new_with_options(
      "proxy-resolver", resolver, "timeout", guint(timeout), "idle-timeout", guint(timeout), nullptr);
  if (resolver) g_object_unref(resolver);
  SoupMessage* msg = soup_message_new_from_uri(SOUP_METHOD_GET, uri);
  g_uri_unref(uri);
  if (req.noCache) {
    SoupMessageHeaders* h = soup_message_get_request_headers(msg);
    soup_message_headers_replace(h, "Cache-Control", "no-cache");
    soup_message_headers_replace(h, "Pragma", "no-cache");
  }
  GCancellable* cancellable = g_cancellable_new();
  if (cancel) cancel->SetHook([cancellable] { g_cancellable_cancel(cancellable); });

  // The whole transfer has a deadline: a server sending a byte a second, or headers that
  // never end, is given up too.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout);
  std::mutex mu;
  std::condition_variable cv;
  bool finished = false;
  std::thread watchdog([&] {
    std::unique_lock<std::mutex> l(mu);
    if (!cv.wait_until(l, deadline, [&] { return finished; })) g_cancellable_cancel(cancellable);
  });

  bool ok = false;
  std::string part = req.path + ".part";
  GInputStream* in = soup_session_send(session, msg, cancellable, nullptr);
  if (in && SOUP_STATUS_IS_SUCCESSFUL(soup_message_get_status(msg)) && SecureEnough(msg, req)) {
    goffset declared = soup_message_headers_get_content_length(soup_message_get_response_headers(msg));
    FILE* out = std::fopen(part.c_str(), "wb");
    if (out && (req.maxBytes == 0 || declared <= goffset(req.maxBytes))) {
      char buf[4000];
      size_t total = 0;
      ok = true;
      for (;;) {
        if (std::chrono::steady_clock::now() > deadline) {
          ok = false;
          break;
        }
        gssize n = g_input_stream_read(in, buf, sizeof buf, cancellable, nullptr);
        if (n < 0) {
          ok = false;
          break;
        }
        if (n == 0) break;
        total += size_t(n);
        if ((req.maxBytes && total > req.maxBytes) || std::fwrite(buf, 1, size_t(n), out) != size_t(n)) {
          ok = false;
          break;
        }
      }
      // A body shorter than its declared length was cut off.
      if (ok && declared > 0 && goffset(total) != declared) ok = false;
    }
    if (out && std::fflush(out) != 0) ok = false;
    if (out && std::fclose(out) != 0) ok = false;
  }
  if (in) {
    g_input_stream_close(in, nullptr, nullptr);
    g_object_unref(in);
  }
  if (cancel) cancel->SetHook({});
  if (ok) ok = std::rename(part.c_str(), req.path.c_str()) == 0;
  if (!ok) std::remove(part.c_str());

  {
    std::lock_guard<std::mutex> l(mu);
    finished = true;
  }
  cv.notify_all();
  watchdog.join();
  g_object_unref(msg);
  g_object_unref(session);
  g_object_unref(cancellable);
  return ok;
}

}  // namespace zel
