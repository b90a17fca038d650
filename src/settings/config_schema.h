// Every key of config.ini in one table: its type, the value written when the file is
// first created, the value used when the key is missing, when it is read, when it is
// written, and the FrameSettings field it is read into and written from. The loads, the
// exit saves and the defaults of FrameSettings all loop over this table; nothing else
// names a FrameSettings key.
#pragma once

#include <span>

#include "base/text.h"
#include "settings/frame_settings.h"

namespace zel {

enum class SettingType { Int, Text };

enum class LoadPoint {
  Early,  // before the frame is shown
  Frame,  // when the frame builds its bars
  Late,   // the deferred start-up
  Owner,  // read by the subsystem that owns it, at its own moment
  Never,  // written, never read
};

enum class SavePoint {
  None,                   // not written by the frame's saves (the first run may write it)
  ExitBeforeSearchWords,  // SaveExitSettingsBeforeSearchWords
  ExitAfterSearchWords,   // SaveExitSettingsAfterSearchWords
};

// The FrameSettings field of a row. An Int row binds an int, a bool (read as "not 0",
// written 0/1), one element of a drag array or one clean flag; a Text row binds a text.
struct FieldBinding {
  enum class Kind { None, Int, Bool, Text, IntElement, CleanFlag };
  Kind kind = Kind::None;
  int FrameSettings::*intField = nullptr;
  bool FrameSettings::*boolField = nullptr;
  u16 FrameSettings::*textField = nullptr;
  int (FrameSettings::*intArray)[4] = nullptr;
  int index = 0;
  bool FrameSettings::CleanFlags::*cleanFlag = nullptr;

  constexpr bool bound() const { return kind != Kind::None; }
  constexpr bool IsText() const { return kind == Kind::Text; }
  // The value as the file holds it: bools are 0 or 1. Int kinds only.
  int GetInt(const FrameSettings& s) const;
  void SetInt(FrameSettings& s, int value) const;
  // Text kind only.
  const u16& GetText(const FrameSettings& s) const;
  void SetText(FrameSettings& s, u16 value) const;

  constexpr bool operator==(const FieldBinding&) const = default;
};

constexpr FieldBinding Bind(int FrameSettings::*f) {
  return {.kind = FieldBinding::Kind::Int, .intField = f};
}
constexpr FieldBinding Bind(bool FrameSettings::*f) {
  return {.kind = FieldBinding::Kind::Bool, .boolField = f};
}
constexpr FieldBinding Bind(u16 FrameSettings::*f) {
  return {.kind = FieldBinding::Kind::Text, .textField = f};
}
constexpr FieldBinding Bind(int (FrameSettings::*a)[4], int i) {
  return {.kind = FieldBinding::Kind::IntElement, .intArray = a, .index = i};
}
constexpr FieldBinding Bind(bool FrameSettings::CleanFlags::*f) {
  return {.kind = FieldBinding::Kind::CleanFlag, .cleanFlag = f};
}

struct SettingDef {
  const char16_t* section;
  const char16_t* key;
  SettingType type;
  const char16_t* created;  // nullptr: not written when the file is created
  // nullptr: decided by the caller (GENERAL/ctlpro: the engine's flags; TABSET/style is
  // never read)
  const char16_t* absent;
  LoadPoint load;
  // Loaded at load (Early, Frame, Late) and saved at save. Unbound rows are read by their
  // owner (Owner), never read (TABSET/locked), or read by a special case of the late load
  // (HOTKEYSET/count, which counts the F_%d texts).
  FieldBinding field = {};
  SavePoint save = SavePoint::None;
  int saveOrder = 0;  // the order of the writes within the save point
};

// Rows with a created value are in first-run order: writing them in table order gives the
// first-run file. Rows binding the same field are read in table order (the later wins).
std::span<const SettingDef> ConfigSchema();
// Case-insensitive; nullptr for a key without a row.
const SettingDef* FindSetting(u16view section, u16view key);
// A key without a row is a programming error: it is reported and the program stops, in
// every build, so that the first test that reaches the call fails.
const SettingDef& RequireSetting(u16view section, u16view key);

// The default gesture list written at first run.
extern const char16_t kDefaultGestureList[];

// The config file's name.
inline constexpr char16_t kConfigFile[] = u"config.ini";

}  // namespace zel
