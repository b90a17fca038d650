#include "support/proxy_server.h"

#include <libsoup/soup.h>

#include <condition_variable>

namespace zel::test {

ProxyServer::ProxyServer() {
  std::mutex m;
  std::condition_variable cv;
  bool ready = false;
  thread_ = std::thread([&] {
    GMainContext* ctx = g_main_context_new();
    g_main_context_push_thread_default(ctx);
    loop_ = g_main_loop_new(ctx, FALSE);
    // The proxy itself goes straight to the origin.
    session_ = soup_session_new_with_options("proxy-resolver", nullptr, "timeout", 10, nullptr);
    SoupServer* s = soup_server_new(nullptr, nullptr);
    soup_server_add_handler(
        s, nullptr,
        [](SoupServer* sv, SoupServerMessage* msg, const char* path, GHashTable* q, gpointer self) {
          Handle(sv, msg, path, q, self);
        },
        this, nullptr);
    soup_server_listen_local(s, 0, SOUP_SERVER_LISTEN_IPV4_ONLY, nullptr);
    GSList* uris = soup_server_get_uris(s);
    if (uris) port_ = g_uri_get_port(static_cast<GUri*>(uris->data));
    g_slist_free_full(uris, reinterpret_cast<GDestroyNotify>(g_uri_unref));
    {
      std::lock_guard<std::mutex> l(m);
      ready = true;
    }
    cv.notify_one();
    g_main_loop_run(static_cast<GMainLoop*>(loop_));
    soup_server_disconnect(s);
    g_object_unref(s);
    g_object_unref(static_cast<SoupSession*>(session_));
    g_main_context_pop_thread_default(ctx);
    g_main_loop_unref(static_cast<GMainLoop*>(loop_));
    g_main_context_unref(ctx);
  });
  std::unique_lock<std::mutex> l(m);
  cv.wait(l, [&] { return ready; });
}

ProxyServer::~ProxyServer() {
  g_main_loop_quit(static_cast<GMainLoop*>(loop_));
  thread_.join();
}

std::vector<std::string> ProxyServer::Forwarded() const {
  std::lock_guard<std::mutex> l(mu_);
  return forwarded_;
}

int ProxyServer::ForwardedCount(const std::string& needle) const {
  std::lock_guard<std::mutex> l(mu_);
  int n = 0;
  for (const auto& f : forwarded_)
    if (f.find(needle) != std::string::npos) ++n;
  return n;
}

std::vector<std::string> ProxyServer::Direct() const {
  std::lock_guard<std::mutex> l(mu_);
  return direct_;
}

void ProxyServer::MapHost(const std::string& name) {
  std::lock_guard<std::mutex> l(mu_);
  mapped_ = name;
}

void ProxyServer::SetWebPageLink(const std::string& url) {
  std::lock_guard<std::mutex> l(mu_);
  link_ = url;
}

void ProxyServer::Handle(void*, void* m, const char*, void*, void* selfp) {
  auto* self = static_cast<ProxyServer*>(selfp);
  auto* msg = static_cast<SoupServerMessage*>(m);
  GUri* uri = soup_server_message_get_uri(msg);
  gchar* text = g_uri_to_string(uri);
  std::string full = text ? text : "";
  g_free(text);
  // Ours when the request names the proxy itself (or names no host: origin form).
  const char* host = g_uri_get_host(uri);
  bool own = g_uri_get_port(uri) == self->port_ && host && std::string(host) == "127.0.0.1";
  if (own) {
    std::string link;
    {
      std::lock_guard<std::mutex> l(self->mu_);
      self->direct_.push_back(full);
      link = self->link_;
    }
    std::string body = "<html><head><title>WebProxy</title></head><body>wrapped";
    if (!link.empty()) body += "<p><a id='link' target='_blank' href='" + link + "'>out</a></p>";
    body += "</body></html>";
    soup_server_message_set_status(msg, 200, nullptr);
    soup_server_message_set_response(msg, "text/html", SOUP_MEMORY_COPY, body.data(), body.size());
    return;
  }
  {
    std::lock_guard<std::mutex> l(self->mu_);
    self->forwarded_.push_back(full);
  }
  // Fetched while the proxy's loop waits: a test proxy serves one page at a time.
  std::string fetch = full;
  {
    std::lock_guard<std::mutex> l(self->mu_);
    if (!self->mapped_.empty() && host && self->mapped_ == host) {
      GUri* local = g_uri_build(G_URI_FLAGS_NONE, g_uri_get_scheme(uri), nullptr, "127.0.0.1",
                                g_uri_get_port(uri), g_uri_get_path(uri), g_uri_get_query(uri),
                                nullptr);
      gchar* t = g_uri_to_string(local);
      fetch = t;
      g_free(t);
      g_uri_unref(local);
    }
  }
  SoupMessage* out = soup_message_new(soup_server_message_get_method(msg), fetch.c_str());
  GBytes* answer = out ? soup_session_send_and_read(static_cast<SoupSession*>(self->session_),
                                                    out, nullptr, nullptr)
                       : nullptr;
  if (!answer) {
    soup_server_message_set_status(msg, 502, nullptr);
  } else {
    soup_server_message_set_status(msg, soup_message_get_status(out), nullptr);
    const char* type =
        soup_message_headers_get_content_type(soup_message_get_response_headers(out), nullptr);
    gsize size = 0;
    const void* data = g_bytes_get_data(answer, &size);
    soup_server_message_set_response(msg, type ? type : "text/html", SOUP_MEMORY_COPY,
                                     static_cast<const char*>(data), size);
    g_bytes_unref(answer);
  }
  if (out) g_object_unref(out);
}

}  // namespace zel::test
