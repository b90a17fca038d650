// The tray icon, in the kind the desktop shows: a StatusNotifierItem (an AppIndicator) when
// the session bus has a StatusNotifierWatcher (KDE, GNOME with the AppIndicator extension,
// XFCE's panel plugin), else a GtkStatusIcon, which XEmbed trays take. Its menu has "显示"
// and "退出" either way.
#pragma once

#include <gio/gio.h>

#include <memory>

#include "window/tray_port.h"

namespace zel {

class StatusIconTray;
class IndicatorTray;

class TrayIcon : public TrayPort {
 public:
  TrayIcon();
  ~TrayIcon() override;
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  void SetActions(Actions actions) override { actions_ = std::move(actions); }
  void ShowIcon(u16view tip) override;
  void RemoveIcon() override;
  // True from ShowIcon on, also in the moment before the bus has said which kind to make.
  bool IconShown() const override { return shown_; }

 private:
  enum class Watcher { kUnknown, kPresent, kAbsent };
  static void OnWatcherAppeared(GDBusConnection*, const gchar*, const gchar*, gpointer self);
  static void OnWatcherVanished(GDBusConnection*, const gchar*, gpointer self);
  static gboolean OnAnswerLate(gpointer self);
  // Makes the kind the watcher's presence asks for, dropping the other one.
  void Place(bool indicator);
  void StopWaiting();

  Actions actions_;
  std::u16string tip_;
  bool shown_ = false;
  Watcher watcher_ = Watcher::kUnknown;
  guint watch_ = 0;
  guint lateTimer_ = 0;
  std::unique_ptr<StatusIconTray> statusIcon_;
  std::unique_ptr<IndicatorTray> indicator_;
};

}  // namespace zel
