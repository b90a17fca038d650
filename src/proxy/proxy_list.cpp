#include "proxy/proxy_list.h"

#include <fcntl.h>
#include <unistd.h>

#include <unordered_map>

#include "base/files.h"
#include "settings/settings_file.h"

namespace zel {

namespace {
constexpr char16_t kSection[] = u"GENERAL";
constexpr size_t kValueLimit = 259;  // values are read with a 260-character buffer
constexpr size_t kMaxImportLine = 4096;
constexpr size_t kMaxHost = 255;

u16 Prefix(size_t k) { return k == 0 ? u16(u"Proxy_") : Format(u"Proxy%d_", int(k)); }

// The section's keys, lower-cased, the first of a name winning (the profile functions'
// rule), values cut to the read limit. One pass instead of a lookup per key.
class KeyTable {
 public:
  explicit KeyTable(const IniDocument& doc) {
    auto entries = doc.Entries(kSection);
    map_.reserve(entries.size());
    for (auto& [k, v] : entries) {
      // A value ends at a NUL, as it does in the read buffer, and at a line break.
      size_t nul = v.find_first_of(u16view(u"\0\r\n", 3));
      if (nul != u16::npos) v = TrimRight(u16view(v).substr(0, nul));
      if (v.size() > kValueLimit) v = TrimRight(u16view(v).substr(0, kValueLimit));
      map_.emplace(ToLower(k), std::move(v));
    }
  }
  const u16* Find(const u16& key) const {
    auto it = map_.find(ToLower(key));
    return it == map_.end() ? nullptr : &it->second;
  }
  u16 Text(const u16& key, u16view def = u"") const {
    const u16* v = Find(key);
    return v ? *v : u16(def);
  }
  int Int(const u16& key, int def) const {
    const u16* v = Find(key);
    if (!v) return def;
    return ToInt(v->size() > 15 ? u16view(*v).substr(0, 15) : u16view(*v));
  }

 private:
  struct Hash {
    size_t operator()(const u16& s) const { return std::hash<u16>()(s); }
  };
  std::unordered_map<u16, u16, Hash> map_;
};

bool HostChar(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         c == u'.' || c == u'-' || c == u'_' || c == u':' || c == u'[' || c == u']' ||
         c == u'/';
}

// host[:port] (an optional "scheme://" before it and "/" after it are allowed, as the
// entry dialog's hint writes them).
bool WellFormedHost(u16view h) {
  if (h.empty() || h.size() > kMaxHost) return false;
  for (char16_t c : h)
    if (!HostChar(c)) return false;
  size_t start = h.find(u"://");
  start = start == u16view::npos ? 0 : start + 3;
  u16view rest = h.substr(start);
  while (!rest.empty() && rest.back() == u'/') rest.remove_suffix(1);
  if (rest.empty() || rest.find(u'/') != u16view::npos) return false;
  size_t colon = rest.rfind(u':');
  bool bracketed = rest.front() == u'[';
  if (bracketed) {
    size_t close = rest.find(u']');
    if (close == u16view::npos) return false;
    colon = close + 1 < rest.size() && rest[close + 1] == u':' ? close + 1 : u16view::npos;
  } else if (colon != u16view::npos && rest.find(u':') != colon) {
    return false;  // two colons outside brackets
  }
  u16view host = colon == u16view::npos ? rest : rest.substr(0, colon);
  if (host.empty() || host.front() == u'.' || host.front() == u'-') return false;
  if (colon != u16view::npos) {
    u16view port = rest.substr(colon + 1);
    if (port.empty() || port.size() > 5) return false;
    int n = 0;
    for (char16_t c : port) {
      if (c < u'0' || c > u'9') return false;
      n = n * 10 + (c - u'0');
    }
    if (n < 1 || n > 65535) return false;
  }
  return true;
}

// No control characters, no replaced ones, and no half of a surrogate pair: a lone half
// cannot be written out as it is (it would come back as a replaced character).
bool Printable(u16view s) {
  for (size_t i = 0; i < s.size(); ++i) {
    const char16_t c = s[i];
    if (c < 0x20 || c == 0x7F || c == 0xFFFD) return false;
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 >= s.size() || s[i + 1] < 0xDC00 || s[i + 1] > 0xDFFF) return false;
      ++i;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return false;
    }
  }
  return true;
}
}  // namespace

