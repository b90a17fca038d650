#include "platform/linux/gtk_input.h"

#include <gtk/gtk.h>

#include <memory>

namespace zel {

void DesktopClipboard::RequestText(std::function<void(std::optional<u16>)> done) {
  auto* cb = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
  auto* heap = new std::function<void(std::optional<u16>)>(std::move(done));
  gtk_clipboard_request_text(
      cb,
      [](GtkClipboard*, const gchar* text, gpointer data) {
        std::unique_ptr<std::function<void(std::optional<u16>)>> fn(
            static_cast<std::function<void(std::optional<u16>)>*>(data));
        (*fn)(text ? std::optional<u16>(FromUtf8(text)) : std::nullopt);
      },
      heap);
}

void DesktopClipboard::SetText(u16view text) {
  std::string t = ToUtf8(text);
  gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), t.c_str(), int(t.size()));
}

namespace {
guint Modifiers() {
  GdkDisplay* d = gdk_display_get_default();
  if (!d) return 0;
  return gdk_keymap_get_modifier_state(gdk_keymap_get_for_display(d));
}
}  // namespace

bool ModifierKeys::Ctrl() const { return Modifiers() & GDK_CONTROL_MASK; }
bool ModifierKeys::Shift() const { return Modifiers() & GDK_SHIFT_MASK; }
bool ModifierKeys::Alt() const { return Modifiers() & GDK_MOD1_MASK; }

}  // namespace zel
