// Locked tabs and tabs with a password: the lock switch, setting and clearing a password,
// the question before a password tab comes forward.
#pragma once

#include "services/frame_controller.h"

namespace zel {

class CMainFrame;

class TabLockController : public FrameController {
 public:
  explicit TabLockController(CMainFrame& frame);

  void ToggleLock(CChildFrame* child);
  // Asks for a password and sets it; an empty answer clears nothing.
  void SetTabPassword(CChildFrame* child);
  void ClearTabPassword(CChildFrame* child);
  int passwordTabCount() const { return passwordTabs_; }
  // Asks for the tab's password; true when the answer is right.
  bool AskTabPassword(CChildFrame* child);
  // A password tab refused to come forward: the next tab without one does, or a new blank
  // tab when every tab has a password.
  void MoveOnFromLockedTab(CChildFrame* child);

  void OnTabClosed(CChildFrame* tab) override;

 private:
  CMainFrame& f_;
  int passwordTabs_ = 0;
};

}  // namespace zel
