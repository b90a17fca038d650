#include "window/gtk/tray_kinds.h"

namespace zel {

// GtkStatusIcon is what XEmbed trays take; GTK 3 marks it as old but keeps it working.
G_GNUC_BEGIN_IGNORE_DEPRECATIONS

StatusIconTray::StatusIconTray(u16view tip, const TrayPort::Actions* actions)
    : actions_(actions) {
  icon_ = gtk_status_icon_new_from_icon_name(TrayIconName());
  gtk_status_icon_set_name(icon_, "zel-tray");
  gtk_status_icon_set_title(icon_, "Zel浏览器");
  gtk_status_icon_set_tooltip_text(icon_, ToUtf8(tip).c_str());
  g_signal_connect(icon_, "activate", G_CALLBACK(OnActivate), this);
  g_signal_connect(icon_, "popup-menu", G_CALLBACK(OnPopup), this);
  gtk_status_icon_set_visible(icon_, TRUE);
}

StatusIconTray::~StatusIconTray() {
  if (menu_) gtk_widget_destroy(menu_);
  gtk_status_icon_set_visible(icon_, FALSE);
  g_signal_handlers_disconnect_by_data(icon_, this);
  g_object_unref(icon_);
}

void StatusIconTray::OnActivate(GtkStatusIcon*, gpointer self) {
  auto* t = static_cast<StatusIconTray*>(self);
  if (t->actions_->show) t->actions_->show();
}

void StatusIconTray::OnPopup(GtkStatusIcon* icon, guint button, guint time, gpointer self) {
  auto* t = static_cast<StatusIconTray*>(self);
  if (!t->menu_) t->menu_ = NewTrayMenu(t->actions_);
  gtk_menu_popup(GTK_MENU(t->menu_), nullptr, nullptr, gtk_status_icon_position_menu, icon, button,
                 time);
}

G_GNUC_END_IGNORE_DEPRECATIONS

}  // namespace zel