u16 SpeedText(int speed) { return speed == 0 ? u16(u"无效") : u16(); }

void ProxyList::Load(const IniDocument& doc, u16view defaultException) {
  categories.clear();
  KeyTable keys(doc);
  for (size_t k = 0;; ++k) {
    const u16 p = Prefix(k);
    u16 name = keys.Text(p + u"CategoryName");
    if (name.empty()) break;
    ProxyCategory c;
    c.name = std::move(name);
    for (int n = 1;; ++n) {
      const u16 num = IntToText(n);
      u16 address = keys.Text(p + u"proxy" + num);
      if (address.empty()) break;
      ProxyEntry e;
      e.address = std::move(address);
      e.alias = keys.Text(p + u"alias" + num);
      e.speed = keys.Int(p + u"speed" + num, kDefaultProxySpeed);
      c.entries.push_back(std::move(e));
    }
    c.exception = keys.Text(p + u"Exception", defaultException);
    c.type = keys.Int(p + u"ProxyType", 0);
    c.translation = keys.Int(p + u"Translation", 0);
    categories.push_back(std::move(c));
  }
  AddBuiltIns();
}

void ProxyList::AddBuiltIns() {
  auto has = [this](int type, int translation) {
    for (const auto& c : categories)
      if (c.type == type && c.translation == translation) return true;
    return false;
  };
  auto add = [this](const char16_t* name, int type, int translation) {
    ProxyCategory c;
    c.name = name;
    c.type = type;
    c.translation = translation;
    categories.push_back(std::move(c));
  };
  bool web = has(1, 0), translation = has(1, 1), server = has(0, 0);
  if (!web) add(kWebProxyCategory, 1, 0);
  if (!translation) add(kTranslationCategory, 1, 1);
  if (!server) add(kProxyServerCategory, 0, 0);
}

std::vector<IniDocument::Change> ProxyList::Changes() const {
  std::vector<IniDocument::Change> out;
  out.reserve(EntryCount() * 3 + categories.size() * 4);
  auto put = [&out](u16 key, u16 value) {
    out.push_back({u16(kSection), std::move(key), std::move(value)});
  };
  for (size_t k = 0; k < categories.size(); ++k) {
    const ProxyCategory& c = categories[k];
    const u16 p = Prefix(k);
    for (size_t n = 0; n < c.entries.size(); ++n) {
      const u16 num = IntToText(static_cast<long long>(n + 1));
      put(p + u"proxy" + num, c.entries[n].address);
      put(p + u"speed" + num, IntToText(c.entries[n].speed));
      put(p + u"alias" + num, c.entries[n].alias);
    }
    put(p + u"CategoryName", c.name);
    put(p + u"Exception", c.exception);
    put(p + u"ProxyType", IntToText(c.type));
    put(p + u"Translation", IntToText(c.translation));
  }
  return out;
}

std::optional<u16> ProxyList::AliasOf(u16view address) const {
  for (const auto& c : categories) {
    if (c.web()) continue;
    for (const auto& e : c.entries)
      if (EqualsNoCase(e.address, address)) return e.alias;
  }
  return std::nullopt;
}

int ProxyList::CategoryOf(u16view address) const {
  for (size_t k = 0; k < categories.size(); ++k)
    for (const auto& e : categories[k].entries)
      if (EqualsNoCase(e.address, address)) return int(k);
  return -1;
}

size_t ProxyList::EntryCount() const {
  size_t n = 0;
  for (const auto& c : categories) n += c.entries.size();
  return n;
}

