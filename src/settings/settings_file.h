// The accessors for the INI files of the profile folder. Every read and write goes
// straight to the file, nothing is cached between calls: SettingsFile reads or writes one
// key; SettingsSnapshot reads many keys from one read of the file; SettingsBatch writes
// many with one read and one atomic replace.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/ini_document.h"
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
  std::string path_;
  u16 section_;
};

// One read of a file, many keys read from it: what a load point or a list uses.
class SettingsSnapshot {
 public:
  // Resolved as SettingsFile resolves the name; the profile folder is created when missing.
  explicit SettingsSnapshot(u16view fileName);
  // SettingsFile's rules and limits.
  u16 ReadText(u16view section, u16view key, u16view def = u"", size_t n = 260) const;
  int ReadInt(u16view section, u16view key, int def) const;
  // Keys and values of the first matching section, in file order.
  std::vector<std::pair<u16, u16>> Entries(u16view section) const;

 private:
  friend class SettingsFile;
  struct ResolvedPath {
    std::string path;
  };
  explicit SettingsSnapshot(ResolvedPath p);
  std::optional<IniDocument> doc_;
};

// Writes gathered and put into the file at once, with the result of writing them one by
// one in order.
class SettingsBatch {
 public:
  explicit SettingsBatch(u16view fileName);
  void WriteText(u16view section, u16view key, u16view value);
  void WriteInt(u16view section, u16view key, int value);
  void DeleteKey(u16view section, u16view key);
  size_t size() const { return changes_.size(); }
  // One read, one atomic replace. False when the file is there but cannot be read (it is
  // left as it is) or cannot be written. Nothing gathered writes nothing.
  bool Commit();

 private:
  friend class SettingsFile;
  struct ResolvedPath {
    std::string path;
  };
  explicit SettingsBatch(ResolvedPath p) : path_(std::move(p.path)) {}
  std::string path_;
  std::vector<IniDocument::Change> changes_;
};

}  // namespace zel
