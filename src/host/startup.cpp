#include "host/startup.h"

#include <unistd.h>

#include "base/files.h"
#include "platform/install_layout.h"
#include "settings/url_shortcut.h"

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

u16 ResolveCommandLineTarget(u16view target, const std::string& cwd) {
  if (target.empty()) return u16();
  if (IsShortcutTarget(target)) return ResolveShortcut(target);
  std::string t = ToUtf8(target);
  if (t[0] == '/' || t[0] == '~' || cwd.empty() || t.find("://") != std::string::npos)
    return u16(target);
  std::string path = JoinPath(cwd, t);
  if (FileExists(path) || DirExists(path)) return FromUtf8(path);
  return u16(target);
}

std::string CurrentFolder() {
  char cwd[4096];
  return ::getcwd(cwd, sizeof cwd) ? std::string(cwd) : std::string();
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

bool ExeFolderTakesProfile(const std::string& exeDir) {
  return !exeDir.empty() && ::access(exeDir.c_str(), W_OK) == 0 &&
         InstalledDataFolder(exeDir).empty();
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

}  // namespace zel
