// A small HTTP proxy on 127.0.0.1 for GUI tests, on its own thread. A request in absolute
// form (a browser talking to its proxy) is fetched from its origin and its answer passed
// on; every such request is counted by its full address. A request for the proxy's own
// address is a web-proxy request: the page "WebProxy" answers it, and its query is kept.
#pragma once

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zel::test {

class ProxyServer {
 public:
  ProxyServer();
  ~ProxyServer();
  int port() const { return port_; }
  std::string HostPort() const { return "127.0.0.1:" + std::to_string(port_); }
  // Absolute addresses forwarded so far, in order.
  std::vector<std::string> Forwarded() const;
  int ForwardedCount(const std::string& needle) const;
  // The full addresses of the requests made to the proxy as a web server.
  std::vector<std::string> Direct() const;
  // A host name only the proxy knows: requests for it are fetched from 127.0.0.1 (same
  // port). A page of that name loads through the proxy and fails without it.
  void MapHost(const std::string& name);
  // The web-proxy page gets a link (id "link", target "_blank") to this address.
  void SetWebPageLink(const std::string& url);

 private:
  static void Handle(void* server, void* msg, const char* path, void* query, void* self);

  std::thread thread_;
  void* loop_ = nullptr;
  void* session_ = nullptr;
  int port_ = 0;
  mutable std::mutex mu_;
  std::vector<std::string> forwarded_;
  std::vector<std::string> direct_;
  std::string mapped_, link_;
};

}  // namespace zel::test
