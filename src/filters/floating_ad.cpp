#include "filters/floating_ad.h"

#include "res/page_scripts.h"

namespace zel {

u16 BuiltinFloatingAdScript() { return FromUtf8(kKillFlyAdJs); }

bool LoadFloatingAdScript(const std::optional<u16>& fileText, PageScript& script) {
  if (!fileText || fileText->size() <= 39) {
    script.text = BuiltinFloatingAdScript();
    script.language = u"JavaScript";
    return true;
  }
  script.text = *fileText;
  auto element = ParseScriptElement(*fileText);
  if (!element) return false;
  script.language = element->language;
  script.text = element->code;
  return true;
}

}  // namespace zel
