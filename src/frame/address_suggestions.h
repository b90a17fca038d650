// What the address box offers while the user types: addresses typed before, favorites and
// visited pages whose address or title holds the typed text.
#pragma once

#include <vector>

#include "base/text.h"

namespace zel {

struct AddressSuggestion {
  u16 url;
  u16 title;  // empty for a typed address
  bool operator==(const AddressSuggestion&) const = default;
};

// At most max suggestions for typed: addresses whose host and path (without "http://",
// "https://" or "www.") begin with it come first, then the other matches of the address or
// the title; within each, typed addresses, then favorites, then history, each in its order.
// One row per page (the scheme, "www." and a last "/" do not make another).
std::vector<AddressSuggestion> RankSuggestions(u16view typed, const std::vector<u16>& typedAddresses,
                                               const std::vector<AddressSuggestion>& favorites,
                                               const std::vector<AddressSuggestion>& history,
                                               size_t max = 8);

}  // namespace zel
