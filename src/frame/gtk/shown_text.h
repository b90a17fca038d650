// What a window title, a tab or a list row shows of a text.
#pragma once

#include <string>

#include "base/text.h"

namespace zel {

// A page's megabyte title would only cost the layout seconds for nothing anyone can read:
// past 512 code units the text is cut (never inside a surrogate pair) and ends in "…".
inline std::string ShownText(u16view text) {
  constexpr size_t kMax = 512;
  if (text.size() <= kMax) return ToUtf8(text);
  size_t n = kMax;
  if (text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
  return ToUtf8(text.substr(0, n)) + "…";
}

}  // namespace zel
