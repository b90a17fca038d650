#include "frame/gtk/status_bar.h"

#include <algorithm>

#include "frame/gtk/shown_text.h"

namespace zel {

StatusBar::StatusBar() : Gtk::Box(Gtk::ORIENTATION_HORIZONTAL) {
  set_name("status-bar");
  text_.set_name("status-text");
  progress_.set_name("load-progress");
  progress_.set_size_request(120, -1);
  progress_.set_valign(Gtk::ALIGN_CENTER);
  progress_.set_no_show_all(true);
  secure_.set_name("secure-indicator");
  secure_.set_from_icon_name("channel-secure-symbolic", Gtk::ICON_SIZE_MENU);
  secure_.set_tooltip_text("安全连接");
  secure_.set_no_show_all(true);
  pack_start(text_, Gtk::PACK_EXPAND_WIDGET);
  pack_start(secure_, Gtk::PACK_SHRINK);
  pack_start(progress_, Gtk::PACK_SHRINK);
  indicators_.set_name("indicator-pane");
  indicators_.set_margin_start(8);
  indicators_.set_margin_end(8);
  pack_start(indicators_, Gtk::PACK_SHRINK);
}

void StatusBar::SetStatusText(u16view text) {
  text_.pop();
  text_.push(ShownText(text));
}

void StatusBar::SetProgress(int percentage) {
  if (percentage < 0) {
    progress_.hide();
    return;
  }
  progress_.set_fraction(std::min(percentage, 100) / 100.0);
  progress_.show();
}

void StatusBar::SetSecureIndicator(bool secure) {
  if (secure)
    secure_.show();
  else
    secure_.hide();
}

}  // namespace zel

namespace zel {

void StatusBar::SetIndicatorText(u16view text) { indicators_.set_text(ToUtf8(text)); }

}  // namespace zel
