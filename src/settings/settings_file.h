// The one accessor for the INI files of the profile folder. Every read and write goes
// straight to the file: no cache, no batching.
#pragma once

#include <string>
#include <vector>

#include <string>

#include "base/text.h"

namespace zel {

class SettingsFile {
 public:
  // Process-wide location, set once at start-up: the program folder (with a trailing "/")
  // and the profile sub-folder ("profile/Defaults").
  static void SetLocation(const std::string& baseFolder, const std::string& profileSub);
  static const std::string& BaseFolder();
  static const std::string& ProfileSub();

  // Path rule: an absolute name (starting with "/") is used unchanged; otherwise, with a
  // profile sub-folder, base + sub + "/" + name; otherwise base + name.
  static std::string ResolvePath(u16view fileName);

  SettingsFile() = default;
  SettingsFile(u16view fileName, u16view section) { Open(fileName, section); }

  void Open(u16view fileName, u16view section);
  void Reopen(u16view fileName, u16view section) { Open(fileName, section); }
  void SetSection(u16view section) { section_ = u16(section); }
  const std::string& FullPath() const { return path_; }
  const u16& Section() const { return section_; }

  // At most n - 1 characters of the value, or of the default when the key is absent.
  u16 ReadText(u16view key, u16view def = u"", size_t n = 260);
  // The default is formatted "%d" and used as the text default; the value is read with a
  // limit of 16 characters and converted with the platform's leading-digits rule.
  int ReadInt(u16view key, int def);
  bool WriteText(u16view key, u16view value);
  bool WriteInt(u16view key, int value);
  bool DeleteKey(u16view key);

 private:
  bool EnsureFolder() const;

  std::string path_;
  u16 section_;
};

}  // namespace zel
