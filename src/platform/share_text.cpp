#include "platform/share_text.h"

#include <algorithm>

namespace zel {

std::string EncodeShareText(u16view text) {
  const size_t maxUnits = kShareBytes / 2 - 1;
  size_t n = std::min(text.size(), maxUnits);
  if (n > 0 && n < text.size() && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
  std::string block(kShareBytes, '\0');
  for (size_t i = 0; i < n; ++i) {
    block[2 * i] = char(text[i] & 0xFF);
    block[2 * i + 1] = char(text[i] >> 8);
  }
  return block;
}

u16 DecodeShareText(const char* block, size_t bytes) {
  u16 out;
  for (size_t i = 0; i + 1 < bytes; i += 2) {
    char16_t c = char16_t((unsigned char)block[i] | ((unsigned char)block[i + 1] << 8));
    if (c == 0) break;
    out += c;
  }
  return out;
}

}  // namespace zel
