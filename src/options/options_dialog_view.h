// The options dialog "Zel浏览器 选项" as the options controller sees it (GTK: options/gtk/).
#pragma once

#include <optional>

#include "options/options_values.h"

namespace zel {

// What the dialog's buttons ask of the browser while it is open.
class OptionsDialogEvents {
 public:
  virtual ~OptionsDialogEvents() = default;
  // "使用当前页": the active tab's address (empty without a tab).
  virtual u16 ActivePageAddress() = 0;
  // "设置Zel浏览器为默认": the registration, at once (cancelling the dialog keeps it).
  virtual void MakeDefaultBrowser() = 0;
  // "Internet 选项".
  virtual void OpenInternetOptions() = 0;
};

class OptionsDialogView {
 public:
  virtual ~OptionsDialogView() = default;
  // Shows the dialog over the values, modal; the values as confirmed with "确认", nullopt
  // after "取消" or closing it.
  virtual std::optional<OptionsValues> EditOptions(const OptionsValues& values,
                                                   OptionsDialogEvents& events) = 0;
};

}  // namespace zel
