#include "support/menu_path.h"

namespace zel::test {

namespace {

// "查看(_V)" and "添加到过滤器(_F)..." are found as "查看" and "添加到过滤器".
std::string Plain(const char* label) {
  std::string s = label ? label : "";
  size_t mnemonic = s.find("(_");
  if (mnemonic != std::string::npos) s.erase(mnemonic);
  while (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}

GtkWidget* Child(GtkWidget* shell, const std::string& label) {
  GtkWidget* found = nullptr;
  GList* items = gtk_container_get_children(GTK_CONTAINER(shell));
  for (GList* l = items; l && !found; l = l->next) {
    GtkWidget* w = GTK_WIDGET(l->data);
    if (GTK_IS_MENU_ITEM(w) && !GTK_IS_SEPARATOR_MENU_ITEM(w) &&
        Plain(gtk_menu_item_get_label(GTK_MENU_ITEM(w))) == label)
      found = w;
  }
  g_list_free(items);
  return found;
}

}  // namespace

GtkWidget* MenuItemAt(GtkWidget* menuBar, std::initializer_list<std::string> path) {
  GtkWidget* shell = menuBar;
  GtkWidget* item = nullptr;
  size_t i = 0;
  for (const std::string& label : path) {
    if (!shell) return nullptr;
    item = Child(shell, label);
    if (!item) return nullptr;
    if (++i == path.size()) break;
    // Opening a menu fills what it fills on opening.
    gtk_menu_item_activate(GTK_MENU_ITEM(item));
    shell = gtk_menu_item_get_submenu(GTK_MENU_ITEM(item));
  }
  return item;
}

bool ActivateMenuPath(GtkWidget* menuBar, std::initializer_list<std::string> path) {
  GtkWidget* item = MenuItemAt(menuBar, path);
  if (!item || !gtk_widget_get_sensitive(item)) return false;
  gtk_menu_item_activate(GTK_MENU_ITEM(item));
  gtk_menu_shell_deactivate(GTK_MENU_SHELL(menuBar));
  return true;
}

bool MenuItemChecked(GtkWidget* item) {
  return item && GTK_IS_CHECK_MENU_ITEM(item) &&
         gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item));
}

}  // namespace zel::test
