#include "settings/url_shortcut.h"

#include <unistd.h>

#include "base/files.h"
#include "settings/settings_file.h"

namespace zel {

bool IsShortcutTarget(u16view target) {
  return target.size() >= 4 && EndsWithNoCase(target, u".url");
}

u16 ResolveShortcut(u16view path) {
  std::string p = ToUtf8(path);
  if (p.empty()) return u16();
  if (p[0] != '/') {
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd)) p = JoinPath(cwd, p);
  }
  if (!FileExists(p)) return u16();
  SettingsFile f(FromUtf8(p), u"InternetShortcut");
  return f.ReadText(u"URL", u"", 2048);
}

u16 ResolveTarget(u16view target) {
  return IsShortcutTarget(target) ? ResolveShortcut(target) : u16(target);
}

}  // namespace zel
