// The text a second start hands to the running browser through the shared block.
#pragma once

#include <cstddef>
#include <string>

#include "base/text.h"

namespace zel {

// The shared hand-off text holds 2560 bytes: at most 1279 UTF-16 units and a terminating
// zero. Longer text is cut; a cut never leaves half of a surrogate pair.
inline constexpr size_t kShareBytes = 2560;
std::string EncodeShareText(u16view text);
// Reads up to the first zero, or the whole block when a writer left none.
u16 DecodeShareText(const char* block, size_t bytes);

}  // namespace zel
