// The form filler's command without a menu item of its own.
#pragma once

namespace zel::cmd {

// The form data deleted without the question of 1016 (kClearFormData): for those that asked
// already (the form manager's "删除所有表单", the clearing of traces and its choices at exit).
inline constexpr int kDeleteFormDataAsked = 33300;

}  // namespace zel::cmd
