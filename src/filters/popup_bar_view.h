// The notification bar of a tab whose popup was blocked, and the desktop's alert sound.
#pragma once

#include "base/text.h"

namespace zel {

class CChildFrame;

class PopupBarView {
 public:
  virtual ~PopupBarView() = default;
  virtual void ShowPopupBar(CChildFrame* child, u16view blockedAddress) = 0;
  virtual void HidePopupBar(CChildFrame* child) = 0;
  virtual void Beep() = 0;
};

}  // namespace zel
