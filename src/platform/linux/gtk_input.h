// The clipboard and the modifier keys through GTK.
#pragma once

#include "platform/clipboard_port.h"
#include "platform/key_state.h"

namespace zel {

class DesktopClipboard : public ClipboardPort {
 public:
  void RequestText(std::function<void(std::optional<u16>)> done) override;
  void SetText(u16view text) override;
};

class ModifierKeys : public KeyState {
 public:
  bool Ctrl() const override;
  bool Shift() const override;
  bool Alt() const override;
};

}  // namespace zel
