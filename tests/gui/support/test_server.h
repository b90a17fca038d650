// An HTTP server on 127.0.0.1 for GUI tests, running on its own thread.
//   /t/<title>       a page titled <title> (percent-decoded), with a link and a form
//   /raw/<name>      a page registered with SetPage
//   a path given to SetProtectedPage answers 401 (WWW-Authenticate: Basic) until a request
//   brings that user and password
// Every request path is recorded, and the body of every POST. Made with Scheme::Https it
// serves the same over TLS with a self-signed certificate.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zel::test {

class TestServer {
 public:
  enum class Scheme { Http, Https };
  explicit TestServer(Scheme scheme = Scheme::Http);
  ~TestServer();
  int port() const { return port_; }
  std::string Url(const std::string& path) const;
  // A page served at path (exact match) with the given HTML.
  void SetPage(const std::string& path, const std::string& html);
  // A page that needs HTTP Basic authentication with this user and password.
  void SetProtectedPage(const std::string& path, const std::string& user,
                        const std::string& password, const std::string& html);
  // A file served at path as an attachment named name (so a browser downloads it). With
  // stallAfter at 0 or more only that many bytes are sent (chunked, without a length), and
  // the response never ends.
  void SetFile(const std::string& path, const std::string& name, const std::string& body,
               long stallAfter = -1);
  // A file served at path as it is, with its type and no Content-Disposition (what most
  // servers send for a .tar.gz or a .zip); stallAfter as for SetFile (a page that never
  // ends loading with "text/html").
  void SetPlainFile(const std::string& path, const std::string& type, const std::string& body,
                    long stallAfter = -1);
  int Hits(const std::string& path) const;
  std::vector<std::string> Requests() const;
  struct Posted {
    std::string path, body;  // the body as sent (a form's "name=value&..." text)
  };
  std::vector<Posted> Posts() const;
  // Every request as path and query ("/stat?install").
  std::vector<std::string> RequestsWithQuery() const;

 private:
  static void Handle(void* server, void* msg, const char* path, void* query, void* self);
  void Run();

  std::thread thread_;
  void* context_ = nullptr;
  void* loop_ = nullptr;
  void* server_ = nullptr;
  int port_ = 0;
  Scheme scheme_;
  mutable std::mutex mu_;
  std::vector<std::string> requests_;
  std::vector<Posted> posts_;
  std::vector<std::string> requestsWithQuery_;
  std::map<std::string, std::string> pages_;
  std::map<std::string, std::string> credentials_;
  struct File {
    std::string name, body;
    long stallAfter = -1;
    std::string type = "application/octet-stream";  // name empty: not an attachment
  };
  std::map<std::string, File> files_;  // path -> "Basic <base64 of user:password>"

};

// A page with this title, as the server sends it for /t/<title>.
std::string TitledPage(const std::string& title);

}  // namespace zel::test
