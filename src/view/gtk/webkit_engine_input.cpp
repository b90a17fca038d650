// Input on the page, taken before WebKit sees it: the user action record's buttons and
// keys, the mouse for gestures, the context menu, drags from the page, and the pointer
// work the view asks for (clicks, keys, scrolling, the gesture trail).
#include <gdk/gdkkeysyms.h>

#include "view/page_messages.h"
#include "view/gtk/engine_menu_labels.h"
#include "view/gtk/synth_events.h"
#include "view/gtk/webkit_engine.h"

#include <cstdlib>

namespace zel {

namespace {
// Whether the focused element takes typed text.
constexpr char kEditableFocusScript[] =
    "(function(){var e=document.activeElement;if(!e)return false;if(e.isContentEditable)"
    "return true;var t=e.tagName;if(t==='TEXTAREA'||t==='SELECT')return true;if(t!=='INPUT')"
    "return false;var k=(e.type||'text').toLowerCase();return ['button','submit','reset',"
    "'checkbox','radio','image','range','color','file','hidden'].indexOf(k)<0;})()";

unsigned ButtonBit(unsigned button) {
  return button == 1 ? kMouseLeft : button == 2 ? kMouseMiddle : button == 3 ? kMouseRight : 0;
}
unsigned HeldButtons(guint state) {
  return (state & GDK_BUTTON1_MASK ? kMouseLeft : 0) | (state & GDK_BUTTON2_MASK ? kMouseMiddle : 0) |
         (state & GDK_BUTTON3_MASK ? kMouseRight : 0);
}
const char* Str(const char* s) { return s ? s : ""; }

PageHit HitFrom(WebKitHitTestResult* hit) {
  PageHit h;
  if (!hit) return h;
  if (webkit_hit_test_result_context_is_link(hit)) {
    h.link = FromUtf8(Str(webkit_hit_test_result_get_link_uri(hit)));
    h.linkText = FromUtf8(Str(webkit_hit_test_result_get_link_label(hit)));
  }
  if (webkit_hit_test_result_context_is_image(hit))
    h.image = FromUtf8(Str(webkit_hit_test_result_get_image_uri(hit)));
  h.selection = webkit_hit_test_result_context_is_selection(hit);
  h.editable = webkit_hit_test_result_context_is_editable(hit);
  return h;
}
}  // namespace

void WebKitEngine::NoteHit(WebKitHitTestResult* hit) { hit_ = HitFrom(hit); }

void WebKitEngine::ConnectInput() {
  g_signal_connect(view_, "button-press-event", G_CALLBACK(OnButton), this);
  g_signal_connect(view_, "button-release-event", G_CALLBACK(OnButton), this);
  g_signal_connect(view_, "key-press-event", G_CALLBACK(OnKey), this);
  g_signal_connect(view_, "key-release-event", G_CALLBACK(OnKey), this);
  g_signal_connect(view_, "user-message-received", G_CALLBACK(OnPageMessage), this);
  g_signal_connect(view_, "motion-notify-event", G_CALLBACK(OnMotion), this);
  g_signal_connect(view_, "scroll-event", G_CALLBACK(OnScroll), this);
  g_signal_connect(view_, "leave-notify-event", G_CALLBACK(OnLeave), this);
  g_signal_connect(view_, "context-menu", G_CALLBACK(OnContextMenu), this);
  g_signal_connect_after(view_, "draw", G_CALLBACK(OnDrawTrail), this);
  g_signal_connect(view_, "drag-begin", G_CALLBACK(OnDragBegin), this);
  g_signal_connect(view_, "drag-drop", G_CALLBACK(OnDragDrop), this);
  g_signal_connect(view_, "drag-failed", G_CALLBACK(OnDragFailed), this);
}

gboolean WebKitEngine::OnPageMessage(WebKitWebView*, WebKitUserMessage* message,
                                     WebKitEngine* self) {
  const char* name = webkit_user_message_get_name(message);
  if (g_strcmp0(name, kFrameNavigationMessage) == 0) {
    GVariant* p = webkit_user_message_get_parameters(message);
    if (!p || !g_variant_is_of_type(p, G_VARIANT_TYPE("(sb)"))) return TRUE;
    const char* uri = nullptr;
    gboolean form = FALSE;
    g_variant_get(p, "(&sb)", &uri, &form);
    if (self->frameNavs_.size() >= 32) self->frameNavs_.erase(self->frameNavs_.begin());
    self->frameNavs_.push_back({uri ? uri : "", form != FALSE, g_get_monotonic_time()});
    return TRUE;
  }
  if (g_strcmp0(name, kScriptErrorMessage) != 0) return FALSE;
  if (self->events_) self->events_->OnScriptError();
  return TRUE;
}

gboolean WebKitEngine::OnButton(GtkWidget*, GdkEventButton* e, WebKitEngine* self) {
  if (!self->events_) return FALSE;
  self->pointerX_ = int(e->x);
  self->pointerY_ = int(e->y);
  self->pointerInside_ = true;
  bool ctrl = e->state & GDK_CONTROL_MASK;
  bool press = e->type == GDK_BUTTON_PRESS;
  bool used = false;
  if (press) self->NoteUserStart();
  if (press && e->button == 1) {
    used = self->events_->OnUserInput(UserInput::LeftDown, ctrl, false);
    self->pressX_ = int(e->x);
    self->pressY_ = int(e->y);
    self->pressTime_ = g_get_monotonic_time() / 1000;
  } else if (e->type == GDK_BUTTON_RELEASE && e->button == 1) {
    used = self->events_->OnUserInput(UserInput::LeftUp, ctrl, false);
  } else if (press && e->button == 3) {
    used = self->events_->OnUserInput(UserInput::RightDown, ctrl, false);
  }
  if (self->synthesizing_ || !self->events_) return used;
  if (press || e->type == GDK_BUTTON_RELEASE) {
    MouseInput in;
    in.kind = press ? MouseInput::Press : MouseInput::Release;
    in.button = int(e->button);
    in.x = int(e->x);
    in.y = int(e->y);
    in.held = HeldButtons(e->state);
    in.held = press ? in.held | ButtonBit(e->button) : in.held & ~ButtonBit(e->button);
    in.ctrl = ctrl;
    in.shift = e->state & GDK_SHIFT_MASK;
    bool taken = self->events_->OnMouse(in);
    if (press && e->button == 3) self->rightPressUsed_ = taken;
    const bool click = std::abs(in.x - self->pressX_) < 5 && std::abs(in.y - self->pressY_) < 5;
    if (!press && e->button == 1 && !used && !taken && !in.ctrl && !in.shift && click)
      self->FollowRefusedLink();
    return used || taken;
  }
  // Double and triple presses of a right button the gestures took stay away from the page.
  return used || (e->button == 3 && self->rightPressUsed_);
}

gboolean WebKitEngine::OnMotion(GtkWidget*, GdkEventMotion* e, WebKitEngine* self) {
  self->pointerX_ = int(e->x);
  self->pointerY_ = int(e->y);
  self->pointerInside_ = true;
  if (!self->events_ || self->synthesizing_) return FALSE;
  MouseInput in;
  in.kind = MouseInput::Move;
  in.x = int(e->x);
  in.y = int(e->y);
  in.held = HeldButtons(e->state);
  in.ctrl = e->state & GDK_CONTROL_MASK;
  in.shift = e->state & GDK_SHIFT_MASK;
  return self->events_->OnMouse(in);
}

gboolean WebKitEngine::OnScroll(GtkWidget*, GdkEventScroll* e, WebKitEngine* self) {
  if (!self->events_) return FALSE;
  MouseInput in;
  in.kind = MouseInput::Wheel;
  in.x = int(e->x);
  in.y = int(e->y);
  in.held = HeldButtons(e->state);
  in.ctrl = e->state & GDK_CONTROL_MASK;
  in.shift = e->state & GDK_SHIFT_MASK;
  if (e->direction == GDK_SCROLL_UP)
    in.wheel = 1;
  else if (e->direction == GDK_SCROLL_DOWN)
    in.wheel = -1;
  else if (e->direction == GDK_SCROLL_SMOOTH)
    in.wheel = e->delta_y < 0 ? 1 : e->delta_y > 0 ? -1 : 0;
  return self->events_->OnMouse(in);
}

gboolean WebKitEngine::OnLeave(GtkWidget*, GdkEventCrossing* e, WebKitEngine* self) {
  if (e->mode == GDK_CROSSING_NORMAL) self->pointerInside_ = false;
  // The pointer left the page: no link is under it any more.
  if (e->mode == GDK_CROSSING_NORMAL && !self->lastStatus_.empty()) {
    self->lastStatus_.clear();
    if (self->events_) self->events_->OnStatusTextChange(u"");
  }
  return FALSE;
}

gboolean WebKitEngine::OnContextMenu(WebKitWebView*, WebKitContextMenu* menu, GdkEvent* event,
                                     WebKitHitTestResult* hit, WebKitEngine* self) {
  // A menu opened by the right button's press takes its release: the trail goes now.
  self->ClearTrail();
  RelabelEngineMenu(menu);
  if (!self->events_) return FALSE;
  double x = self->pointerX_, y = self->pointerY_;
  if (event && event->type != GDK_KEY_PRESS) gdk_event_get_coords(event, &x, &y);
  return self->events_->OnContextMenu(HitFrom(hit), int(x), int(y));
}

std::optional<std::pair<int, int>> WebKitEngine::PointerPosition() const {
  if (!pointerInside_) return std::nullopt;
  return std::make_pair(pointerX_, pointerY_);
}

void WebKitEngine::ClickAt(int x, int y) {
  GtkWidget* w = GTK_WIDGET(view_);
  synthesizing_ = true;
  SynthMotion(w, x, y, 0);
  SynthButton(w, GDK_BUTTON_PRESS, x, y, 1, 0);
  SynthButton(w, GDK_BUTTON_RELEASE, x, y, 1, GDK_BUTTON1_MASK);
  synthesizing_ = false;
}

void WebKitEngine::RightClickAt(int x, int y) {
  GtkWidget* w = GTK_WIDGET(view_);
  synthesizing_ = true;
  SynthButton(w, GDK_BUTTON_PRESS, x, y, 3, 0);
  SynthButton(w, GDK_BUTTON_RELEASE, x, y, 3, GDK_BUTTON3_MASK);
  synthesizing_ = false;
}

void WebKitEngine::ScrollBy(int dx, int dy) {
  RunPageScript("window.scrollBy(" + std::to_string(dx) + "," + std::to_string(dy) + ")");
}

void WebKitEngine::PressKey(int key) {
  static const guint kKeys[] = {0, GDK_KEY_Page_Up, GDK_KEY_Page_Down, GDK_KEY_Home, GDK_KEY_End};
  if (key < 1 || key > 4) return;
  SynthKey(GTK_WIDGET(view_), kKeys[key], false);
}

void WebKitEngine::ExtendTrail(int x, int y) {
  if (!trail_.empty() && trail_.back() == std::make_pair(x, y)) return;
  trail_.emplace_back(x, y);
  if (trail_.size() > 1) gtk_widget_queue_draw(GTK_WIDGET(view_));
}

void WebKitEngine::ClearTrail() {
  bool drawn = trail_.size() > 1;
  trail_.clear();
  if (drawn) gtk_widget_queue_draw(GTK_WIDGET(view_));
}

gboolean WebKitEngine::OnDrawTrail(GtkWidget*, cairo_t* cr, WebKitEngine* self) {
  if (self->trail_.size() < 2) return FALSE;
  // A solid 3-pixel line in 153, 204, 0 over the page.
  cairo_save(cr);
  cairo_set_source_rgb(cr, 153 / 255.0, 204 / 255.0, 0);
  cairo_set_line_width(cr, 3);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_move_to(cr, self->trail_[0].first, self->trail_[0].second);
  for (size_t i = 1; i < self->trail_.size(); ++i)
    cairo_line_to(cr, self->trail_[i].first, self->trail_[i].second);
  cairo_stroke(cr);
  cairo_restore(cr);
  return FALSE;
}

void WebKitEngine::ShowPictureAt(int x, int y) {
  RunPageScript("(function(){var e=document.elementFromPoint(" + std::to_string(x) + "," +
                std::to_string(y) +
                ");if(e&&e.tagName==='IMG'){var s=e.src;e.src='';e.src=s;}})()");
}

void WebKitEngine::OnDragBegin(GtkWidget*, GdkDragContext*, WebKitEngine* self) {
  // What is dragged: the link, else the image, else the selected text, all as the
  // pointer found them where the button went down.
  PageDrop d;
  d.startX = self->pressX_;
  d.startY = self->pressY_;
  const PageHit& h = self->hit_;
  if (!h.link.empty()) {
    d.kind = PageDrop::Link;
    d.address = h.link;
    d.text = h.linkText;
  } else if (!h.image.empty()) {
    d.kind = PageDrop::Image;
    d.address = h.image;
  } else {
    d.kind = PageDrop::Text;
    std::weak_ptr<bool> alive = self->alive_;
    self->RunScript(u"String(window.getSelection())", [self, alive](const ScriptResult& r) {
      if (alive.expired() || !self->dragging_ || self->drag_.kind != PageDrop::Text) return;
      if (r.ok) self->drag_.text = JsonStringValue(r.json).value_or(u"");
    });
  }
  self->drag_ = d;
  self->dragging_ = true;
}

bool WebKitEngine::DropOurDrag(int x, int y) {
  if (!dragging_ || !events_) return false;
  dragging_ = false;
  PageDrop d = drag_;
  d.x = x;
  d.y = y;
  d.elapsedMs = g_get_monotonic_time() / 1000 - pressTime_;
  if (d.kind == PageDrop::Text && d.text.empty()) return false;
  return events_->OnPageDrop(d);
}

// A drop the page takes (an editable field): the drag settings decide first.
gboolean WebKitEngine::OnDragDrop(GtkWidget*, GdkDragContext* context, gint x, gint y,
                                  guint time, WebKitEngine* self) {
  if (gtk_drag_get_source_widget(context) != GTK_WIDGET(self->view_)) return FALSE;
  if (!self->DropOurDrag(x, y)) return FALSE;
  gtk_drag_finish(context, FALSE, FALSE, time);
  return TRUE;
}

// WebKit takes no drop of a page's own link, image or text outside editable fields, so
// such a drag ends without a target; when it ends over this page it is decided here.
gboolean WebKitEngine::OnDragFailed(GtkWidget*, GdkDragContext* context, GtkDragResult result,
                                    WebKitEngine* self) {
  bool ours = self->dragging_;
  if (result != GTK_DRAG_RESULT_NO_TARGET || !ours) {
    self->dragging_ = false;
    return FALSE;
  }
  GtkWidget* w = GTK_WIDGET(self->view_);
  GdkWindow* win = gtk_widget_get_window(w);
  GdkDevice* pointer = gdk_drag_context_get_device(context);
  if (!win || !pointer) {
    self->dragging_ = false;
    return FALSE;
  }
  int x = 0, y = 0;
  gdk_window_get_device_position(win, pointer, &x, &y, nullptr);
  if (!gtk_widget_get_has_window(w)) {
    GtkAllocation a;
    gtk_widget_get_allocation(w, &a);
    x -= a.x;
    y -= a.y;
  }
  if (x < 0 || y < 0 || x >= gtk_widget_get_allocated_width(w) ||
      y >= gtk_widget_get_allocated_height(w)) {
    self->dragging_ = false;
    return FALSE;
  }
  // Handled or not, the drag is over: no animation of the icon flying back.
  self->DropOurDrag(x, y);
  return TRUE;
}

gboolean WebKitEngine::OnKey(GtkWidget*, GdkEventKey* e, WebKitEngine* self) {
  if (!self->events_) return FALSE;
  bool ctrl = e->state & GDK_CONTROL_MASK;
  bool press = e->type == GDK_KEY_PRESS;
  if (press) self->NoteUserStart();
  switch (e->keyval) {
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
      return self->events_->OnUserInput(press ? UserInput::EnterDown : UserInput::EnterUp, ctrl,
                                        false);
    case GDK_KEY_Left:
    case GDK_KEY_Right:
      // The page keeps the key (a text field moves by words); the tab changes only when the
      // focus turns out not to be in an editable field.
      if (press && ctrl && !(e->state & (GDK_SHIFT_MASK | GDK_MOD1_MASK)))
        self->ReportWhenEditableKnown(e->keyval == GDK_KEY_Left ? UserInput::CtrlLeft
                                                                : UserInput::CtrlRight);
      return FALSE;
    default:
      return FALSE;
  }
}

void WebKitEngine::ReportWhenEditableKnown(UserInput input) {
  std::weak_ptr<bool> alive = alive_;
  RunScript(u16(FromUtf8(kEditableFocusScript)), [this, alive, input](const ScriptResult& r) {
    if (alive.expired() || !events_) return;
    bool editable = !r.ok || r.json == "true";
    events_->OnUserInput(input, true, editable);
  });
}

}  // namespace zel
