// Skins as a user sees them: the skin menu's second skin repaints the toolbar and its
// buttons' icons, the choice is there again after a restart, and the window border switch
// gives the window the skin's own caption and is written into the skin's mskin.ini; BMP and
// ICO images decode through the toolkit.
#include <cairo.h>
#include <gtest/gtest.h>
#include <gtkmm.h>

#include <algorithm>
#include <cstdlib>

#include "base/commands.h"
#include "base/files.h"
#include "base/ini_document.h"
#include "frame/gtk/main_window.h"
#include "frame/main_frame.h"
#include "settings/frame_settings.h"
#include "settings/settings_file.h"
#include "skin/gtk/skin_frame.h"
#include "skin/skin_controller.h"
#include "support/pump.h"
#include "tabs/frame_test.h"

// After gtkmm: Xlib defines names gtkmm uses.
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#include <gdk/gdkx.h>

using namespace zel;
using namespace zel::test;
using namespace std::chrono_literals;

namespace {

struct Rgb {
  int r = 0, g = 0, b = 0;
  int Luma() const { return (r * 299 + g * 587 + b * 114) / 1000; }
  bool Near(Rgb o, int tolerance) const {
    return std::abs(r - o.r) <= tolerance && std::abs(g - o.g) <= tolerance && std::abs(b - o.b) <= tolerance;
  }
};

// The window drawn as on screen, on magenta (what no widget paints). A new style sheet asks
// for a new layout; the window is drawn after it, as on screen. A layout can ask for one more
// (a bar of the toolbar row folding or coming back).
cairo_surface_t* DrawnWindow(Gtk::Window& window) {
  for (int i = 0; i < 3; ++i) gtk_container_check_resize(GTK_CONTAINER(window.gobj()));
  cairo_surface_t* surface = cairo_image_surface_create(
      CAIRO_FORMAT_RGB24, window.get_allocated_width(), window.get_allocated_height());
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 0, 1);
  cairo_paint(cr);
  gtk_widget_draw(GTK_WIDGET(window.gobj()), cr);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  return surface;
}

Rgb PixelAt(cairo_surface_t* surface, int x, int y) {
  const unsigned char* p =
      cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface) + x * 4;
  return Rgb{p[2], p[1], p[0]};
}

// The colour at a point of a widget (in its coordinates) as the window draws it.
Rgb PixelOf(Gtk::Window& window, Gtk::Widget& widget, int x, int y) {
  cairo_surface_t* surface = DrawnWindow(window);
  int wx = 0, wy = 0;
  Rgb c{-1, -1, -1};
  if (widget.translate_coordinates(window, x, y, wx, wy)) c = PixelAt(surface, wx, wy);
  cairo_surface_destroy(surface);
  return c;
}

Gtk::Widget* ImageOf(Gtk::Widget* w) {
  if (!w) return nullptr;
  if (auto* image = dynamic_cast<Gtk::Image*>(w)) return image;
  if (auto* c = dynamic_cast<Gtk::Container*>(w))
    for (Gtk::Widget* child : c->get_children())
      if (Gtk::Widget* found = ImageOf(child)) return found;
  return nullptr;
}

class SkinTest : public FrameTest {
 protected:
  void BeforeStart() override {
    // The shipped skins, in this run's program folder (the border switch writes into them).
    ASSERT_EQ(std::system(("cp -r '" ZEL_SKIN_SOURCE_DIR "' '" + dir_.path() + "/skin'").c_str()), 0);
  }
  SkinController& skins() { return frame().controller<SkinController>(); }
  int EntryOf(const std::u16string& name) {
    for (const SkinMenuEntry& e : skins().menu().skins)
      if (e.text == name) return e.id;
    return 0;
  }
  Gtk::Widget& Bar() { return *Glib::wrap(probe().Find("standard-bar")); }
  Rgb BarPixel() { return PixelOf(window(), Bar(), 2, 2); }
  // The middle of the Home button's icon.
  Rgb HomeIconPixel() {
    Gtk::Widget* image = ImageOf(probe().StandardButton(cmd::kHome));
    if (!image) return {-1, -1, -1};
    return PixelOf(window(), *image, image->get_allocated_width() / 2, image->get_allocated_height() / 2);
  }
  void Restart() {
    frame().Close(CloseSource::System);
    host_.reset();
    PumpFor(50ms);
    host_ = std::make_unique<FrameHost>(FrameHost::Options{dir_.path() + "/", &prompts_, &destinations_});
    host_->Show();
    frame().OnDeferredStartup();
  }
};

