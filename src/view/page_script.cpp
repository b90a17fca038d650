#include "view/page_script.h"

#include "base/commands.h"

namespace zel {

std::optional<ScriptElement> ParseScriptElement(u16view text) {
  size_t lt = text.find(u'<');
  size_t gt = text.find(u'>');
  if (lt == u16view::npos || gt == u16view::npos || lt >= gt) return std::nullopt;
  u16 tag = ToLower(text.substr(lt, gt - lt + 1));
  ScriptElement s;
  size_t p = tag.find(u"javascript");
  if (p != u16::npos && p > 0)
    s.language = u"javascript";
  else if (tag.find(u"jscript") != u16::npos)
    s.language = u"jscript";
  else if (tag.find(u"vbscript") != u16::npos)
    s.language = u"vbscript";
  else
    return std::nullopt;
  u16view rest = text.substr(gt + 1);
  size_t end = FindNoCase(rest, u"</script>", 1);
  if (end == u16view::npos) return std::nullopt;
  s.code = u16(rest.substr(0, end));
  return s;
}

bool IsJavaScriptLanguage(u16view language) {
  return EqualsNoCase(language, u"javascript") || EqualsNoCase(language, u"jscript");
}

int ZoomPercentOf(int command) {
  static constexpr int kPercents[] = {50, 100, 120, 150, 180, 200, 300};
  if (command < cmd::kZoom50 || command > cmd::kZoom300) return 300;
  return kPercents[command - cmd::kZoom50];
}

u16 FixedZoomScript(int percent) {
  return Format(u"<script language=\"JavaScript\"> document.body.style.zoom=\"%d%%\"; </script>",
                percent);
}

u16 ZoomInScript() {
  return u"<script language=\"JavaScript\">\tvar i = parseInt(document.body.style.zoom);\t"
         u"if(isNaN(i))i=100; if(i<0)i=0; if(i==19)i=18; newZoom=i+10+'%'; "
         u"document.body.style.zoom=newZoom; </script>";
}

u16 ZoomOutScript() {
  return u"<script language=\"JavaScript\">\tvar i = parseInt(document.body.style.zoom);\t"
         u"if(isNaN(i))i=100; if(i<18)i=18; newZoom=i-10+'%'; "
         u"document.body.style.zoom=newZoom; </script>";
}

}  // namespace zel
