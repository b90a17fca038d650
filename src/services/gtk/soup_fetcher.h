// HttpFetcher over libsoup 3: a session of its own per fetch (on the calling thread), the
// user's proxy, a deadline for the whole transfer, the body streamed to a temporary file.
#pragma once

#include "services/http_fetch.h"

namespace zel {

class SoupFetcher : public HttpFetcher {
 public:
  bool Fetch(const HttpRequest& req, FetchCancel* cancel) override;
};

}  // namespace zel
