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

namespace {

bool EnsureFolderOf(const std::string& path) {
  std::string dir = DirName(path);
  return dir.empty() || CreateFolderLevels(dir);
}

u16 Cut(u16 value, size_t n) {
  if (value.size() > n - 1) value.resize(n - 1);
  return value;
}

}  // namespace

u16 SettingsFile::ReadText(u16view key, u16view def, size_t n) {
  if (n == 0) return u16();
  return SettingsSnapshot(SettingsSnapshot::ResolvedPath{path_}).ReadText(section_, key, def, n);
}

int SettingsFile::ReadInt(u16view key, int def) {
  return ToInt(ReadText(key, IntToText(def), 16));
}

bool SettingsFile::WriteText(u16view key, u16view value) {
  SettingsBatch batch(SettingsBatch::ResolvedPath{path_});
  batch.WriteText(section_, key, value);
  return batch.Commit();
}

bool SettingsFile::WriteInt(u16view key, int value) { return WriteText(key, IntToText(value)); }

bool SettingsFile::DeleteKey(u16view key) {
  if (path_.empty() || !EnsureFolderOf(path_)) return false;
  auto doc = IniDocument::Load(path_);
  if (!doc) return false;
  if (!doc->Remove(section_, key)) return true;
  return doc->Save(path_);
}

SettingsSnapshot::SettingsSnapshot(u16view fileName)
    : SettingsSnapshot(ResolvedPath{SettingsFile::ResolvePath(fileName)}) {}

SettingsSnapshot::SettingsSnapshot(ResolvedPath p) {
  if (!p.path.empty() && EnsureFolderOf(p.path)) doc_ = IniDocument::Load(p.path);
}

u16 SettingsSnapshot::ReadText(u16view section, u16view key, u16view def, size_t n) const {
  if (n == 0) return u16();
  std::optional<u16> v;
  if (doc_) v = doc_->Get(section, key);
  return Cut(v ? std::move(*v) : u16(def), n);
}

int SettingsSnapshot::ReadInt(u16view section, u16view key, int def) const {
  return ToInt(ReadText(section, key, IntToText(def), 16));
}

std::vector<std::pair<u16, u16>> SettingsSnapshot::Entries(u16view section) const {
  if (!doc_) return {};
  return doc_->Entries(section);
}

SettingsBatch::SettingsBatch(u16view fileName) : path_(SettingsFile::ResolvePath(fileName)) {}

void SettingsBatch::WriteText(u16view section, u16view key, u16view value) {
  changes_.push_back({u16(section), u16(key), u16(value)});
}

void SettingsBatch::WriteInt(u16view section, u16view key, int value) {
  WriteText(section, key, IntToText(value));
}

void SettingsBatch::DeleteKey(u16view section, u16view key) {
  changes_.push_back({u16(section), u16(key), std::nullopt});
}

bool SettingsBatch::Commit() {
  if (changes_.empty()) return true;
  std::vector<IniDocument::Change> changes = std::move(changes_);
  changes_.clear();
  if (path_.empty() || !EnsureFolderOf(path_)) return false;
  auto doc = IniDocument::Load(path_);
  if (!doc) return false;
  // Rewriting a file with what it already holds costs a flush to disk for nothing.
  if (!doc->Apply(changes) && FileExists(path_)) return true;
  return doc->Save(path_);
}

}  // namespace zel
