#include "window/gtk/tray_icon.h"

#include "window/gtk/tray_kinds.h"

namespace zel {

namespace {
// The name StatusNotifierItems register with; its owner hosts them in a panel.
constexpr char kWatcherName[] = "org.kde.StatusNotifierWatcher";
// How long a shown icon waits for the bus to say whether a watcher runs; after that the
// XEmbed icon stands in until the answer comes.
constexpr guint kAnswerWaitMs = 2000;

struct MenuRun {
  const TrayPort::Actions* actions;
  std::function<void()> TrayPort::Actions::*action;
};
}  // namespace

GtkWidget* NewTrayMenu(const TrayPort::Actions* actions, GtkWidget** showItem) {
  GtkWidget* menu = gtk_menu_new();
  const struct {
    const char* text;
    std::function<void()> TrayPort::Actions::*action;
  } entries[] = {
      {"显示", &TrayPort::Actions::show},
      {"退出", &TrayPort::Actions::quit},
  };
  for (const auto& e : entries) {
    GtkWidget* item = gtk_menu_item_new_with_label(e.text);
    g_signal_connect_data(
        item, "activate", G_CALLBACK(+[](GtkMenuItem*, gpointer data) {
          auto* run = static_cast<MenuRun*>(data);
          const std::function<void()>& f = run->actions->*(run->action);
          if (f) f();
        }),
        new MenuRun{actions, e.action},
        [](gpointer data, GClosure*) { delete static_cast<MenuRun*>(data); }, GConnectFlags(0));
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
    if (showItem && e.action == &TrayPort::Actions::show) *showItem = item;
  }
  gtk_widget_show_all(menu);
  return menu;
}

const char* TrayIconName() {
  GtkIconTheme* theme = gtk_icon_theme_get_default();
  return theme && gtk_icon_theme_has_icon(theme, "zel") ? "zel" : "web-browser";
}

TrayIcon::TrayIcon() {
  // Watched from the start, so the answer is there by the time the icon is wanted. Without
  // a session bus the name counts as vanished.
  watch_ = g_bus_watch_name(G_BUS_TYPE_SESSION, kWatcherName, G_BUS_NAME_WATCHER_FLAGS_NONE,
                            OnWatcherAppeared, OnWatcherVanished, this, nullptr);
}

TrayIcon::~TrayIcon() {
  RemoveIcon();
  if (watch_) g_bus_unwatch_name(watch_);
}

void TrayIcon::ShowIcon(u16view tip) {
  if (shown_) return;
  shown_ = true;
  tip_.assign(tip);
  if (watcher_ != Watcher::kUnknown) {
    Place(watcher_ == Watcher::kPresent);
    return;
  }
  lateTimer_ = g_timeout_add(kAnswerWaitMs, OnAnswerLate, this);
}

void TrayIcon::RemoveIcon() {
  shown_ = false;
  StopWaiting();
  indicator_.reset();
  statusIcon_.reset();
}

void TrayIcon::Place(bool indicator) {
  if (!shown_) return;
  if (indicator) {
    statusIcon_.reset();
    if (!indicator_) indicator_ = std::make_unique<IndicatorTray>(tip_, &actions_);
  } else {
    indicator_.reset();
    if (!statusIcon_) statusIcon_ = std::make_unique<StatusIconTray>(tip_, &actions_);
  }
}

void TrayIcon::StopWaiting() {
  if (lateTimer_) g_source_remove(lateTimer_);
  lateTimer_ = 0;
}

void TrayIcon::OnWatcherAppeared(GDBusConnection*, const gchar*, const gchar*, gpointer self) {
  auto* t = static_cast<TrayIcon*>(self);
  t->watcher_ = Watcher::kPresent;
  t->StopWaiting();
  t->Place(true);
}

void TrayIcon::OnWatcherVanished(GDBusConnection*, const gchar*, gpointer self) {
  auto* t = static_cast<TrayIcon*>(self);
  t->watcher_ = Watcher::kAbsent;
  t->StopWaiting();
  t->Place(false);
}

gboolean TrayIcon::OnAnswerLate(gpointer self) {
  auto* t = static_cast<TrayIcon*>(self);
  t->lateTimer_ = 0;
  t->Place(false);
  return G_SOURCE_REMOVE;
}

}  // namespace zel
