// The registry values the program reads back (typed addresses, offline switch, engine
// options, save folder ...). Keys are paths such as
// "HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\Main"; the empty value name is
// the key's default value. Missing keys and values are reported as missing.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "base/text.h"

namespace zel {

enum class RegType { String, ExpandString, Dword, Binary };

struct RegValue {
  RegType type = RegType::String;
  u16 text;            // String, ExpandString; Binary as hex digits
  uint32_t dword = 0;  // Dword

  static RegValue Str(u16view s) { return {RegType::String, u16(s), 0}; }
  static RegValue Dw(uint32_t v) { return {RegType::Dword, u16(), v}; }
};

class RegistryPort {
 public:
  virtual ~RegistryPort() = default;
  virtual bool KeyExists(u16view key) = 0;
  virtual std::optional<RegValue> GetValue(u16view key, u16view name) = 0;
  // Creates the key when missing.
  virtual bool SetValue(u16view key, u16view name, const RegValue& value) = 0;
  virtual bool CreateKey(u16view key) = 0;
  // False when the value was not there.
  virtual bool DeleteValue(u16view key, u16view name) = 0;
  virtual bool DeleteKey(u16view key) = 0;
  virtual std::vector<u16> ValueNames(u16view key) = 0;
  // The key afterwards holds exactly these values, in this order: one write for a list.
  virtual bool ReplaceKey(u16view key, const std::vector<std::pair<u16, RegValue>>& values) = 0;
  // Every value of the key with its name, in stored order, from one read.
  virtual std::vector<std::pair<u16, RegValue>> Values(u16view key) = 0;

  // Conveniences
  std::optional<u16> GetString(u16view key, u16view name);
  std::optional<uint32_t> GetDword(u16view key, u16view name);
};

inline constexpr char16_t kHkcuIeMain[] =
    u"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main";
inline constexpr char16_t kHkcuInternetSettings[] =
    u"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
inline constexpr char16_t kHklmFlashCompat[] =
    u"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Internet Explorer\\ActiveX "
    u"Compatibility\\{D27CDB6E-AE6D-11cf-96B8-444553540000}";
inline constexpr char16_t kHkcuTypedUrls[] =
    u"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs";

}  // namespace zel
