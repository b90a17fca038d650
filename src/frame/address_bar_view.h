// The address box (control 711) with its drop-down list of typed addresses, the "Open"
// dialog that shares that list, and the reopen button (985) beside the box with the menu
// of closed pages.
#pragma once

#include <optional>
#include <vector>

#include "base/text.h"
#include "frame/address_suggestions.h"
#include "session/closed_pages_view.h"

namespace zel {

class AddressBarView : public ClosedPagesView {
 public:
  virtual ~AddressBarView() = default;
  virtual void SetAddressText(u16view text) = 0;
  // The drop-down list, newest first.
  virtual void SetAddressList(const std::vector<u16>& entries) = 0;
  virtual void FocusAddressBox() = 0;
  // The icon of the tab in front, shown in the box (a tab image index).
  virtual void SetAddressIcon(int /*icon*/) {}
  // Opens the drop-down list (F9).
  virtual void PopupAddressList() = 0;
  // The "Open" dialog: the typed history in its list; the text and the new-tab box, or
  // nothing when cancelled.
  struct OpenChoice {
    u16 text;
    bool newTab = false;
  };
  virtual std::optional<OpenChoice> AskOpenAddress(const std::vector<u16>& history) = 0;
  // What the box offers under what is being typed (none: the offer goes).
  virtual void ShowSuggestions(const std::vector<AddressSuggestion>& /*rows*/) {}
};

}  // namespace zel
