// The status bar: the text pane, the secure-connection icon, the load progress, the
// indicator pane and the switch panes: the popup filter (330), new links in front or behind
// (331) and the page zoom (332, its levels offered in a menu).
#pragma once

#include <gtkmm.h>

#include <functional>
#include <optional>

#include "services/status_bar_view.h"

namespace zel {

class StatusBar : public Gtk::Box, public StatusBarView {
 public:
  StatusBar();

  void SetStatusText(u16view text) override;
  void SetProgress(int percentage) override;
  void SetSecureIndicator(bool secure) override;
  void SetIndicatorText(u16view text) override;
  void SetMemoryPaneText(u16view text) override;

  struct Actions {
    std::function<void(int id)> run;
    std::function<std::optional<bool>(int id)> checked;
    std::function<int()> zoomPercent;  // the active page's zoom
  };
  void SetActions(Actions actions) { actions_ = std::move(actions); }
  // The switch panes show the frame's state.
  void RefreshPanes();

 private:
  Gtk::Statusbar text_;
  Gtk::Image secure_;
  Gtk::Label indicators_;
  Gtk::Label memory_;  // the free-memory pane
  Gtk::ProgressBar progress_;
  Gtk::ToggleButton popupPane_;
  Gtk::ToggleButton frontPane_;
  Gtk::MenuButton zoomPane_;
  Gtk::Menu zoomMenu_;
  Actions actions_;
  bool refreshing_ = false;
};

}  // namespace zel
