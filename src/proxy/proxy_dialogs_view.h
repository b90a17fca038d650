// The proxy manager's dialogs as the controller sees them (GTK: proxy/gtk/).
#pragma once

#include <optional>
#include <vector>

#include "proxy/proxy_dialog_model.h"

namespace zel {

class ProxyDialogsView {
 public:
  virtual ~ProxyDialogsView() = default;
  // "设置代理" on the state; true when it was confirmed with OK (the state holds the edits).
  virtual bool EditProxies(ProxyDialogState& state) = 0;
  // "输入代理方案": a category picked from names (its index) or a name typed instead, and
  // the "清除方案" check (offered on import only). Nothing when cancelled.
  struct Scheme {
    int index = -1;  // into names; -1 when a name was typed that is none of them
    u16 typed;
    bool clear = false;
  };
  virtual std::optional<Scheme> AskScheme(const std::vector<u16>& names, bool import) = 0;
  // An open dialog with the filter "label|pattern|...||"; the chosen path or nothing.
  virtual std::optional<u16> AskOpenFile(u16view filter) = 0;
};

}  // namespace zel