TEST_F(SkinTest, TheSecondSkinRepaintsTheToolbarAndStaysChosenAfterARestart) {
  ASSERT_TRUE(PumpUntil([&] { return Bar().get_allocated_width() > 10; }));
  // Wide enough for Home to stay on the bar.
  window().unmaximize();
  window().resize(1280, 600);
  ASSERT_TRUE(PumpUntil([&] { return probe().StandardButton(cmd::kHome)->get_mapped(); }));
  EXPECT_EQ(skins().currentName(), u"Default");
  Rgb light;
  EXPECT_TRUE(PumpUntil([&] { return (light = BarPixel()).Luma() > 180; }))
      << light.r << "," << light.g << "," << light.b;
  // The skin's own Home icon (blue), not the theme's grey symbol.
  Rgb icon = HomeIconPixel();
  EXPECT_TRUE(icon.Near({0x2a, 0x6e, 0xbb}, 40)) << icon.r << "," << icon.g << "," << icon.b;
  // The skin menu lists both shipped skins; the current one is checked.
  const int ink = EntryOf(u"Ink");
  ASSERT_NE(ink, 0);
  ASSERT_NE(EntryOf(u"Default"), 0);
  EXPECT_EQ(frame().CommandChecked(EntryOf(u"Default")), true);

  ASSERT_TRUE(frame().OnCommand(ink));
  Rgb dark;
  EXPECT_TRUE(PumpUntil([&] { return (dark = BarPixel()).Luma() < 90; }))
      << dark.r << "," << dark.g << "," << dark.b;
  icon = HomeIconPixel();
  EXPECT_TRUE(icon.Near({0xf0, 0xa0, 0x30}, 40)) << icon.r << "," << icon.g << "," << icon.b;
  EXPECT_EQ(frame().CommandChecked(ink), true);
  EXPECT_EQ(frame().CommandChecked(EntryOf(u"Default")), false);

  Restart();
  EXPECT_EQ(ReadConfigText(u"GENERAL", u"skin"), u"Ink");
  EXPECT_EQ(skins().currentName(), u"Ink");
  ASSERT_TRUE(PumpUntil([&] { return Bar().get_allocated_width() > 10; }));
  EXPECT_TRUE(PumpUntil([&] { return (dark = BarPixel()).Luma() < 90; }));
}

// The window's shape as the X server holds it: its rectangles.
std::vector<XRectangle> ShapeOf(Gtk::Window& window) {
  Display* d = GDK_WINDOW_XDISPLAY(window.get_window()->gobj());
  int count = 0, ordering = 0;
  XRectangle* r = XShapeGetRectangles(d, GDK_WINDOW_XID(window.get_window()->gobj()),
                                      ShapeBounding, &count, &ordering);
  std::vector<XRectangle> out(r, r + std::max(count, 0));
  if (r) XFree(r);
  return out;
}

bool ShapeHolds(const std::vector<XRectangle>& shape, int x, int y) {
  for (const XRectangle& r : shape)
    if (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height) return true;
  return false;
}

// The skin-drawn frame of a skin with rounded corners leaves the corners out of the window;
// the system border or a skin without them gives the whole rectangle back.
// A window that is not maximized: a maximized one keeps its square corners.
class SkinCornersTest : public SkinTest {
 protected:
  void BeforeStart() override {
    SkinTest::BeforeStart();
    const std::string config = ProfileFolder() + "/config.ini";
    IniDocument doc = IniDocument::Parse(ReadFileBytes(config).value_or(""));
    doc.Set(u"GENERAL", u"zoomed", u"0");
    ASSERT_TRUE(WriteFileAtomic(config, doc.Serialize()));
  }
};

