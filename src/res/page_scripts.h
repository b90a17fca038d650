// Page scripts kept as .js files under res/js and built into the program.
#pragma once

namespace zel {

extern const char kKillFlyAdJs[];
extern const char kReloadImagesJs[];
// A function (keyword, matchCase, matchWhole, target, mode) returning the match count.
extern const char kFindInPageJs[];
// A function (applier) over the page's form fields: their report, or the applier's answer.
extern const char kFormFieldsJs[];
// A function (plan) returning the applier of a fill plan for kFormFieldsJs.
extern const char kFormApplyJs[];

}  // namespace zel
