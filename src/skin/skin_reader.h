// Reading a skin: mskin.ini's keys in their order, each by its kind (colour, integer,
// image, part image, button image, style, command icon, command offset), the images from
// the skin folder.
#pragma once

#include <string>

#include "base/ini_document.h"
#include "skin/skin_data.h"

namespace zel {

// The description file of a skin folder.
inline constexpr char kSkinIniName[] = "mskin.ini";
// The description file's size limit: a larger file is not read.
inline constexpr size_t kSkinIniMaxBytes = 1024 * 1024;

// Resets skin and reads the document; file values are names relative to folder. A value
// that is not a file inside the folder (an absolute path, "..") names no image.
void ReadSkin(const IniDocument& ini, const std::string& folder, const OtherImageDecoder& other,
              SkinData& skin);

// Reads folder/mskin.ini into skin. False, with skin left as it was, when the folder has no
// readable mskin.ini (or one past the limit).
bool LoadSkinFolder(const std::string& folder, const OtherImageDecoder& other, SkinData& skin);

// "3 -2" -> (3, -2): x is the number at the start, y the number after the last space (0
// without a space).
std::pair<int, int> ParseSkinOffset(u16view text);

}  // namespace zel
