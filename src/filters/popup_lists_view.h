// The popup filter's list dialog: a page of the allowed sites (the sites whose new windows
// are let through), where they are seen, added and removed.
#pragma once

#include <functional>
#include <vector>

#include "base/text.h"

namespace zel {

class PopupListsView {
 public:
  virtual ~PopupListsView() = default;
  struct Actions {
    std::function<std::vector<u16>()> sites;  // the allowed sites, in their order
    // Adds a typed site or address; false (and nothing added) when it names no host.
    std::function<bool(const u16& text)> add;
    std::function<void(const u16& site)> remove;
  };
  // Shows the dialog (or brings it forward) over the frame; it stays while the frame works.
  virtual void ShowPopupLists(Actions actions) = 0;
};

}  // namespace zel
