#include "fakes/temp_dir.h"

#include "settings/settings_file.h"

namespace zel::test {

ScratchProfile::ScratchProfile() { SettingsFile::SetLocation(dir_.path() + "/", "profile/Defaults"); }

}  // namespace zel::test
