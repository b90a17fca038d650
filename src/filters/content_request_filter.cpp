#include "filters/content_request_filter.h"

namespace zel {

namespace {

bool StartsWithAscii(std::string_view s, std::string_view lowerPrefix) {
  if (s.size() < lowerPrefix.size()) return false;
  for (size_t i = 0; i < lowerPrefix.size(); ++i) {
    char c = s[i];
    if (c >= 'A' && c <= 'Z') c = char(c + 32);
    if (c != lowerPrefix[i]) return false;
  }
  return true;
}

}  // namespace

bool IsHttpAddress(std::string_view uri) {
  return StartsWithAscii(uri, "http:") || StartsWithAscii(uri, "https:");
}

void ContentRequestFilter::Apply(const ContentFilterState& state) {
  active_ = state.hookActive;
  stale_ = state.stale;
  // A stale index is never asked, so it is not built either.
  if (stale_)
    index_.Clear();
  else
    index_.Build(state.blockList, state.allowList);
}

std::optional<u16> ContentRequestFilter::Check(std::string_view uri) const {
  if (!active_ || stale_ || !IsHttpAddress(uri)) return std::nullopt;
  u16 lower = ToLower(FromUtf8(uri));
  if (!index_.IsBlocked(lower)) return std::nullopt;
  return lower;
}

}  // namespace zel
