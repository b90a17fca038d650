#include "frame/address_entry.h"

#include <algorithm>

#include "view/url_rules.h"

namespace zel {

u16 ErrorPageAddress(u16view text) {
  if (text.size() <= 6 || !StartsWithNoCase(text, u"res://")) return u16(text);
  size_t hash = text.find(u'#');
  if (hash == u16::npos || hash == 0 || hash + 1 >= text.size()) return u16(text);
  u16 out(text.substr(hash + 1));
  if (out.size() > 4 && StartsWith(out, u"file:")) {
    for (auto& c : out)
      if (c == u'\\') c = u'/';
    if (out.find(u"file:///") == u16::npos) ReplaceAll(out, u"file://", u"file:///");
  }
  return out;
}

namespace {
// "name:1234" optionally followed by "/...": host characters before the colon, digits after.
bool IsHostAndPort(u16view text, size_t colon) {
  for (size_t i = 0; i < colon; ++i) {
    char16_t c = text[i];
    bool host = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
                c == u'.' || c == u'-';
    if (!host) return false;
  }
  size_t i = colon + 1, digits = 0;
  while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') ++i, ++digits;
  return digits > 0 && digits <= 5 && (i == text.size() || text[i] == u'/' || text[i] == u'?');
}
}  // namespace

TypedAddress CompleteTypedAddress(u16view input, ModifierState k, const FrameSettings& s) {
  TypedAddress r;
  u16 text(input);
  size_t colon = text.find(u':');
  if (colon == u16::npos || colon == 0) {
    if (k.ctrl && !k.shift && !k.alt) {
      text = s.ceL + text + s.ceR;
    } else if (k.shift && !k.ctrl && !k.alt) {
      text = s.seL + text + s.seR;
    } else if (k.ctrl && k.shift && !k.alt) {
      text = s.cseL + text + s.cseR;
    } else if (k.ctrl && k.alt && !k.shift) {
      text = s.caeL + text + s.caeR;
    } else if (text == u"localhost") {
      text = u"http://" + text;
    } else if (StartsWith(text, u"ftp.")) {
      text = u"ftp://" + text;
    } else {
      size_t dot = text.find(u'.'), slash = text.find(u'/'), at = text.find(u'@');
      bool candidate = text.size() >= 2 && ((dot != u16::npos && dot > 0) ||
                                            (slash != u16::npos && slash > 0) ||
                                            text.find(u'\\') != u16::npos);
      if (candidate && (at == u16::npos || at == 0 || IsAddress(text))) {
        if (!StartsWith(text, u"\\\\")) text = u"http://" + text;
      } else {
        r.kind = TypedAddress::Kind::Search;
        r.text = text;
        r.searchTarget = k.shift ? 4 : 1;
        return r;
      }
    }
  }
  colon = text.find(u':');
  if (colon != u16::npos && colon >= 1)
    for (auto& c : text)
      if (c == u'\\') c = u'/';
  // "host:port/..." has no scheme the page engine knows; it is an http address.
  if (colon != u16::npos && colon >= 1 && IsHostAndPort(text, colon)) text = u"http://" + text;
  r.text = text;
  return r;
}

void RememberTypedAddress(std::vector<u16>& list, u16view text) {
  auto has = [&](u16view t) { return std::find(list.begin(), list.end(), t) != list.end(); };
  if (has(text)) return;
  u16 other = EndsWith(text, u"/") ? u16(text.substr(0, text.size() - 1)) : u16(text) + u"/";
  if (has(other)) return;
  list.insert(list.begin(), u16(text));
}

}  // namespace zel
