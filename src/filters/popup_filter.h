// The popup decision: which new windows and which block-listed pages are stopped. The frame
// owns it with the filter lists; the views ask it at their navigation events.
#pragma once

#include <functional>

#include "filters/filter_lists.h"
#include "view/popup_policy.h"

namespace zel {

class TabHost;

class PopupFilter : public PopupPolicy {
 public:
  // onBlocked: the view's page was stopped (its tab is asked to close right after): a page's
  // new window, or (listed) a page on the popup block list.
  using BlockedHandler = std::function<void(CVOPView& view, u16view url, bool listed)>;
  PopupFilter(TabHost& tabs, FilterLists& lists, BlockedHandler onBlocked)
      : frame_(tabs), lists_(lists), onBlocked_(std::move(onBlocked)) {}

  void CheckNavigation(CVOPView& view, BeforeNavigateArgs& args) override;
  bool IsPopupCandidate(CVOPView& opener) override;
  void CheckLoadedPage(CVOPView& view, u16view url) override;

 private:
  // Cancels (when args is given), marks the view blocked, counts the popup, tells the
  // opener's tab and closes the view's tab.
  void Block(CVOPView& view, u16view url, BeforeNavigateArgs* args, bool listed);
  bool PopupFilterOn() const;

  TabHost& frame_;
  FilterLists& lists_;
  BlockedHandler onBlocked_;
};

}  // namespace zel
