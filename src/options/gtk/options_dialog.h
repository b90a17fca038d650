// "Zel浏览器 选项": the tree of pages on the left, the shown page beside it, "确认", "取消",
// "Internet 选项" and "恢复本页默认".
#pragma once

#include <gtkmm.h>

#include "options/options_dialog_view.h"

namespace zel {

class OptionsDialog : public OptionsDialogView {
 public:
  explicit OptionsDialog(Gtk::Window* parent) : parent_(parent) {}
  std::optional<OptionsValues> EditOptions(const OptionsValues& values,
                                           OptionsDialogEvents& events) override;

 private:
  Gtk::Window* parent_;
};

}  // namespace zel
