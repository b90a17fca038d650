// Text on the skins' colours as it is drawn: with the dark Ink skin the downloads bar's row,
// the side panes' tab captions and the search bar's buttons read, the web page pane's tab
// says what it is, and a skin without side-bar colours still gives readable pane tabs.
#include <gtest/gtest.h>
#include <gtkmm.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>

#include "base/commands.h"
#include "base/files.h"
#include "skin/skin_controller.h"
#include "support/pump.h"
#include "frame/gtk/main_window.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

double Luma(unsigned c) { return 0.299 * (c >> 16 & 255) + 0.587 * (c >> 8 & 255) + 0.114 * (c & 255); }

struct Look {
  double background = -1;  // the luma of the widget's most common colour
  double contrast = 0;     // the largest luma difference from it (the text)
};

// The widget as the window draws it: its background and its text's contrast on it.
Look LookOf(Gtk::Window& window, GtkWidget* widget) {
  gtk_container_check_resize(GTK_CONTAINER(window.gobj()));
  const int ww = window.get_allocated_width(), wh = window.get_allocated_height();
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, ww, wh);
  cairo_t* cr = cairo_create(surface);
  gtk_widget_draw(GTK_WIDGET(window.gobj()), cr);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  int x0 = 0, y0 = 0;
  gtk_widget_translate_coordinates(widget, GTK_WIDGET(window.gobj()), 0, 0, &x0, &y0);
  const int w = gtk_widget_get_allocated_width(widget), h = gtk_widget_get_allocated_height(widget);
  std::map<unsigned, int> counts;
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = std::max(y0, 0); y < std::min(y0 + h, wh); ++y)
    for (int x = std::max(x0, 0); x < std::min(x0 + w, ww); ++x)
      ++counts[*reinterpret_cast<const uint32_t*>(data + y * stride + x * 4) & 0xFFFFFF];
  cairo_surface_destroy(surface);
  Look look;
  if (counts.empty()) return look;
  unsigned bg = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
  look.background = Luma(bg);
  for (auto& [c, n] : counts) look.contrast = std::max(look.contrast, std::abs(Luma(c) - look.background));
  return look;
}

// The side panes' tab captions, by their text.
std::map<std::string, GtkWidget*> PaneTabs(GtkWidget* root) {
  std::map<std::string, GtkWidget*> out;
  std::function<void(GtkWidget*)> walk = [&](GtkWidget* w) {
    if (GTK_IS_LABEL(w) && std::string(gtk_widget_get_name(w)) == "pane-title")
      out[gtk_label_get_text(GTK_LABEL(w))] = w;
    if (GTK_IS_NOTEBOOK(w)) {
      for (int i = 0; i < gtk_notebook_get_n_pages(GTK_NOTEBOOK(w)); ++i)
        if (GtkWidget* tab = gtk_notebook_get_tab_label(GTK_NOTEBOOK(w), gtk_notebook_get_nth_page(GTK_NOTEBOOK(w), i)))
          walk(tab);
    }
    if (GTK_IS_CONTAINER(w)) {
      GList* kids = gtk_container_get_children(GTK_CONTAINER(w));
      for (GList* k = kids; k; k = k->next) walk(GTK_WIDGET(k->data));
      g_list_free(kids);
    }
  };
  walk(root);
  return out;
}

class SkinText : public FrameTest {
 protected:
  SkinText() { startWidth_ = 1200; }  // the search bar's buttons shown
  void BeforeStart() override {
    ASSERT_EQ(std::system(("cp -r '" ZEL_SKIN_SOURCE_DIR "' '" + dir_.path() + "/skin'").c_str()), 0);
    // A skin that names no side-bar colours: its pane title is the black of a missing colour.
    CreateFolderLevels(dir_.path() + "/skin/Plain");
    WriteFileAtomic(dir_.path() + "/skin/Plain/mskin.ini",
                    "[Global]\r\nCustomFrame=0\r\n[Backgrounds]\r\nMainPanel.Fill.ColorStart=F0F0F0\r\n"
                    "MainPanel.Fill.ColorEnd=E0E0E0\r\n[Colors]\r\nToolbar.Normal.Text=000000\r\n");
  }
  void Skin(const char* name) {
    frame().controller<SkinController>().SelectSkin(FromUtf8(name));
    PumpFor(100ms);
  }
  GtkWidget* Named(const std::string& name) { return probe().Find(name); }
};

TEST_F(SkinText, InkTextReadsOnItsDarkColours) {
  ASSERT_TRUE(PumpUntil([&] { return frame().deferredStartupDone(); }));
  Skin("Ink");
  // Each pane's title, with its pane shown.
  for (auto [pane, t] : {std::pair{cmd::kFavoritesPane, "收藏"}, std::pair{cmd::kHistoryPane, "历史"}}) {
    frame().OnCommand(pane);
    std::map<std::string, GtkWidget*> tabs;
    ASSERT_TRUE(PumpUntil([&] {
      tabs = PaneTabs(GTK_WIDGET(window().gobj()));
      return tabs.count(t) && gtk_widget_get_mapped(tabs[t]);
    })) << t;
    EXPECT_EQ(tabs.count(""), 0u) << "every pane's tab says what it is";
    Look look = LookOf(window(), tabs[t]);
    EXPECT_GT(look.contrast, 90) << t << " on " << look.background;
  }
  // The search bar's buttons are the bar's: dark, with light text.
  for (const char* name : {"search-button", "command-1086"}) {
    GtkWidget* b = Named(name);
    ASSERT_NE(b, nullptr) << name;
    Look look = LookOf(window(), b);
    EXPECT_LT(look.background, 100) << name;
    EXPECT_GT(look.contrast, 90) << name;
  }
  // The downloads bar's row after a download.
  server_.SetFile("/files/a.bin", "a.bin", std::string(1000, 'x'));
  server_.SetPage("/get", "<html><head><title>Get</title></head><body><a id=dl href=/files/a.bin>file</a></body></html>");
  CChildFrame* tab = OpenAndWait("/get", "Get");
  ASSERT_NE(tab, nullptr);
  CreateFolderLevels(dir_.path() + "/saved");
  destinations_.answers = {FromUtf8(dir_.path() + "/saved/a.bin")};
  Click(tab, "dl");
  GtkWidget* progress = nullptr;
  ASSERT_TRUE(PumpUntil([&] {
    progress = Named("download-progress");
    return progress && gtk_widget_get_mapped(progress) &&
           GTK_IS_PROGRESS_BAR(progress) &&
           gtk_progress_bar_get_text(GTK_PROGRESS_BAR(progress)) &&
           std::string(gtk_progress_bar_get_text(GTK_PROGRESS_BAR(progress))).find("已完成") == 0;
  }, 30s));
  for (const char* name : {"download-name", "download-progress"}) {
    Look look = LookOf(window(), Named(name));
    EXPECT_GT(look.contrast, 90) << name << " on " << look.background;
  }
}

TEST_F(SkinText, PaneTabsReadOnASkinWithoutSideBarColours) {
  ASSERT_TRUE(PumpUntil([&] { return frame().deferredStartupDone(); }));
  Skin("Plain");
  frame().OnCommand(cmd::kHistoryPane);
  auto tabs = PaneTabs(GTK_WIDGET(window().gobj()));
  ASSERT_TRUE(tabs.count("历史"));
  ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(tabs["历史"]); }));
  Look look = LookOf(window(), tabs["历史"]);
  EXPECT_GT(look.contrast, 90) << "on " << look.background;
}

}  // namespace
