// The frame's layout as the profile sets it: the tab strip below the pages
// (TABSET/TabBar_Position=1) and the small tab style (TABSET/small=1).
#include <gtest/gtest.h>

#include "base/files.h"
#include "base/ini_document.h"
#include "frame/gtk/main_window.h"
#include "support/pump.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class FrameLayoutTest : public FrameTest {
 protected:
  void BeforeStart() override { WriteTabSet(); }
  void WriteTabSet() {
    const std::string config = ProfileFolder() + "/config.ini";
    IniDocument doc = IniDocument::Parse(ReadFileBytes(config).value_or(""));
    for (const auto& [key, value] : tabSet_) doc.Set(u"TABSET", key, value);
    ASSERT_TRUE(WriteFileAtomic(config, doc.Serialize()));
  }
  // Closes the frame and starts a new one on the same profile with these TABSET keys.
  void Restart(std::vector<std::pair<u16, u16>> tabSet) {
    frame().Close(CloseSource::System);
    host_.reset();
    PumpFor(50ms);
    tabSet_ = std::move(tabSet);
    WriteTabSet();
    host_ = std::make_unique<FrameHost>(
        FrameHost::Options{dir_.path() + "/", &prompts_, &destinations_});
    host_->Show();
    frame().OnDeferredStartup();
  }
  // The top of a widget in the window's coordinates.
  int TopOf(GtkWidget* w) {
    int x = 0, y = 0;
    gtk_widget_translate_coordinates(w, GTK_WIDGET(window().gobj()), 0, 0, &x, &y);
    return y;
  }
  int IconWidth() {
    GtkWidget* icon = probe().Find("tab-icon");
    if (!icon) return -1;
    GdkPixbuf* p = gtk_image_get_pixbuf(GTK_IMAGE(icon));
    return p ? gdk_pixbuf_get_width(p) : -1;
  }
  bool Drawn() {
    GtkWidget* strip = probe().Find("tab-strip");
    return window().get_mapped() && strip && gtk_widget_get_mapped(strip) &&
           gtk_widget_get_allocated_height(strip) > 1;
  }
  std::vector<std::pair<u16, u16>> tabSet_ = {{u"TabBar_Position", u"1"}, {u"small", u"1"}};
};

TEST_F(FrameLayoutTest, TheTabStripGoesBelowThePagesAndTakesTheSmallStyle) {
  CChildFrame* tab = OpenAndWait("/t/One", "One");
  ASSERT_NE(tab, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return Drawn() && gtk_widget_get_mapped(PageOf(tab)); }));
  GtkWidget* strip = probe().Find("tab-strip");
  // Below the page, not above it.
  EXPECT_GE(TopOf(strip), TopOf(PageOf(tab)) + gtk_widget_get_allocated_height(PageOf(tab)));
  EXPECT_LT(IconWidth(), 16);
  const int smallHeight = gtk_widget_get_allocated_height(strip);

  // The normal style on top, as the profile says on the next start.
  Restart({{u"TabBar_Position", u"0"}, {u"small", u"0"}});
  tab = OpenAndWait("/t/Two", "Two");
  ASSERT_NE(tab, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return Drawn() && gtk_widget_get_mapped(PageOf(tab)); }));
  strip = probe().Find("tab-strip");
  EXPECT_LT(TopOf(strip), TopOf(PageOf(tab)));
  EXPECT_EQ(IconWidth(), 16);
  EXPECT_LT(smallHeight, gtk_widget_get_allocated_height(strip));
}

}  // namespace
