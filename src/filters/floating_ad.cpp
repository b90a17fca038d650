#include "filters/floating_ad.h"

#include "res/page_scripts.h"

namespace zel {

u16 BuiltinFloatingAdScript() { return FromUtf8(kKillFlyAdJs); }

bool IsJavaScriptLanguage(u16view language) {
  return EqualsNoCase(language, u"javascript") || EqualsNoCase(language, u"jscript");
}

bool LoadFloatingAdScript(const std::optional<u16>& fileText, PageScript& script) {
  if (!fileText || fileText->size() <= 39) {
    script.text = BuiltinFloatingAdScript();
    script.language = u"JavaScript";
    return true;
  }
  const u16& file = *fileText;
  script.text = file;
  size_t lt = file.find(u'<');
  size_t gt = file.find(u'>');
  if (lt == u16::npos || gt == u16::npos || lt >= gt) return false;
  u16 tag = ToLower(u16view(file).substr(lt, gt - lt + 1));
  u16 language;
  size_t p;
  if ((p = tag.find(u"javascript")) != u16::npos && p > 0)
    language = u"javascript";
  else if (tag.find(u"jscript") != u16::npos)
    language = u"jscript";
  else if (tag.find(u"vbscript") != u16::npos)
    language = u"vbscript";
  else
    return false;
  u16 rest = file.substr(gt + 1);
  size_t end = FindNoCase(rest, u"</script>", 1);
  if (end == u16::npos) return false;
  script.language = language;
  script.text = rest.substr(0, end);
  return true;
}

}  // namespace zel
