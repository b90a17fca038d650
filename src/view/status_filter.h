// The status filter (command 946): which status texts of a page reach the status bar.
#pragma once

#include "base/text.h"

namespace zel {

// True when the filter lets a non-empty text through: progress and address texts of the
// engine pass, a page's own messages ("Welcome to my page") do not.
bool StatusTextPasses(u16view text);

}  // namespace zel
