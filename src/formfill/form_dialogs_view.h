// The form filler's dialogs as the controller sees them (GTK: formfill/gtk/).
#pragma once

#include <optional>

#include "base/text.h"

namespace zel {

class FormManager;

inline constexpr char16_t kPasswordCaption[] = u"输入密码";   // 174
inline constexpr char16_t kPasswordLabel[] = u"请输入密码";
inline constexpr char16_t kRememberPassword[] = u"记住密码";

class FormDialogsView {
 public:
  virtual ~FormDialogsView() = default;
  // "输入密码": the typed password, or nothing when cancelled.
  virtual std::optional<u16> AskPassword() = 0;
  // "设置表单数据" over the manager; true when it ends with OK.
  virtual bool ShowManager(FormManager& manager) = 0;
};

}  // namespace zel
