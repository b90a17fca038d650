// The collector's text rules: record stamps and layout, the full-store messages, the
// address on the caret's line, and the names of images dropped onto the pane.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "base/text.h"
#include "collector/collector_store.h"

namespace zel {

// Record kinds with a switch of their own (11..15); 15 is the content filter's records.
inline constexpr int kKindSavedFile = 11;
inline constexpr int kKindContentFilter = 15;
inline bool KindHasSwitch(int kind) { return kind >= 11 && kind <= 15; }

struct StampTime {
  int month, day, hour, minute, second;
};
// "[MM/DD-hh:mm:ss] "
u16 RecordStamp(const StampTime& t);
// The record as it goes into its store: the text ending in "\r\n" (added when missing),
// with the stamp in front when there is one: on the same line for the output collector, on
// a line of its own for the text collector.
u16 LayOutRecord(u16view text, int kind, u16view stamp);
// The message of a store that is full, by the record's kind: 0 the text collector, 1 the
// output collector, any other the script collector.
u16 FullStoreMessage(int kind);

// A dropped text with its source page: "source => text", or the text alone without one.
u16 DroppedTextRecord(u16view source, u16view text);

// The address on the caret's line (1236): the line cut to 1030 characters without its
// "\r"; after " => " when it holds one, and then with " <= " the part after that marker
// when the caret lies beyond it, else the part before it. Trimmed.
u16 AddressOnLine(u16view line, size_t caretColumn);
// Whether an address from the collector opens: longer than one character and an address.
bool OpensFromCollector(u16view text);

// The name a dropped image is saved under: the last part of its address (without query
// or fragment), with a cache suffix "[...]" (from the last "[" to the last "]") removed.
std::string DroppedImageName(u16view address);
// "name[k].ext" for k = 1, 2, ...: the first name for which taken is false.
std::string FreeNumberedName(const std::string& name,
                             const std::function<bool(const std::string&)>& taken);

struct ImageSaveResult {
  enum Kind { Saved, Exists, Failed } kind = Failed;
  std::string path;  // the saved file, or the one that exists
};
// Saves the bytes of a dropped image under name in folder: a file of that name with the
// same size is kept (Exists); one of another size makes the first free "[k]" name.
ImageSaveResult SaveDroppedImage(const std::string& folder, const std::string& name,
                                 const std::string& bytes);

}  // namespace zel
