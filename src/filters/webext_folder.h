// Where the browser finds the web-process module of the content filter's request hook.
#pragma once

#include <string>

namespace zel {

inline constexpr char kWebExtensionModule[] = "zel-webext.so";

struct WebExtensionPlaces {
  std::string overrideDir;  // ZEL_WEBEXT_DIR; when set, the only place looked at
  std::string exeDir;       // folder of the running executable
  std::string installDir;   // the install's module folder
};

// The first folder holding kWebExtensionModule, in the order: the override (alone, when
// given), "<exeDir>/webext", installDir. "" when none holds it.
std::string FindWebExtensionFolder(const WebExtensionPlaces& places);

}  // namespace zel
