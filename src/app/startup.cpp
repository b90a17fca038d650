#include "app/startup.h"

#include <unistd.h>

#include "app/settings_file.h"
#include "base/files.h"

namespace zel {

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine cl;
  bool haveTarget = false;
  for (const auto& a : args) {
    if (a.size() > 1 && (a[0] == '-' || a[0] == '/')) {
      u16 name = FromUtf8(a.substr(1));
      if (EqualsNoCase(name, u"Embedding") || EqualsNoCase(name, u"Automation")) {
        cl.embedding = true;
        continue;
      }
    }
    if (!haveTarget) {
      cl.target = FromUtf8(a);
      haveTarget = true;
    }
  }
  return cl;
}

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

std::string ChooseProgramFolder(const std::string& exeDir, bool exeDirWritable,
                                const char* zelHome, const char* xdgDataHome, const char* home) {
  auto slash = [](std::string s) {
    if (s.empty() || s.back() != '/') s += '/';
    return s;
  };
  if (zelHome && *zelHome) return slash(zelHome);
  if (exeDirWritable && !exeDir.empty()) return slash(exeDir);
  if (xdgDataHome && *xdgDataHome) return slash(JoinPath(xdgDataHome, "zel"));
  return slash(JoinPath(JoinPath(home && *home ? home : "/tmp", ".local/share"), "zel"));
}

InstanceDecision DecideInstance(bool hasTarget, bool second, bool frameFound) {
  if (hasTarget) {
    if (!second) return InstanceDecision::Continue;
    return frameFound ? InstanceDecision::HandOff : InstanceDecision::Exit;
  }
  if (!second || !frameFound) return InstanceDecision::Continue;
  return InstanceDecision::Raise;
}

Placement ComputePlacement(int top, int left, int width, int height, bool zoomed, int screenW,
                           int screenH) {
  if (width > screenW) {
    width = screenW / 2;
    left = 0;
  }
  if (height > screenH) {
    height = screenH / 2;
    top = 0;
  }
  if (left < 0) left = 0;
  if (top < 0) top = 0;
  Placement p;
  p.apply = width != 0 && top < 2000;
  p.x = left;
  p.y = top;
  p.width = width;
  p.height = height;
  p.maximized = zoomed;
  return p;
}

std::string EncodeShareText(u16view text) {
  const size_t maxUnits = kShareBytes / 2 - 1;
  size_t n = std::min(text.size(), maxUnits);
  if (n > 0 && n < text.size() && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
  std::string block(kShareBytes, '\0');
  for (size_t i = 0; i < n; ++i) {
    block[2 * i] = char(text[i] & 0xFF);
    block[2 * i + 1] = char(text[i] >> 8);
  }
  return block;
}

u16 DecodeShareText(const char* block, size_t bytes) {
  u16 out;
  for (size_t i = 0; i + 1 < bytes; i += 2) {
    char16_t c = char16_t((unsigned char)block[i] | ((unsigned char)block[i + 1] << 8));
    if (c == 0) break;
    out += c;
  }
  return out;
}

}  // namespace zel
