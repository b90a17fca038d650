// Internet shortcut files (.url): the address they stand for.
#pragma once

#include "base/text.h"

namespace zel {

// A target is a shortcut when its last four characters are ".url" in any case.
bool IsShortcutTarget(u16view target);
// The InternetShortcut/URL value of a shortcut file (at most 2047 characters), or empty.
// A relative path is taken from the current folder.
u16 ResolveShortcut(u16view path);
// The address a target stands for: a shortcut's URL, otherwise the target itself.
u16 ResolveTarget(u16view target);

}  // namespace zel
