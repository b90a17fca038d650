// The status bar as the frame and its controllers see it: the text pane, the progress
// display, the secure indicator and the indicator pane.
#pragma once

#include "base/text.h"

namespace zel {

class StatusBarView {
 public:
  virtual ~StatusBarView() = default;
  virtual void SetStatusText(u16view text) = 0;
  virtual void SetProgress(int percentage) = 0;  // negative: not loading
  virtual void SetSecureIndicator(bool secure) = 0;
  // The indicator pane (memory, blocked popups, clock ...).
  virtual void SetIndicatorText(u16view text) = 0;
  // The free-memory pane ("空闲 37%"; empty without a reading).
  virtual void SetMemoryPaneText(u16view text) = 0;
};

}  // namespace zel
