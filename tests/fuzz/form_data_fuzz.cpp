// libFuzzer harness for the form-data file.
//
// The input is the raw bytes of the file. Besides crashes, leaks and out-of-bounds reads,
// it checks what form_data_file.h promises: any bytes load as a UTF-16LE document whose
// saved bytes begin with the mark; the manager's listing of the saved text is the same
// after the saved bytes are loaded again; a section found for a page has entries; stored
// values are never longer than the fill reads; and every value of the file survives the
// value encoding and back.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "base/files.h"
#include "formfill/form_codec.h"
#include "formfill/form_data_file.h"
#include "formfill/form_rules.h"

using namespace zel;

namespace {

#define FUZZ_CHECK(cond)                                                               \
  do {                                                                                 \
    if (!(cond)) {                                                                     \
      std::fprintf(stderr, "form_data_fuzz: %s:%d: %s\n", __FILE__, __LINE__, #cond);  \
      std::abort();                                                                    \
    }                                                                                  \
  } while (0)

bool SameListing(u16view a, u16view b) {
  auto sa = ListSections(a), sb = ListSections(b);
  if (sa.size() != sb.size()) return false;
  for (size_t i = 0; i < sa.size(); ++i) {
    if (sa[i].name != sb[i].name) return false;
    auto ia = ListItems(a, sa[i]), ib = ListItems(b, sb[i]);
    if (ia.size() != ib.size()) return false;
    for (size_t k = 0; k < ia.size(); ++k)
      if (ia[k].name != ib[k].name || ia[k].value != ib[k].value) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  FormDataFile file("/nonexistent/formdata.ini");
  file.SetBytes(bytes);
  FUZZ_CHECK(file.doc().encoding() == IniDocument::Encoding::Utf16Le);
  std::string saved = file.doc().Serialize();
  FUZZ_CHECK(saved.size() >= 2 && saved.compare(0, 2, "\xFF\xFE") == 0);

  FormDataFile again("/nonexistent/formdata.ini");
  again.SetBytes(saved);
  FUZZ_CHECK(again.doc().Serialize() == saved);
  u16 text = file.Text();
  FUZZ_CHECK(SameListing(text, again.Text()));

  std::vector<ListedSection> sections = ListSections(text);
  for (size_t i = 0; i < sections.size() && i < 64; ++i) {
    const ListedSection& s = sections[i];
    FUZZ_CHECK(s.body <= text.size());
    for (const ListedItem& item : ListItems(text, s)) {
      FUZZ_CHECK(!IsReservedKey(Trim(item.name)));
      std::optional<u16> v = file.StoredValue(s.name, Trim(item.name));
      if (v) {
        FUZZ_CHECK(v->size() <= kMaxStoredValue);
        FUZZ_CHECK(DecodeValue(EncodeValue(*v)) == *v);
        FUZZ_CHECK(UnescapeLines(EscapeLines(*v)) == *v);
      }
    }
    if (std::optional<u16> found = file.SectionFor(s.name)) {
      FUZZ_CHECK(!file.doc().Entries(*found).empty());
    }
  }
  // The value decoding takes any text.
  (void)DecodeValue(text.substr(0, 4096));
  return 0;
}
