#include "view/url_rules.h"

#include <initializer_list>

#include "platform/shell_port.h"

namespace zel {

namespace {

constexpr size_t npos = u16::npos;

// An expanded environment reference longer than this is not used.
constexpr size_t kExpandLimit = 260;

// Parent steps tried by SiteRoot before it gives up.
constexpr int kSiteRootSteps = 100;

bool StartsWithAnyNoCase(u16view s, std::initializer_list<u16view> prefixes) {
  for (u16view p : prefixes)
    if (StartsWithNoCase(s, p)) return true;
  return false;
}

bool EndsWithAnyNoCase(u16view s, std::initializer_list<u16view> suffixes) {
  for (u16view p : suffixes)
    if (EndsWithNoCase(s, p)) return true;
  return false;
}

// The prefixes that make a text of 8 or more characters an address (FTP aside).
bool HasWebPrefix(u16view s) {
  return StartsWithAnyNoCase(s, {u"http://", u"file://", u"https://", u"www.", u"res://"});
}

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// Text the desktop may see: no control characters and no half of a surrogate pair.
bool IsCleanText(u16view s) {
  for (size_t i = 0; i < s.size(); ++i) {
    char16_t c = s[i];
    if (c < 0x20 || c == 0x7F) return false;
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 >= s.size() || s[i + 1] < 0xDC00 || s[i + 1] > 0xDFFF) return false;
      ++i;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return false;
    }
  }
  return true;
}

void AppendEscaped(u16& out, char16_t c) {
  static const char16_t kHex[] = u"0123456789ABCDEF";
  out += u'%';
  out += kHex[(c >> 4) & 0xF];
  out += kHex[c & 0xF];
}

// ":" at index 1 followed by the end, "/" or "\", as in "C:", "C:\temp" or "C:/temp".
bool IsDriveStart(u16view s) {
  if (s.size() < 2 || s[1] != u':') return false;
  return s.size() == 2 || s[2] == u'/' || s[2] == u'\\';
}

// The folder part of a program path, for its working folder.
u16 FolderOf(u16view path) {
  size_t sep = path.find_last_of(u"/\\");
  if (sep == npos) return u16();
  if (sep == 0) return u16(u"/");
  return u16(path.substr(0, sep));
}

// The local path a typed "/..." or "~/..." names, or nothing.
bool TypedLocalPath(u16view text, u16view home, u16* path) {
  if (StartsWith(text, u"//")) return false;  // a network name, not a local path
  if (StartsWith(text, u"/")) {
    *path = u16(text);
    return true;
  }
  if (!StartsWith(text, u"~/") || !StartsWith(home, u"/")) return false;
  u16 base(home);
  while (base.size() > 1 && base.back() == u'/') base.pop_back();
  if (base == u"/") base.clear();
  *path = base + u16(text.substr(1));
  return true;
}

u16 PathToFileUrl(u16view path) {
  u16 url = u"file://";
  url.reserve(url.size() + path.size());
  for (char16_t c : path) {
    if (c < 0x20 || c == 0x7F || c == u'%' || c == u'#' || c == u'?' || c == u' ')
      AppendEscaped(url, c);
    else
      url += c;
  }
  return url;
}

