// The status bar: the text pane, the secure-connection icon and the load progress.
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

 private:
  Gtk::Statusbar text_;
  Gtk::Image secure_;
  Gtk::ProgressBar progress_;
};

}  // namespace zel
