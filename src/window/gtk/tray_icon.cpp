#include "window/gtk/tray_icon.h"

namespace zel {

// GtkStatusIcon is what XEmbed trays take; GTK 3 marks it as old but keeps it working.
G_GNUC_BEGIN_IGNORE_DEPRECATIONS

TrayIcon::~TrayIcon() { RemoveIcon(); }

void TrayIcon::ShowIcon(u16view tip) {
  if (icon_) return;
  icon_ = gtk_status_icon_new_from_icon_name("zel");
  // Without the program's own icon installed the theme's web-browser icon stands in.
  GtkIconTheme* theme = gtk_icon_theme_get_default();
  if (!theme || !gtk_icon_theme_has_icon(theme, "zel"))
    gtk_status_icon_set_from_icon_name(icon_, "web-browser");
  gtk_status_icon_set_name(icon_, "zel-tray");
  gtk_status_icon_set_title(icon_, "Zel浏览器");
  gtk_status_icon_set_tooltip_text(icon_, ToUtf8(tip).c_str());
  g_signal_connect(icon_, "activate", G_CALLBACK(OnActivate), this);
  g_signal_connect(icon_, "popup-menu", G_CALLBACK(OnPopup), this);
  gtk_status_icon_set_visible(icon_, TRUE);
}

void TrayIcon::RemoveIcon() {
  if (menu_) {
    gtk_widget_destroy(menu_);
    menu_ = nullptr;
  }
  if (!icon_) return;
  gtk_status_icon_set_visible(icon_, FALSE);
  g_signal_handlers_disconnect_by_data(icon_, this);
  g_object_unref(icon_);
  icon_ = nullptr;
}

void TrayIcon::OnActivate(GtkStatusIcon*, gpointer self) {
  auto* t = static_cast<TrayIcon*>(self);
  if (t->actions_.show) t->actions_.show();
}

void TrayIcon::OnPopup(GtkStatusIcon* icon, guint button, guint time, gpointer self) {
  auto* t = static_cast<TrayIcon*>(self);
  if (!t->menu_) {
    t->menu_ = gtk_menu_new();
    struct Entry {
      const char* text;
      void (*run)(TrayIcon*);
    } entries[] = {
        {"显示", [](TrayIcon* me) { if (me->actions_.show) me->actions_.show(); }},
        {"退出", [](TrayIcon* me) { if (me->actions_.quit) me->actions_.quit(); }},
    };
    for (const Entry& e : entries) {
      GtkWidget* item = gtk_menu_item_new_with_label(e.text);
      g_object_set_data(G_OBJECT(item), "zel-run", reinterpret_cast<gpointer>(e.run));
      g_signal_connect(item, "activate", G_CALLBACK(+[](GtkMenuItem* mi, gpointer me) {
                         auto run = reinterpret_cast<void (*)(TrayIcon*)>(
                             g_object_get_data(G_OBJECT(mi), "zel-run"));
                         run(static_cast<TrayIcon*>(me));
                       }),
                       t);
      gtk_menu_shell_append(GTK_MENU_SHELL(t->menu_), item);
    }
    gtk_widget_show_all(t->menu_);
  }
  gtk_menu_popup(GTK_MENU(t->menu_), nullptr, nullptr, gtk_status_icon_position_menu, icon, button,
                 time);
}

G_GNUC_END_IGNORE_DEPRECATIONS

}  // namespace zel
