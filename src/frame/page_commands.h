// Commands on the active tab's page: navigation, refresh, stop, save, and the page's
// automatic scrolling and refreshing with their choices for new tabs.
#pragma once

#include "services/frame_controller.h"
#include "services/frame_services.h"

namespace zel {

class CVOPView;

// One row of the Standard bar's history list: a page of the active tab's back/forward
// list, offset steps from the page shown (negative behind it, 0 the page itself).
struct HistoryMenuEntry {
  u16 text;
  int offset = 0;
};

class PageCommandsController : public FrameController {
 public:
  PageCommandsController(const FrameServices& services, ViewSwitches& switches);

  // What new views without an opener start from (the last choices of 981..983 and 980).
  int autoScrollSpeed() const { return autoScrollSpeed_; }
  bool autoScrollWaitLoaded() const { return autoScrollWaitLoaded_; }

  // The history list: the pages ahead (the furthest first), the page shown, the pages
  // behind, at most kHistoryMenuSide on each side; empty without a page to go to.
  static constexpr int kHistoryMenuSide = 10;
  std::vector<HistoryMenuEntry> HistoryMenu() const;
  // Goes that many steps back (negative) or forward in the active tab.
  void GoToHistoryEntry(int offset);

 private:
  void RegisterCommands();

  FrameServices s_;
  ViewSwitches& switches_;
  int autoScrollSpeed_ = 1;
  bool autoScrollWaitLoaded_ = false;
};

}  // namespace zel
