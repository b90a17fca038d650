#include "filters/popup_filter.h"

#include "view/child_frame.h"
#include "view/tab_host.h"
#include "platform/key_state.h"
#include "view/url_rules.h"
#include "view/vop_view.h"

namespace zel {

bool PopupFilter::PopupFilterOn() const { return lists_.switches.popup; }

bool PopupFilter::IsPopupCandidate(CVOPView& opener) {
  KeyState* keys = frame_.keys();
  return PopupFilterOn() && !(keys && keys->Ctrl()) && !opener.leftClickFlag() &&
         !opener.rightClickFlag();
}

void PopupFilter::Block(CVOPView& view, u16view url, BeforeNavigateArgs* args, bool listed) {
  if (args) args->cancel = true;
  view.popupCandidate = false;
  view.blocked = true;
  view.lastBlockedAddress = u16(url);
  lists_.NoteBlockedPopup(0, url);
  if (onBlocked_) onBlocked_(view, url, listed);
  frame_.PostCloseTab(&view.child());
  view.closing = true;
}

void PopupFilter::CheckNavigation(CVOPView& view, BeforeNavigateArgs& args) {
  const bool first = view.FirstNavigationPending();
  // A page's new window without a click: blocked unless allowed by list or site.
  if (view.popupCandidate && first) {
    view.popupCandidate = false;
    if (!lists_.IsPopupAllowed(args.url) && lists_.CheckSiteExemption(args.url, true)) {
      Block(view, args.url, &args, false);
      return;
    }
  }
  if (!PopupFilterOn()) return;
  // A block-listed page the view itself was asked to load.
  if (EqualsNoCase(DrivePathToFileUrl(args.url), DrivePathToFileUrl(view.CurrentAddress())) &&
      lists_.IsPopupListed(args.url) && lists_.CheckSiteExemption(args.url, false)) {
    Block(view, args.url, &args, true);
    return;
  }
  // A new window whose page is open in another tab already: that tab comes forward.
  if (first && view.newWindowMark) {
    if (CChildFrame* same = frame_.FindTabByAddress(DrivePathToFileUrl(args.url), &view.child())) {
      args.cancel = true;
      view.popupCandidate = false;
      view.blocked = true;
      view.lastBlockedAddress = same->view() ? same->view()->CurrentAddress() : u16(args.url);
      frame_.ActivateTab(same);
      frame_.PostCloseTab(&view.child());
      view.closing = true;
    }
  }
}

void PopupFilter::CheckLoadedPage(CVOPView& view, u16view url) {
  if (!PopupFilterOn() || view.closing || view.blocked) return;
  if (lists_.IsPopupListed(url) && lists_.CheckSiteExemption(url, false))
    Block(view, url, nullptr, true);
}

}  // namespace zel
