#include "support/dialog_driver.h"

#include "support/window_probe.h"

namespace zel::test {

namespace {

std::string Plain(const char* label) {
  std::string s = label ? label : "";
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '_') continue;
    // "(_P)" and "(&P)" mnemonics at the end go with their brackets.
    if (s[i] == '(' && i + 2 < s.size() && s.find(')', i) == s.size() - 1 && s.size() - i <= 5)
      break;
    out += s[i];
  }
  return out;
}

GtkWidget* ItemIn(GtkWidget* shell, const std::string& label) {
  GtkWidget* found = nullptr;
  GList* items = gtk_container_get_children(GTK_CONTAINER(shell));
  for (GList* l = items; l && !found; l = l->next) {
    if (!GTK_IS_MENU_ITEM(l->data) || GTK_IS_SEPARATOR_MENU_ITEM(l->data)) continue;
    if (Plain(gtk_menu_item_get_label(GTK_MENU_ITEM(l->data))) == label) found = GTK_WIDGET(l->data);
  }
  g_list_free(items);
  return found;
}

void FindButton(GtkWidget* w, const std::string& label, GtkWidget** out) {
  if (*out) return;
  if (GTK_IS_BUTTON(w) && Plain(gtk_button_get_label(GTK_BUTTON(w))) == label) {
    *out = w;
    return;
  }
  if (GTK_IS_CONTAINER(w)) {
    GList* children = gtk_container_get_children(GTK_CONTAINER(w));
    for (GList* l = children; l; l = l->next) FindButton(GTK_WIDGET(l->data), label, out);
    g_list_free(children);
  }
}

}  // namespace

bool ActivateMenuPath(GtkWidget* menuBar, const std::vector<std::string>& path) {
  GtkWidget* shell = menuBar;
  GtkWidget* item = nullptr;
  for (size_t i = 0; i < path.size(); ++i) {
    if (!shell) return false;
    item = ItemIn(shell, path[i]);
    if (!item || !gtk_widget_is_sensitive(item)) return false;
    if (i + 1 < path.size()) {
      // Opening the popup fills the items it builds as it opens.
      gtk_menu_item_activate(GTK_MENU_ITEM(item));
      shell = gtk_menu_item_get_submenu(GTK_MENU_ITEM(item));
    }
  }
  gtk_menu_shell_deactivate(GTK_MENU_SHELL(menuBar));
  gtk_menu_item_activate(GTK_MENU_ITEM(item));
  return true;
}

GtkWidget* ShownWindow(const std::string& name) {
  GtkWidget* found = nullptr;
  GList* all = gtk_window_list_toplevels();
  for (GList* l = all; l && !found; l = l->next) {
    GtkWidget* w = GTK_WIDGET(l->data);
    if (gtk_widget_get_mapped(w) && name == gtk_widget_get_name(w)) found = w;
  }
  g_list_free(all);
  return found;
}

GtkWidget* ShownMessageBox(const std::string& prefix) {
  GtkWidget* found = nullptr;
  GList* all = gtk_window_list_toplevels();
  for (GList* l = all; l && !found; l = l->next) {
    GtkWidget* w = GTK_WIDGET(l->data);
    if (!GTK_IS_MESSAGE_DIALOG(w) || !gtk_widget_get_mapped(w)) continue;
    gchar* text = nullptr;
    g_object_get(w, "text", &text, nullptr);
    if (text && std::string(text).rfind(prefix, 0) == 0) found = w;
    g_free(text);
  }
  g_list_free(all);
  return found;
}

bool ClickButton(GtkWidget* root, const std::string& label) {
  GtkWidget* button = nullptr;
  FindButton(root, label, &button);
  if (!button || !gtk_widget_is_sensitive(button)) return false;
  gtk_button_clicked(GTK_BUTTON(button));
  return true;
}

WhenShown::WhenShown(std::function<GtkWidget*()> find, std::function<void(GtkWidget*)> act)
    : find_(std::move(find)), act_(std::move(act)) {
  source_ = g_timeout_add(
      20,
      [](gpointer self) -> gboolean {
        auto* w = static_cast<WhenShown*>(self);
        GtkWidget* shown = w->find_();
        if (!shown) return G_SOURCE_CONTINUE;
        w->source_ = 0;
        w->done_ = true;
        w->act_(shown);
        return G_SOURCE_REMOVE;
      },
      this);
}

WhenShown::~WhenShown() {
  if (source_) g_source_remove(source_);
}

}  // namespace zel::test
