// libFuzzer harness for the reader of a Favorites folder's stored order.
//
// The input is an "Order" value's bytes. Besides crashes, leaks and out-of-bounds reads, it
// checks what menu_order.h promises: every entry read has a name, the position table names
// entries that exist, and the names read, written again, read back the same and in order.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "favorites/menu_order.h"

using namespace zel;

#define FUZZ_CHECK(cond)                                                                   \
  do {                                                                                     \
    if (!(cond)) {                                                                         \
      std::fprintf(stderr, "menu_order_fuzz: %s:%d: %s\n", __FILE__, __LINE__, #cond);     \
      std::abort();                                                                        \
    }                                                                                      \
  } while (0)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto order = ParseMenuOrder(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!order) return 0;
  FUZZ_CHECK(!order->entries.empty());
  FUZZ_CHECK(order->count > 0);
  std::vector<OrderedName> names;
  for (const MenuOrderEntry& e : order->entries) {
    FUZZ_CHECK(!e.longName.empty());
    // A name with a zero would end early when written; such a name cannot come back.
    if (e.longName.find(u'\0') == u16::npos) names.push_back({e.longName, e.IsFolder()});
  }
  for (const auto& [cell, index] : order->cells) {
    FUZZ_CHECK(cell >= 0 && cell < order->count);
    FUZZ_CHECK(index >= 0 && size_t(index) < order->entries.size());
  }
  for (int index : order->Sequence()) FUZZ_CHECK(size_t(index) < order->entries.size());
  if (names.empty()) return 0;
  auto again = ParseMenuOrder(EncodeMenuOrder(names));
  FUZZ_CHECK(again && again->entries.size() == names.size());
  std::vector<int> seq = again->Sequence();
  FUZZ_CHECK(seq.size() == names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    FUZZ_CHECK(again->entries[size_t(seq[i])].longName == names[i].name);
    FUZZ_CHECK(again->entries[size_t(seq[i])].IsFolder() == names[i].folder);
  }
  return 0;
}
