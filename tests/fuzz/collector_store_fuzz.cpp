// libFuzzer harness for the collector's store files ("collect_*.dat", raw UTF-16LE) and the
// rules that read their lines.
//
// The input is the raw bytes of a store file. Besides crashes and out-of-bounds reads it
// checks what collector_store.h and collector_rules.h promise: every whole unit up to the
// limit is read and reads back to the same bytes, the address of any line at any caret is
// at most 1030 characters and trimmed, and a dropped image's name is one non-empty file
// name.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "base/files.h"
#include "collector/collector_rules.h"
#include "collector/collector_store.h"

using namespace zel;

namespace {

#define FUZZ_CHECK(cond)                                                                  \
  do {                                                                                    \
    if (!(cond)) {                                                                        \
      std::fprintf(stderr, "collector_store_fuzz: %s:%d: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                       \
    }                                                                                     \
  } while (0)
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  u16 text = DecodeStoreBytes(bytes);
  FUZZ_CHECK(text.size() == std::min(size / 2, kStoreLimit));
  FUZZ_CHECK(EncodeUtf16Le(text) == bytes.substr(0, text.size() * 2));

  size_t start = 0, lineNo = 0;
  while (start <= text.size()) {
    size_t end = text.find(u'\n', start);
    if (end == u16::npos) end = text.size();
    u16view line = u16view(text).substr(start, end - start);
    size_t caret = size ? data[lineNo % size] * 7 % (line.size() + 2) : 0;
    u16 address = AddressOnLine(line, caret);
    FUZZ_CHECK(address.size() <= 1030);
    FUZZ_CHECK(address.empty() || (!IsSpace(address.front()) && !IsSpace(address.back())));
    OpensFromCollector(address);
    std::string name = DroppedImageName(line.substr(0, 300));
    FUZZ_CHECK(!name.empty() && name.find('/') == std::string::npos);
    FUZZ_CHECK(name != "." && name != "..");
    u16 record = LayOutRecord(line, lineNo % 3, lineNo % 2 ? u"[01/02-03:04:05] " : u"");
    FUZZ_CHECK(record.size() >= 2 && record.substr(record.size() - 2) == u"\r\n");
    start = end + 1;
    ++lineNo;
  }
  return 0;
}
