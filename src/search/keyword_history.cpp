#include "search/keyword_history.h"

#include <algorithm>

#include "settings/frame_settings.h"
#include "settings/settings_file.h"

namespace zel {

namespace {
u16 KeyName(int n) { return Format(u"key_%d", n); }
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
  file.Commit();
}

void KeywordHistory::Clear(FrameSettings& settings) {
  items_.clear();
  changed_ = false;
  settings.clean.search = true;
  SettingsBatch file(kKeywordHistoryFile);
  for (int n = 0; n < kSavedKeywords; ++n) file.DeleteKey(u"", KeyName(n));
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
