// The desktop's notification area and its global keys, as the window controller uses them.
#pragma once

#include <functional>

#include "base/text.h"

namespace zel {

class TrayPort {
 public:
  virtual ~TrayPort() = default;
  struct Actions {
    std::function<void()> show;  // the icon was clicked or "显示" chosen
    std::function<void()> quit;  // "退出"
  };
  virtual void SetActions(Actions actions) = 0;
  virtual void ShowIcon(u16view tip) = 0;
  virtual void RemoveIcon() = 0;
  virtual bool IconShown() const = 0;
};

// One key of the whole desktop (the boss key), pressed whichever window has the focus.
class HotKeyPort {
 public:
  virtual ~HotKeyPort() = default;
  // keysym and X modifier mask; false when the desktop offers no such keys (no X11
  // display) or another program holds the key.
  virtual bool Register(unsigned keysym, unsigned modifiers, std::function<void()> pressed) = 0;
  virtual void Unregister() = 0;
};

}  // namespace zel
