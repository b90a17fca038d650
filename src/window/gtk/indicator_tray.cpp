#include <libayatana-appindicator/app-indicator.h>

#include "window/gtk/tray_kinds.h"

namespace zel {

IndicatorTray::IndicatorTray(u16view tip, const TrayPort::Actions* actions) {
  indicator_ = app_indicator_new("zel", TrayIconName(), APP_INDICATOR_CATEGORY_APPLICATION_STATUS);
  app_indicator_set_title(indicator_, ToUtf8(tip).c_str());
  GtkWidget* showItem = nullptr;
  // Kept by this object as well as by the indicator, so it can be destroyed after it.
  menu_ = GTK_WIDGET(g_object_ref_sink(NewTrayMenu(actions, &showItem)));
  app_indicator_set_menu(indicator_, GTK_MENU(menu_));
  // The panel's middle click (the item's SecondaryActivate) runs "显示".
  app_indicator_set_secondary_activate_target(indicator_, showItem);
  app_indicator_set_status(indicator_, APP_INDICATOR_STATUS_ACTIVE);
}

IndicatorTray::~IndicatorTray() {
  // Passive first: the panel drops the item at once, before the object leaves the bus.
  app_indicator_set_status(indicator_, APP_INDICATOR_STATUS_PASSIVE);
  g_object_unref(indicator_);
  gtk_widget_destroy(menu_);
  g_object_unref(menu_);
}

}  // namespace zel