bool LoadProxyFile(ProxyList& list, u16view defaultException) {
  std::optional<IniDocument> doc = IniDocument::Load(SettingsFile::ResolvePath(kProxyFile));
  list.Load(doc ? *doc : IniDocument(), defaultException);
  return doc.has_value();
}

bool SaveProxyFile(const ProxyList& list) {
  const std::string path = SettingsFile::ResolvePath(kProxyFile);
  CreateFolderLevels(DirName(path));
  std::optional<IniDocument> doc = IniDocument::Load(path);
  if (!doc) return false;  // there but unreadable: left alone
  if (!FileExists(path)) {
    // Proxy addresses may carry a user name and password: the owner's eyes only. The atomic
    // write keeps the mode of the file it replaces.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) ::close(fd);
  }
  doc->RemoveSection(kSection);
  doc->Apply(list.Changes());
  return doc->Save(path);
}

// ---- Import and export ----

namespace {
// A host taken whole (a line that starts with a separator): one printable word.
bool PlainWord(u16view h) {
  if (h.empty() || h.size() > kMaxHost || !Printable(h)) return false;
  for (char16_t c : h)
    if (c == u' ' || c == u'\t' || c == 0x3000) return false;
  return true;
}
bool ProtocolName(u16view p) {
  if (p.size() > 16) return false;
  for (char16_t c : p)
    if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')))
      return false;
  return true;
}
}  // namespace

std::optional<ImportedProxy> ParseImportLine(u16view line) {
  if (line.size() > kMaxImportLine) return std::nullopt;
  while (!line.empty() && (line.back() == u'\r' || line.back() == u'\n')) line.remove_suffix(1);
  constexpr char16_t kSeps[] = u"@$&#";
  ImportedProxy p;
  size_t first = line.find_first_of(kSeps);
  if (first == 0) {
    // A separator at the front does not start a field: the whole line is the host.
    p.host = Trim(line);
    if (!PlainWord(p.host)) return std::nullopt;
    return p;
  }
  if (first == u16view::npos) {
    p.host = TrimLeft(line);
  } else {
    p.host = TrimLeft(line.substr(0, first));
    size_t at = first;
    while (at != u16view::npos) {
      char16_t kind = line[at];
      size_t next = line.find_first_of(kSeps, at + 1);
      u16view field = line.substr(at + 1, next == u16view::npos ? u16view::npos : next - at - 1);
      if (kind == u'@') p.protocol = Trim(field);
      else if (kind == u'#') p.alias = Trim(field);
      else if (kind == u'$') p.speedMark = Trim(field);
      at = next;
    }
  }
  p.host = TrimRight(p.host);
  // "socks=host:port": the list syntax's own protocol prefix, as an export of such an
  // entry would have it without its "@" field.
  u16view bare = p.host;
  size_t eq = bare.find(u'=');
  if (eq != u16view::npos && eq > 0) {
    if (!p.protocol.empty() || !ProtocolName(bare.substr(0, eq))) return std::nullopt;
    bare = bare.substr(eq + 1);
  }
  if (!WellFormedHost(bare)) return std::nullopt;
  if (!Printable(p.alias) || p.alias.size() > kValueLimit) return std::nullopt;
  if (!ProtocolName(p.protocol)) return std::nullopt;
  return p;
}

ProxyEntry EntryFromImport(const ImportedProxy& p) {
  ProxyEntry e;
  if (!p.protocol.empty() && !EqualsNoCase(p.protocol, u"HTTP"))
    e.address = ToLower(p.protocol) + u"=" + p.host;
  else
    e.address = p.host;
  e.alias = p.alias.empty() ? p.host : p.alias;
  e.speed = !p.speedMark || *p.speedMark == u"6" ? kDefaultProxySpeed : 0;
  return e;
}

