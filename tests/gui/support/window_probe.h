// What GUI tests read and do in the browser window as a user sees it: the widgets are
// found by their names in the window's widget tree (the names the window gives its
// parts), so the product classes carry nothing for tests.
#pragma once

#include <gtkmm.h>

#include <string>
#include <vector>

namespace zel {
class CChildFrame;
}

namespace zel::test {

class WindowProbe {
 public:
  explicit WindowProbe(Gtk::Window& window) : window_(window) {}

  // The engine widget that shows a tab's page; null when the window does not host it.
  GtkWidget* PageWidget(CChildFrame* child) const;
  Gtk::Notebook& strip() const;
  // The caption an entry of the strip shows.
  std::string EntryText(int index) const;
  int EntryCount() const;
  // The colour (0xRRGGBB) at the middle of an entry's icon, and of the address box's icon;
  // -1 without one.
  long EntryIconColor(int index) const;
  long AddressIconColor() const;
  // Types the text into the address box (the keyword box) and presses Enter with mods.
  void EnterAddress(const std::string& text, GdkModifierType mods) const;
  void EnterSearch(const std::string& text, GdkModifierType mods) const;
  std::string EngineButtonText() const;
  // The text of a tab's notification bar; empty when the bar is hidden.
  std::string PopupBarText(CChildFrame* child) const;
  std::string AddressText() const;
  std::string StatusText() const;
  // The status bar's indicator pane.
  std::string IndicatorText() const;
  bool SecureShown() const;
  // The "Standard" bar's button for a command; null when there is none.
  Gtk::ToolButton* StandardButton(int id) const;
  // The item texts of the page menu on screen (empty when none is shown).
  std::vector<std::string> ShownPopupMenu() const;
  // The menu of that name on screen ("page-menu", "tab-menu"), or null.
  GtkWidget* ShownMenu(const std::string& name) const;

  // The widget of that name in the window (internal children too), or null.
  GtkWidget* Find(const std::string& name) const;

 private:
  Gtk::Window& window_;
};

// The first widget named name at or under root, internal children included.
GtkWidget* FindWidget(GtkWidget* root, const std::string& name);
// The texts of column 0 of a tree view's rows under parent (the top level for null), in order.
std::vector<std::string> TreeRows(GtkWidget* tree, GtkTreeIter* parent = nullptr);

}  // namespace zel::test
