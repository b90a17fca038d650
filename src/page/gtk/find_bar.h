// The find bar under the pages: "查找:" with its text, previous and next, "区分大小写",
// the count and a close button. Enter finds the next match, Shift+Enter the previous one,
// Esc closes the bar.
#pragma once

#include <gtkmm.h>

#include <functional>

#include "page/find_bar_view.h"

namespace zel {

class FindBar : public Gtk::Box, public FindBarView {
 public:
  struct Actions {
    std::function<void()> textChanged;  // the text or the match-case box changed
    std::function<void(bool forward)> step;
    std::function<void()> close;
  };

  FindBar();
  void SetActions(Actions actions) { actions_ = std::move(actions); }
  // Esc from the window: true when the focus is in the bar and the bar closed.
  bool TakeEscape();

  void ShowFindBar() override;
  void HideFindBar() override;
  bool FindBarShown() const override { return get_visible(); }
  u16 FindBarText() const override;
  bool FindBarMatchCase() const override { return matchCase_.get_active(); }
  void SetFindCount(u16view label, bool notFound) override;

 private:
  Actions actions_;
  Gtk::Label title_{"查找:"};
  Gtk::SearchEntry entry_;
  Gtk::Button previous_{"上一个"};
  Gtk::Button next_{"下一个"};
  Gtk::CheckButton matchCase_{"区分大小写"};
  Gtk::Label count_;
  Gtk::Button close_;
};

}  // namespace zel
