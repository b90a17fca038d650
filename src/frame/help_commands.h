// The "帮助" menu: what this browser is ("关于Zel浏览器").
#pragma once

#include "base/text.h"
#include "services/frame_controller.h"
#include "services/frame_services.h"

namespace zel {

class HelpController : public FrameController {
 public:
  explicit HelpController(FrameServices& s);

  // The text of the about box: the program, its version and the engine it runs on.
  u16 AboutText() const;

 private:
  FrameServices s_;
};

}  // namespace zel
