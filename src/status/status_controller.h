// The status bar's indicator pane (1232): built from its template on every tick of the
// frame timer and set only when the text changed; the free-memory pane (333) with it. Slow readings (the host's addresses, the
// process tree's memory, the first traffic reading) run on worker threads and come back
// through the message loop.
#pragma once

#include <ctime>
#include <functional>
#include <memory>

#include "services/frame_controller.h"
#include "services/frame_services.h"
#include "status/indicators.h"

namespace zel {

class StatusBarView;

class StatusController : public FrameController {
 public:
  StatusController(const FrameServices& services, StatusBarView* bar,
                   std::function<int()> blockedPopups);
  ~StatusController() override;

  void UpdateIndicatorPane();
  const u16& indicatorText() const { return last_; }
  // Another template or clock (tests); the pane's template is kIndicatorTemplate.
  void SetTemplate(u16view tpl) { template_ = u16(tpl); }
  void SetClock(std::function<std::time_t()> clock) { clock_ = std::move(clock); }
  // Milliseconds of the loop's clock the run started at (for H).
  void SetStartMs(int64_t ms) { startMs_ = ms; }

  void OnDeferredStartup() override;
  void OnFrameTick() override { UpdateIndicatorPane(); }
  void OnShutdown() override { closed_ = true; }

 private:
  int64_t Now() const;
  // Runs work on a worker thread and its result handler on the main loop.
  template <class R>
  void OffMainLoop(std::function<R()> work, std::function<void(R)> done);
  void UpdateFreeMemory(int64_t now);
  void UpdateAddress(int64_t now);
  void UpdateSpeed(int64_t now);
  void UpdateProcessMemory(int64_t now);

  FrameServices s_;
  StatusBarView* bar_;
  std::function<int()> blockedPopups_;
  std::function<std::time_t()> clock_;
  u16 template_ = kIndicatorTemplate;
  u16 last_;
  bool closed_ = false;
  int64_t startMs_ = 0;
  std::string hostName_;
  // Cached values with the time they were taken (-1: never).
  u16 freeMemory_;
  u16 memoryPane_;  // the free-memory pane's text as last set
  int64_t freeMemoryAt_ = -1;
  u16 address_;
  int64_t addressAt_ = -1;
  bool resolving_ = false;
  double process_[3] = {0, 0, 0};
  int64_t processAt_ = -1;
  bool readingProcess_ = false;
  // The traffic counter.
  bool counterStarted_ = false, counterReady_ = false, counterUnavailable_ = false;
  int64_t lastTotal_ = -1;
  int64_t lastReadingAt_ = -1;
  u16 speedText_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace zel
