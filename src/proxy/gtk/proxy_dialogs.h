// The proxy manager's dialogs: "设置代理" with its category and entry lists, the entry
// dialog "代理项目", the scheme dialog "输入代理方案" and the open dialog of an import.
#pragma once

#include <gtkmm.h>

#include "proxy/proxy_dialogs_view.h"

namespace zel {

class ProxyDialogs : public ProxyDialogsView {
 public:
  explicit ProxyDialogs(Gtk::Window* parent) : parent_(parent) {}
  bool EditProxies(ProxyDialogState& state) override;
  std::optional<Scheme> AskScheme(const std::vector<u16>& names, bool import) override;
  std::optional<u16> AskOpenFile(u16view filter) override;

 private:
  Gtk::Window* parent_;
};

}  // namespace zel
