#include "services/http_fetch.h"

namespace zel {

void FetchCancel::Cancel() {
  std::function<void()> hook;
  {
    std::lock_guard<std::mutex> l(mu_);
    cancelled_ = true;
    hook = hook_;
  }
  if (hook) hook();
}

bool FetchCancel::cancelled() const {
  std::lock_guard<std::mutex> l(mu_);
  return cancelled_;
}

void FetchCancel::SetHook(std::function<void()> hook) {
  bool now;
  {
    std::lock_guard<std::mutex> l(mu_);
    hook_ = hook;
    now = cancelled_;
  }
  if (now && hook) hook();
}

}  // namespace zel
