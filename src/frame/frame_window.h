// What the frame logic asks of its top-level window. The GTK window implements it; unit
// tests use a recording fake.
#pragma once

#include "base/text.h"

namespace zel {

struct WindowRect {
  int x = 0, y = 0, width = 0, height = 0;
};

class FrameWindow {
 public:
  virtual ~FrameWindow() = default;
  virtual void SetCaption(u16view text) = 0;
  virtual void SetStatusText(u16view text) = 0;
  // Until tabs exist the frame has one page view; this loads an address in it.
  virtual void ShowPage(u16view address) = 0;

  virtual bool IsVisible() const = 0;
  virtual bool IsMinimized() const = 0;
  virtual bool IsMaximized() const = 0;
  virtual bool IsFullScreen() const = 0;
  virtual WindowRect GetRect() const = 0;
  virtual void Restore() = 0;
  // Brings the frame to the foreground.
  virtual void Present() = 0;
  virtual void HideFrame() = 0;
  // Ends the window and, with it, the program's main loop.
  virtual void Destroy() = 0;
};

}  // namespace zel
