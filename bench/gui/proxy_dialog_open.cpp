// Opens the proxy dialog "设置代理" over 10 000 entries in 50 categories and prints the time
// from the command to the dialog on screen, drawn (it is closed again at once).
// Needs a display (xvfb-run -a build/bench/proxy_dialog_open).
#include <gtkmm.h>

#include <chrono>
#include <cstdio>

#include "proxy/gtk/proxy_dialogs.h"

using namespace zel;

int main(int argc, char** argv) {
  auto app = Gtk::Main(argc, argv);
  Gtk::Window parent;
  parent.show();
  ProxyDialogs dialogs(&parent);
  ProxyDialogState state;
  for (int k = 0; k < 50; ++k) {
    ProxyCategory c;
    c.name = u"类别 " + IntToText(k);
    for (int n = 0; n < 200; ++n)
      c.entries.push_back({u"代理 " + IntToText(n), Format(u"10.%d.%d.%d:8080", k, n / 256, n % 256), 3});
    state.list.categories.push_back(std::move(c));
  }
  state.list.AddBuiltIns();
  // The category shown first holds the chosen proxy.
  state.chosen = u"10.49.0.199:8080";
  const int runs = 5;
  double total = 0, worst = 0;
  for (int i = 0; i < runs; ++i) {
    auto start = std::chrono::steady_clock::now();
    double ms = 0;
    // Drawn: the first frame after the dialog is mapped, then it is closed.
    sigc::connection c = Glib::signal_idle().connect(
        [&] {
          for (Gtk::Window* w : Gtk::Window::list_toplevels()) {
            auto* d = dynamic_cast<Gtk::Dialog*>(w);
            if (d && w->get_name() == "proxy-dialog" && w->get_mapped()) {
              ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                              start)
                       .count();
              d->response(Gtk::RESPONSE_CANCEL);
              return false;
            }
          }
          return true;
        },
        Glib::PRIORITY_LOW);
    ProxyDialogState copy = state;
    dialogs.EditProxies(copy);
    c.disconnect();
    total += ms;
    if (ms > worst) worst = ms;
  }
  std::printf("proxy dialog open (10000 entries, 50 categories): mean %.1f ms, worst %.1f ms\n",
              total / runs, worst);
  return 0;
}
