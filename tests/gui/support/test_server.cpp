#include "support/test_server.h"

#include <libsoup/soup.h>

#include <algorithm>
#include <condition_variable>

#include "support/self_signed_cert.h"

namespace zel::test {

std::string TitledPage(const std::string& title) {
  return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + title +
         "</title></head><body><h1>" + title +
         "</h1><p><a id=\"link\" href=\"/t/Linked\">link</a></p></body></html>";
}

TestServer::TestServer(Scheme scheme) : scheme_(scheme) {
  std::mutex m;
  std::condition_variable cv;
  bool ready = false;
  thread_ = std::thread([&] {
    auto* ctx = g_main_context_new();
    g_main_context_push_thread_default(ctx);
    context_ = ctx;
    loop_ = g_main_loop_new(ctx, FALSE);
    GTlsCertificate* certificate = nullptr;
    if (scheme_ == Scheme::Https)
      certificate = g_tls_certificate_new_from_pem(kSelfSignedPem, -1, nullptr);
    SoupServer* s = certificate
                        ? soup_server_new("tls-certificate", certificate, nullptr)
                        : soup_server_new(nullptr, nullptr);
    if (certificate) g_object_unref(certificate);
    server_ = s;
    soup_server_add_handler(
        s, nullptr,
        [](SoupServer* sv, SoupServerMessage* msg, const char* path, GHashTable* q, gpointer self) {
          Handle(sv, msg, path, q, self);
        },
        this, nullptr);
    GError* err = nullptr;
    soup_server_listen_local(
        s, 0,
        SoupServerListenOptions(SOUP_SERVER_LISTEN_IPV4_ONLY |
                                (scheme_ == Scheme::Https ? SOUP_SERVER_LISTEN_HTTPS : 0)),
        &err);
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
    g_main_context_pop_thread_default(ctx);
    g_main_loop_unref(static_cast<GMainLoop*>(loop_));
    g_main_context_unref(ctx);
  });
  std::unique_lock<std::mutex> l(m);
  cv.wait(l, [&] { return ready; });
}

TestServer::~TestServer() {
  g_main_loop_quit(static_cast<GMainLoop*>(loop_));
  thread_.join();
}

std::string TestServer::Url(const std::string& path) const {
  return (scheme_ == Scheme::Https ? "https://127.0.0.1:" : "http://127.0.0.1:") +
         std::to_string(port_) + path;
}

void TestServer::SetPage(const std::string& path, const std::string& html) {
  std::lock_guard<std::mutex> l(mu_);
  pages_[path] = html;
}

void TestServer::SetProtectedPage(const std::string& path, const std::string& user,
                                  const std::string& password, const std::string& html) {
  std::string pair = user + ":" + password;
  gchar* encoded = g_base64_encode(reinterpret_cast<const guchar*>(pair.data()), pair.size());
  std::lock_guard<std::mutex> l(mu_);
  pages_[path] = html;
  credentials_[path] = std::string("Basic ") + encoded;
  g_free(encoded);
}

void TestServer::SetFile(const std::string& path, const std::string& name,
                         const std::string& body, long stallAfter) {
  std::lock_guard<std::mutex> l(mu_);
  files_[path] = File{name, body, stallAfter};
}

void TestServer::SetPlainFile(const std::string& path, const std::string& type,
                              const std::string& body, long stallAfter) {
  std::lock_guard<std::mutex> l(mu_);
  files_[path] = File{"", body, stallAfter, type};
}

int TestServer::Hits(const std::string& path) const {
  std::lock_guard<std::mutex> l(mu_);
  int n = 0;
  for (const auto& r : requests_)
    if (r == path) ++n;
  return n;
}

std::vector<std::string> TestServer::Requests() const {
  std::lock_guard<std::mutex> l(mu_);
  return requests_;
}

std::vector<TestServer::Posted> TestServer::Posts() const {
  std::lock_guard<std::mutex> l(mu_);
  return posts_;
}

std::vector<std::string> TestServer::RequestsWithQuery() const {
  std::lock_guard<std::mutex> l(mu_);
  return requestsWithQuery_;
}

void TestServer::Handle(void*, void* m, const char* path, void*, void* selfp) {
  auto* self = static_cast<TestServer*>(selfp);
  auto* msg = static_cast<SoupServerMessage*>(m);
  std::string p = path ? path : "/";
  std::string body;
  int status = 200;
  {
    std::lock_guard<std::mutex> l(self->mu_);
    self->requests_.push_back(p);
    if (g_strcmp0(soup_server_message_get_method(msg), "POST") == 0) {
      GBytes* bytes = soup_message_body_flatten(soup_server_message_get_request_body(msg));
      gsize size = 0;
      const char* data = static_cast<const char*>(g_bytes_get_data(bytes, &size));
      self->posts_.push_back({p, std::string(data ? data : "", size)});
      g_bytes_unref(bytes);
    }
    const char* query = g_uri_get_query(soup_server_message_get_uri(msg));
    self->requestsWithQuery_.push_back(query ? p + "?" + query : p);
    if (auto f = self->files_.find(p); f != self->files_.end()) {
      SoupMessageHeaders* h = soup_server_message_get_response_headers(msg);
      soup_message_headers_replace(h, "Content-Type", f->second.type.c_str());
      if (!f->second.name.empty())
        soup_message_headers_replace(h, "Content-Disposition",
                                     ("attachment; filename=\"" + f->second.name + "\"").c_str());
      soup_server_message_set_status(msg, 200, nullptr);
      SoupMessageBody* out = soup_server_message_get_response_body(msg);
      if (f->second.stallAfter < 0) {
        soup_message_headers_set_content_length(h, goffset(f->second.body.size()));
        soup_message_body_append(out, SOUP_MEMORY_COPY, f->second.body.data(), f->second.body.size());
      } else {
        // Part of the body, then nothing more: the response stays open.
        soup_message_headers_set_encoding(h, SOUP_ENCODING_CHUNKED);
        size_t n = std::min(size_t(f->second.stallAfter), f->second.body.size());
        soup_message_body_append(out, SOUP_MEMORY_COPY, f->second.body.data(), n);
      }
      return;
    }
    auto it = self->pages_.find(p);
    auto cred = self->credentials_.find(p);
    const char* given = soup_message_headers_get_one(
        soup_server_message_get_request_headers(msg), "Authorization");
    if (cred != self->credentials_.end() && (!given || cred->second != given)) {
      status = 401;
      soup_message_headers_replace(soup_server_message_get_response_headers(msg),
                                   "WWW-Authenticate", "Basic realm=\"Zel test\"");
      body = "<html><head><title>401</title></head><body>who are you?</body></html>";
    } else if (it != self->pages_.end()) {
      body = it->second;
    } else if (p.rfind("/t/", 0) == 0) {
      char* title = g_uri_unescape_string(p.c_str() + 3, nullptr);
      body = TitledPage(title ? title : "");
      g_free(title);
    } else {
      status = 404;
      body = "<html><head><title>404</title></head><body>not found</body></html>";
    }
  }
  soup_server_message_set_status(msg, status, nullptr);
  soup_server_message_set_response(msg, "text/html; charset=utf-8", SOUP_MEMORY_COPY,
                                   body.data(), body.size());
}

}  // namespace zel::test
