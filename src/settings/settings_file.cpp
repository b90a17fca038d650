#include "settings/settings_file.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "base/ini_document.h"
#include "base/files.h"

namespace zel {

namespace {
std::string g_base;
std::string g_profileSub;
}  // namespace

void SettingsFile::SetLocation(const std::string& baseFolder, const std::string& profileSub) {
  g_base = baseFolder;
  g_profileSub = profileSub;
}
const std::string& SettingsFile::BaseFolder() { return g_base; }
const std::string& SettingsFile::ProfileSub() { return g_profileSub; }

std::string SettingsFile::ResolvePath(u16view fileName) {
  std::string name = ToUtf8(fileName);
  if (!name.empty() && name[0] == '/') return name;
  if (!g_profileSub.empty()) return JoinPath(JoinPath(g_base, g_profileSub), name);
  return g_base + name;
}

void SettingsFile::Open(u16view fileName, u16view section) {
  path_ = ResolvePath(fileName);
  section_ = u16(section);
}

bool SettingsFile::EnsureFolder() const {
  std::string dir = DirName(path_);
  return dir.empty() || CreateFolderLevels(dir);
}

u16 SettingsFile::ReadText(u16view key, u16view def, size_t n) {
  if (n == 0) return u16();
  u16 value(def);
  if (EnsureFolder()) {
    if (auto doc = IniDocument::Load(path_))
      if (auto v = doc->Get(section_, key)) value = *v;
  }
  if (value.size() > n - 1) value.resize(n - 1);
  return value;
}

int SettingsFile::ReadInt(u16view key, int def) {
  return ToInt(ReadText(key, IntToText(def), 16));
}

bool SettingsFile::WriteText(u16view key, u16view value) {
  if (path_.empty() || !EnsureFolder()) return false;
  auto doc = IniDocument::Load(path_);
  if (!doc) return false;
  doc->Set(section_, key, value);
  return WriteFileAtomic(path_, doc->Serialize());
}

bool SettingsFile::WriteInt(u16view key, int value) { return WriteText(key, IntToText(value)); }

bool SettingsFile::DeleteKey(u16view key) {
  if (path_.empty() || !EnsureFolder()) return false;
  auto doc = IniDocument::Load(path_);
  if (!doc) return false;
  if (!doc->Remove(section_, key)) return true;
  return WriteFileAtomic(path_, doc->Serialize());
}

}  // namespace zel
