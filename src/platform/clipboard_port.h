// The desktop clipboard's text.
#pragma once

#include <functional>
#include <optional>

#include "base/text.h"

namespace zel {

class ClipboardPort {
 public:
  virtual ~ClipboardPort() = default;
  // Asks for the clipboard's text; done runs later on the UI thread (nullopt: no text).
  virtual void RequestText(std::function<void(std::optional<u16>)> done) = 0;
  virtual void SetText(u16view text) = 0;
};

}  // namespace zel
