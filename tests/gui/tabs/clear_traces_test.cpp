// Clearing what the engine keeps for sites, on a real WebKit view: the cookies with what
// sites stored, or the caches alone; the site icons go with the caches.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <gtkmm.h>

#include "base/commands.h"
#include "base/files.h"
#include "icons/site_icons.h"
#include "support/pump.h"
#include "support/synth_input.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class ClearTraces : public FrameTest {
 protected:
  // What a fresh page of the site finds: its cookie and its stored value.
  std::string WhatASiteKeeps(int n) {
    CChildFrame* tab = OpenAndWait("/t/Check" + std::to_string(n), "Check" + std::to_string(n));
    if (!tab) return "no page";
    return Run(tab, "document.cookie + '|' + localStorage.getItem('k')");
  }
};

TEST_F(ClearTraces, TemporaryFilesKeepWhatSitesStoredAndCookiesTakeIt) {
  CChildFrame* tab = OpenAndWait("/t/Store", "Store");
  ASSERT_NE(tab, nullptr);
  Run(tab, "document.cookie = 'c=1; max-age=3600'; localStorage.setItem('k', 'v'); 1");
  ASSERT_EQ(WhatASiteKeeps(0), "\"c=1|v\"");

  frame().OnCommand(cmd::kClearTemporaryFiles);
  // The caches only: the cookie and the stored value stay, however long the clearing takes.
  int n = 1;
  for (auto end = std::chrono::steady_clock::now() + 1500ms; std::chrono::steady_clock::now() < end;)
    ASSERT_EQ(WhatASiteKeeps(n++), "\"c=1|v\"");

  frame().OnCommand(cmd::kClearCookies);
  EXPECT_TRUE(PumpUntil([&] { return WhatASiteKeeps(n++) == "\"|null\""; }, 20s));
}

std::string RedIcon() {
  GdkPixbuf* p = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 16, 16);
  gdk_pixbuf_fill(p, 0xFF0000FF);
  gchar* buf = nullptr;
  gsize len = 0;
  bool ok = gdk_pixbuf_save_to_buffer(p, &buf, &len, "png", nullptr, nullptr);
  g_object_unref(p);
  std::string out = ok ? std::string(buf, len) : std::string();
  g_free(buf);
  return out;
}

// "全选" and "立即清除" in the dialog: the icons of the sites visited are gone too.
TEST_F(ClearTraces, ClearingEverythingInTheDialogTakesTheSiteIcons) {
  server_.SetPage("/favicon.ico", RedIcon());
  ASSERT_NE(OpenAndWait("/t/Iconic", "Iconic"), nullptr);
  const std::string icon = JoinPath(ProfileFolder() + "/iconcache",
                                    SiteIconFileName(FromUtf8(server_.Url("/"))));
  ASSERT_TRUE(PumpUntil([&] { return FileExists(icon); }, 20s)) << icon;
  ASSERT_TRUE(PumpUntil([&] { return !frame().controller<SiteIconsController>().fetching(); }));

  bool answered = false;
  sigc::connection watch = Glib::signal_timeout().connect(
      [&] {
        for (Gtk::Window* w : Gtk::Window::list_toplevels()) {
          if (w->get_name() != "clear-dialog" || !w->get_mapped()) continue;
          GtkWidget* all = nullptr;
          GtkWidget* now = nullptr;
          // The buttons by their labels, as a user finds them.
          std::function<void(GtkWidget*)> walk = [&](GtkWidget* x) {
            if (GTK_IS_BUTTON(x) && gtk_button_get_label(GTK_BUTTON(x))) {
              std::string l = gtk_button_get_label(GTK_BUTTON(x));
              if (l == "全选(_A)") all = x;
              if (l == "立即清除") now = x;
            }
            if (GTK_IS_CONTAINER(x)) {
              GList* kids = gtk_container_get_children(GTK_CONTAINER(x));
              for (GList* k = kids; k; k = k->next) walk(GTK_WIDGET(k->data));
              g_list_free(kids);
            }
          };
          walk(GTK_WIDGET(w->gobj()));
          if (!all || !now) return true;
          for (GtkWidget* b : {all, now}) ClickWidget(b);
          answered = true;
          return false;
        }
        return true;
      },
      50);
  frame().OnCommand(cmd::kClearTraces);
  watch.disconnect();
  ASSERT_TRUE(answered);
  EXPECT_FALSE(FileExists(icon));
}

}  // namespace
