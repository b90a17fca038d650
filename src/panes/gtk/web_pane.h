// The web page pane's widget: the pane's own engine view, made when the pane is first on
// screen.
#pragma once

#include <gtkmm.h>

#include "panes/web_pane_controller.h"

namespace zel {

class WebPane : public Gtk::Box {
 public:
  explicit WebPane(WebPaneController& controller);

 private:
  WebPaneController& controller_;
  bool made_ = false;
};

}  // namespace zel
