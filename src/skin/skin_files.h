// The files around skins: the skin folders and language files found on disk, the border
// switch written back into a skin's mskin.ini, and the clean copies of a skin's images
// that its style sheet names.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "base/text.h"
#include "skin/skin_image.h"

namespace zel {

// The names of the sub-folders of root that hold mskin.ini, sorted without regard to case.
std::vector<u16> ListSkinFolders(const std::string& root);

// A language file: "Language/<name>.ini", an INI string table whose section [Strings]
// has the string ids as keys; 1402 is the language's own name.
struct LanguageFile {
  std::string file;  // the file name, without the folder
  u16 name;          // string 1402 (at most 259 characters), else the file name's stem
};
inline constexpr char16_t kLanguageSection[] = u"Strings";
inline constexpr char16_t kLanguageNameKey[] = u"1402";
std::vector<LanguageFile> ListLanguageFiles(const std::string& folder);

// Writes Global/CustomFrame into folder/mskin.ini when that file is there (atomically,
// the rest of the file as it was). False when there is no such file or it was not written.
bool WriteCustomFrame(const std::string& folder, bool on);

// Clean PNG copies of decoded images in a private temporary folder, named anew for each
// style sheet (the toolkit caches images by address); the copies of older sheets go.
// The image copies' folders ("zel-skin-<pid>-XXXXXX" in tmp) of runs that are gone, as a
// killed run leaves them: their files and the folders go. Folders of living processes,
// of other users and other names stay.
void RemoveStaleSkinFolders(const std::string& tmp);

class SkinImageFiles {
 public:
  ~SkinImageFiles();
  // Starts the files of a new style sheet.
  void BeginSheet();
  // The file:// address of the image's copy; "" when it cannot be written.
  std::string UrlOf(const SkinImagePtr& image);
  // Removes the copies of earlier sheets.
  void EndSheet();
  const std::string& folder() const { return folder_; }

 private:
  std::string folder_;
  int sheet_ = 0;
  std::map<const SkinImage*, std::string> urls_;
  std::vector<std::string> current_, previous_;
};

}  // namespace zel
