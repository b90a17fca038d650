// The collector's three stores and their files: "collect_t.dat" (text), "collect_o.dat"
// (output records), "collect_s.dat" (scripts) in the profile folder, each the store's text
// as raw UTF-16LE code units without a mark.
#pragma once

#include <string>
#include <string_view>

#include "base/text.h"

namespace zel {

enum class CollectorStore { Text = 0, Output = 1, Script = 2 };
inline constexpr CollectorStore kAllStores[] = {CollectorStore::Text, CollectorStore::Output,
                                                CollectorStore::Script};
// The most characters a store holds.
inline constexpr size_t kStoreLimit = 1048576;

const char* StoreFileName(CollectorStore store);
// The store of a record kind: 0 the text collector, any other the output collector.
inline CollectorStore StoreOfKind(int kind) {
  return kind == 0 ? CollectorStore::Text : CollectorStore::Output;
}

// The store's text from its file: missing, empty or unreadable gives an empty store; an odd
// last byte is left out, and a file of more than the limit is cut to it.
u16 LoadStoreFile(const std::string& path);
// The same rule on the file's bytes.
u16 DecodeStoreBytes(std::string_view bytes);
// The whole store replaces the file, atomically (a failed write leaves the old file).
bool SaveStoreFile(const std::string& path, u16view text);
// Appends a record to the file, creating it (mode 0600) when missing. A file of an odd
// length (a torn write) first gets one byte more, so the record's units stay aligned.
bool AppendStoreFile(const std::string& path, u16view record);

}  // namespace zel
