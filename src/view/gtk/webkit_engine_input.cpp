// The user action record's sources: mouse buttons and keys on the page, taken before
// WebKit sees them.
#include <gdk/gdkkeysyms.h>

#include "filters/filter_message.h"
#include "view/gtk/webkit_engine.h"

namespace zel {

namespace {
// Whether the focused element takes typed text.
constexpr char kEditableFocusScript[] =
    "(function(){var e=document.activeElement;if(!e)return false;if(e.isContentEditable)"
    "return true;var t=e.tagName;if(t==='TEXTAREA'||t==='SELECT')return true;if(t!=='INPUT')"
    "return false;var k=(e.type||'text').toLowerCase();return ['button','submit','reset',"
    "'checkbox','radio','image','range','color','file','hidden'].indexOf(k)<0;})()";
}  // namespace

void WebKitEngine::ConnectInput() {
  g_signal_connect(view_, "button-press-event", G_CALLBACK(OnButton), this);
  g_signal_connect(view_, "button-release-event", G_CALLBACK(OnButton), this);
  g_signal_connect(view_, "key-press-event", G_CALLBACK(OnKey), this);
  g_signal_connect(view_, "key-release-event", G_CALLBACK(OnKey), this);
  g_signal_connect(view_, "user-message-received", G_CALLBACK(OnPageMessage), this);
}

gboolean WebKitEngine::OnPageMessage(WebKitWebView*, WebKitUserMessage* message,
                                     WebKitEngine* self) {
  if (g_strcmp0(webkit_user_message_get_name(message), kScriptErrorMessage) != 0) return FALSE;
  if (self->events_) self->events_->OnScriptError();
  return TRUE;
}

gboolean WebKitEngine::OnButton(GtkWidget*, GdkEventButton* e, WebKitEngine* self) {
  if (!self->events_) return FALSE;
  bool ctrl = e->state & GDK_CONTROL_MASK;
  bool used = false;
  if (e->type == GDK_BUTTON_PRESS && e->button == 1)
    used = self->events_->OnUserInput(UserInput::LeftDown, ctrl, false);
  else if (e->type == GDK_BUTTON_RELEASE && e->button == 1)
    used = self->events_->OnUserInput(UserInput::LeftUp, ctrl, false);
  else if (e->type == GDK_BUTTON_PRESS && e->button == 3)
    used = self->events_->OnUserInput(UserInput::RightDown, ctrl, false);
  return used;
}

gboolean WebKitEngine::OnKey(GtkWidget*, GdkEventKey* e, WebKitEngine* self) {
  if (!self->events_) return FALSE;
  bool ctrl = e->state & GDK_CONTROL_MASK;
  bool press = e->type == GDK_KEY_PRESS;
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
