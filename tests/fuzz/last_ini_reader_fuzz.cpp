// libFuzzer harness for the reader of last.ini's page sections ("visit" and "close").
//
// The input is the raw bytes of the file. Besides crashes, leaks and out-of-bounds reads,
// it checks what last_ini.h promises: at most the bounded number of entries, none with an
// empty title or address, titles and addresses within their read limits, and a section
// written back holds the count of the entries written.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "base/ini_document.h"
#include "session/last_ini.h"

using namespace zel;

namespace {

#define FUZZ_CHECK(cond)                                                              \
  do {                                                                                \
    if (!(cond)) {                                                                    \
      std::fprintf(stderr, "last_ini_reader_fuzz: %s:%d: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                   \
    }                                                                                 \
  } while (0)

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  IniDocument doc = IniDocument::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  for (const char16_t* section : {kVisitSection, kCloseSection}) {
    std::vector<PageEntry> entries = ReadPageSection(doc, section);
    FUZZ_CHECK(entries.size() <= size_t(kMaxSectionEntries));
    for (const PageEntry& e : entries) {
      FUZZ_CHECK(!e.title.empty() && !e.url.empty());
      FUZZ_CHECK(e.title.size() < kTitleReadLimit);
      FUZZ_CHECK(e.url.size() < kUrlReadLimit);
    }
    IniDocument written = doc;
    written.Apply(PageSectionChanges(section, entries));
    IniDocument again = IniDocument::Parse(written.Serialize());
    std::optional<u16> count = again.Get(section, u"count");
    FUZZ_CHECK(count && ToInt(*count) == int(entries.size()));
    FUZZ_CHECK(ReadPageSection(again, section).size() <= entries.size());
  }
  return 0;
}
