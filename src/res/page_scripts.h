// Page scripts kept as .js files under res/js and built into the program.
#pragma once

namespace zel {

extern const char kKillFlyAdJs[];
extern const char kReloadImagesJs[];
// A function (keyword, matchCase, matchWhole, target, mode) returning the match count.
extern const char kFindInPageJs[];

}  // namespace zel
