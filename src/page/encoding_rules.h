// The encoding items and their charset names, what the engine is given for each, and the
// steps of the text size.
#pragma once

#include <string>

#include "base/text.h"

namespace zel {

// The charset name of an encoding item (866..1081), nullptr for the ids of the range
// without an item.
const char16_t* CharsetOfEncodingCommand(int id);
// What the engine is told for a charset name. The automatic ones ("_autodetect_all",
// "_autodetect", "_autodetect_kr") and those WebKit cannot decode ("utf-7") leave the
// choice to the engine's own detection (""); "unicode" and "unicodeFEFF" are UTF-16 in
// either byte order.
std::string EngineCharsetFor(u16view charset);

// Text size: indexes 0 (largest) .. 4 (smallest), 2 after the settings load; the engine's
// level is 4 − index.
inline constexpr int kTextSizeMedium = 2;
inline int TextSizeEngineLevel(int index) { return 4 - index; }
// The index after command 1100 (larger) or 1101 (smaller) from index; index itself when the
// step would leave the range.
int SteppedTextSize(int index, bool larger);

}  // namespace zel
