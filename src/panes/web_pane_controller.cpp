#include "panes/web_pane_controller.h"

#include "view/child_frame.h"
#include "view/vop_view.h"

namespace zel {

namespace {
constexpr char16_t kFallbackStart[] = u"https://www.baidu.com/";
}

WebPaneController::WebPaneController(FrameServices services, StartAddress start)
    : services_(services), start_(std::move(start)) {}

WebPaneController::~WebPaneController() {
  if (engine_) engine_->SetEvents(nullptr);
}

Engine* WebPaneController::engine() {
  if (engine_ || shutDown_ || !services_.engines) return engine_.get();
  engine_ = services_.engines->Create(nullptr);
  if (!engine_) return nullptr;
  engine_->SetEvents(this);
  engine_->SetSilent(true);
  u16 start = start_ ? start_() : u16();
  NavRequest r;
  r.url = start.empty() ? u16(kFallbackStart) : start;
  engine_->Navigate2(r);
  return engine_.get();
}

Engine* WebPaneController::OnNewWindow2(const u16& url, bool userGesture) {
  if (!engine_) return nullptr;
  CChildFrame* child = services_.tabs.OpenUrl(
      u"", {.tab = TabChoice::Pick, .start = StartKind::Blank, .show = true, .forceNew = true,
            .related = engine_.get()});
  if (!child || !child->view()) return nullptr;
  child->view()->SetRegisterAsBrowser(true);
  return child->view()->engine();
}

void WebPaneController::OnShutdown() {
  shutDown_ = true;
  if (engine_) engine_->SetEvents(nullptr);
}

}  // namespace zel
