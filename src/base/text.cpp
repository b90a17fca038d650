#include "base/mnemonic.h"
#include "base/text.h"

#include <cerrno>

#include <glib.h>

#include <climits>

namespace zel {

bool IsSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f' ||
         c == 0x3000;
}

u16 TrimLeft(u16view s) {
  size_t b = 0;
  while (b < s.size() && IsSpace(s[b])) ++b;
  return u16(s.substr(b));
}

u16 TrimRight(u16view s) {
  size_t e = s.size();
  while (e > 0 && IsSpace(s[e - 1])) --e;
  return u16(s.substr(0, e));
}

u16 Trim(u16view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsSpace(s[b])) ++b;
  while (e > b && IsSpace(s[e - 1])) --e;
  return u16(s.substr(b, e - b));
}

char16_t ToLowerChar(char16_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
  if (c >= 0xD800 && c <= 0xDFFF) return c;
  gunichar l = g_unichar_tolower(c);
  return l <= 0xFFFF ? char16_t(l) : c;
}

static char16_t ToUpperChar(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
  if (c >= 0xD800 && c <= 0xDFFF) return c;
  gunichar u = g_unichar_toupper(c);
  return u <= 0xFFFF ? char16_t(u) : c;
}

u16 ToLower(u16view s) {
  u16 r(s);
  for (auto& c : r) c = ToLowerChar(c);
  return r;
}

u16 ToUpper(u16view s) {
  u16 r(s);
  for (auto& c : r) c = ToUpperChar(c);
  return r;
}

bool EqualsNoCase(u16view a, u16view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i] && ToLowerChar(a[i]) != ToLowerChar(b[i])) return false;
  return true;
}

size_t FindNoCase(u16view hay, u16view needle, size_t from) {
  if (needle.size() > hay.size()) return u16::npos;
  for (size_t i = from; i + needle.size() <= hay.size(); ++i) {
    if (EqualsNoCase(hay.substr(i, needle.size()), needle)) return i;
  }
  return u16::npos;
}

bool StartsWith(u16view s, u16view p) { return s.size() >= p.size() && s.substr(0, p.size()) == p; }
bool EndsWith(u16view s, u16view p) {
  return s.size() >= p.size() && s.substr(s.size() - p.size()) == p;
}
bool StartsWithNoCase(u16view s, u16view p) {
  return s.size() >= p.size() && EqualsNoCase(s.substr(0, p.size()), p);
}
bool EndsWithNoCase(u16view s, u16view p) {
  return s.size() >= p.size() && EqualsNoCase(s.substr(s.size() - p.size()), p);
}
bool Contains(u16view s, u16view n) { return s.find(n) != u16view::npos; }

int ToInt(u16view s) {
  size_t i = 0;
  while (i < s.size() && IsSpace(s[i]) && s[i] != 0x3000) ++i;
  bool neg = false;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
    neg = s[i] == u'-';
    ++i;
  }
  long long v = 0;
  for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i) {
    v = v * 10 + (s[i] - u'0');
    if (v > (long long)INT_MAX + 1) v = (long long)INT_MAX + 1;
  }
  if (neg) v = -v;
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return int(v);
}

u16 IntToText(long long v) {
  std::string s = std::to_string(v);
  return u16(s.begin(), s.end());
}

u16 FormatArg::AsText() const { return is_int_ ? IntToText(num_) : text_; }
long long FormatArg::AsInt() const { return is_int_ ? num_ : ToInt(text_); }

u16 FormatV(u16view fmt, const std::vector<FormatArg>& args) {
  u16 out;
  out.reserve(fmt.size() + 16);
  size_t next = 0;
  for (size_t i = 0; i < fmt.size(); ++i) {
    char16_t c = fmt[i];
    if (c != u'%' || i + 1 >= fmt.size()) {
      out += c;
      continue;
    }
    char16_t d = fmt[i + 1];
    if (d == u'%') {
      out += u'%';
      ++i;
    } else if (d == u's' || d == u'S') {
      if (next < args.size()) out += args[next++].AsText();
      ++i;
    } else if (d == u'd' || d == u'i' || d == u'u') {
      if (next < args.size()) out += IntToText(args[next++].AsInt());
      ++i;
    } else {
      out += c;
    }
  }
  return out;
}