// Climbs one host level at the top of a site: http://mail.example.com/ gives
// http://www.example.com/. Only http and https addresses not already at "www." move.
u16 ClimbHost(const u16& s) {
  bool http = StartsWithNoCase(s, u"http://") && !StartsWithNoCase(s, u"http://www.");
  bool https = StartsWithNoCase(s, u"https://") && !StartsWithNoCase(s, u"https://www.");
  if (!http && !https) return s;
  const size_t hostStart = s.find(u"://") + 3;

  size_t cut = npos;
  if (EndsWithAnyNoCase(s, {u".com/", u".net/", u".org/", u".edu/", u".com", u".net", u".org",
                            u".edu"})) {
    // The label in front of the last one: mail.example.com cuts before ".example".
    size_t last = s.rfind(u'.');
    if (last != npos && last > 0) cut = s.rfind(u'.', last - 1);
  } else {
    bool found = false;
    for (u16view tld : {u16view(u".com."), u16view(u".net."), u16view(u".org."), u16view(u".edu.")}) {
      size_t at = FindNoCase(s, tld);
      if (at != npos && at > 0) {
        // news.example.com.cn cuts before ".example"; example.com.cn has nothing to cut.
        cut = s.rfind(u'.', at - 1);
        found = true;
        break;
      }
    }
    if (!found) {
      size_t dots = 0;
      for (char16_t c : s) dots += c == u'.';
      bool named = false;
      for (size_t i = hostStart; i < s.size() && !named; ++i) named = IsAsciiLetter(s[i]);
      // A numeric host such as 192.168.0.1 has no level to climb.
      if (dots >= 2 && named) cut = s.find(u'.', hostStart);
    }
  }
  if (cut == npos || cut < hostStart) return s;
  return s.substr(0, hostStart) + u"www" + s.substr(cut);
}

}  // namespace

bool IsFtpAddress(u16view text) {
  return (text.size() >= 7 && StartsWithNoCase(text, u"ftp://")) ||
         (text.size() >= 5 && StartsWithNoCase(text, u"ftp."));
}

bool IsAddress(u16view text) {
  if (text == u"about:blank") return true;
  if (text.size() >= 8 && HasWebPrefix(text)) return true;
  return IsFtpAddress(text);
}

bool IsLinkTarget(u16view text) {
  if (IsAddress(text)) return true;
  return StartsWithAnyNoCase(text, {u"javascript:", u"vbscript:", u"mailto:"});
}

bool HasScriptOrMail(u16view address) {
  return Contains(address, u"javascript:") || Contains(address, u"vbscript:") ||
         Contains(address, u"mailto:");
}

bool IsInPageAnchor(u16view address, u16view current) {
  size_t hash = address.find(u'#');
  if (hash == npos) return false;
  if (hash == 0) return true;  // a bare "#name" always means the page itself
  if (current.size() < hash || current.substr(0, hash) != address.substr(0, hash))
    return false;
  // http://a/b#x is not an anchor of http://a/bc: the document parts must match whole.
  return current.size() == hash || current[hash] == u'#';
}

bool IsSpoofedAddress(u16view address) {
  return address.find(char16_t(1)) != npos && address.find(u'@') != npos;
}

u16 DrivePathToFileUrl(u16view text) {
  if (text.find(u':') != 1) return u16(text);
  u16 url = u"file:///";
  url += text;
  for (size_t i = 8; i < url.size(); ++i)
    if (url[i] == u'\\') url[i] = u'/';
  return url;
}

u16 LocalPathToFileUrl(u16view text, u16view home) {
  u16 path;
  if (!TypedLocalPath(text, home, &path)) return u16(text);
  return PathToFileUrl(path);
}

bool IsShellHandled(u16view text, const UrlRuleSettings& settings) {
  if (!settings.shellHandOff || text.size() <= 5) return false;
  // A name with an extension is a file for the tab, not a location for the desktop.
  size_t dot = text.rfind(u'.');
  if (dot != npos && text.back() != u'.') {
    size_t bs = text.rfind(u'\\');
    size_t sl = text.rfind(u'/');
    if ((bs == npos || dot > bs) && (sl == npos || dot > sl)) return false;
  }
  if (!IsCleanText(text)) return false;
  return StartsWithNoCase(text, u"file:") || StartsWith(text, u"\\\\") ||
         StartsWithNoCase(text, u"shell:") || IsDriveStart(text);
}

HandOffResult HandOffShellLocation(u16view text, const UrlRuleSettings& settings,
                                   ShellPort& shell) {
  HandOffResult r;
  r.text = u16(text);
  if (!IsShellHandled(text, settings)) return r;
  shell.OpenLocation(text);
  r.handled = true;
  return r;
}