u16 DecodeListText(std::string_view b) {
  auto u8 = [](unsigned char c) { return c; };
  if (b.size() >= 2 && u8(b[0]) == 0xFF && u8(b[1]) == 0xFE) return DecodeUtf16Le(b.substr(2));
  if (b.size() >= 2 && u8(b[0]) == 0xFE && u8(b[1]) == 0xFF) {
    std::string swapped(b.substr(2));
    for (size_t i = 0; i + 1 < swapped.size(); i += 2) std::swap(swapped[i], swapped[i + 1]);
    return DecodeUtf16Le(swapped);
  }
  if (b.size() >= 3 && u8(b[0]) == 0xEF && u8(b[1]) == 0xBB && u8(b[2]) == 0xBF)
    return FromUtf8(b.substr(3));
  // UTF-16 without a mark: ASCII text has a NUL in every other byte.
  size_t sample = std::min<size_t>(b.size(), 4096) & ~size_t(1);
  size_t oddNul = 0, evenNul = 0;
  for (size_t i = 0; i < sample; i += 2) {
    if (b[i] == 0) ++evenNul;
    if (b[i + 1] == 0) ++oddNul;
  }
  if (sample >= 2 && oddNul * 4 >= sample / 2 && oddNul > evenNul * 2) return DecodeUtf16Le(b);
  if (sample >= 2 && evenNul * 4 >= sample / 2 && evenNul > oddNul * 2) {
    std::string swapped(b);
    for (size_t i = 0; i + 1 < swapped.size(); i += 2) std::swap(swapped[i], swapped[i + 1]);
    return DecodeUtf16Le(swapped);
  }
  if (IsValidUtf8(b)) return FromUtf8(b);
  return FromGbk(b);
}

std::vector<ProxyEntry> ParseImportText(u16view text, size_t* skipped) {
  std::vector<ProxyEntry> out;
  size_t notTaken = 0;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find_first_of(u"\r\n", at);
    if (end == u16view::npos) end = text.size();
    u16view line = text.substr(at, end - at);
    at = end + 1;
    if (auto parsed = ParseImportLine(line))
      out.push_back(EntryFromImport(*parsed));
    else if (!Trim(line).empty())
      ++notTaken;  // blank lines are no proxies, and nothing skipped
  }
  if (skipped) *skipped = notTaken;
  return out;
}

void MergeProxies(ProxyCategory& category, std::vector<ProxyEntry> entries, bool clear) {
  if (clear) category.entries.clear();
  std::unordered_map<u16, size_t> index;
  index.reserve(category.entries.size() + entries.size());
  for (size_t i = 0; i < category.entries.size(); ++i)
    index.emplace(category.entries[i].address, i);
  for (ProxyEntry& e : entries) {
    auto [it, added] = index.emplace(e.address, category.entries.size());
    if (added)
      category.entries.push_back(std::move(e));
    else
      category.entries[it->second] = std::move(e);
  }
}

size_t ImportProxies(ProxyCategory& category, u16view text, bool clear) {
  std::vector<ProxyEntry> entries = ParseImportText(text);
  size_t n = entries.size();
  MergeProxies(category, std::move(entries), clear);
  return n;
}

u16 ExportProtocol(u16view address) {
  size_t eq = address.find(u'=');
  if (eq == u16view::npos || eq == 0) return u"HTTP";
  return ToUpper(address.substr(0, eq));
}

std::string ExportProxies(const ProxyCategory& category) {
  std::string out;
  for (const auto& e : category.entries) {
    if (e.separator() || StartsWith(e.address, u"--")) continue;
    size_t eq = e.address.find(u'=');
    u16view host = eq == u16::npos || eq == 0 ? u16view(e.address)
                                              : u16view(e.address).substr(eq + 1);
    out += ToUtf8(host);
    out += '@';
    out += ToUtf8(ExportProtocol(e.address));
    out += '#';
    out += ToUtf8(e.alias);
    out += '\n';
  }
  return out;
}

}  // namespace zel
