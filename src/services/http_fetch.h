// HTTP downloads done outside the engine (update checks, install reports, site icons): a GET
// of one address into one file, run on the caller's worker thread.
#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>

#include "view/engine_port.h"

namespace zel {

// Gives up a fetch in progress from another thread (the browser closing).
class FetchCancel {
 public:
  void Cancel();
  bool cancelled() const;
  // The fetcher's way to stop the transfer at once; runs at once when already cancelled.
  // An empty hook detaches it again.
  void SetHook(std::function<void()> hook);

 private:
  mutable std::mutex mu_;
  bool cancelled_ = false;
  std::function<void()> hook_;
};

struct HttpRequest {
  std::string url;
  // The body goes to path + ".part" and is renamed to path only when it arrived whole, so
  // a broken transfer never leaves a file that looks complete.
  std::string path;
  size_t maxBytes = 1 << 20;  // a longer body fails the fetch
  int timeoutSeconds = 30;    // for the whole transfer, connecting included
  // Asks every cache on the way (proxies included) for a fresh copy.
  bool noCache = true;
  EngineProxy proxy;  // the user's proxy choice, as the pages get it
  // Only https with a certificate the system (GLib's TLS database) trusts, redirects
  // included: anything else fails the fetch.
  bool secureOnly = false;
};

class HttpFetcher {
 public:
  virtual ~HttpFetcher() = default;
  // True when a 2xx answer's whole body is in req.path. Blocks the calling thread; never
  // call it on the main loop.
  virtual bool Fetch(const HttpRequest& req, FetchCancel* cancel) = 0;
};

}  // namespace zel
