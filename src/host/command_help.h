// What `zel --help` and `zel --version` print. Both are answered by the launcher before
// anything else: no display, no profile, no running browser is touched.
#pragma once

#include <string>
#include <vector>

namespace zel {

enum class InfoRequest { None, Help, Version };

// "--help", "-h", "--version" and "-v" as the first argument. Later arguments never count:
// after an address, "--help" is the address's business.
InfoRequest InfoRequestOf(const std::vector<std::string>& args);

// The text printed for the request (UTF-8, ends with a newline). `version` is the
// program's version, e.g. "0.1.0".
std::string InfoText(InfoRequest request, const std::string& version);

}  // namespace zel
