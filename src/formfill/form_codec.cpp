#include "formfill/form_codec.h"

namespace zel {

namespace {
unsigned Letter(char16_t c) { return c >= u'A' && c <= u'Q' ? unsigned(c - u'A') : 0u; }
}  // namespace

u16 EncodeText(u16view text, u16view key) {
  u16 out;
  if (text.empty() || key.empty()) return u16(text);
  bool narrow = true;
  for (size_t i = 0; i < text.size() && narrow; ++i)
    narrow = (char16_t(text[i] ^ key[i % key.size()])) < 256;
  out.reserve(text.size() * (narrow ? 2 : 4) + 1);
  if (!narrow) out += kWideMark;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned v = char16_t(text[i] ^ key[i % key.size()]);
    if (narrow) {
      out += char16_t(u'A' + (v >> 4));
      out += char16_t(u'A' + (v & 15));
    } else {
      for (int shift = 12; shift >= 0; shift -= 4) out += char16_t(u'A' + ((v >> shift) & 15));
    }
  }
  return out;
}

u16 DecodeText(u16view encoded, u16view key) {
  u16 out;
  if (encoded.empty() || key.empty()) return out;
  bool wide = encoded[0] == kWideMark;
  if (wide) encoded.remove_prefix(1);
  size_t group = wide ? 4 : 2;
  out.reserve(encoded.size() / group);
  for (size_t k = 0; (k + 1) * group <= encoded.size(); ++k) {
    unsigned v = 0;
    for (size_t j = 0; j < group; ++j) v = (v << 4) | Letter(encoded[k * group + j]);
    out += char16_t(v ^ key[k % key.size()]);
  }
  return out;
}

u16 EscapeLines(u16view text) {
  u16 out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (c == u'\r') out += u"\\r";
    else if (c == u'\n') out += u"\\n";
    else if (c == u'\\') out += u"\\\\";
    else out += c;
  }
  return out;
}

u16 UnescapeLines(u16view text) {
  u16 out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'\\' && i + 1 < text.size()) {
      char16_t n = text[i + 1];
      if (n == u'r' || n == u'n' || n == u'\\') {
        out += n == u'r' ? u'\r' : n == u'n' ? u'\n' : u'\\';
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

}  // namespace zel
