// Every key of config.ini in one table: its type, the value written when the file is
// first created, the value used when the key is missing, and when it is read.
#pragma once

#include <span>

#include "base/text.h"

namespace zel {

enum class SettingType { Int, Text };

enum class LoadPoint {
  Early,  // before the frame is shown
  Frame,  // when the frame builds its bars
  Late,   // the deferred start-up
  Owner,  // read by the subsystem that owns it, at its own moment
  Never,  // written, never read
};

struct SettingDef {
  const char16_t* section;
  const char16_t* key;
  SettingType type;
  const char16_t* created;  // nullptr: not written when the file is created
  const char16_t* absent;   // nullptr: decided by the caller (e.g. the engine's flags)
  LoadPoint load;
};

// Rows are in first-run order: writing the rows with a created value in table order gives
// the first-run file.
std::span<const SettingDef> ConfigSchema();
const SettingDef* FindSetting(u16view section, u16view key);

// The default gesture list written at first run.
extern const char16_t kDefaultGestureList[];

// The config file's name.
inline constexpr char16_t kConfigFile[] = u"config.ini";

}  // namespace zel