TEST_F(SkinCornersTest, TheSkinDrawnFrameHasTheSkinsRoundedCorners) {
  ASSERT_TRUE(PumpUntil([&] { return window().get_mapped(); }));
  PumpFor(200ms);  // the deferred start-up
  ASSERT_FALSE(window().is_maximized());
  ASSERT_TRUE(frame().OnCommand(cmd::kWindowBorder));  // Default: square corners
  PumpFor(100ms);
  EXPECT_TRUE(ShapeHolds(ShapeOf(window()), 0, 0));
  frame().controller<SkinController>().SelectSkin(u"Ink");
  const int w = window().get_window()->get_width();
  EXPECT_TRUE(PumpUntil([&] { return !ShapeHolds(ShapeOf(window()), 0, 0); }));
  std::vector<XRectangle> shape = ShapeOf(window());
  EXPECT_TRUE(ShapeHolds(shape, w / 2, 0));
  EXPECT_TRUE(ShapeHolds(shape, 6, 6));
  EXPECT_FALSE(ShapeHolds(shape, w - 1, 0));
  ASSERT_TRUE(frame().OnCommand(cmd::kWindowBorder));  // the system's border again
  EXPECT_TRUE(PumpUntil([&] { return ShapeHolds(ShapeOf(window()), 0, 0); }));
}

TEST_F(SkinTest, TheBorderSwitchGivesTheWindowTheSkinsCaptionAndIsWrittenToTheSkin) {
  const std::string ini = dir_.path() + "/skin/Default/mskin.ini";
  ASSERT_TRUE(window().get_decorated());
  GtkWidget* caption = probe().Find("skin-caption");
  ASSERT_NE(caption, nullptr);
  EXPECT_FALSE(gtk_widget_get_visible(caption));
  EXPECT_EQ(frame().CommandChecked(cmd::kWindowBorder), true);

  ASSERT_TRUE(frame().OnCommand(cmd::kWindowBorder));
  EXPECT_FALSE(window().get_decorated());
  EXPECT_TRUE(gtk_widget_get_visible(caption));
  EXPECT_EQ(frame().CommandChecked(cmd::kWindowBorder), false);
  EXPECT_NE(ReadFileBytes(ini)->find("CustomFrame=1\r\n"), std::string::npos);
  // The caption shows the window's title and the skin's window buttons.
  OpenAndWait("/t/Captioned", "Captioned");
  auto* title = Glib::wrap(GTK_LABEL(probe().Find("skin-caption-title")));
  EXPECT_TRUE(PumpUntil([&] { return title->get_text() == window().get_title(); }));
  EXPECT_NE(title->get_text().raw().find("Captioned"), std::string::npos);
  for (int id : {cmd::kWindowMinimize, cmd::kWindowClose})
    EXPECT_NE(probe().Find("command-" + std::to_string(id)), nullptr) << id;
  // The caption's skin button opens the skin menu with the skins listed.
  Gtk::Menu* skinMenu = nullptr;
  for (Gtk::Widget* w : window().commandBars().menuBar().get_children())
    if (auto* item = dynamic_cast<Gtk::MenuItem*>(w); item && item->get_label() == "皮肤(_K)")
      skinMenu = item->get_submenu();
  ASSERT_NE(skinMenu, nullptr);
  ASSERT_NE(probe().Find("command-703"), nullptr);
  gtk_button_clicked(GTK_BUTTON(probe().Find("command-703")));
  EXPECT_TRUE(PumpUntil([&] { return skinMenu->get_visible(); }));
  std::vector<std::string> labels;
  for (Gtk::Widget* w : skinMenu->get_children())
    if (auto* item = dynamic_cast<Gtk::MenuItem*>(w)) labels.push_back(item->get_label());
  EXPECT_NE(std::find(labels.begin(), labels.end(), "Ink"), labels.end());
  skinMenu->popdown();
  window().commandBars().menuBar().deactivate();
  // Maximize, or restore for a maximized window.
  EXPECT_NE(probe().Find(window().is_maximized() ? "command-61728" : "command-61488"), nullptr);

  ASSERT_TRUE(frame().OnCommand(cmd::kWindowBorder));
  EXPECT_TRUE(window().get_decorated());
  EXPECT_FALSE(gtk_widget_get_visible(caption));
  EXPECT_NE(ReadFileBytes(ini)->find("CustomFrame=0\r\n"), std::string::npos);
}


