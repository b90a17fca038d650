// The organize dialog's operations on the Favorites folder. Each keeps the folder's stored
// order: it is written again with the change, so the order the user sees is the order read
// back.
#pragma once

#include <string>

#include "base/text.h"

namespace zel {

class RegistryPort;

// A new folder in folder (named name, or "name (2)" ... when taken), placed last among the
// ordered items. Returns its path, or "" on failure.
std::string NewFavoritesFolder(const std::string& root, const std::string& folder, u16view name,
                               RegistryPort* registry);
// A new name for a folder or a favorite (a file keeps its extension), in the same place.
bool RenameFavorite(const std::string& root, const std::string& path, u16view name,
                    RegistryPort* registry);
// Removes a favorite or a folder with everything in it.
bool DeleteFavorite(const std::string& root, const std::string& path, RegistryPort* registry);
// Moves an item into another folder at index of its order (-1: last), or to another place
// of its own folder.
bool MoveFavorite(const std::string& root, const std::string& path, const std::string& folder,
                  int index, RegistryPort* registry);
// One place up (delta -1) or down (+1) in its folder's order.
bool ShiftFavorite(const std::string& root, const std::string& path, int delta,
                   RegistryPort* registry);

}  // namespace zel