HandOffResult HandOffFtp(u16view address, const UrlRuleSettings& settings, ShellPort& shell) {
  HandOffResult r;
  r.text = u16(address);
  if (settings.ftpMode != 1 && settings.ftpMode != 2) return r;
  // Text the desktop must not see is left to the engine.
  if (!IsFtpAddress(address) || !IsCleanText(address)) return r;
  r.handled = true;
  if (settings.ftpMode == 1) {
    if (!shell.OpenInOtherBrowser(address)) r.message = kFtpOpenFailedText;
    return r;
  }
  if (settings.ftpProgram.empty()) return r;
  // An FTP address begins with "ftp://" or "ftp."; FTP://host keeps its own scheme and only
  // a bare ftp.host gets one.
  u16 target(address);
  if (!StartsWithNoCase(target, u"ftp://")) target.insert(0, u"ftp://");
  if (!shell.StartProgram(settings.ftpProgram, target, FolderOf(settings.ftpProgram)))
    r.message = kFtpOpenFailedText;
  return r;
}

u16 ExpandEnvironment(u16view text, ShellPort& shell) {
  u16 out;
  size_t i = 0;
  while (i < text.size()) {
    size_t open = text.find(u'%', i);
    if (open == npos) {
      out.append(text.substr(i));
      break;
    }
    out.append(text.substr(i, open - i));
    size_t close = text.find(u'%', open + 1);
    if (close == npos) {
      out.append(text.substr(open));
      break;
    }
    u16view name = text.substr(open + 1, close - open - 1);
    std::optional<u16> value;
    if (!name.empty() && IsCleanText(name)) value = shell.EnvironmentVariable(name);
    if (value)
      out += *value;
    else
      out.append(text.substr(open, close - open + 1));  // unknown names stay as written
    i = close + 1;
  }
  return out;
}

HandOffResult HandOffTypedEntry(u16view text, const UrlRuleSettings& settings,
                                ShellPort& shell) {
  HandOffResult r = HandOffFtp(text, settings, shell);
  if (r.handled) return r;

  if (!r.text.empty() && r.text[0] == u'%') {
    u16 expanded = ExpandEnvironment(r.text, shell);
    // A cut-off path would name some other place; an over-long expansion is not used.
    if (expanded.size() <= kExpandLimit) r.text = std::move(expanded);
  }

  if ((StartsWith(r.text, u".\\") || StartsWith(r.text, u"./")) && !settings.programFolder.empty()) {
    u16 folder = settings.programFolder;
    if (folder.back() != u'/' && folder.back() != u'\\') folder += u'/';
    r.text = folder + r.text.substr(2);
  }

  u16 path;
  if (TypedLocalPath(r.text, shell.HomeFolder(), &path)) {
    r.text = PathToFileUrl(path);
    // A folder goes to the desktop even when its name has a dot in it.
    if (settings.shellHandOff && IsCleanText(r.text) && shell.IsFolder(path)) {
      shell.OpenLocation(r.text);
      r.handled = true;
      return r;
    }
  }

  if (IsShellHandled(r.text, settings)) {
    shell.OpenLocation(r.text);
    r.handled = true;
    return r;
  }

  if (r.text.size() >= 4 && IsDriveStart(r.text) &&
      (EndsWith(r.text, u".exe") || EndsWith(r.text, u".EXE")) && IsCleanText(r.text)) {
    shell.OpenLocation(r.text);
    r.handled = true;
  }
  return r;
}

