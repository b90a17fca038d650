// Script elements run in a page: the "<script ...>code</script>" texts of the zoom commands,
// the floating-ad file and the script collector, their language, and the zoom scripts.
#pragma once

#include <optional>

#include "base/text.h"

namespace zel {

inline constexpr char16_t kScriptContentError[] = u"脚本内容错误!";
inline constexpr char16_t kRunScriptError[] = u"运行脚本错误!";

struct ScriptElement {
  u16 code;
  u16 language;  // "javascript", "jscript" or "vbscript"
};

// The first "<" and the first ">" enclose the tag; lower-cased, it names the language:
// "javascript" when that word stands after the tag's first character, else "jscript", else
// "vbscript". The code runs from after ">" to the first "</script>" (any case). Nothing
// when the tag is missing or names no language, or when no "</script>" follows.
std::optional<ScriptElement> ParseScriptElement(u16view text);
// Whether the page engine can run a script of this language (JavaScript only).
bool IsJavaScriptLanguage(u16view language);

// The zoom commands 1116..1122 and their percentages (any other id is 300).
int ZoomPercentOf(int command);
// The fixed-level zoom: the body's CSS zoom set to the percentage.
u16 FixedZoomScript(int percent);
// The relative zooms: an unset zoom counts as 100; zoom in from 19 gives 28, zoom out
// never goes below 8.
u16 ZoomInScript();
u16 ZoomOutScript();

}  // namespace zel
