#include "proxy/proxy_rules.h"

namespace zel {

namespace {
bool UriHostChar(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         c == u'.' || c == u'-' || c == u'_' || c == u'[' || c == u']' || c == u':' ||
         c == u'@' || c == u'%' || c == u'~' || c == u'!' || c == u'$' || c == u'&' ||
         c == u'\'' || c == u'(' || c == u')' || c == u'*' || c == u'+' || c == u',';
}

std::vector<u16> Words(u16view s) {
  std::vector<u16> out;
  size_t at = 0;
  while (at < s.size()) {
    while (at < s.size() && (IsSpace(s[at]) || s[at] == u';')) ++at;
    size_t end = at;
    while (end < s.size() && !IsSpace(s[end]) && s[end] != u';') ++end;
    if (end > at) out.emplace_back(s.substr(at, end - at));
    at = end;
  }
  return out;
}
}  // namespace

std::optional<std::string> ProxyUri(u16view hostPort, u16view protocol) {
  u16 text = Trim(hostPort);
  u16 scheme;
  size_t sep = text.find(u"://");
  if (sep != u16::npos) {
    scheme = ToLower(u16view(text).substr(0, sep));
    text = text.substr(sep + 3);
    for (char16_t c : scheme)
      if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'+')) return {};
  } else {
    scheme = EqualsNoCase(protocol, u"socks") ? u"socks" : u"http";
  }
  while (!text.empty() && text.back() == u'/') text.pop_back();
  if (text.empty() || text.size() > 255) return {};
  for (char16_t c : text)
    if (!UriHostChar(c)) return {};
  size_t user = text.rfind(u'@');
  const u16 all = text;
  if (user != u16::npos) text = text.substr(user + 1);
  // The port: after the last ":" that is outside IPv6 brackets.
  size_t close = text.rfind(u']');
  size_t colon = text.rfind(u':');
  if (colon != u16::npos && (close == u16::npos || colon > close)) {
    u16view port = u16view(text).substr(colon + 1);
    if (port.empty() || port.size() > 5) return {};
    int n = 0;
    for (char16_t c : port) {
      if (c < u'0' || c > u'9') return {};
      n = n * 10 + (c - u'0');
    }
    if (n < 1 || n > 65535) return {};
    if (colon == 0 || (close == u16::npos && text.find(u':') != colon)) return {};
  }
  if (text.empty() || text.front() == u':') return {};
  return ToUtf8(scheme) + "://" + ToUtf8(all);
}

std::vector<std::string> IgnoreHostsFor(u16view bypass, u16view hostName) {
  std::vector<std::string> out;
  for (const u16& w : Words(bypass)) {
    if (EqualsNoCase(w, u"<local>")) {
      // Names without a dot that the resolver can name: this machine and localhost; and
      // every loopback address.
      for (const char* h : {"localhost", "127.0.0.0/8", "::1"}) out.emplace_back(h);
      if (!hostName.empty() && hostName.find(u'.') == u16view::npos)
        out.push_back(ToUtf8(ToLower(hostName)));
      continue;
    }
    bool ok = true;
    for (char16_t c : w)
      if (c < 0x21 || c == 0x7F || c == 0xFFFD) ok = false;
    if (ok) out.push_back(ToUtf8(ToLower(w)));
  }
  return out;
}

std::optional<EngineProxy> EngineProxyFor(u16view address, u16view bypass, u16view hostName) {
  EngineProxy p;
  p.mode = EngineProxy::Mode::Custom;
  std::vector<u16> items = Words(address);
  if (items.empty()) return {};
  for (const u16& item : items) {
    size_t eq = item.find(u'=');
    if (eq == u16::npos || eq == 0) {
      auto uri = ProxyUri(eq == 0 ? u16view(item).substr(1) : u16view(item), u"");
      if (!uri) return {};
      p.defaultProxy = *uri;
      continue;
    }
    u16 protocol = ToLower(Trim(u16view(item).substr(0, eq)));
    auto uri = ProxyUri(u16view(item).substr(eq + 1), protocol);
    if (!uri) return {};
    if (protocol == u"socks") {
      // A SOCKS proxy carries every scheme that has none of its own.
      if (p.defaultProxy.empty()) p.defaultProxy = *uri;
      continue;
    }
    for (char16_t c : protocol)
      if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'))) return {};
    p.schemes.emplace_back(ToUtf8(protocol), *uri);
  }
  p.ignoreHosts = IgnoreHostsFor(bypass, hostName);
  return p;
}

u16 UnwrapWebProxy(u16view address, u16view tpl) {
  if (tpl.empty()) return u16(address);
  size_t escapedAt = tpl.find(u"%s", 1);
  size_t plainAt = escapedAt == u16view::npos ? tpl.find(u"%S", 1) : u16view::npos;
  size_t at = escapedAt != u16view::npos ? escapedAt : plainAt;
  u16view head = at == u16view::npos ? tpl : tpl.substr(0, at);
  u16view tail = at == u16view::npos ? u16view() : tpl.substr(at + 2);
  if (!StartsWith(address, head)) return u16(address);
  u16view inner = address.substr(head.size());
  if (!tail.empty()) {
    size_t end = inner.rfind(tail);
    if (end == u16view::npos) return u16(address);
    inner = inner.substr(0, end);
  }
  if (inner.empty()) return u16(address);
  if (escapedAt == u16view::npos) return u16(inner);
  auto hex = [](char16_t c) -> int {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
  };
  u16 out;
  for (size_t i = 0; i < inner.size(); ++i) {
    if (inner[i] == u'%' && i + 2 < inner.size() && hex(inner[i + 1]) >= 0 &&
        hex(inner[i + 2]) >= 0) {
      out += char16_t(hex(inner[i + 1]) * 16 + hex(inner[i + 2]));
      i += 2;
    } else {
      out += inner[i];
    }
  }
  return out;
}

u16 BypassWithLocal(u16view bypass) {
  u16 b = Trim(bypass);
  if (FindNoCase(b, u"<local>") == u16::npos) {
    if (!b.empty()) b += u" ";
    b += u"<local>";
  }
  return b;
}

}  // namespace zel