// For each column of a widget as the window draws it, the rows painted in colour c.
std::vector<std::vector<bool>> PaintedIn(Gtk::Window& window, Gtk::Widget& widget, Rgb c) {
  cairo_surface_t* surface = DrawnWindow(window);
  std::vector<std::vector<bool>> columns;
  int wx = 0, wy = 0;
  if (widget.translate_coordinates(window, 0, 0, wx, wy)) {
    columns.resize(size_t(widget.get_allocated_width()));
    for (int x = 0; x < widget.get_allocated_width(); ++x)
      for (int y = 0; y < widget.get_allocated_height(); ++y)
        columns[size_t(x)].push_back(PixelAt(surface, wx + x, wy + y).Near(c, 10));
  }
  cairo_surface_destroy(surface);
  return columns;
}

// A skin whose bars' grips are 4 pixels wide and green on a white shadow.
class GripSkinTest : public SkinTest {
 protected:
  void BeforeStart() override {
    SkinTest::BeforeStart();
    ASSERT_TRUE(CreateFolderLevels(dir_.path() + "/skin/Grip"));
    WriteGrip("Solid");
  }
  void WriteGrip(const std::string& style) {
    ASSERT_TRUE(WriteFileAtomic(dir_.path() + "/skin/Grip/mskin.ini",
                                "[Colors]\r\nToolbar.Gripper.Style=" + style +
                                    "\r\nToolbar.Gripper.Width=4\r\nToolbar.Gripper.Color=00FF00\r\n"
                                    "Toolbar.Gripper.ShadowColor=FFFFFF\r\n"));
  }
  // The grip's columns that hold green, and in the first of them how often green starts.
  std::pair<int, int> GreenColumnsAndRuns() {
    auto columns = PaintedIn(window(), *Glib::wrap(probe().Find("bar-grip-Standard")), {0, 255, 0});
    int green = 0, runs = -1;
    for (const auto& rows : columns) {
      if (std::count(rows.begin(), rows.end(), true) < 2) continue;
      if (green++ == 0) {
        runs = 0;
        for (size_t y = 0; y < rows.size(); ++y) runs += rows[y] && (y == 0 || !rows[y - 1]);
      }
    }
    return {green, runs};
  }
};

TEST_F(GripSkinTest, TheBarGripsTakeTheSkinsGripperLook) {
  frame().OnCommand(cmd::kLockBars);  // unlocked: the grips show
  ASSERT_TRUE(PumpUntil([&] {
    GtkWidget* grip = probe().Find("bar-grip-Standard");
    return grip && gtk_widget_get_mapped(grip) && gtk_widget_get_allocated_height(grip) > 16;
  }));
  skins().SelectSkin(u"Grip");
  ASSERT_EQ(skins().currentName(), u"Grip");
  // Solid: one line, as wide as the skin says, down the grip.
  std::pair<int, int> look;
  EXPECT_TRUE(PumpUntil([&] { return (look = GreenColumnsAndRuns()) == std::pair(4, 1); }))
      << look.first << " columns, " << look.second << " runs";
  // Dashed: the same width, broken into dots.
  WriteGrip("Dashed");
  skins().SelectSkin(u"Default");
  skins().SelectSkin(u"Grip");
  EXPECT_TRUE(PumpUntil([&] { return (look = GreenColumnsAndRuns()).first == 4 && look.second >= 3; }))
      << look.first << " columns, " << look.second << " runs";
}

}  // namespace

