// The notification bar of a tab whose popup was blocked, and the desktop's alert sound.
#pragma once

#include "base/text.h"

namespace zel {

class CChildFrame;

class PopupBarView {
 public:
  virtual ~PopupBarView() = default;
  // Shows the bar over the tab's page with text (what was blocked and why).
  virtual void ShowPopupBar(CChildFrame* child, u16view text) = 0;
  virtual void HidePopupBar(CChildFrame* child) = 0;
  virtual void Beep() = 0;
};

}  // namespace zel
