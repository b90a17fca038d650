// Menu items of the window's menu bar reached as a user reaches them: each menu opened by
// its label (the text before its mnemonic), the last item activated.
#pragma once

#include <gtk/gtk.h>

#include <initializer_list>
#include <string>

namespace zel::test {

// The item at the end of the path of labels under the menu bar, or null. Each menu on the
// way is activated (opened) as a click on it would.
GtkWidget* MenuItemAt(GtkWidget* menuBar, std::initializer_list<std::string> path);
// Activates that item (as a click on it does); false when there is none.
bool ActivateMenuPath(GtkWidget* menuBar, std::initializer_list<std::string> path);
// Whether the item is a check item that shows its check mark.
bool MenuItemChecked(GtkWidget* item);

}  // namespace zel::test
