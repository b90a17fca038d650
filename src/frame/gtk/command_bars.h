// The window's command sources: the menu bar, the "Standard" bar (back, forward, the
// history list, refresh, stop, home) and the key table. Each runs a command id; their check marks and enabled
// states follow the frame's after every command.
#pragma once

#include <gtkmm.h>

#include <functional>
#include <map>
#include <optional>

#include "frame/menu_model.h"
#include "frame/page_commands.h"

namespace zel {

class CommandBars {
 public:
  struct Actions {
    std::function<void(int id)> run;
    std::function<std::optional<bool>(int id)> checked;
    std::function<bool(int id)> enabled;
    // The history list's rows when it opens, and a row picked from it.
    std::function<std::vector<HistoryMenuEntry>()> historyMenu;
    std::function<void(int offset)> travel;
  };

  CommandBars();
  ~CommandBars() {
    for (auto& [text, tail] : tails_) tail.idle.disconnect();
  }

  void SetActions(Actions actions) { actions_ = std::move(actions); }
  Gtk::MenuBar& menuBar() { return menuBar_; }
  Gtk::Toolbar& standardBar() { return standard_; }

  // Fills the menu bar and the key table.
  void BuildMenus(const std::vector<MenuItem>& menus, const std::vector<KeyBinding>& keys);
  void RefreshStates();
  // The items after the fixed ones of the menu bar's popup with that text, asked for when
  // the menus are built, when their source changed (TailChanged) and, at the latest, as
  // the popup opens: nothing keeps the items it has, a list replaces them. They are in the
  // popup before GTK sizes it, so it opens at its full height.
  using PopupTail = std::function<std::optional<std::vector<MenuItem>>()>;
  void SetPopupTail(u16view popupText, PopupTail tail);
  // The source of a popup's tail changed: its items are asked for again while the loop is
  // idle (several changes in a row ask once).
  void TailChanged(u16view popupText);
  // Fills every popup tail whose source changed since it was last filled.
  void FillStaleTails();
  // A key pressed in the window: true when the key table ran a command for it.
  bool OnKey(GdkEventKey* e, const Glib::RefPtr<Gdk::Display>& display);

 private:
  Gtk::MenuItem* MakeItem(const MenuItem& item);
  void ShowHistoryMenu();
  void FillTail(Gtk::Menu& menu, std::vector<Gtk::MenuItem*>& shown, const PopupTail& tail);
  // Erases the ids of a removed item and its children from commandItems_.
  void ForgetItem(Gtk::Widget* item);

  Actions actions_;
  Gtk::MenuBar menuBar_;
  Gtk::Toolbar standard_;
  std::map<int, Gtk::ToolButton*> standardButtons_;
  Gtk::ToolButton* historyButton_ = nullptr;
  std::unique_ptr<Gtk::Menu> historyMenu_;
  std::map<int, Gtk::MenuItem*> commandItems_;
  std::map<std::pair<guint, guint>, int> keys_;
  bool refreshing_ = false;
  struct Tail {
    PopupTail fill;
    std::vector<Gtk::MenuItem*> shown;
    Gtk::Menu* menu = nullptr;
    sigc::connection idle;
    bool fresh = false;  // the items are the source's as it is now
  };
  std::map<u16, Tail> tails_;  // check marks are being set from the frame's state
};

// "Ctrl+Shift+PgDn" -> the key value and modifiers; false for a key it does not know.
bool ParseKey(u16view key, guint* keyval, Gdk::ModifierType* mods);

}  // namespace zel
