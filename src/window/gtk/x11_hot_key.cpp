#include "window/gtk/x11_hot_key.h"

#include <X11/Xlib.h>
#include <gdk/gdkx.h>

#include "window/boss_key.h"

namespace zel {

namespace {
Display* XDisplayOrNull() {
  GdkDisplay* d = gdk_display_get_default();
  if (!d || !GDK_IS_X11_DISPLAY(d)) return nullptr;
  return GDK_DISPLAY_XDISPLAY(d);
}
}  // namespace

bool X11HotKey::Register(unsigned keysym, unsigned modifiers, std::function<void()> pressed) {
  Unregister();
  Display* dpy = XDisplayOrNull();
  if (!dpy) return false;
  KeyCode code = XKeysymToKeycode(dpy, keysym);
  if (code == 0) return false;
  Window root = DefaultRootWindow(dpy);
  GdkDisplay* gd = gdk_display_get_default();
  // Another program holding the key makes the grab fail with BadAccess.
  gdk_x11_display_error_trap_push(gd);
  for (unsigned lock : kXLockMasks)
    XGrabKey(dpy, code, modifiers | lock, root, False, GrabModeAsync, GrabModeAsync);
  XSync(dpy, False);
  if (gdk_x11_display_error_trap_pop(gd) != 0) {
    gdk_x11_display_error_trap_push(gd);
    for (unsigned lock : kXLockMasks) XUngrabKey(dpy, code, modifiers | lock, root);
    gdk_x11_display_error_trap_pop_ignored(gd);
    return false;
  }
  keycode_ = code;
  modifiers_ = modifiers;
  pressed_ = std::make_shared<std::function<void()>>(std::move(pressed));
  grabbed_ = true;
  gdk_window_add_filter(nullptr, &X11HotKey::Filter, this);
  return true;
}

void X11HotKey::Unregister() {
  if (!grabbed_) return;
  grabbed_ = false;
  if (pressed_) *pressed_ = nullptr;
  pressed_.reset();
  gdk_window_remove_filter(nullptr, &X11HotKey::Filter, this);
  Display* dpy = XDisplayOrNull();
  if (!dpy) return;
  GdkDisplay* gd = gdk_display_get_default();
  gdk_x11_display_error_trap_push(gd);
  for (unsigned lock : kXLockMasks)
    XUngrabKey(dpy, keycode_, modifiers_ | lock, DefaultRootWindow(dpy));
  gdk_x11_display_error_trap_pop_ignored(gd);
}

GdkFilterReturn X11HotKey::Filter(GdkXEvent* xevent, GdkEvent*, gpointer self) {
  auto* me = static_cast<X11HotKey*>(self);
  auto* e = static_cast<XEvent*>(xevent);
  if (e->type != KeyPress || e->xkey.keycode != me->keycode_) return GDK_FILTER_CONTINUE;
  unsigned state = e->xkey.state & ~(2u | 16u);  // without Caps Lock and Num Lock
  if (state != me->modifiers_) return GDK_FILTER_CONTINUE;
  // Run from the loop: the handler may hide the window whose events are being filtered.
  // The idle call holds its own reference, so a key unregistered meanwhile is still safe.
  auto* run = new std::shared_ptr<std::function<void()>>(me->pressed_);
  g_idle_add_full(
      G_PRIORITY_DEFAULT_IDLE,
      [](gpointer p) -> gboolean {
        auto& f = *static_cast<std::shared_ptr<std::function<void()>>*>(p);
        if (f && *f) (*f)();
        return G_SOURCE_REMOVE;
      },
      run, [](gpointer p) { delete static_cast<std::shared_ptr<std::function<void()>>*>(p); });
  return GDK_FILTER_REMOVE;
}

}  // namespace zel
