// The floating-ad script: the built-in one, or the one in Resource/KillFlyAd.htm.
#pragma once

#include <optional>

#include "base/text.h"
#include "view/page_script.h"

namespace zel {

struct PageScript {
  u16 text;
  u16 language;
};

// Fills script from the file's text (read as raw UTF-16LE; nullopt when missing). A file of
// 39 characters or fewer gives the built-in script. Returns false when the file's script
// is damaged ("脚本内容错误!"): the language then keeps its previous value and the text is
// the file's text.
bool LoadFloatingAdScript(const std::optional<u16>& fileText, PageScript& script);
u16 BuiltinFloatingAdScript();

}  // namespace zel
