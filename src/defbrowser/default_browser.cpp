#include "defbrowser/default_browser.h"

#include <cstdio>
#include <string_view>
#include <utility>
#include <vector>

#include "base/files.h"
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

// What the desktop's files were before the first set, so that unset leaves them as they
// were: the choices file's bytes (in the profile, beside config.ini), and whether the
// desktop entry (and its folder) were written for Zel.
constexpr char16_t kChoicesKey[] = u"choices";        // "file", "none"; absent: not kept
constexpr char16_t kEntryKey[] = u"entry";            // "written", "folder" (folder made too)
constexpr char16_t kChoicesBefore[] = u"defbrowser-before.list";
constexpr char16_t kChoicesAfter[] = u"defbrowser-after.list";

std::string KeptFile(const char16_t* name) { return SettingsFile::ResolvePath(name); }

// After a set that changed the desktop's files: what they hold now, for unset to see
// whether anybody changed them since.
void KeepChoicesAfter(AssociationPort& port) {
  if (auto now = port.ChoicesFile()) WriteFileAtomic(KeptFile(kChoicesAfter), *now);
}

// Unset: the choices file goes back to its bytes before the first set, when nobody has
// changed it since Zel's own set. True when it was put back.
bool RestoreKeptChoices(AssociationPort& port, const SettingsSnapshot& config) {
  const u16 kept = config.ReadText(kDefBrowserSection, kChoicesKey, u"", 16);
  if (kept != u"file" && kept != u"none") return false;
  auto after = ReadFileBytes(KeptFile(kChoicesAfter));
  if (!after || port.ChoicesFile() != after) return false;
  std::optional<std::string> before;
  if (kept == u"file") {
    before = ReadFileBytes(KeptFile(kChoicesBefore));
    if (!before) return false;
  }
  return port.RestoreChoicesFile(before);
}

}  // namespace

std::span<const char* const> BrowserTypes() { return kTypes; }

bool IsDefaultBrowser(AssociationPort& port) {
  return port.DefaultFor(kTypes[0]) == kZelDesktopId;
}

bool ShouldAskForDefault(bool checkdefault, bool desktopSession, bool isDefault) {
  return checkdefault && desktopSession && !isDefault;
}

namespace {
// After unset: the desktop entry written for Zel goes (with its folder when that was made
// for it), and nothing kept of the files before is left.
void Forget(AssociationPort& port, const u16& entry) {
  if (entry == u"written" || entry == u"folder") port.RemoveUserEntry(kZelDesktopId, entry == u"folder");
  SettingsBatch saved(kConfigFile);
  saved.DeleteKey(kDefBrowserSection, kChoicesKey);
  saved.DeleteKey(kDefBrowserSection, kEntryKey);
  saved.Commit();
  std::remove(KeptFile(kChoicesBefore).c_str());
  std::remove(KeptFile(kChoicesAfter).c_str());
}
}  // namespace

bool SetDefaultBrowser(bool set, AssociationPort& port, const std::string& launcherPath) {
  if (set) {
    const SettingsSnapshot config(kConfigFile);
    SettingsBatch saved(kConfigFile);
    const bool firstSet = config.ReadText(kDefBrowserSection, kChoicesKey, u"", 16).empty();
    if (firstSet) {
      auto before = port.ChoicesFile();
      if (!before || WriteFileAtomic(KeptFile(kChoicesBefore), *before))
        saved.WriteText(kDefBrowserSection, kChoicesKey, before ? u"file" : u"none");
    }
    if (!port.HasApplication(kZelDesktopId)) {
      const bool folder = port.UserEntryFolderExists();
      if (port.InstallUserEntry(kZelDesktopId, DesktopEntryText(launcherPath)) &&
          config.ReadText(kDefBrowserSection, kEntryKey, u"", 16).empty())
        saved.WriteText(kDefBrowserSection, kEntryKey, folder ? u"written" : u"folder");
    }
    std::vector<const char*> toSet;
    for (const char* type : kTypes) {
      std::string current = port.DefaultFor(type);
      if (current == kZelDesktopId) continue;
      saved.WriteText(kDefBrowserSection, FromUtf8(type), FromUtf8(current));
      toSet.push_back(type);
    }
    if (saved.size() && !saved.Commit()) toSet.clear();
    for (const char* type : toSet) port.SetDefault(type, kZelDesktopId);
    if (!toSet.empty()) KeepChoicesAfter(port);
  } else {
    const SettingsSnapshot config(kConfigFile);
    const u16 entry = config.ReadText(kDefBrowserSection, kEntryKey, u"", 16);
    if (RestoreKeptChoices(port, config)) {
      Forget(port, entry);
      return IsDefaultBrowser(port);
    }
    for (const char* type : kTypes) {
      if (port.DefaultFor(type) != kZelDesktopId) continue;
      const std::string before =
          ToUtf8(Trim(config.ReadText(kDefBrowserSection, FromUtf8(type), u"", 1024)));
      if (before.empty() || before == kZelDesktopId || !port.SetDefault(type, before))
        port.RemoveAssociation(type);
    }
    Forget(port, entry);
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
