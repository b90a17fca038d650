// What the browser tells the content filter's request hook in each web process, and what
// the hook reports back. Both sides encode and decode through these functions, so the
// message format lives in one place.
//
// State (initialization data of a new web process, and the parameter of every update sent
// to the running ones), GVariant type "(bbasas)":
//   b   the hook is active (the content filter is on)
//   b   the content index is stale (every request passes)
//   as  content block entries, as listed (UTF-8)
//   as  content allow entries, as listed (UTF-8)
// Report of a blocked request: a message named kContentBlockedMessage with one string, the
// lower-cased address.
#pragma once

#include <glib.h>

#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "view/page_messages.h"

namespace zel {

class FilterLists;

inline constexpr char kFilterUpdateMessage[] = "zel-filter-update";
inline constexpr char kContentBlockedMessage[] = "zel-content-blocked";
inline constexpr char kContentFilterStateType[] = "(bbasas)";

struct ContentFilterState {
  bool hookActive = false;
  bool stale = true;
  std::vector<u16> blockList;
  std::vector<u16> allowList;
};

// The part of the frame's lists and switches that the request hook needs.
ContentFilterState ContentFilterStateOf(const FilterLists& lists, bool hookActive);

// A new floating GVariant of type "(bbasas)".
GVariant* EncodeContentFilterState(const ContentFilterState& state);
// nullopt when the value is missing or of another type.
std::optional<ContentFilterState> DecodeContentFilterState(GVariant* value);

// The parameter of the blocked-request report: a new floating GVariant string.
GVariant* EncodeBlockedAddress(u16view lowerUrl);
// nullopt when the value is missing or not a string.
std::optional<u16> DecodeBlockedAddress(GVariant* value);

}  // namespace zel
