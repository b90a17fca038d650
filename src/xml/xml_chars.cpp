#include "xml/xml_chars.h"

namespace zel {

u16 DecodeEntities(u16view v) {
  static constexpr struct {
    u16view entity;
    char16_t c;
  } kNamed[] = {
      {u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&amp;", u'&'}, {u"&apos;", u'\''}, {u"&quot;", u'"'}};
  u16 out;
  out.reserve(v.size());
  for (size_t i = 0; i < v.size(); ++i) {
    const char16_t c = v[i];
    if (c != u'&') {
      out += c;
      continue;
    }
    const u16view rest = v.substr(i);
    bool done = false;
    for (const auto& e : kNamed) {
      if (StartsWith(rest, e.entity)) {
        out += e.c;
        i += e.entity.size() - 1;
        done = true;
        break;
      }
    }
    if (done) continue;
    if (rest.size() > 2 && rest[1] == u'#') {
      const bool hex = rest[2] == u'x';
      const unsigned base = hex ? 16 : 10;
      size_t j = hex ? 3 : 2;
      const size_t digitsStart = j;
      uint32_t code = 0;
      // At most six digits, then the semicolon.
      for (; j < rest.size() && j - digitsStart < 6; ++j) {
        const char16_t d = rest[j];
        unsigned value;
        if (d >= u'0' && d <= u'9')
          value = d - u'0';
        else if (hex && d >= u'a' && d <= u'f')
          value = d - u'a' + 10;
        else if (hex && d >= u'A' && d <= u'F')
          value = d - u'A' + 10;
        else
          break;
        code = code * base + value;
      }
      const bool usable = code != 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
      if (j > digitsStart && j < rest.size() && rest[j] == u';' && usable) {
        if (code >= 0x10000) {
          code -= 0x10000;
          out += char16_t(0xD800 + (code >> 10));
          out += char16_t(0xDC00 + (code & 0x3FF));
        } else {
          out += char16_t(code);
        }
        i += j;
        continue;
      }
    }
    out += c;
  }
  return out;
}

}  // namespace zel
