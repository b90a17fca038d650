// libFuzzer harness for the bookmark file reader (the Netscape bookmark HTML).
//
// The input is a file's raw bytes. Besides crashes, leaks and out-of-bounds reads, it checks
// what bookmark_html.h promises: every entry has an address, folders are at most 64 deep,
// and what was read, written and read again is the same tree.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "favorites/bookmark_html.h"

using namespace zel;

#define FUZZ_CHECK(cond)                                                                   \
  do {                                                                                     \
    if (!(cond)) {                                                                         \
      std::fprintf(stderr, "bookmark_html_fuzz: %s:%d: %s\n", __FILE__, __LINE__, #cond);  \
      std::abort();                                                                        \
    }                                                                                      \
  } while (0)

namespace {
void Check(const std::vector<BookmarkNode>& nodes, int depth) {
  FUZZ_CHECK(depth <= 65);
  for (const BookmarkNode& n : nodes) {
    if (n.folder) Check(n.children, depth + 1);
    else FUZZ_CHECK(!n.url.empty() && n.children.empty());
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<BookmarkNode> nodes =
      ParseBookmarkHtml(std::string_view(reinterpret_cast<const char*>(data), size));
  Check(nodes, 0);
  std::vector<BookmarkNode> again = ParseBookmarkHtml(WriteBookmarkHtml(nodes));
  FUZZ_CHECK(again == nodes);
  return 0;
}
