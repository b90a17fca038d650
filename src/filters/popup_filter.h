// The popup decision: which new windows and which block-listed pages are stopped. The frame
// owns it with the filter lists; the views ask it at their navigation events.
#pragma once

#include "filters/filter_lists.h"
#include "view/popup_policy.h"

namespace zel {

class CMainFrame;
class KeyState;

class PopupFilter : public PopupPolicy {
 public:
  PopupFilter(CMainFrame& frame, FilterLists& lists) : frame_(frame), lists_(lists) {}

  void CheckNavigation(CVOPView& view, BeforeNavigateArgs& args) override;
  bool IsPopupCandidate(CVOPView& opener) override;
  void CheckLoadedPage(CVOPView& view, u16view url) override;

 private:
  // Cancels (when args is given), marks the view blocked, counts the popup, tells the
  // opener's tab and closes the view's tab.
  void Block(CVOPView& view, u16view url, BeforeNavigateArgs* args);
  bool PopupFilterOn() const;

  CMainFrame& frame_;
  FilterLists& lists_;
};

}  // namespace zel
