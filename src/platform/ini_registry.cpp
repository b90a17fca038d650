#include "platform/ini_registry.h"

#include <mutex>
#include <optional>

#include "base/ini_document.h"
#include "base/files.h"

namespace zel {

namespace {

// A registry file that exists but cannot be read shows no values and refuses writes.
IniDocument Load(const std::string& path) { return IniDocument::Load(path).value_or(IniDocument()); }

// A change reads the file, changes it and writes it again: one change at a time in the
// process, or a change made on another thread (an import's) in between would be lost.
std::mutex& ChangeLock() {
  static std::mutex lock;
  return lock;
}

bool Save(const std::string& path, const IniDocument& doc) {
  std::string dir = DirName(path);
  if (!dir.empty() && !CreateFolderLevels(dir)) return false;
  return doc.Save(path);
}

u16 NameOf(u16view name) { return name.empty() ? u16(u"@") : u16(name); }

u16 Escape(u16view s) {
  u16 out;
  for (char16_t c : s) {
    if (c == u'\\') out += u"\\\\";
    else if (c == u'\r') out += u"\\r";
    else if (c == u'\n') out += u"\\n";
    else out += c;
  }
  return out;
}

u16 Unescape(u16view s) {
  u16 out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'\\' && i + 1 < s.size()) {
      char16_t n = s[++i];
      out += n == u'r' ? u'\r' : n == u'n' ? u'\n' : n;
    } else {
      out += s[i];
    }
  }
  return out;
}

}  // namespace

std::optional<uint32_t> RegistryPort::GetDword(u16view key, u16view name) {
  auto v = GetValue(key, name);
  if (!v || v->type != RegType::Dword) return std::nullopt;
  return v->dword;
}

std::optional<u16> RegistryPort::GetString(u16view key, u16view name) {
  auto v = GetValue(key, name);
  if (!v || (v->type != RegType::String && v->type != RegType::ExpandString)) return std::nullopt;
  return v->text;
}

u16 IniRegistry::Encode(const RegValue& v) {
  switch (v.type) {
    case RegType::String:
      // Quotes keep leading and trailing spaces through the INI reader.
      return u"sz:\"" + Escape(v.text) + u"\"";
    case RegType::ExpandString:
      return u"expand_sz:\"" + Escape(v.text) + u"\"";
    case RegType::Dword:
      return u"dword:" + IntToText(v.dword);
    case RegType::Binary:
      return u"hex:" + v.text;
  }
  return u16();
}

std::optional<RegValue> IniRegistry::Decode(u16view t) {
  auto unquote = [](u16view s) {
    if (s.size() >= 2 && s.front() == u'"' && s.back() == u'"') s = s.substr(1, s.size() - 2);
    return Unescape(s);
  };
  RegValue v;
  if (StartsWith(t, u"sz:")) {
    v.type = RegType::String;
    v.text = unquote(t.substr(3));
  } else if (StartsWith(t, u"expand_sz:")) {
    v.type = RegType::ExpandString;
    v.text = unquote(t.substr(10));
  } else if (StartsWith(t, u"dword:")) {
    v.type = RegType::Dword;
    long long n = 0;
    for (char16_t c : t.substr(6)) {
      if (c < u'0' || c > u'9') return std::nullopt;
      n = n * 10 + (c - u'0');
      if (n > 0xFFFFFFFFLL) return std::nullopt;
    }
    v.dword = uint32_t(n);
  } else if (StartsWith(t, u"hex:")) {
    v.type = RegType::Binary;
    v.text = u16(t.substr(4));
  } else {
    return std::nullopt;
  }
  return v;
}

bool IniRegistry::KeyExists(u16view key) { return Load(path_).HasSection(key); }

std::optional<RegValue> IniRegistry::GetValue(u16view key, u16view name) {
  IniDocument doc = Load(path_);
  auto raw = doc.Get(key, NameOf(name));
  if (!raw) return std::nullopt;
  return Decode(*raw);
}

bool IniRegistry::SetValue(u16view key, u16view name, const RegValue& value) {
  std::lock_guard<std::mutex> changing(ChangeLock());
  auto loaded = IniDocument::Load(path_);
  if (!loaded) return false;
  IniDocument& doc = *loaded;
  doc.Set(key, NameOf(name), Encode(value));
  return Save(path_, doc);
}

bool IniRegistry::CreateKey(u16view key) {
  std::lock_guard<std::mutex> changing(ChangeLock());
  auto loaded = IniDocument::Load(path_);
  if (!loaded) return false;
  IniDocument& doc = *loaded;
  if (doc.HasSection(key)) return true;
  // A key with no values yet: a header with no entries.
  doc.Set(key, u"@", u"");
  doc.Remove(key, u"@");
  return Save(path_, doc);
}

bool IniRegistry::DeleteValue(u16view key, u16view name) {
  std::lock_guard<std::mutex> changing(ChangeLock());
  auto loaded = IniDocument::Load(path_);
  if (!loaded) return false;
  IniDocument& doc = *loaded;
  if (!doc.Remove(key, NameOf(name))) return false;
  return Save(path_, doc);
}

bool IniRegistry::DeleteKey(u16view key) {
  std::lock_guard<std::mutex> changing(ChangeLock());
  auto loaded = IniDocument::Load(path_);
  if (!loaded) return false;
  IniDocument& doc = *loaded;
  if (!doc.HasSection(key)) return false;
  doc.RemoveSection(key);
  return Save(path_, doc);
}

std::vector<u16> IniRegistry::ValueNames(u16view key) {
  std::vector<u16> names;
  for (auto& k : Load(path_).Keys(key)) names.push_back(k == u"@" ? u16() : k);
  return names;
}

bool IniRegistry::ReplaceKey(u16view key,
                             const std::vector<std::pair<u16, RegValue>>& values) {
  std::lock_guard<std::mutex> changing(ChangeLock());
  auto loaded = IniDocument::Load(path_);
  if (!loaded) return false;
  IniDocument& doc = *loaded;
  doc.RemoveSection(key);
  if (values.empty()) {
    doc.Set(key, u"@", u"");
    doc.Remove(key, u"@");
  } else {
    std::vector<IniDocument::Change> changes;
    changes.reserve(values.size());
    for (const auto& [name, value] : values)
      changes.push_back({u16(key), NameOf(name), Encode(value)});
    doc.Apply(changes);
  }
  return Save(path_, doc);
}

std::vector<std::pair<u16, RegValue>> IniRegistry::Values(u16view key) {
  std::vector<std::pair<u16, RegValue>> out;
  for (auto& [name, raw] : Load(path_).Entries(key)) {
    auto v = Decode(raw);
    if (v) out.emplace_back(name == u"@" ? u16() : name, std::move(*v));
  }
  return out;
}

}  // namespace zel
