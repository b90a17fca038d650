// The popup decision the view asks at three moments of a page's life. The frame owns the
// policy; without one every navigation and window goes through.
#pragma once

#include "view/engine_port.h"

namespace zel {

class CVOPView;

class PopupPolicy {
 public:
  virtual ~PopupPolicy() = default;
  // A navigation survived the view's own rules; the policy may cancel it.
  virtual void CheckNavigation(CVOPView& view, BeforeNavigateArgs& args) = 0;
  // A page of opener asks for a window: is the new tab a popup candidate?
  virtual bool IsPopupCandidate(CVOPView& opener) = 0;
  // A page finished loading.
  virtual void CheckLoadedPage(CVOPView& view, u16view url) = 0;
};

}  // namespace zel
