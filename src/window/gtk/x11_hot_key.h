// The boss key on X11: the key is grabbed on the root window (once per lock-key state) and
// its presses are taken from GDK's event stream before GTK sees them.
#pragma once

#include <gdk/gdk.h>

#include <memory>

#include "window/tray_port.h"

namespace zel {

class X11HotKey : public HotKeyPort {
 public:
  X11HotKey() = default;
  ~X11HotKey() override { Unregister(); }
  X11HotKey(const X11HotKey&) = delete;
  X11HotKey& operator=(const X11HotKey&) = delete;

  bool Register(unsigned keysym, unsigned modifiers, std::function<void()> pressed) override;
  void Unregister() override;

 private:
  static GdkFilterReturn Filter(GdkXEvent* xevent, GdkEvent*, gpointer self);

  std::shared_ptr<std::function<void()>> pressed_;
  unsigned keycode_ = 0;
  unsigned modifiers_ = 0;
  bool grabbed_ = false;
};

}  // namespace zel
