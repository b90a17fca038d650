// The tray icon: a GtkStatusIcon, which XEmbed trays (and the tray hosts that still take
// them) show; its menu has "显示" and "退出".
#pragma once

#include <gtk/gtk.h>

#include "window/tray_port.h"

namespace zel {

class TrayIcon : public TrayPort {
 public:
  TrayIcon() = default;
  ~TrayIcon() override;
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  void SetActions(Actions actions) override { actions_ = std::move(actions); }
  void ShowIcon(u16view tip) override;
  void RemoveIcon() override;
  bool IconShown() const override { return icon_ != nullptr; }

 private:
  static void OnActivate(GtkStatusIcon*, gpointer self);
  static void OnPopup(GtkStatusIcon*, guint button, guint time, gpointer self);

  Actions actions_;
  GtkStatusIcon* icon_ = nullptr;
  GtkWidget* menu_ = nullptr;
};

}  // namespace zel
