// The search keyword history: most recent first, kept in "searchkeys.ini" (profile
// folder, empty-named section, keys "key_0", "key_1", ...; key_0 is the most recent).
#pragma once

#include <vector>

#include "base/text.h"

namespace zel {

struct FrameSettings;

inline constexpr char16_t kKeywordHistoryFile[] = u"searchkeys.ini";
// Keys written at exit: key_0 ... key_19.
inline constexpr int kSavedKeywords = 20;

class KeywordHistory {
 public:
  // Reads key_0, key_1, ... until the first empty value; no upper bound.
  void Load();

  // At exit: writes the first kSavedKeywords items, unless CLEANSET/search is set.
  // Line breaks inside an item are removed; keys past the written ones are removed.
  void Save(const FrameSettings& settings) const;

  // Command 1043: empties the list, sets CLEANSET/search in memory so the empty list is
  // not saved over at exit, and deletes every key_N from the file.
  void Clear(FrameSettings& settings);

  // Puts the keyword at the head unless it is listed already (whole string, case
  // sensitive). True when it was added: the drop-down list then gets it as its first item.
  bool Add(u16view keyword);

  const std::vector<u16>& items() const { return items_; }
  // Added to since it was loaded or saved.
  bool changed() const { return changed_; }

 private:
  std::vector<u16> items_;
  mutable bool changed_ = false;
};

}  // namespace zel
