// The "Search" bar: the engine button with its menu, the keyword box (control 714) with
// its history, the search button, and the find (1086) and highlight (1087) buttons.
#pragma once

#include <gtkmm.h>

#include <functional>
#include <memory>

#include "search/search_bar_view.h"

namespace zel {

class SearchBar : public Gtk::Box, public SearchBarView {
 public:
  // What the bar reports of the user's input.
  struct Actions {
    // Enter in the keyword box or the search button: a search to the target (SearchMode).
    std::function<void(int target)> search;
    // An engine picked from the button's menu, or the find and highlight buttons.
    std::function<void(int id)> command;
  };

  SearchBar();

  void SetActions(Actions actions) { actions_ = std::move(actions); }

  u16 SearchBoxText() const override;
  void SetSearchBoxText(u16view text) override;
  void SetKeywordList(const std::vector<u16>& keywords) override;
  void SetEngineMenu(const EngineMenu& menu) override;
  void FocusSearchBox() override;
  bool SearchBoxHasFocus() const override;

 private:
  bool OnKeywordKey(GdkEventKey* e);
  Gtk::Entry& keyword() const { return *const_cast<Gtk::ComboBoxText&>(keywordBox_).get_entry(); }

  Actions actions_;
  Gtk::ComboBoxText keywordBox_{true};
  Gtk::MenuButton engineButton_;
  Gtk::Box engineFace_{Gtk::ORIENTATION_HORIZONTAL, 4};
  Gtk::Image engineIcon_;
  Gtk::Label engineLabel_;
  Gtk::Button searchButton_{"搜索"};
  Gtk::Button findButton_;
  Gtk::Button highlightButton_;
  std::unique_ptr<Gtk::Menu> engineMenu_;
};

}  // namespace zel
