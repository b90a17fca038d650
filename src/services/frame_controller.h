// A controller owns one subsystem of the frame (address box, search, filters, page menus,
// ...): it registers its commands and keeps its own state, and the frame tells it of the
// moments that concern every subsystem.
#pragma once

#include "base/text.h"

namespace zel {

class CChildFrame;

class FrameController {
 public:
  virtual ~FrameController() = default;
  // The early settings are loaded (before the first page).
  virtual void OnSettingsLoaded() {}
  // The deferred start-up, after the frame is shown.
  virtual void OnDeferredStartup() {}
  // Another tab is in front (null: none is).
  virtual void OnActiveTabChanged(CChildFrame* /*tab*/) {}
  // A tab's top document finished loading.
  virtual void OnDocumentComplete(CChildFrame* /*tab*/, u16view /*url*/) {}
  // A tab is about to go away; it is still valid during the call.
  virtual void OnTabClosed(CChildFrame* /*tab*/) {}
  // Every tick of the frame timer (750 ms), after the deferred start-up.
  virtual void OnFrameTick() {}
  // About every 30 seconds (the 40th tick of the frame timer): save what changed since
  // the last save, so a crash loses little.
  virtual void OnPeriodicSave() {}
  // The shutdown order has reached the subsystems' saves.
  virtual void OnShutdown() {}
};

}  // namespace zel
