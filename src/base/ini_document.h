// An INI file in memory with the semantics of the classic profile functions:
// section and key names compare case-insensitively and the first match wins; white space
// around keys and values is dropped; a value in matching quotes loses them on read; a
// write replaces the key in place or appends it at the end of its section; a missing
// section is appended at the end of the file; the empty section name is written "[]".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/text.h"

namespace zel {

class IniDocument {
 public:
  enum class Encoding { Utf8, Utf8Bom, Utf16Le, Utf16Be, Gbk };

  // Reads UTF-16 with a byte-order mark, UTF-8 with or without one, and falls back to GBK
  // for 8-bit text that is not UTF-8. Never fails: garbage yields whatever lines it holds.
  static IniDocument Parse(std::string_view bytes);
  // A profile file's document: empty when the file is not there; nothing when it is there
  // but cannot be read (it is noted with NoteUnreadableFile and must not be written).
  static std::optional<IniDocument> Load(const std::string& path);
  // A new, empty document (written as UTF-8).
  IniDocument() = default;

  // The file's bytes in its own encoding, lines ended with CR LF.
  std::string Serialize() const;
  Encoding encoding() const { return encoding_; }

  std::optional<u16> Get(u16view section, u16view key) const;
  void Set(u16view section, u16view key, u16view value);
  // False when the key was not there.
  bool Remove(u16view section, u16view key);
  bool HasSection(u16view section) const;
  // Removes the first matching section with all its lines.
  bool RemoveSection(u16view section);
  // Keys of the first matching section, in file order.
  std::vector<u16> Keys(u16view section) const;
  // Keys and values of the first matching section, in file order (values as Get reads them).
  std::vector<std::pair<u16, u16>> Entries(u16view section) const;

 private:
  struct KeyLine {
    u16 key;
    u16 value;
  };
  // Section name when the line is a header.
  static std::optional<u16> SectionOf(u16view line);
  static std::optional<KeyLine> KeyOf(u16view line);
  // Index of the header line of the first matching section, or npos.
  size_t FindSection(u16view section) const;

  std::vector<u16> lines_;
  Encoding encoding_ = Encoding::Utf8;
};

}  // namespace zel
