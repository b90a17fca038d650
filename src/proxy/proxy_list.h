// The proxy lists: categories of named proxies (proxy.ini), the plain-text lists of import
// and export, and the built-in categories every profile has.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/ini_document.h"
#include "base/text.h"

namespace zel {

inline constexpr char16_t kProxyFile[] = u"proxy.ini";
inline constexpr char16_t kSystemProxyName[] = u"IE 代理服务器";
inline constexpr char16_t kWebProxyCategory[] = u"Web 代理";
inline constexpr char16_t kTranslationCategory[] = u"翻译代理";
inline constexpr char16_t kProxyServerCategory[] = u"代理服务器";
inline constexpr int kDefaultProxySpeed = 3;

struct ProxyEntry {
  u16 alias;
  u16 address;
  int speed = kDefaultProxySpeed;
  // An alias starting with "--" is a separator line: listed, never exported.
  bool separator() const { return StartsWith(alias, u"--"); }
  bool operator==(const ProxyEntry&) const = default;
};

enum class ProxyKind { Server = 0, Web = 1 };

struct ProxyCategory {
  u16 name;
  u16 exception;  // bypass list, addresses separated by blanks
  int type = 0;   // ProxyKind
  int translation = 0;
  std::vector<ProxyEntry> entries;
  bool web() const { return type == int(ProxyKind::Web); }
  bool operator==(const ProxyCategory&) const = default;
};

// "无效" for speed 0, nothing for the others.
u16 SpeedText(int speed);

struct ProxyList {
  std::vector<ProxyCategory> categories;

  // Reads the categories from section GENERAL: "Proxy_" for the first, "Proxy1_",
  // "Proxy2_" ... after it; a category without a name ends the list, an entry without an
  // address ends its category. defaultException: the bypass list of a category without one.
  // The built-in categories that are missing are appended.
  void Load(const IniDocument& doc, u16view defaultException);
  // The whole section GENERAL as the categories are now (nothing of removed entries stays).
  std::vector<IniDocument::Change> Changes() const;
  // Appends, in this order, the web, translation and proxy-server categories that are
  // missing.
  void AddBuiltIns();

  // The proxy-server category whose bypass list the dialog edits (the third one with the
  // built-ins only); -1 when there are fewer.
  int BypassCategory() const { return categories.size() >= 3 ? 2 : -1; }
  // The alias of the first proxy-server entry with this address (case-insensitive), or
  // nothing.
  std::optional<u16> AliasOf(u16view address) const;
  // Index of the category holding an entry with this address, -1 when none.
  int CategoryOf(u16view address) const;
  size_t EntryCount() const;
};

// Reads and writes proxy.ini in the profile folder. Load gives false when the file is there
// but cannot be read (the list then holds the built-ins only and must not be saved over it).
bool LoadProxyFile(ProxyList& list, u16view defaultException);
// Replaces the file atomically; a new file is readable by its owner only.
bool SaveProxyFile(const ProxyList& list);

// ---- Import and export lists ----

// One line of an import file: the host, then fields introduced by "@" protocol, "#" alias,
// "$" speed mark, "&" ignored.
struct ImportedProxy {
  u16 host;
  u16 protocol;
  u16 alias;
  std::optional<u16> speedMark;
};
// Nothing for a line without a well-formed host (empty, control characters, white space
// inside, or a host that is not [protocol=]host[:port]). A line whose first character is a
// separator is its own host, taken whole.
std::optional<ImportedProxy> ParseImportLine(u16view line);
// The entry an imported line makes: the address ("proto=host" for a protocol other than
// HTTP), the alias (the host when none), the speed (3 for no mark or "6", else 0).
ProxyEntry EntryFromImport(const ImportedProxy& p);
// The text of an import file: UTF-16 (with or without a byte-order mark), UTF-8 or GBK.
u16 DecodeListText(std::string_view bytes);
// The entries of every well-formed line, in order; skipped: the lines that were neither
// blank nor a proxy.
std::vector<ProxyEntry> ParseImportText(u16view text, size_t* skipped = nullptr);
// Entries into a category: an address already there is updated in place, others are
// appended. clear: the category's entries go first.
void MergeProxies(ProxyCategory& category, std::vector<ProxyEntry> entries, bool clear);
// Imports every well-formed line of text into the category; an address already there is
// updated in place. clear: the category's entries go first. Returns the lines taken.
size_t ImportProxies(ProxyCategory& category, u16view text, bool clear);
// The export lines of a category (UTF-8, each ended by a line feed): host:port "@"
// protocol "#" alias; separators are left out.
std::string ExportProxies(const ProxyCategory& category);
// "HTTP" for an address without "=" (or with it at the front), else the upper-cased
// protocol before it.
u16 ExportProtocol(u16view address);

}  // namespace zel
