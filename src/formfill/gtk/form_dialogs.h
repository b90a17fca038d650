// The form filler's dialogs: "输入密码", the manager "设置表单数据" with its item editor and
// its question before everything is deleted.
#pragma once

#include <gtkmm.h>

#include "formfill/form_dialogs_view.h"

namespace zel {

class FormDialogs : public FormDialogsView {
 public:
  explicit FormDialogs(Gtk::Window* parent) : parent_(parent) {}
  std::optional<u16> AskPassword() override;
  bool ShowManager(FormManager& manager) override;

 private:
  Gtk::Window* parent_;
};

// "输入密码" over any window (the manager asks from its own).
std::optional<u16> AskFormPassword(Gtk::Window& parent);

}  // namespace zel
