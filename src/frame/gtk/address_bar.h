// The address box (control 711): an editable combo box whose list holds the typed
// addresses, and the "Open" dialog over the window.
#pragma once

#include <gtkmm.h>

#include <functional>

#include "frame/address_bar_view.h"
#include "frame/address_entry.h"

namespace zel {

class AddressBar : public Gtk::ComboBoxText, public AddressBarView {
 public:
  // What the box reports of the user's input.
  struct Actions {
    std::function<void(u16 text, ModifierState keys)> enter;  // Enter in the edit
    std::function<void(u16 text)> listChoice;                 // a row picked from the list
    std::function<void()> escape;                             // Esc in the edit
    std::function<void(int id)> command;  // the reopen button and its closed-pages menu
    std::function<void(u16 text)> typing;  // the user changed the text
  };

  AddressBar();

  void SetActions(Actions actions) { actions_ = std::move(actions); }
  // Esc while the edit has the focus: the edit gets the tab's address back and the key goes
  // no further (the page is left alone). False when the edit does not have the focus.
  bool TakeEscape();
  // The reopen button (985) with its drop-down arrow, shown beside the box.
  Gtk::Widget& reopenButton() { return reopenBar_; }

  // Leaves what the user is typing alone; the blank page shows as an empty box, and text
  // shown while the box has the focus is selected, so typing replaces it.
  void SetAddressText(u16view text) override;
  void SetAddressList(const std::vector<u16>& entries) override;
  void FocusAddressBox() override;
  void SetAddressIcon(int icon) override;
  void PopupAddressList() override;
  std::optional<OpenChoice> AskOpenAddress(const std::vector<u16>& history) override;
  void SetClosedPages(const std::vector<ClosedMenuEntry>& newestFirst) override;
  void ShowSuggestions(const std::vector<AddressSuggestion>& rows) override;
  // The suggestions shown under the box (their addresses), for tests.
  std::vector<std::string> ShownSuggestions() const;

 private:
  bool OnKey(GdkEventKey* e);

  // Sets the edit's text as the program's, not the user's.
  void ShowText(const std::string& text);

  Actions actions_;
  Gtk::Entry& edit_;
  // The user changed the text since the box took the focus: the page's own navigations
  // leave it alone until Enter, Esc, a pick from the list or another tab in front.
  bool edited_ = false;
  bool settingText_ = false;
  bool fillingList_ = false;
  Gtk::Toolbar reopenBar_;
  Gtk::MenuToolButton reopen_;
  Gtk::Menu closedMenu_;
  // The suggestions under the box while the user types.
  struct SuggestionColumns : Gtk::TreeModelColumnRecord {
    SuggestionColumns() {
      add(url);
      add(title);
    }
    Gtk::TreeModelColumn<Glib::ustring> url, title;
  } suggestionColumns_;
  Glib::RefPtr<Gtk::ListStore> suggestionRows_;
  Glib::RefPtr<Gtk::EntryCompletion> suggestions_;
  void SetUpSuggestions();
};

}  // namespace zel
