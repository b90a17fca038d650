// An INI file in memory with the semantics of the classic profile functions:
// section and key names compare case-insensitively and the first match wins; white space
// around keys and values is dropped; a value in matching quotes loses them on read; a
// write replaces the key in place or appends it at the end of its section; a missing
// section is appended at the end of the file; the empty section name is written "[]".
#pragma once

#include <cstdint>
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
  // The same, keeping the buffer instead of copying it.
  static IniDocument ParseOwned(std::string&& bytes);
  // A profile file's document: empty when the file is not there; nothing when it is there
  // but cannot be read (it is noted with NoteUnreadableFile and must not be written).
  // A large file (past 256 KB) that has not changed since it was last loaded or saved
  // here (same file, size and change times) is not parsed again.
  static std::optional<IniDocument> Load(const std::string& path);
  // Writes the document atomically to path (see WriteFileAtomic) and remembers it for Load.
  bool Save(const std::string& path) const;
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
  // True when the document changed (a value written as it already stood is no change).
  bool Apply(const std::vector<Change>& changes);

 private:
  struct KeyLine {
    u16 key;
    u16 value;
  };
  // A line is a piece of the text as read (and, for 8-bit files, of the bytes as read,
  // which an unchanged line is written back as), or a text of its own once written.
  // Pieces share the buffers, so a file of a million lines is not a million strings.
  // Offsets are 32-bit (Load refuses files past 1 GB), so a line costs 24 bytes.
  struct Line {
    uint32_t textAt = 0, textLen = 0;
    uint32_t byteAt = 0, byteLen = 0;
    int32_t own = -1;  // index in own_ for a written line
    bool hasBytes = false;
  };
  u16view Text(const Line& l) const {
    if (l.own >= 0) return own_[size_t(l.own)];
    return u16view(*text_).substr(l.textAt, l.textLen);
  }
  u16view Text(size_t i) const { return Text(lines_[i]); }
  Line Owned(u16 text);
  // Where sections are, and the keys of the sections asked about: built on the first
  // lookup, dropped by every change that moves lines, so lookups in a long file are not
  // a walk each and a huge section nobody asks about is never indexed.
  struct Index;
  Index& index() const;
  // Line of the key's first entry in the first matching section, or npos.
  size_t FindKey(u16view section, u16view key) const;
  static u16 IndexKey(u16view section, u16view key);
  // Section name when the line is a header.
  static std::optional<u16> SectionOf(u16view line);
  static std::optional<KeyLine> KeyOf(u16view line);
  // The trimmed key of a key line, without copying it (empty when it is none).
  static u16view KeyNameOf(u16view line);
  // Index of the header line of the first matching section, or npos.
  size_t FindSection(u16view section) const;
  // One past the last line of the section whose header is line h.
  size_t SectionEnd(size_t h) const;

  std::shared_ptr<const std::string> bytes_ = std::make_shared<const std::string>();
  std::shared_ptr<const u16> text_ = std::make_shared<const u16>();
  std::vector<u16> own_;
  std::vector<Line> lines_;
  Encoding encoding_ = Encoding::Utf8;
  mutable std::shared_ptr<Index> index_;
};

}  // namespace zel
