// One tab: its caption, lock and password, and its view.
#pragma once

#include <memory>

#include "base/text.h"
#include "view/vop_view.h"

namespace zel {

class CChildFrame {
 public:
  CChildFrame() = default;
  CVOPView* view() const { return view_.get(); }
  void SetView(std::unique_ptr<CVOPView> v) { view_ = std::move(v); }
  std::unique_ptr<CVOPView> ReleaseView() { return std::move(view_); }

  u16 caption;        // the page title shown on the tab and in the frame caption
  u16 customCaption;  // when set, title changes do not replace the tab text
  bool locked = false;
  bool hasPassword = false;
  u16 password;
  bool showRequest = false;
  int cachedIndex = -1;
  bool indexPending = false;
  bool shown = false;      // the window is shown: the tab has its strip entry
  int pendingNewWindowFlags = 0;  // 1 as the frame says, 2 activate, 4 background

 private:
  std::unique_ptr<CVOPView> view_;
};

}  // namespace zel
