// Which modifier keys are held right now.
#pragma once

namespace zel {

class KeyState {
 public:
  virtual ~KeyState() = default;
  virtual bool Ctrl() const = 0;
  virtual bool Shift() const = 0;
  virtual bool Alt() const = 0;
};

}  // namespace zel
