// The view's timers: auto-scroll (at a speed, or by where the pointer is) and auto-refresh.
#include <algorithm>

#include "platform/message_loop.h"
#include "view/tab_host.h"
#include "view/vop_view.h"

namespace zel {

int AutoScrollPeriod(int speed) {
  speed = std::clamp(speed, 1, 3);
  return 100 / (speed * speed);
}

int CursorControlledPeriod(int y, int h) {
  if (h <= 0) return kCursorControlledPeriod;
  return 101 - y * 100 / h;
}

void CVOPView::StartAutoScrollTimer() {
  MessageLoop* loop = host_.loop();
  if (!loop) return;
  if (autoScrollWaitLoaded && loadState >= 0 && loadState <= 99) return;
  autoScrollPeriod_ =
      host_.switches().autoScrollCursorMode ? kCursorControlledPeriod : AutoScrollPeriod(autoScrollSpeed);
  autoScrollTicks_ = 0;
  loop->SetTimer(this, kAutoScrollTimer, autoScrollPeriod_, [this] { AutoScrollTick(); });
}

void CVOPView::SetAutoScroll(bool on) {
  autoScrollOn_ = on;
  MessageLoop* loop = host_.loop();
  if (on) {
    StartAutoScrollTimer();
  } else if (loop && !host_.switches().autoScrollAll) {
    loop->KillTimer(this, kAutoScrollTimer);
  }
}

void CVOPView::AutoScrollTick() {
  MessageLoop* loop = host_.loop();
  if (host_.switches().autoScrollCursorMode) {
    // The cursor's height in the page sets the pace: lower is faster.
    auto pos = host_.CursorInPage(&child_);
    int period = kCursorControlledPeriod;
    if (pos && pos->inside) period = CursorControlledPeriod(pos->y, pos->height);
    if (loop && std::abs(period - autoScrollPeriod_) > 5) {
      autoScrollPeriod_ = period;
      loop->SetTimer(this, kAutoScrollTimer, period, [this] { AutoScrollTick(); });
    }
  }
  if (autoScrollPeriod_ >= kCursorControlledPeriod) return;
  int mode = host_.switches().autoScrollMode;
  if (mode == 0) {
    RunScript(u"window.scrollBy(0, 1)", nullptr);
    return;
  }
  // Modes 1, 2 and 4: a page-fraction jump every (height / mode) ticks, in 2-pixel steps.
  int height = host_.PageHeight(&child_);
  int every = std::max(height / mode, 1);
  if (++autoScrollTicks_ < every) return;
  autoScrollTicks_ = 0;
  RunScript(Format(u"(function(){var n=%d,s=0;function st(){if(s>=n)return;window.scrollBy(0,2);"
                   u"s+=2;setTimeout(st,2);}st();})()",
                   every),
            nullptr);
}

void CVOPView::SetAutoRefresh(bool on) {
  MessageLoop* loop = host_.loop();
  if (!loop) return;
  if (autoRefreshId_) loop->KillTimer(this, autoRefreshId_);
  autoRefreshId_ = 0;
  if (!on) return;
  autoRefreshId_ = kAutoRefreshTimerBase + std::rand() / 500;
  loop->SetTimer(this, autoRefreshId_, host_.switches().autoRefreshSeconds * 1000, [this] {
    if (IsActiveView() && !host_.switches().refreshActiveTab) return;
    Refresh();
  });
}

}  // namespace zel
