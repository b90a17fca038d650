// Driving the window's menus and its modal dialogs as a user does: a menu item is found by
// the labels on the way to it and activated; a dialog is answered from inside the loop
// that shows it, by its buttons.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

namespace zel::test {

// Activates the item at the end of path in the menu bar (each label compared without its
// mnemonic: "工具", "代理", "设置代理..."), opening each popup on the way. False when an item
// is missing or cannot be used.
bool ActivateMenuPath(GtkWidget* menuBar, const std::vector<std::string>& path);

// The mapped top-level window of that widget name, or null.
GtkWidget* ShownWindow(const std::string& name);
// The mapped message box whose text starts with prefix, or null.
GtkWidget* ShownMessageBox(const std::string& prefix);
// Clicks the button labelled label at or under root (its "clicked", as a click gives).
bool ClickButton(GtkWidget* root, const std::string& label);

// Polls (every 20 ms) until find gives a window, then runs act on it once. The poll ends
// with the returned handle's disconnect, or after act ran.
class WhenShown {
 public:
  WhenShown(std::function<GtkWidget*()> find, std::function<void(GtkWidget*)> act);
  ~WhenShown();
  bool done() const { return done_; }

 private:
  std::function<GtkWidget*()> find_;
  std::function<void(GtkWidget*)> act_;
  guint source_ = 0;
  bool done_ = false;
};

}  // namespace zel::test
