// The XML reader's character classes, and the entity and character references of its
// attribute values.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/text.h"

namespace zel {

// A set of ASCII characters, tested with two bit masks.
class CharSet {
 public:
  constexpr explicit CharSet(u16view chars) {
    for (char16_t c : chars) (c < 64 ? low_ : high_) |= uint64_t(1) << (c & 63);
  }
  bool Has(char16_t c) const {
    return c < 64 ? (low_ >> c) & 1 : c < 128 && (high_ >> (c - 64)) & 1;
  }

 private:
  uint64_t low_ = 0;
  uint64_t high_ = 0;
};

inline bool IsXmlSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

// A letter, ":", "_" or anything above "`" opens a start tag.
inline bool IsNameStart(char16_t c) {
  return (c >= u'A' && c <= u'Z') || c == u':' || c == u'_' || c > u'`';
}

inline size_t FindFirstOf(u16view s, size_t from, const CharSet& set) {
  while (from < s.size() && !set.Has(s[from])) ++from;
  return from;
}

// Decodes the five predefined entities and numeric character references. References that
// do not name a usable character (0, a surrogate, past U+10FFFF) stay as written, as does
// every other "&".
u16 DecodeEntities(u16view v);

}  // namespace zel
