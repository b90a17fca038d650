// The engine's own page menu (shown where the program has no menu of its own) in the
// program's words.
#pragma once

#include <webkit2/webkit2.h>

namespace zel {

// The program's label of an engine menu action; null for one it leaves to the engine.
const char* EngineActionLabel(WebKitContextMenuAction action);

// Replaces each item of the menu whose action has a label of the program's by the same
// action under that label; separators, submenus and spelling guesses stay.
void RelabelEngineMenu(WebKitContextMenu* menu);

}  // namespace zel
