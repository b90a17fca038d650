// The tab strip: a notebook whose pages are empty and whose tab labels are the entries
// (icon, caption, close button), with the mouse actions and the menu of an entry.
#pragma once

#include <gtkmm.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "frame/tab_strip_view.h"

namespace zel {

enum class TabMouse;

class TabStrip : public Gtk::Notebook, public TabStripView {
 public:
  // What the strip reports of the user's actions.
  struct Actions {
    std::function<void()> selected;  // the user picked another entry
    std::function<void(int index, TabMouse action)> mouse;
    // The entry menu's items; isOpen says whether the tab is still in the frame.
    std::function<bool(CChildFrame*)> isOpen;
    std::function<void(CChildFrame*)> toggleLock;
    std::function<void(CChildFrame*)> setPassword;
    std::function<void(CChildFrame*)> clearPassword;
    std::function<void(CChildFrame*)> close;
    // The bar's own items: 1215 runs its command, which is checked while panes are open.
    std::function<void(int id)> command;
    std::function<std::optional<bool>(int id)> checked;
  };

  TabStrip();
  ~TabStrip() override;

  void SetActions(Actions actions) { actions_ = std::move(actions); }
  // Entry width limits in pixels.
  void SetTabWidths(int minWidth, int maxWidth);

  void InsertTabEntry(int index, u16view caption, CChildFrame* child) override;
  void RemoveTabEntry(int index) override;
  void SelectTabEntry(int index) override;
  int SelectedTabEntry() const override;
  void SetTabEntryText(int index, u16view caption) override;
  void SetTabEntryIcon(int index, int icon) override;
  // The check state of the bar's items, from the frame.
  void RefreshStates();
  // The small tab style: lower entries with smaller icons and text.
  void SetSmallTabs(bool small);
  bool smallTabs() const { return small_; }

 private:
  void ShowTabList();
  struct Entry;
  Entry* EntryAt(int index) const;
  int IndexOfLabel(const Gtk::Widget* label) const;
  bool OnEntryButton(GdkEventButton* e, Gtk::Widget* label);
  void ShowTabMenu(int index);
  void OnTabMenuItem(CChildFrame* child, int id);

  Actions actions_;
  std::map<Gtk::Widget*, std::unique_ptr<Entry>> entries_;  // by page widget of the strip
  std::unique_ptr<Gtk::Menu> tabMenu_;
  sigc::connection pendingTabMenu_;
  // The right press the pending menu answers: the menu opens where it was, with it as the
  // event that triggered it.
  GdkEvent* tabMenuTrigger_ = nullptr;
  Glib::RefPtr<Gdk::Pixbuf> IconFor(int icon) const;
  void StyleEntry(Entry& e);

  int minTabWidth_ = 50, maxTabWidth_ = 100;
  bool small_ = false;
  bool selecting_ = false;  // a selection made by the program, not the user
  bool refreshing_ = false;  // the items' states are being set from the frame's
  // At the strip's end: the side-pane switch (1215) and the tab list (712).
  Gtk::Box items_{Gtk::ORIENTATION_HORIZONTAL, 0};
  Gtk::ToggleButton sidebar_;
  Gtk::Button tabList_;
  Gtk::Button newTab_;
  std::unique_ptr<Gtk::Menu> tabListMenu_;
};

}  // namespace zel
