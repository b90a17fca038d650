// Fuzzes the file name a download is proposed under: the server's suggested name (any
// bytes, read as UTF-8) must always become a usable file name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/text.h"
#include "downloads/download_rules.h"

using namespace zel;

static void Check(bool ok) {
  if (!ok) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  u16 name = SafeDownloadName(FromUtf8(bytes));
  Check(!name.empty());
  Check(name.size() <= 200);
  Check(name != u"." && name != u"..");
  Check(name.front() != u'.' && name.front() != u' ');
  for (char16_t c : name) Check(c >= 0x20 && c != 0x7f && c != u'/' && c != u'\\');
  // A name already safe stays as it is.
  Check(SafeDownloadName(name) == name);
  // The name survives the trip to the file system's UTF-8 and back.
  Check(FromUtf8(ToUtf8(name)) == name || name.size() == 200);
  return 0;
}
