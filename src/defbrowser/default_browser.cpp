#include "defbrowser/default_browser.h"

#include <string_view>
#include <utility>
#include <vector>

#include "settings/config_schema.h"
#include "settings/settings_file.h"

namespace zel {

namespace {

constexpr const char* kTypes[] = {
    "x-scheme-handler/http", "x-scheme-handler/https", "x-scheme-handler/ftp",
    "text/html",             "application/xhtml+xml",  "x-scheme-handler/about",
    "x-scheme-handler/unknown",
};

constexpr std::string_view kExecReserved = " \t\n\"'\\><~|&;$*?#()`";

}  // namespace

std::span<const char* const> BrowserTypes() { return kTypes; }

bool IsDefaultBrowser(AssociationPort& port) {
  return port.DefaultFor(kTypes[0]) == kZelDesktopId;
}

bool ShouldAskForDefault(bool checkdefault, bool desktopSession, bool isDefault) {
  return checkdefault && desktopSession && !isDefault;
}

bool SetDefaultBrowser(bool set, AssociationPort& port, const std::string& launcherPath) {
  if (set) {
    if (!port.HasApplication(kZelDesktopId))
      port.InstallUserEntry(kZelDesktopId, DesktopEntryText(launcherPath));
    std::vector<const char*> toSet;
    SettingsBatch saved(kConfigFile);
    for (const char* type : kTypes) {
      std::string current = port.DefaultFor(type);
      if (current == kZelDesktopId) continue;
      saved.WriteText(kDefBrowserSection, FromUtf8(type), FromUtf8(current));
      toSet.push_back(type);
    }
    if (saved.size() && !saved.Commit()) toSet.clear();
    for (const char* type : toSet) port.SetDefault(type, kZelDesktopId);
  } else {
    const SettingsSnapshot config(kConfigFile);
    for (const char* type : kTypes) {
      if (port.DefaultFor(type) != kZelDesktopId) continue;
      const std::string before =
          ToUtf8(Trim(config.ReadText(kDefBrowserSection, FromUtf8(type), u"", 1024)));
      if (before.empty() || before == kZelDesktopId || !port.SetDefault(type, before))
        port.RemoveAssociation(type);
    }
  }
  return IsDefaultBrowser(port);
}

std::string DesktopExecWord(const std::string& path) {
  std::string word;
  const bool quote = path.empty() || path.find_first_of(kExecReserved) != std::string::npos;
  if (quote) word += '"';
  for (char c : path) {
    if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) word += '\\';
    if (c == '%') word += '%';
    word += c;
  }
  if (quote) word += '"';
  // The key file's own escapes come on top.
  std::string out;
  for (char c : word) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

std::string DesktopEntryText(const std::string& launcherPath) {
  std::string types;
  for (const char* t : kTypes) types += std::string(t) + ";";
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Version=1.0\n"
         "Name=Zel Browser\n"
         "Name[zh_CN]=Zel浏览器\n"
         "GenericName=Web Browser\n"
         "GenericName[zh_CN]=网页浏览器\n"
         "Comment=Browse the web in tabs\n"
         "Comment[zh_CN]=多标签网页浏览器\n"
         "Exec=" + DesktopExecWord(launcherPath) + " %U\n"
         "Icon=zel\n"
         "Terminal=false\n"
         "StartupNotify=true\n"
         "Categories=Network;WebBrowser;GTK;\n"
         "MimeType=" + types + "\n";
}

}  // namespace zel
