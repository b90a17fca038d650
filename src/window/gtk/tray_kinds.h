// The two kinds of tray icon TrayIcon chooses from. Each shows itself while it lives.
#pragma once

#include <gtk/gtk.h>

#include "window/tray_port.h"

typedef struct _AppIndicator AppIndicator;

namespace zel {

// The tray menu ("显示", "退出"), its items running the actions (which outlive the menu).
// showItem, when given, receives the "显示" item. The menu is floating, its items shown.
GtkWidget* NewTrayMenu(const TrayPort::Actions* actions, GtkWidget** showItem = nullptr);

// The theme's name for the program's icon: its own, or the web-browser icon standing in.
const char* TrayIconName();

// A GtkStatusIcon: a plug window for an XEmbed tray; a click shows the frame.
class StatusIconTray {
 public:
  StatusIconTray(u16view tip, const TrayPort::Actions* actions);
  ~StatusIconTray();
  StatusIconTray(const StatusIconTray&) = delete;
  StatusIconTray& operator=(const StatusIconTray&) = delete;

 private:
  static void OnActivate(GtkStatusIcon*, gpointer self);
  static void OnPopup(GtkStatusIcon*, guint button, guint time, gpointer self);

  const TrayPort::Actions* actions_;
  GtkStatusIcon* icon_ = nullptr;
  GtkWidget* menu_ = nullptr;
};

// An AppIndicator: a StatusNotifierItem on the session bus, its menu exported over
// com.canonical.dbusmenu; the middle click runs "显示".
class IndicatorTray {
 public:
  IndicatorTray(u16view tip, const TrayPort::Actions* actions);
  ~IndicatorTray();
  IndicatorTray(const IndicatorTray&) = delete;
  IndicatorTray& operator=(const IndicatorTray&) = delete;

 private:
  AppIndicator* indicator_ = nullptr;
  GtkWidget* menu_ = nullptr;
};

}  // namespace zel
