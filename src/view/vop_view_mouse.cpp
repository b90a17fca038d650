// The view's mouse work: right-button gestures with their trail and hint, page dragging
// with the right button, the rocker clicks, the wheel with the right button held, the
// middle button, the page's context menus and drops of drags from the page.
#include "view/child_frame.h"
#include "base/commands.h"
#include "view/tab_host.h"
#include "gestures/gesture_table.h"
#include "gestures/stroke_recognizer.h"
#include "view/url_rules.h"
#include "view/vop_view.h"

namespace zel {

namespace {
// One gesture at a time in the whole program: the strokes, and the right-button-up that a
// rocker click or a wheel turn has already used.
struct SharedGesture {
  StrokeRecognizer strokes;
  bool swallowRightUp = false;
};
SharedGesture& Shared() {
  static SharedGesture g;
  return g;
}
}  // namespace

void CVOPView::EndMouseCapture() {
  if (capturing_) Shared().strokes.Cancel();
  capturing_ = false;
}

void CVOPView::ShowGestureHint() {
  const GestureTable& table = host_.gestureTable();
  u16 strokes = Shared().strokes.Strokes();
  host_.SetStatusText(u"手势: " + strokes + u" => " + table.GestureTitle(strokes));
}

bool CVOPView::OnMouse(const MouseInput& in) {
  const FrameSettings& s = host_.settings();
  SharedGesture& g = Shared();
  bool gestures = host_.switches().gesturesOn;
  bool rdrag = s.rdrag;
  bool plain = !in.ctrl && !in.shift;
  Engine* e = engine();
  switch (in.kind) {
    case MouseInput::Press:
      if (in.button == 3) {
        // The trail follows the right button whether or not gestures are on.
        if (e) e->ExtendTrail(in.x, in.y);
        trailDrawn_ = true;
        // Held also with gestures and page dragging off, so the trail can follow: the
        // page's menu then comes with the release, as after a stroke-less gesture.
        capturing_ = true;
        g.strokes.Press(in.x, in.y);
        dragX_ = in.x;
        dragY_ = in.y;
        passRightClick_ = true;
        // The page sees the click only once it turns out to be one (on release).
        return true;
      }
      if (in.button == 1 && s.rldown && plain && in.held == (kMouseLeft | kMouseRight))
        return true;  // the rocker's click; its release runs the action
      // An action that did nothing leaves the middle click to the page.
      if (in.button == 2 && s.mdown) return DispatchAction(s.mdown);
      return false;

    case MouseInput::Move:
      if ((in.held & kMouseRight) && trailDrawn_ && e) e->ExtendTrail(in.x, in.y);
      if (!capturing_) return false;
      if (rdrag) {
        if (in.x != dragX_ || in.y != dragY_) {
          if (e) e->ScrollBy(dragX_ - in.x, dragY_ - in.y);
          dragX_ = in.x;
          dragY_ = in.y;
          passRightClick_ = false;
        }
        return false;
      }
      if (gestures && in.held == kMouseRight) {
        char16_t d = g.strokes.Move(in.x, in.y, in.held);
        if (d && s.showGestureHint) ShowGestureHint();
      }
      return false;

    case MouseInput::Release:
      if (in.button == 3) {
        if (trailDrawn_ && e) e->ClearTrail();
        trailDrawn_ = false;
        if (g.swallowRightUp) {
          g.swallowRightUp = false;
          EndMouseCapture();
          return true;
        }
        if (s.lrdown && plain && in.held == kMouseLeft) {
          rightClick_ = false;
          EndMouseCapture();
          DispatchAction(s.lrdown);
          return true;
        }
        if (!capturing_) return false;
        capturing_ = false;
        StrokeRecognizer::Release r = g.strokes.ReleaseRight();
        if (!rdrag && !r.strokes.empty()) {
          if (s.showGestureHint) host_.SetStatusText(u"");
          DispatchAction(host_.gestureTable().LookupGesture(r.strokes));
          return true;
        }
        if (r.strokes.empty() && passRightClick_ && e) e->RightClickAt(in.x, in.y);
        return true;
      }
      if (in.button == 1) {
        if (s.rldown && plain && in.held == kMouseRight) {
          ForgetUserAction();
          DispatchAction(s.rldown);
          if (trailDrawn_ && e) e->ClearTrail();
          trailDrawn_ = false;
          EndMouseCapture();
          g.swallowRightUp = true;
          return true;
        }
        EndMouseCapture();
      }
      return false;

    case MouseInput::Wheel:
      if (host_.switches().wheelTabSwitch && plain && in.held == kMouseRight && in.wheel != 0) {
        host_.PostCommand(in.wheel > 0 ? cmd::kPreviousTab : cmd::kNextTab);
        if (trailDrawn_ && e) e->ClearTrail();
        trailDrawn_ = false;
        EndMouseCapture();
        g.swallowRightUp = true;
        return true;
      }
      return false;
  }
  return false;
}

bool CVOPView::DispatchAction(int number) {
  ActionTarget t = ResolveAction(number);
  switch (t.kind) {
    case ActionKind::kNothing:
      return true;
    case ActionKind::kKey:
      if (engine()) engine()->PressKey(t.id);
      return true;
    case ActionKind::kSystemCommand:
      host_.SystemCommand(t.id);
      return true;
    case ActionKind::kOpenLink:
      return OpenLinkUnderPointer(t.id);
    case ActionKind::kFrameCommand:
    case ActionKind::kPostCommand:
      // Posted: a gesture may close the very tab whose event is being handled.
      host_.PostCommand(t.id);
      return true;
  }
  return true;
}

bool CVOPView::OpenLinkUnderPointer(int flags) {
  Engine* e = engine();
  if (!e) return false;
  auto at = e->PointerPosition();
  PageHit hit = e->HitUnderPointer();
  if (!at || !IsLinkTarget(Trim(hit.link))) return false;
  CVOPView* active = (host_.ActiveChild() ? host_.ActiveChild()->view() : nullptr);
  if (!active) active = this;
  active->RecordUserAction(true, false);
  active->child().pendingNewWindowFlags = flags;
  e->ClickAt(at->first, at->second);
  return true;
}

bool CVOPView::OnContextMenu(const PageHit& hit, int x, int y) {
  return host_.ShowPageMenu(*this, hit, x, y);
}

bool CVOPView::OnPageDrop(const PageDrop& drop) { return host_.OnPageDrop(drop); }

}  // namespace zel
