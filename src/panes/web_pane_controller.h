// The web page side pane (1529): a small engine of its own over a start page (the default
// search engine's site). The windows its page opens become tabs of the frame in front: the
// tab's engine is handed back as the new window, so the page loads there.
#pragma once

#include <functional>
#include <memory>

#include "services/frame_controller.h"
#include "services/frame_services.h"
#include "view/engine_port.h"

namespace zel {

class WebPaneController : public FrameController, public EngineEvents {
 public:
  using StartAddress = std::function<u16()>;
  WebPaneController(FrameServices services, StartAddress start);
  ~WebPaneController() override;

  // The pane's engine, made and started on the first call (null when none can be made).
  Engine* engine();

  // EngineEvents
  void OnStatusTextChange(u16view) override {}
  void OnProgressChange(int, int) override {}
  void OnCommandStateChange(int, bool) override {}
  void OnTitleChange(u16view) override {}
  void OnNavigateComplete2(u16view) override {}
  void OnBeforeNavigate2(BeforeNavigateArgs&) override {}
  Engine* OnNewWindow2(const u16& url, bool userGesture) override;
  void OnDocumentComplete(u16view, bool) override {}

  void OnShutdown() override;

 private:
  FrameServices services_;
  StartAddress start_;
  std::unique_ptr<Engine> engine_;
  bool shutDown_ = false;
};

}  // namespace zel
