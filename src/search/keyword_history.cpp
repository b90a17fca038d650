#include "search/keyword_history.h"

#include <algorithm>

#include "settings/frame_settings.h"
#include "settings/settings_file.h"

namespace zel {

namespace {
u16 KeyName(int n) { return Format(u"key_%d", n); }

// Deletes every "key_N" of the file with N >= from: the file holds what the list holds.
void DeleteKeysFrom(SettingsBatch& file, int from) {
  for (const auto& [key, value] : SettingsSnapshot(kKeywordHistoryFile).Entries(u"")) {
    if (key.size() <= 4 || key.compare(0, 4, u"key_") != 0) continue;
    u16view digits = u16view(key).substr(4);
    if (!std::all_of(digits.begin(), digits.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; }))
      continue;
    if (digits.size() > 6 || ToInt(digits) >= from) file.DeleteKey(u"", key);
  }
}
}  // namespace

void KeywordHistory::Load() {
  items_.clear();
  changed_ = false;
  SettingsSnapshot file(kKeywordHistoryFile);
  for (int n = 0;; ++n) {
    u16 value = file.ReadText(u"", KeyName(n), u"", 260);
    if (value.empty()) break;
    items_.push_back(std::move(value));
  }
}

void KeywordHistory::Save(const FrameSettings& settings) const {
  if (settings.clean.search) return;
  changed_ = false;
  SettingsBatch file(kKeywordHistoryFile);
  const int n = static_cast<int>(std::min<size_t>(items_.size(), kSavedKeywords));
  for (int i = 0; i < n; ++i) {
    u16 value = items_[i];
    // A line break would end the INI line early; a lone carriage return does too.
    std::erase_if(value, [](char16_t c) { return c == u'\r' || c == u'\n'; });
    file.WriteText(u"", KeyName(i), value);
  }
  DeleteKeysFrom(file, n);
  file.Commit();
}

void KeywordHistory::Clear(FrameSettings& settings) {
  items_.clear();
  changed_ = false;
  settings.clean.search = true;
  SettingsBatch file(kKeywordHistoryFile);
  DeleteKeysFrom(file, 0);
  file.Commit();
}

bool KeywordHistory::Add(u16view keyword) {
  if (keyword.empty()) return false;
  if (std::find(items_.begin(), items_.end(), keyword) != items_.end()) return false;
  items_.insert(items_.begin(), u16(keyword));
  changed_ = true;
  return true;
}

}  // namespace zel
