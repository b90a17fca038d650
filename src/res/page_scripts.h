// Page scripts kept as .js files under res/js and built into the program.
#pragma once

namespace zel {

extern const char kKillFlyAdJs[];
extern const char kReloadImagesJs[];

}  // namespace zel
