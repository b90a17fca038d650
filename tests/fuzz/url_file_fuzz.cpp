// libFuzzer harness for the address of a favorite file (.url, read with the INI rules).
//
// The input is the file's raw bytes. Besides crashes, leaks and out-of-bounds reads, it
// checks what favorites_folder.h promises: the address is at most 2047 characters, and a
// shortcut written for an address read reads back as that address.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/files.h"
#include "favorites/favorites_folder.h"

using namespace zel;

#define FUZZ_CHECK(cond)                                                                   \
  do {                                                                                     \
    if (!(cond)) {                                                                         \
      std::fprintf(stderr, "url_file_fuzz: %s:%d: %s\n", __FILE__, __LINE__, #cond);       \
      std::abort();                                                                        \
    }                                                                                      \
  } while (0)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = [] {
    char tmpl[] = "/tmp/zel-url-fuzz-XXXXXX";
    return std::string(mkdtemp(tmpl));
  }();
  const std::string path = dir + "/entry.url";
  FUZZ_CHECK(WriteFileAtomic(path, std::string(reinterpret_cast<const char*>(data), size)));
  u16 url = FavoriteUrl(path);
  FUZZ_CHECK(url.size() <= kShortcutUrlMax);
  // An address without line breaks and with no surrounding blanks survives a write.
  bool plain = !url.empty() && url.find_first_of(u"\r\n") == u16::npos && Trim(url) == url &&
               !(url.size() >= 2 && url.front() == u'"' && url.back() == u'"') &&
               IsValidUtf8(ToUtf8(url));
  if (plain) {
    FUZZ_CHECK(WriteFileAtomic(path, ShortcutFileText(url)));
    FUZZ_CHECK(FavoriteUrl(path) == url);
  }
  return 0;
}