namespace {

void Put16(std::string& s, unsigned v) { s += char(v & 0xff), s += char((v >> 8) & 0xff); }
void Put32(std::string& s, unsigned v) { Put16(s, v & 0xffff), Put16(s, v >> 16); }

// A 40-byte bitmap header; height is doubled for an icon's image with its mask.
std::string InfoHeader(int width, int height, int bits) {
  std::string h;
  Put32(h, 40), Put32(h, unsigned(width)), Put32(h, unsigned(height));
  Put16(h, 1), Put16(h, unsigned(bits));
  for (int i = 0; i < 6; ++i) Put32(h, 0);
  return h;
}

// 2 x 2, 24 bits, rows bottom up, each padded to 4 bytes: red, green over blue, white.
std::string Bmp() {
  std::string pixels;
  const unsigned char rows[2][6] = {{255, 0, 0, 255, 255, 255}, {0, 0, 255, 0, 255, 0}};  // BGR
  for (const auto& row : rows) pixels.append(reinterpret_cast<const char*>(row), 6), pixels += std::string(2, '\0');
  std::string f = "BM";
  Put32(f, unsigned(14 + 40 + pixels.size())), Put32(f, 0), Put32(f, 14 + 40);
  return f + InfoHeader(2, 2, 24) + pixels;
}

// One 2 x 2 image of 32 bits with its alpha, and its (empty) mask.
std::string Ico() {
  std::string dib = InfoHeader(2, 4, 32);
  const unsigned char bgra[4][4] = {{255, 0, 0, 255}, {255, 0, 0, 128}, {0, 0, 255, 255}, {0, 255, 0, 0}};
  for (const auto& p : bgra) dib.append(reinterpret_cast<const char*>(p), 4);
  dib += std::string(8, '\0');
  std::string f;
  Put16(f, 0), Put16(f, 1), Put16(f, 1);
  f += char(2), f += char(2), f += char(0), f += char(0);
  Put16(f, 1), Put16(f, 32), Put32(f, unsigned(dib.size())), Put32(f, 22);
  return f + dib;
}

// BMP and ICO files decode with their pixels top down (an icon keeps its alpha); other bytes,
// a cut file and a header that lies about its size give nothing.
TEST(SkinImages, BmpAndIcoDecodeThroughTheToolkit) {
  Gtk::Window window;
  Gtk::Box box;
  SkinFrame frame(window, box, [](int) {});
  auto bmp = frame.DecodeImage(Bmp());
  ASSERT_TRUE(bmp);
  ASSERT_EQ(bmp->width, 2);
  ASSERT_EQ(bmp->height, 2);
  auto px = [](const SkinImage& im, int x, int y) {
    const size_t i = size_t(y * im.width + x) * 4;
    return std::vector<int>{im.rgba[i], im.rgba[i + 1], im.rgba[i + 2], im.rgba[i + 3]};
  };
  EXPECT_EQ(px(*bmp, 0, 0), (std::vector<int>{255, 0, 0, 255}));  // top row: red, green
  EXPECT_EQ(px(*bmp, 1, 0), (std::vector<int>{0, 255, 0, 255}));
  EXPECT_EQ(px(*bmp, 0, 1), (std::vector<int>{0, 0, 255, 255}));
  EXPECT_EQ(px(*bmp, 1, 1), (std::vector<int>{255, 255, 255, 255}));

  auto ico = frame.DecodeImage(Ico());
  ASSERT_TRUE(ico);
  ASSERT_EQ(ico->width, 2);
  EXPECT_TRUE(ico->alpha);
  EXPECT_EQ(px(*ico, 0, 0), (std::vector<int>{255, 0, 0, 255}));
  EXPECT_EQ(px(*ico, 1, 0)[3], 0);
  EXPECT_EQ(px(*ico, 1, 1)[3], 128);

  std::string lying = Bmp();
  lying[18] = char(0xff), lying[19] = char(0xff), lying[20] = char(0xff);  // a huge width
  for (const std::string& bad : {std::string("not an image"), Bmp().substr(0, 30), lying, std::string()})
    EXPECT_FALSE(frame.DecodeImage(bad)) << bad.size();
}

}  // namespace
