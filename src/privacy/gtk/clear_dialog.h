// "全部清除": seven check boxes for the kinds of traces, "全选"/"不选", "立即清除" and "关闭".
#pragma once

#include <gtkmm.h>

#include "privacy/clear_dialog_view.h"

namespace zel {

class ClearDialog : public ClearDialogView {
 public:
  explicit ClearDialog(Gtk::Window* parent) : parent_(parent) {}
  std::optional<TraceChoice> AskTraces() override;

 private:
  Gtk::Window* parent_;
};

}  // namespace zel
