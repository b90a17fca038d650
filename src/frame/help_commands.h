// The "帮助" menu: what this browser is ("关于Zel浏览器"), and whether its pages are confined.
#pragma once

#include <functional>

#include "base/text.h"
#include "platform/web_sandbox.h"
#include "services/frame_controller.h"
#include "services/frame_services.h"

namespace zel {

class HelpController : public FrameController {
 public:
  // notice: the frame's status-bar notice (kept until the page changes).
  HelpController(FrameServices& s, std::function<void(u16view)> notice);

  // Whether the pages run in WebKit's sandbox; a run without it says so once, at the
  // deferred start-up, and in the about box.
  void SetSandboxState(SandboxState state) { sandbox_ = state; }
  void OnDeferredStartup() override;

  // The text of the about box: the program, its version and the engine it runs on.
  u16 AboutText() const;

 private:
  FrameServices s_;
  std::function<void(u16view)> notice_;
  SandboxState sandbox_ = SandboxState::On;
};

}  // namespace zel
