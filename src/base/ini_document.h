// An INI file in memory with the semantics of the classic profile functions:
// section and key names compare case-insensitively and the first match wins; white space
// around keys and values is dropped; a value in matching quotes loses them on read; a
// write replaces the key in place or appends it at the end of its section; a missing
// section is appended at the end of the file; the empty section name is written "[]".
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"

namespace zel {

class IniDocument {
 public:
  enum class Encoding { Utf8, Utf8Bom, Utf16Le, Utf16Be, Gbk };

  // Reads UTF-16 with a byte-order mark (or without one, told by where the NUL bytes
  // are), UTF-8 with or without a mark, and GBK for 8-bit text that decodes better as GBK
  // than as UTF-8. Never fails: garbage yields whatever lines it holds. A line that does
  // not decode in the file's encoding is kept as it was read and written back byte for
  // byte until a write replaces it, so one stray byte costs nothing but itself.
  static IniDocument Parse(std::string_view bytes);
  // A profile file's document: empty when the file is not there; nothing when it is there
  // but cannot be read (it is noted with NoteUnreadableFile and must not be written).
  static std::optional<IniDocument> Load(const std::string& path);
  // A new, empty document (written as UTF-8).
  IniDocument() = default;

  // The file's bytes in its own encoding, lines ended with CR LF. UTF-16 read without a
  // mark is written with one.
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

  // Many writes and removals in one pass, with the result of doing them one by one in
  // order (Set for a value, Remove for none): a list of any length costs one walk over
  // the document instead of one per entry.
  struct Change {
    u16 section;
    u16 key;
    std::optional<u16> value;
  };
  void Apply(const std::vector<Change>& changes);

 private:
  struct KeyLine {
    u16 key;
    u16 value;
  };
  struct Line {
    u16 text;
    // The bytes as read, for a line that did not decode cleanly.
    std::optional<std::string> raw;
  };
  // Where the first matching section and its keys are: built on the first lookup, dropped
  // by every change, so lookups in a long file are not a walk each.
  struct Index;
  const Index& index() const;
  static u16 IndexKey(u16view section, u16view key);
  // Section name when the line is a header.
  static std::optional<u16> SectionOf(u16view line);
  static std::optional<KeyLine> KeyOf(u16view line);
  // Index of the header line of the first matching section, or npos.
  size_t FindSection(u16view section) const;

  std::vector<Line> lines_;
  Encoding encoding_ = Encoding::Utf8;
  mutable std::shared_ptr<const Index> index_;
};

}  // namespace zel
