// Where an installed program finds what it reads but never writes. Installed, the
// executables are in <prefix>/bin; the resources (skins ...) in <datadir>/zel and the
// web-process module in <libdir>/zel/webext, both found from the executable's folder, so
// an installed tree works wherever it was unpacked. The build sets the relative paths.
#pragma once

#include <string>

namespace zel {

// "<exeDir>/<the relative data folder>/" when that folder exists (the program runs from
// an install), else "".
std::string InstalledDataFolder(const std::string& exeDir);
// The install's folder of the web-process module, "<exeDir>/<relative libdir>/zel/webext".
std::string InstalledWebExtFolder(const std::string& exeDir);

}  // namespace zel
