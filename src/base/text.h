// Text helpers over std::u16string, the system's text type.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

using u16 = std::u16string;
using u16view = std::u16string_view;

// Space, tab, CR, LF, VT, FF and the ideographic space count as white space.
bool IsSpace(char16_t c);
u16 Trim(u16view s);
u16 TrimLeft(u16view s);
u16 TrimRight(u16view s);

char16_t ToLowerChar(char16_t c);
u16 ToLower(u16view s);
u16 ToUpper(u16view s);

bool EqualsNoCase(u16view a, u16view b);
// Returns the index of the first case-insensitive occurrence of needle at or after from,
// or u16::npos.
size_t FindNoCase(u16view hay, u16view needle, size_t from = 0);
bool StartsWith(u16view s, u16view prefix);
bool EndsWith(u16view s, u16view suffix);
bool StartsWithNoCase(u16view s, u16view prefix);
bool EndsWithNoCase(u16view s, u16view suffix);
bool Contains(u16view s, u16view needle);

// Decimal text to integer the way the platform's _wtoi does it: leading white space and
// one sign are skipped, the leading digits count, anything else reads as 0. Values past
// the int range are clamped.
int ToInt(u16view s);
u16 IntToText(long long v);

// "%s" / "%d" formatting. Each argument is text or an integer; "%%" is a percent sign.
// A directive without a matching argument is left out.
class FormatArg {
 public:
  FormatArg(u16view s) : text_(s), is_int_(false) {}
  FormatArg(const u16& s) : text_(s), is_int_(false) {}
  FormatArg(const char16_t* s) : text_(s), is_int_(false) {}
  FormatArg(int v) : num_(v), is_int_(true) {}
  FormatArg(long v) : num_(v), is_int_(true) {}
  FormatArg(long long v) : num_(v), is_int_(true) {}
  FormatArg(unsigned v) : num_(v), is_int_(true) {}
  u16 AsText() const;
  long long AsInt() const;

 private:
  u16 text_;
  long long num_ = 0;
  bool is_int_;
};
u16 FormatV(u16view fmt, const std::vector<FormatArg>& args);
template <typename... A>
u16 Format(u16view fmt, A&&... args) {
  return FormatV(fmt, std::vector<FormatArg>{FormatArg(std::forward<A>(args))...});
}

// Conversions. Lone surrogates and invalid bytes become U+FFFD; nothing throws.
u16 FromUtf8(std::string_view s);
std::string ToUtf8(u16view s);
// GBK (code page 936). Characters GBK cannot hold become '?'. A byte that starts no valid
// sequence becomes U+FFFD and decoding goes on after it.
u16 FromGbk(std::string_view s);
// Decodes GB18030, a superset of GBK, the way FromGbk does; one decoder reused for many
// pieces saves opening a converter for each. clean tells whether every byte decoded.
class Gb18030Decoder {
 public:
  Gb18030Decoder();
  ~Gb18030Decoder();
  Gb18030Decoder(const Gb18030Decoder&) = delete;
  Gb18030Decoder& operator=(const Gb18030Decoder&) = delete;
  u16 Decode(std::string_view s, bool* clean = nullptr);

 private:
  void* cd_;
};
std::string ToGbk(u16view s);
// GB18030 holds every character and encodes GBK's characters as GBK does: used when
// writing back into a file that came from a GBK system, so nothing is lost.
std::string ToGb18030(u16view s);
bool IsValidUtf8(std::string_view s);

// The text as a JavaScript string literal in double quotes, safe to put into a script.
u16 JsStringLiteral(u16view s);
// The string a JSON text holds (a script's result), nullopt when it is not one string.
std::optional<u16> JsonStringValue(std::string_view json);

// Splits at every occurrence of sep; empty pieces are kept.
std::vector<u16> Split(u16view s, char16_t sep);
void ReplaceAll(u16& s, u16view from, u16view to);

// Text for HTML: "&", "<", ">" and '"' as entities (UTF-8 in, UTF-8 out).
void AppendHtmlEscaped(std::string& out, std::string_view text);
std::string HtmlEscaped(std::string_view text);

}  // namespace zel
