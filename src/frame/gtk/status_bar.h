// The status bar: the text pane, the secure-connection icon, the load progress and the
// indicator pane.
#pragma once

#include <gtkmm.h>

#include "services/status_bar_view.h"

namespace zel {

class StatusBar : public Gtk::Box, public StatusBarView {
 public:
  StatusBar();

  void SetStatusText(u16view text) override;
  void SetProgress(int percentage) override;
  void SetSecureIndicator(bool secure) override;
  void SetIndicatorText(u16view text) override;

 private:
  Gtk::Statusbar text_;
  Gtk::Image secure_;
  Gtk::Label indicators_;
  Gtk::ProgressBar progress_;
};

}  // namespace zel
