// libFuzzer harness for the readers of proxy lists: proxy.ini (through IniDocument) and the
// plain-text import files (any encoding). Besides the sanitizers' findings it checks that
// the built-in categories are always there, that a loaded list written back loads the same,
// and that every imported entry is well formed and survives an export and import.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "proxy/proxy_list.h"

using namespace zel;

namespace {

#define FUZZ_CHECK(cond)                                                                   \
  do {                                                                                     \
    if (!(cond)) {                                                                         \
      std::fprintf(stderr, "proxy_list_fuzz: %s:%d: %s\n", __FILE__, __LINE__, #cond);     \
      std::abort();                                                                        \
    }                                                                                      \
  } while (0)

bool Quoted(const u16& v) { return v.size() >= 2 && v.front() == u'"' && v.back() == u'"'; }

bool PlainValues(const ProxyList& l) {
  for (const auto& c : l.categories) {
    if (Quoted(c.name) || Quoted(c.exception)) return false;
    for (const auto& e : c.entries)
      if (Quoted(e.alias) || Quoted(e.address)) return false;
  }
  return true;
}

bool HasKinds(const ProxyList& l) {
  bool web = false, translation = false, server = false;
  for (const auto& c : l.categories) {
    web = web || (c.type == 1 && c.translation == 0);
    translation = translation || (c.type == 1 && c.translation == 1);
    server = server || (c.type == 0 && c.translation == 0);
  }
  return web && translation && server;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // proxy.ini
  ProxyList list;
  list.Load(IniDocument::Parse(bytes), u"<local>");
  FUZZ_CHECK(HasKinds(list));
  for (const auto& c : list.categories) {
    FUZZ_CHECK(!c.name.empty() && c.name.size() <= 259);
    for (const auto& e : c.entries) FUZZ_CHECK(!e.address.empty() && e.address.size() <= 259);
  }
  IniDocument written;
  written.Apply(list.Changes());
  ProxyList back;
  back.Load(IniDocument::Parse(written.Serialize()), u"<local>");
  if (PlainValues(list)) FUZZ_CHECK(back.categories == list.categories);

  // An import file.
  u16 text = DecodeListText(bytes);
  std::vector<ProxyEntry> entries = ParseImportText(text);
  ProxyCategory c;
  for (const auto& e : entries) {
    FUZZ_CHECK(!e.address.empty() && !e.alias.empty());
    FUZZ_CHECK(e.speed == 0 || e.speed == kDefaultProxySpeed);
    bool plainAlias = e.alias.find_first_of(u"@$&#") == u16::npos && Trim(e.alias) == e.alias;
    // Separators (an alias or address starting "--") are not exported, by design; nor can
    // a host taken whole from a line that started with a field separator ("#x") come back
    // as one field.
    bool separator = e.separator() || StartsWith(e.address, u"--") ||
                     e.address.find_first_of(u"@$&#") != u16::npos;
    // A host taken whole that reads "kind=host" is exported with the kind as its protocol,
    // which comes back lower-cased: "Ab=x" and "aB=x" become one entry.
    size_t eq = e.address.find(u'=');
    bool foldsCase = eq != u16::npos && eq > 0 && ToLower(e.address.substr(0, eq)) != e.address.substr(0, eq);
    if (plainAlias && !separator && !foldsCase && e.speed == kDefaultProxySpeed) c.entries.push_back(e);
  }
  ProxyCategory again;
  ImportProxies(again, FromUtf8(ExportProxies(c)), false);
  ProxyCategory merged;
  MergeProxies(merged, c.entries, false);  // duplicates fold as an import folds them
  FUZZ_CHECK(again.entries.size() == merged.entries.size());
  return 0;
}
