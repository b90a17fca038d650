// libFuzzer harness for IniDocument, the reader every profile file goes through.
//
// The input is the raw bytes of a file (any encoding the reader detects, or none). Besides
// crashes, leaks and out-of-bounds reads (the sanitizers' job), it checks what
// ini_document.h promises: a value just written is read back, also after the document went
// through its own bytes; an entry of a section is read back by Get; a written key can be
// removed.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/ini_document.h"

using zel::IniDocument;
using zel::u16;

namespace {

#define FUZZ_CHECK(cond)                                                        \
  do {                                                                          \
    if (!(cond)) {                                                              \
      std::fprintf(stderr, "ini_document_fuzz: %s:%d: %s\n", __FILE__, __LINE__, \
                   #cond);                                                      \
      std::abort();                                                             \
    }                                                                           \
  } while (0)

// Sections and keys the program uses, and a few that random files are likely to hold.
const char16_t* const kSections[] = {u"GENERAL", u"TABSET", u"", u"a", u"InternetShortcut"};
const char16_t* const kKeys[] = {u"homepage", u"width", u"URL", u"a", u"k"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  IniDocument doc = IniDocument::Parse(bytes);
  for (const char16_t* s : kSections) {
    // Every entry the section lists is what Get reads for its key (the first match wins,
    // so only the first entry of a key is compared).
    auto entries = doc.Entries(s);
    FUZZ_CHECK(entries.size() == doc.Keys(s).size());
    for (size_t i = 0; i < entries.size() && i < 64; ++i) {
      bool first = true;
      for (size_t j = 0; j < i; ++j)
        if (zel::EqualsNoCase(entries[j].first, entries[i].first)) first = false;
      if (first) FUZZ_CHECK(doc.Get(s, entries[i].first) == entries[i].second);
    }
  }
  // A write is read back, before and after the round trip through the file's own bytes.
  const u16 value = u"v=1 \u4e2d\u6587";
  for (const char16_t* s : kSections) {
    for (const char16_t* k : kKeys) {
      IniDocument copy = doc;
      copy.Set(s, k, value);
      FUZZ_CHECK(copy.Get(s, k) == value);
      // 8-bit text with NUL bytes may read back as UTF-16 without a mark once its lines
      // end in CR LF; no profile file holds NULs, so the round trip is not asked of it.
      std::string bytes = copy.Serialize();
      bool wide = copy.encoding() == IniDocument::Encoding::Utf16Le ||
                  copy.encoding() == IniDocument::Encoding::Utf16Be;
      if (!wide && bytes.find('\0') != std::string::npos) continue;
      IniDocument again = IniDocument::Parse(bytes);
      FUZZ_CHECK(again.Get(s, k) == value);
      FUZZ_CHECK(again.Remove(s, k));
    }
  }
  // Many changes at once end as the same changes one by one. The changes come from the
  // input's first bytes, so the fuzzer steers them into sections and keys the file has.
  std::vector<IniDocument::Change> changes;
  for (size_t i = 0; i + 1 < size && i < 48; i += 2) {
    IniDocument::Change c;
    c.section = kSections[data[i] % 5];
    c.key = kKeys[data[i + 1] % 5];
    if (data[i] & 0x80) c.key += u16(1, char16_t(u'0' + data[i + 1] % 7));
    if (!(data[i + 1] & 0x40)) c.value = u16(1, char16_t(u'a' + i % 26));
    changes.push_back(std::move(c));
  }
  IniDocument batched = doc, oneByOne = doc;
  batched.Apply(changes);
  for (const auto& c : changes) {
    if (c.value)
      oneByOne.Set(c.section, c.key, *c.value);
    else
      oneByOne.Remove(c.section, c.key);
  }
  FUZZ_CHECK(batched.Serialize() == oneByOne.Serialize());
  return 0;
}
