// The registry emulated in one INI file of the profile folder: each section is a key path,
// each entry a value whose text starts with its type ("sz:", "expand_sz:", "dword:",
// "hex:"). The key's default value is stored under the name "@". Line breaks and
// backslashes in texts are escaped so a value never spills into other lines.
#pragma once

#include <string>

#include "platform/registry_port.h"

namespace zel {

class IniRegistry : public RegistryPort {
 public:
  explicit IniRegistry(std::string path) : path_(std::move(path)) {}

  bool KeyExists(u16view key) override;
  std::optional<RegValue> GetValue(u16view key, u16view name) override;
  bool SetValue(u16view key, u16view name, const RegValue& value) override;
  bool CreateKey(u16view key) override;
  bool DeleteValue(u16view key, u16view name) override;
  bool DeleteKey(u16view key) override;
  std::vector<u16> ValueNames(u16view key) override;
  bool ReplaceKey(u16view key, const std::vector<std::pair<u16, RegValue>>& values) override;
  std::vector<std::pair<u16, RegValue>> Values(u16view key) override;

  const std::string& path() const { return path_; }

  static u16 Encode(const RegValue& v);
  static std::optional<RegValue> Decode(u16view text);

 private:
  std::string path_;
};

}  // namespace zel
