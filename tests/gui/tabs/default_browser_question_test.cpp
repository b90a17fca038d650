// The start-up question in the real window, over GIO in the build tree's scratch desktop
// folders (ctest gives this test a home there, whose XDG folders GLib uses): another browser
// is the default, a desktop session runs, checkdefault is 1, so "设置默认浏览器" comes up
// after the frame is shown; "确定" with "下次不再提醒我" checked makes Zel the default and
// stops the question.
#include <gio/gio.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "base/files.h"
#include "settings/settings_file.h"
#include "support/pump.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

std::string HttpHandler() {
  GAppInfo* app = g_app_info_get_default_for_type("x-scheme-handler/http", FALSE);
  std::string id = app && g_app_info_get_id(app) ? g_app_info_get_id(app) : "";
  if (app) g_object_unref(app);
  return id;
}

class DefaultBrowserQuestion : public FrameTest {
 protected:
  void BeforeStart() override {
    const std::string config = g_get_user_config_dir(), data = g_get_user_data_dir();
    scratch_ = config.find("/defbrowser_home/") != std::string::npos &&
               data.find("/defbrowser_home/") != std::string::npos;
    if (!scratch_) return;
    data_ = data;
    const std::string apps = JoinPath(data, "applications");
    CreateFolderLevels(apps);
    CreateFolderLevels(config);
    ::unlink(JoinPath(apps, "zel.desktop").c_str());
    WriteFileAtomic(JoinPath(apps, "other.desktop"),
                    "[Desktop Entry]\nType=Application\nName=Other\nExec=/bin/true %U\n"
                    "MimeType=x-scheme-handler/http;x-scheme-handler/https;text/html;\n");
    WriteFileAtomic(JoinPath(config, "mimeapps.list"),
                    "[Default Applications]\nx-scheme-handler/http=other.desktop\n"
                    "x-scheme-handler/https=other.desktop\ntext/html=other.desktop\n");
    setenv("XDG_CURRENT_DESKTOP", "X-Zel-Test", 1);
  }
  void TearDown() override {
    FrameTest::TearDown();
    unsetenv("XDG_CURRENT_DESKTOP");
  }
  static Gtk::Window* ShownDialog() {
    for (Gtk::Window* w : Gtk::Window::list_toplevels())
      if (w->get_name() == "default-browser-dialog" && w->get_mapped()) return w;
    return nullptr;
  }
  static std::string LabelText(GtkWidget* root) {
    if (GTK_IS_LABEL(root)) return gtk_label_get_text(GTK_LABEL(root));
    std::string out;
    if (GTK_IS_CONTAINER(root)) {
      GList* kids = gtk_container_get_children(GTK_CONTAINER(root));
      for (GList* k = kids; k; k = k->next) out += LabelText(GTK_WIDGET(k->data));
      g_list_free(kids);
    }
    return out;
  }
  bool scratch_ = false;
  std::string data_;
};

TEST_F(DefaultBrowserQuestion, OkWithTheBoxCheckedMakesZelTheDefaultAndStopsAsking) {
  if (!scratch_) GTEST_SKIP() << "runs through ctest, with the build tree's scratch home";
  ASSERT_EQ(HttpHandler(), "other.desktop");
  Gtk::Window* dialog = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (dialog = ShownDialog()) != nullptr; }, 10s));
  EXPECT_EQ(dialog->get_title(), "设置默认浏览器");
  const std::string text = LabelText(GTK_WIDGET(dialog->gobj()));
  EXPECT_NE(text.find("Zel浏览器未被设置为默认浏览器！\n\n您是否愿意将Zel浏览器设置为默认浏览器？ "),
            std::string::npos);
  GtkWidget* again = FindWidget(GTK_WIDGET(dialog->gobj()), "default-browser-again");
  GtkWidget* ok = FindWidget(GTK_WIDGET(dialog->gobj()), "default-browser-ok");
  ASSERT_TRUE(again && ok);
  EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(again)), "下次不再提醒我");
  EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(ok)), "确定");
  EXPECT_NE(FindWidget(GTK_WIDGET(dialog->gobj()), "default-browser-cancel"), nullptr);
  // The question does not hold the main loop: a tab opens behind it.
  const size_t tabs = Entries().size();
  frame().OpenInNewTab(u"about:blank", true);
  EXPECT_TRUE(PumpUntil([&] { return Entries().size() == tabs + 1; }, 5s));

  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(again), TRUE);
  gtk_button_clicked(GTK_BUTTON(ok));
  EXPECT_TRUE(PumpUntil([] { return HttpHandler() == "zel.desktop"; }, 10s));
  EXPECT_TRUE(PumpUntil([] { return ShownDialog() == nullptr; }, 5s));
  EXPECT_EQ(SettingsSnapshot(u"config.ini").ReadInt(u"GENERAL", u"checkdefault", -1), 0);
  EXPECT_NE(SettingsSnapshot(u"config.ini").ReadText(u"DEFBROWSER", u"x-scheme-handler/http"), u"");
  EXPECT_TRUE(FileExists(JoinPath(data_, "applications/zel.desktop")));
}

}  // namespace
