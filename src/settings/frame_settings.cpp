#include "settings/frame_settings.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "settings/config_schema.h"
#include "settings/settings_file.h"
#include "base/files.h"

namespace zel {

namespace {

// Every text setting is read with this limit: 259 characters at most.
constexpr size_t kTextLimit = 260;

// Reads one row into its field. rowAbsent stands in for a row without an absent value
// (GENERAL/ctlpro: the engine's flags).
void LoadRow(const SettingDef& d, const SettingsSnapshot& f, FrameSettings& s, int rowAbsent) {
  if (d.type == SettingType::Text)
    d.field.SetText(s, f.ReadText(d.section, d.key, d.absent ? d.absent : u"", kTextLimit));
  else
    d.field.SetInt(s, f.ReadInt(d.section, d.key, d.absent ? ToInt(d.absent) : rowAbsent));
}

// The rows of one load point, in table order (of rows binding the same field, the later
// wins), from one read of the file.
void LoadAt(LoadPoint point, FrameSettings& s, int rowAbsent) {
  SettingsSnapshot f(kConfigFile);
  for (const SettingDef& d : ConfigSchema())
    if (d.load == point && d.field.bound()) LoadRow(d, f, s, rowAbsent);
}

// The rows of one save point, in their save order, with one rewrite of the file.
void SaveAt(SavePoint point, const FrameSettings& s) {
  std::vector<const SettingDef*> rows;
  for (const SettingDef& d : ConfigSchema())
    if (d.save == point) rows.push_back(&d);
  std::sort(rows.begin(), rows.end(),
            [](const SettingDef* a, const SettingDef* b) { return a->saveOrder < b->saveOrder; });
  SettingsBatch f(kConfigFile);
  for (const SettingDef* d : rows) {
    if (d->type == SettingType::Text)
      f.WriteText(d->section, d->key, d->field.GetText(s));
    else
      f.WriteInt(d->section, d->key, d->field.GetInt(s));
  }
  f.Commit();
}

// How the last run ended, read before this run marked itself running (PrepareConfigFile).
std::optional<bool> lastRunEndedNormally;

void ApplyStartModeRule(FrameSettings& s) {
  s.startmode = EffectiveStartMode(s.storedStartmode, s.normalquit);
}

}  // namespace

FrameSettings::FrameSettings() {
  for (const SettingDef& d : ConfigSchema()) {
    if (!d.field.bound() || !d.absent) continue;  // ctlpro and style keep their 0
    if (d.type == SettingType::Text)
      d.field.SetText(*this, d.absent);
    else
      d.field.SetInt(*this, ToInt(d.absent));
  }
  ApplyStartModeRule(*this);
}

int EffectiveStartMode(int storedStartmode, bool normalquit) {
  return normalquit ? storedStartmode : 2;
}

bool PrepareConfigFile(RunMark mark) {
  std::string path = SettingsFile::ResolvePath(kConfigFile);
  const SettingDef& quitRow = RequireSetting(u"GENERAL", u"normalquit");
  const bool exists = FileExists(path);
  if (exists) MakeWritable(path);
  lastRunEndedNormally.reset();
  if (mark == RunMark::MarkRunning) {
    lastRunEndedNormally =
        !exists || SettingsSnapshot(kConfigFile).ReadInt(u"GENERAL", u"normalquit",
                                                         ToInt(quitRow.absent)) != 0;
  }
  SettingsBatch f(kConfigFile);
  if (exists) {
    f.WriteInt(u"GENERAL", u"firstrun", 0);
  } else {
    for (const auto& d : ConfigSchema())
      if (d.created) f.WriteText(d.section, d.key, d.created);
  }
  if (mark == RunMark::MarkRunning) f.WriteInt(u"GENERAL", u"normalquit", 0);
  f.Commit();
  return !exists;
}

int ReadConfigInt(u16view section, u16view key) {
  const SettingDef& d = RequireSetting(section, key);
  return SettingsFile(kConfigFile, section).ReadInt(key, d.absent ? ToInt(d.absent) : 0);
}

u16 ReadConfigText(u16view section, u16view key) {
  const SettingDef& d = RequireSetting(section, key);
  return SettingsFile(kConfigFile, section).ReadText(key, d.absent ? d.absent : u"", kTextLimit);
}

void WriteConfigInt(u16view section, u16view key, int value) {
  RequireSetting(section, key);
  SettingsFile(kConfigFile, section).WriteInt(key, value);
}

void LoadEarlySettings(FrameSettings& s, int engineFlags) {
  s.layoutFileAtStart.reset();  // read again by the first of its owners
  LoadAt(LoadPoint::Early, s, engineFlags);
  // This run has marked itself running already: the rule goes by how the last one ended.
  if (lastRunEndedNormally) s.normalquit = *lastRunEndedNormally;
  ApplyStartModeRule(s);
}

void LoadFrameCreationSettings(FrameSettings& s) { LoadAt(LoadPoint::Frame, s, 0); }

void LoadLateSettings(FrameSettings& s) {
  LoadAt(LoadPoint::Late, s, 0);
  // The one special case: HOTKEYSET/count says how many "F_%d" texts (F_2 ... F_13 at
  // most) there are; they have no rows of their own.
  const SettingDef& countRow = RequireSetting(u"HOTKEYSET", u"count");
  SettingsSnapshot h(kConfigFile);
  int count = h.ReadInt(u"HOTKEYSET", u"count", countRow.absent ? ToInt(countRow.absent) : 0);
  s.functionKeyTexts.clear();
  for (int i = 2; i <= count + 1 && i <= 13; ++i)
    s.functionKeyTexts.push_back(h.ReadText(u"HOTKEYSET", Format(u"F_%d", i), u"", kTextLimit));
}

void SaveExitSettingsBeforeSearchWords(const FrameSettings& s) {
  SaveAt(SavePoint::ExitBeforeSearchWords, s);
}

void SaveExitSettingsAfterSearchWords(const FrameSettings& s) {
  SaveAt(SavePoint::ExitAfterSearchWords, s);
}

void SaveWindowPlacement(const WindowPlacement& p) {
  SettingsBatch f(kConfigFile);
  auto put = [&f](u16view key, int value) {
    RequireSetting(u"GENERAL", key);
    f.WriteInt(u"GENERAL", key, value);
  };
  if (p.maximized) {
    put(u"zoomed", 1);
  } else if (p.writeRect) {
    put(u"zoomed", 0);
    put(u"top", p.y);
    put(u"left", p.x);
    put(u"width", p.width);
    put(u"height", p.height);
  }
  f.Commit();
}

}  // namespace zel