u16 FromUtf8(std::string_view s) {
  u16 out;
  out.reserve(s.size());
  size_t i = 0;
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const size_t n = s.size();
  while (i < n) {
    unsigned c = p[i];
    unsigned cp;
    int len;
    if (c < 0x80) {
      out += char16_t(c);
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F;
      len = 2;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F;
      len = 3;
    } else if ((c & 0xF8) == 0xF0) {
      cp = c & 0x07;
      len = 4;
    } else {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    if (i + len > n) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    bool ok = true;
    for (int k = 1; k < len; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    if (ok) {
      // Overlong forms, surrogates and values past U+10FFFF are invalid.
      if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) ||
          cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        ok = false;
    }
    if (!ok) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += char16_t(0xD800 + (cp >> 10));
      out += char16_t(0xDC00 + (cp & 0x3FF));
    } else {
      out += char16_t(cp);
    }
    i += len;
  }
  return out;
}

std::string ToUtf8(u16view s) {
  std::string out;
  out.reserve(s.size() * 3);
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
        s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out += char(cp);
    } else if (cp < 0x800) {
      out += char(0xC0 | (cp >> 6));
      out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += char(0xE0 | (cp >> 12));
      out += char(0x80 | ((cp >> 6) & 0x3F));
      out += char(0x80 | (cp & 0x3F));
    } else {
      out += char(0xF0 | (cp >> 18));
      out += char(0x80 | ((cp >> 12) & 0x3F));
      out += char(0x80 | ((cp >> 6) & 0x3F));
      out += char(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

bool IsValidUtf8(std::string_view s) { return g_utf8_validate(s.data(), (gssize)s.size(), nullptr); }

Gb18030Decoder::Gb18030Decoder() {
  GIConv cd = g_iconv_open("UTF-8", "GB18030");
  cd_ = cd == (GIConv)-1 ? nullptr : cd;
}

Gb18030Decoder::~Gb18030Decoder() {
  if (cd_) g_iconv_close((GIConv)cd_);
}

u16 Gb18030Decoder::Decode(std::string_view s, bool* clean) {
  if (clean) *clean = true;
  u16 out;
  if (s.empty()) return out;
  auto bad = [&](unsigned char c) {
    out += c < 0x80 ? char16_t(c) : u'\uFFFD';
    if (clean && c >= 0x80) *clean = false;
  };
  if (!cd_) {
    for (unsigned char c : s) bad(c);
    return out;
  }
  GIConv cd = (GIConv)cd_;
  g_iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string utf8;
  utf8.resize(s.size() * 2 + 16);
  gchar* in = const_cast<gchar*>(s.data());
  gsize inLeft = s.size();
  gchar* o = utf8.data();
  gsize outLeft = utf8.size();
  auto flush = [&] {
    out += FromUtf8(std::string_view(utf8.data(), utf8.size() - outLeft));
    o = utf8.data();
    outLeft = utf8.size();
  };
  while (inLeft > 0) {
    gsize r = g_iconv(cd, &in, &inLeft, &o, &outLeft);
    if (r != (gsize)-1) break;
    if (errno == E2BIG) {
      flush();
      continue;
    }
    // An invalid or cut-off sequence: the byte it starts with is replaced alone.
    flush();
    bad((unsigned char)*in);
    ++in;
    --inLeft;
    g_iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (clean) *clean = false;
  }
  flush();
  return out;
}

u16 FromGbk(std::string_view s) {
  Gb18030Decoder decoder;
  return decoder.Decode(s);
}

std::string ToGbk(u16view s) {
  if (s.empty()) return std::string();
  std::string utf8 = ToUtf8(s);
  gsize written = 0;
  GError* err = nullptr;
  gchar* gbk = g_convert_with_fallback(utf8.data(), (gssize)utf8.size(), "GBK", "UTF-8", "?",
                                       nullptr, &written, &err);
  if (!gbk) {
    if (err) g_error_free(err);
    std::string out;
    for (char16_t c : s) out += c < 0x80 ? char(c) : '?';
    return out;
  }
  std::string out(gbk, written);
  g_free(gbk);
  return out;
}

std::string ToGb18030(u16view s) {
  if (s.empty()) return std::string();
  std::string utf8 = ToUtf8(s);
  gsize written = 0;
  gchar* out = g_convert(utf8.data(), (gssize)utf8.size(), "GB18030", "UTF-8", nullptr,
                         &written, nullptr);
  if (!out) return ToGbk(s);
  std::string r(out, written);
  g_free(out);
  return r;
}

std::optional<u16> JsonStringValue(std::string_view json) {
  size_t b = json.find_first_not_of(" \t\r\n");
  size_t e = json.find_last_not_of(" \t\r\n");
  if (b == std::string_view::npos || e <= b || json[b] != '"' || json[e] != '"')
    return std::nullopt;
  u16 all = FromUtf8(json.substr(b + 1, e - b - 1));
  u16 out;
  for (size_t i = 0; i < all.size(); ++i) {
    char16_t c = all[i];
    if (c == u'"') return std::nullopt;
    if (c != u'\\') {
      out += c;
      continue;
    }
    if (++i >= all.size()) return std::nullopt;
    switch (all[i]) {
      case u'"': out += u'"'; break;
      case u'\\': out += u'\\'; break;
      case u'/': out += u'/'; break;
      case u'b': out += u'\b'; break;
      case u'f': out += u'\f'; break;
      case u'n': out += u'\n'; break;
      case u'r': out += u'\r'; break;
      case u't': out += u'\t'; break;
      case u'u': {
        if (i + 4 >= all.size()) return std::nullopt;
        unsigned v = 0;
        for (int k = 1; k <= 4; ++k) {
          char16_t h = all[i + k];
          v <<= 4;
          if (h >= u'0' && h <= u'9') v |= h - u'0';
          else if (h >= u'a' && h <= u'f') v |= h - u'a' + 10;
          else if (h >= u'A' && h <= u'F') v |= h - u'A' + 10;
          else return std::nullopt;
        }
        out += char16_t(v);
        i += 4;
        break;
      }
      default:
        return std::nullopt;
    }
  }
  return out;
}

u16 JsStringLiteral(u16view s) {
  static const char16_t hex[] = u"0123456789abcdef";
  u16 out = u"\"";
  for (char16_t c : s) {
    if (c == u'"' || c == u'\\') {
      out += u'\\';
      out += c;
    } else if (c < 0x20 || c == 0x2028 || c == 0x2029 || c == u'<' || c == u'>') {
      out += u"\\u";
      for (int shift = 12; shift >= 0; shift -= 4) out += hex[(c >> shift) & 0xF];
    } else {
      out += c;
    }
  }
  out += u'"';
  return out;
}

std::vector<u16> Split(u16view s, char16_t sep) {
  std::vector<u16> out;
  size_t start = 0;
  for (size_t i = 0; i <= s.size(); ++i) {
    if (i == s.size() || s[i] == sep) {
      out.emplace_back(s.substr(start, i - start));
      start = i + 1;
    }
  }
  return out;
}

void ReplaceAll(u16& s, u16view from, u16view to) {
  if (from.empty()) return;
  size_t pos = 0;
  while ((pos = s.find(from, pos)) != u16::npos) {
    s.replace(pos, from.size(), to);
    pos += to.size();
  }
}

u16 MnemonicToGtk(u16view text) {
  u16 out;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'&') {
      if (i + 1 < text.size() && text[i + 1] == u'&') {
        out += u'&';
        ++i;
      } else {
        out += u'_';
      }
    } else if (c == u'_') {
      out += u"__";
    } else {
      out += c;
    }
  }
  return out;
}

void AppendHtmlEscaped(std::string& out, std::string_view text) {
  // Runs without a special character are copied whole.
  size_t from = 0;
  while (from < text.size()) {
    size_t at = text.find_first_of("&<>\"", from);
    if (at == std::string_view::npos) at = text.size();
    out.append(text.data() + from, at - from);
    if (at == text.size()) break;
    switch (text[at]) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += "&quot;"; break;
    }
    from = at + 1;
  }
}

std::string HtmlEscaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendHtmlEscaped(out, text);
  return out;
}

}  // namespace zel
