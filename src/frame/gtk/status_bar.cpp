#include "frame/gtk/status_bar.h"

#include <algorithm>

#include "base/commands.h"
#include "frame/gtk/shown_text.h"

namespace zel {

namespace {
// The zoom pane's levels, the commands 1116..1122 in order.
constexpr const char* kZoomLevels[] = {"50%", "100%", "120%", "150%", "180%", "200%", "300%"};
}  // namespace

StatusBar::StatusBar() : Gtk::Box(Gtk::ORIENTATION_HORIZONTAL) {
  set_name("status-bar");
  text_.set_name("status-text");
  progress_.set_name("load-progress");
  progress_.set_size_request(120, -1);
  progress_.set_valign(Gtk::ALIGN_CENTER);
  progress_.set_no_show_all(true);
  secure_.set_name("secure-indicator");
  secure_.set_from_icon_name("channel-secure-symbolic", Gtk::ICON_SIZE_MENU);
  secure_.set_tooltip_text("安全连接");
  secure_.set_no_show_all(true);
  pack_start(text_, Gtk::PACK_EXPAND_WIDGET);
  pack_start(secure_, Gtk::PACK_SHRINK);
  pack_start(progress_, Gtk::PACK_SHRINK);
  indicators_.set_name("indicator-pane");
  // The panes whose text changes (the indicators, the free memory) give way first: the
  // status bar never asks the window to grow, even with the progress bar showing in a
  // narrow window.
  indicators_.set_ellipsize(Pango::ELLIPSIZE_END);
  indicators_.set_margin_start(8);
  indicators_.set_margin_end(8);
  pack_start(indicators_, Gtk::PACK_SHRINK);
  // The switch panes: each runs its command; their look follows the state (RefreshPanes).
  struct Pane {
    Gtk::Button* button;
    const char* name;
    const char* tip;
    int command;
  } panes[] = {{&popupPane_, "pane-330", "弹出窗口过滤器", cmd::kPopupFilter},
               {&frontPane_, "pane-331", "在前台/后台打开链接", cmd::kActivateNewTabs}};
  for (const Pane& p : panes) {
    p.button->set_name(p.name);
    p.button->set_tooltip_text(p.tip);
    p.button->set_relief(Gtk::RELIEF_NONE);
    p.button->set_focus_on_click(false);
    int id = p.command;
    p.button->signal_clicked().connect([this, id] {
      if (!refreshing_ && actions_.run) actions_.run(id);
    });
    pack_start(*p.button, Gtk::PACK_SHRINK);
  }
  popupPane_.set_label("弹出窗口过滤器");
  zoomPane_.set_name("pane-332");
  zoomPane_.set_tooltip_text("页面缩放");
  zoomPane_.set_relief(Gtk::RELIEF_NONE);
  zoomPane_.set_label("100%");
  for (int i = 0; i < 7; ++i) {
    auto* item = Gtk::manage(new Gtk::MenuItem(kZoomLevels[i]));
    int id = cmd::kZoom50 + i;
    item->signal_activate().connect([this, id] {
      if (actions_.run) actions_.run(id);
    });
    zoomMenu_.append(*item);
  }
  zoomMenu_.show_all();
  zoomPane_.set_popup(zoomMenu_);
  pack_start(zoomPane_, Gtk::PACK_SHRINK);
  memory_.set_name("pane-333");
  memory_.set_tooltip_text("空闲空存");
  memory_.set_ellipsize(Pango::ELLIPSIZE_END);
  memory_.set_margin_start(8);
  memory_.set_margin_end(8);
  pack_start(memory_, Gtk::PACK_SHRINK);
}

void StatusBar::SetMemoryPaneText(u16view text) { memory_.set_text(ToUtf8(text)); }

void StatusBar::RefreshPanes() {
  if (!actions_.checked) return;
  refreshing_ = true;
  bool popupOn = actions_.checked(cmd::kPopupFilter).value_or(false);
  popupPane_.set_active(popupOn);
  popupPane_.set_tooltip_text(popupOn ? "弹出窗口过滤器: 已启用" : "弹出窗口过滤器: 已停用");
  bool front = actions_.checked(cmd::kActivateNewTabs).value_or(false);
  frontPane_.set_active(front);
  frontPane_.set_label(front ? "前台" : "后台");
  int percent = actions_.zoomPercent ? actions_.zoomPercent() : 100;
  zoomPane_.set_label(std::to_string(percent) + "%");
  refreshing_ = false;
}

void StatusBar::SetStatusText(u16view text) {
  text_.pop();
  text_.push(ShownText(text));
}

void StatusBar::SetProgress(int percentage) {
  if (percentage < 0) {
    progress_.hide();
    return;
  }
  progress_.set_fraction(std::min(percentage, 100) / 100.0);
  progress_.show();
}

void StatusBar::SetSecureIndicator(bool secure) {
  if (secure)
    secure_.show();
  else
    secure_.hide();
}

}  // namespace zel

namespace zel {

void StatusBar::SetIndicatorText(u16view text) { indicators_.set_text(ToUtf8(text)); }

}  // namespace zel
