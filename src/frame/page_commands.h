// Commands on the active tab's page: navigation, refresh, stop, save, and the page's
// automatic scrolling and refreshing with their choices for new tabs.
#pragma once

#include "services/frame_controller.h"
#include "services/frame_services.h"

namespace zel {

class CVOPView;

class PageCommandsController : public FrameController {
 public:
  PageCommandsController(const FrameServices& services, ViewSwitches& switches);

  // What new views without an opener start from (the last choices of 981..983 and 980).
  int autoScrollSpeed() const { return autoScrollSpeed_; }
  bool autoScrollWaitLoaded() const { return autoScrollWaitLoaded_; }

 private:
  void RegisterCommands();

  FrameServices s_;
  ViewSwitches& switches_;
  int autoScrollSpeed_ = 1;
  bool autoScrollWaitLoaded_ = false;
};

}  // namespace zel