u16 ParentAddress(u16view address) {
  u16 s(address);
  if (s.empty() || s == u"about:blank") return s;

  char16_t sep;
  size_t start;
  size_t slash = s.find(u'/');
  if (slash != npos && slash >= 4 && slash <= 6) {
    sep = u'/';
    start = 8;  // past "scheme://" and the host's first character
  } else if (s.find(u'\\') == npos) {
    return s;
  } else {
    sep = u'\\';
    start = (s.size() > 1 && s[1] == u':') ? 3 : 2;
  }

  size_t d = start < s.size() ? s.find(sep, start) : npos;
  if (d != npos && (d != s.size() - 1 || start == 3)) {
    size_t end = s.size();
    if (s[end - 1] == sep) --end;
    size_t last = end > 0 ? s.rfind(sep, end - 1) : npos;
    if (last == npos) return s;
    return s.substr(0, last + 1);
  }
  if (sep != u'/') return s;
  return ClimbHost(s);
}

u16 SiteRoot(u16view address) {
  u16 s(address);
  if (!IsAddress(s)) return s;
  for (int i = 0; i < kSiteRootSteps; ++i) {
    u16 up = ParentAddress(s);
    if (up == s) break;
    s = std::move(up);
  }
  return s;
}

u16 SiteBase(u16view address) {
  if (FindNoCase(address, u"http://") == npos && FindNoCase(address, u"https://") == npos)
    return u16();
  size_t host = address.find(u"://") + 3;
  // The host ends at the first "/", or at a query or anchor that follows it directly.
  size_t end = address.find_first_of(u"/?#", host);
  if (end == npos) return u16(address) + u"/";
  return u16(address.substr(0, end)) + u"/";
}

u16 WrapForWebProxy(u16view address, const UrlRuleSettings& settings) {
  u16 a(address);
  if (!settings.webProxyMode) return a;
  const u16& tpl = settings.webProxyTemplate.empty() ? settings.webProxyDefault
                                                     : settings.webProxyTemplate;
  if (tpl.empty()) return a;
  if (!StartsWithNoCase(a, u"http") && !StartsWithNoCase(a, u"www.")) return a;

  size_t escapedAt = tpl.find(u"%s", 1);
  size_t plainAt = escapedAt == npos ? tpl.find(u"%S", 1) : npos;
  size_t at = escapedAt != npos ? escapedAt : plainAt;
  // A wrapped address carries the template's text up to its placeholder; wrapping it again
  // would send the proxy to itself.
  u16view fixed = at != npos ? u16view(tpl).substr(0, at) : u16view(tpl);
  if (Contains(a, fixed)) return a;

  if (StartsWithNoCase(a, u"www.")) a.insert(0, u"http://");
  if (escapedAt != npos) {
    // The address becomes one query value: nothing in it may end or split the value.
    u16 value;
    value.reserve(a.size() + a.size() / 4);
    for (char16_t c : a) {
      if (c < 0x20 || c == 0x7F || c == u':' || c == u'/' || c == u'%' || c == u'?' ||
          c == u'#' || c == u'&' || c == u'=' || c == u'+' || c == u' ')
        AppendEscaped(value, c);
      else
        value += c;
    }
    return tpl.substr(0, at) + value + tpl.substr(at + 2);
  }
  if (plainAt != npos) return tpl.substr(0, at) + a + tpl.substr(at + 2);
  return tpl + a;
}

u16 CleanOpenAddress(u16view address) {
  u16 url = Trim(address);
  std::erase_if(url, [](char16_t c) { return c == u'\r' || c == u'\n'; });
  return url;
}

u16 WithWwwForBareHost(u16view address) {
  u16 url(address);
  size_t dot = url.find(u'.');
  if (url.find(u':') != u16::npos || dot == u16::npos || dot == 0) return url;
  u16 lower = ToLower(url);
  u16view four = u16view(lower).substr(dot, 4);
  bool known = four == u".com" || four == u".net" || four == u".edu" || four == u".org";
  bool ends = dot + 4 == lower.size() || (dot + 4 < lower.size() && lower[dot + 4] == u'.');
  return !StartsWith(lower, u"www.") && known && ends ? u"www." + url : url;
}

}  // namespace zel
