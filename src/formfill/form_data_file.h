// The form-data file: UTF-16LE with a byte-order mark, INI syntax, CR LF, one section per
// saved page; written atomically and only ever readable by its owner. Nothing of it is
// kept between commands: each one loads it, changes it and saves it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/ini_document.h"
#include "base/text.h"

namespace zel {

inline constexpr char16_t kFormDataFileName[] = u"formdata.ini";
// Where the master password is kept (section "Settings", key "FormMainPwd").
inline constexpr char16_t kFormPasswordFileName[] = u"formpwd.ini";

// Writes bytes atomically to a file created with mode 0600 (a file that is already there
// is made 0600 first), creating its folder when needed.
bool WritePrivateFile(const std::string& path, const std::string& bytes);

class FormDataFile {
 public:
  explicit FormDataFile(std::string path) : path_(std::move(path)) {}
  const std::string& path() const { return path_; }

  // Reads the file; a missing one is empty. False when it is there but cannot be read
  // (then it must not be written).
  bool Load();
  // Any bytes as a UTF-16LE document: a file in UTF-16 is taken as it is; UTF-8 and other
  // 8-bit text are converted, so the next save is UTF-16 whatever the file was.
  static IniDocument ParseBytes(std::string_view bytes);
  void SetBytes(std::string_view bytes) { doc_ = ParseBytes(bytes); }

  IniDocument& doc() { return doc_; }
  const IniDocument& doc() const { return doc_; }
  // The file's text as written (without the mark).
  u16 Text() const;
  bool Save() const;

  // The section a page is filled from: its own when it has entries, else the first of
  // the same site root (ignoring case) with entries, else "General" with entries.
  std::optional<u16> SectionFor(u16view url) const;
  // A value as the fill reads it: cut to kMaxStoredValue characters.
  std::optional<u16> StoredValue(u16view section, u16view name) const;

 private:
  std::string path_;
  IniDocument doc_ = ParseBytes({});
};

// The manager's listing of the file's text. A section line begins with "[" and its name
// runs to the next "]"; the next line starts two characters after the "]". Other lines are
// skipped to after the next CR LF.
struct ListedSection {
  u16 name;
  size_t body = 0;  // where the section's first line starts
};
std::vector<ListedSection> ListSections(u16view text);
// The key = value lines of a section from its first line up to a line that begins with
// "[" or the end of the text; a last line without CR LF is not listed, nor are the
// reserved keys.
struct ListedItem {
  u16 name;
  u16 value;
};
std::vector<ListedItem> ListItems(u16view text, const ListedSection& section);

}  // namespace zel
