// Loading the filter lists from blockage.ini through the settings store. Kept apart from
// filter_lists.cpp so the list logic builds and tests without the INI accessor.
#include "settings/settings_file.h"
#include "filters/filter_lists.h"

namespace zel {

void FilterLists::LoadFilterLists() {
  // blockage.ini sits in the profile folder like config.ini; a missing file reads as four
  // empty lists. Values are read into a 260-unit buffer, so 259 characters at most.
  // One read of the file for every entry.
  SettingsSnapshot file(u"blockage.ini");
  FilterListsReader reader;
  reader.readInt = [&file](u16view section, u16view key, int def) {
    return file.ReadInt(section, key, def);
  };
  reader.readText = [&file](u16view section, u16view key) {
    return file.ReadText(section, key, u"", kMaxEntryLength + 1);
  };
  Load(reader);
}

}  // namespace zel
