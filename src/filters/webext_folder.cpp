#include "filters/webext_folder.h"

#include "base/files.h"

namespace zel {

namespace {

bool HoldsModule(const std::string& dir) {
  return !dir.empty() && FileExists(JoinPath(dir, kWebExtensionModule));
}

}  // namespace

std::string FindWebExtensionFolder(const WebExtensionPlaces& places) {
  // An explicit folder is taken at its word: falling back elsewhere would hide a mistake.
  if (!places.overrideDir.empty())
    return HoldsModule(places.overrideDir) ? places.overrideDir : std::string();
  if (!places.exeDir.empty()) {
    std::string beside = JoinPath(places.exeDir, "webext");
    if (HoldsModule(beside)) return beside;
  }
  if (HoldsModule(places.installDir)) return places.installDir;
  return std::string();
}

}  // namespace zel
