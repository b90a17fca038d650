#include "panes/gtk/web_pane.h"

namespace zel {

WebPane::WebPane(WebPaneController& controller)
    : Gtk::Box(Gtk::ORIENTATION_VERTICAL), controller_(controller) {
  set_name("web-pane");
  signal_map().connect([this] {
    if (made_) return;
    made_ = true;
    Engine* engine = controller_.engine();
    auto* w = engine ? static_cast<GtkWidget*>(engine->NativeWidget()) : nullptr;
    if (!w) return;
    gtk_widget_set_name(w, "web-pane-page");
    gtk_box_pack_start(GTK_BOX(gobj()), w, TRUE, TRUE, 0);
    gtk_widget_show(w);
  });
}

}  // namespace zel
