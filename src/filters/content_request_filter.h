// The content filter's decision for one request, as the request hook in a web process
// makes it: only http and https requests are checked, only while the hook is active and
// the index is current; the address is lower-cased and asked of the content index.
#pragma once

#include <optional>
#include <string_view>

#include "base/text.h"
#include "filters/filter_lists.h"
#include "filters/filter_message.h"

namespace zel {

// True for an address whose scheme is http or https (any case).
bool IsHttpAddress(std::string_view uri);

class ContentRequestFilter {
 public:
  // Takes the switches and rebuilds the index from the lists.
  void Apply(const ContentFilterState& state);

  // The lower-cased address when the request is to be answered with the blank image;
  // nullopt when it loads normally.
  std::optional<u16> Check(std::string_view uri) const;

  bool active() const { return active_; }
  bool stale() const { return stale_; }

 private:
  bool active_ = false;
  bool stale_ = true;
  ContentIndex index_;
};

}  // namespace zel
