// The stored order of a Favorites folder: a binary "Order" value of the registry, one per
// folder, under the MenuOrder key of the folder's path. The reader takes the layout the
// shell writes (and tolerates others: an entry that does not parse is skipped); the writer
// puts down the same layout, so an order chosen in the organize dialog reads back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/text.h"

namespace zel {

class RegistryPort;

struct MenuOrderEntry {
  int32_t position = 0;     // the item's place in the folder's order (0 first)
  uint16_t attributes = 0;  // file attributes: 0, 0x10 and 0x14 stand for a folder
  u16 longName;             // the item's file name with its extension
  u16 shortName;            // read, not used
  bool IsFolder() const { return attributes == 0 || attributes == 0x10 || attributes == 0x14; }
};

struct MenuOrder {
  int32_t count = 0;                    // cells of the position table
  std::vector<MenuOrderEntry> entries;  // in the order read
  // The set cells of the position table (position -> entry index), ascending; every other
  // cell of the count holds entry 0.
  std::vector<std::pair<int32_t, int>> cells;
  // The entry index of each cell from 0 to count - 1, with the unset cells after the first
  // one left out (they name entry 0 again, which the first already took).
  std::vector<int> Sequence() const;
};

// Parses an "Order" value's bytes. Nothing when no entry parsed.
std::optional<MenuOrder> ParseMenuOrder(std::string_view data);

// An item of a folder in its order, as the organize dialog writes it.
struct OrderedName {
  u16 name;
  bool folder = false;
};
// The bytes of an "Order" value listing the names at positions 0, 1, ...
std::string EncodeMenuOrder(const std::vector<OrderedName>& items);

// The registry key of a folder's order; relative is the folder's path under the Favorites
// folder ("" for the root, "a/b" below it).
u16 MenuOrderKey(u16view relative);
// ReadMenuOrder: the folder's "Order" value parsed; nothing without a key, a value of
// another type or an empty one.
std::optional<MenuOrder> ReadMenuOrder(RegistryPort& registry, u16view relative);
bool WriteMenuOrder(RegistryPort& registry, u16view relative, const std::vector<OrderedName>& items);

// Hex digits of the registry's binary text and back (spaces and commas between pairs are
// read past; a stray digit ends the bytes).
u16 BytesToHex(std::string_view bytes);
std::string HexToBytes(u16view hex);

}  // namespace zel
