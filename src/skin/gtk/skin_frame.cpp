#include "skin/gtk/skin_frame.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/commands.h"

namespace zel {

namespace {
// The skin's RGBA image as a pixbuf, row by row (the pixbuf's rows may be padded).
Glib::RefPtr<Gdk::Pixbuf> PixbufOf(const SkinImage& image) {
  auto pixbuf = Gdk::Pixbuf::create(Gdk::COLORSPACE_RGB, true, 8, image.width, image.height);
  for (int y = 0; y < image.height; ++y)
    std::memcpy(pixbuf->get_pixels() + y * pixbuf->get_rowstride(),
                image.rgba.data() + size_t(y) * image.width * 4, size_t(image.width) * 4);
  return pixbuf;
}

void SetUpButton(Gtk::Button& b, int id, const char* icon, const char* tip) {
  b.set_name("command-" + std::to_string(id));
  b.set_image_from_icon_name(icon, Gtk::ICON_SIZE_MENU);
  b.set_relief(Gtk::RELIEF_NONE);
  b.set_focus_on_click(false);
  b.set_tooltip_text(tip);
  b.set_valign(Gtk::ALIGN_CENTER);
}

}  // namespace

SkinFrame::SkinFrame(Gtk::Window& window, Gtk::Box& layout, std::function<void(int)> run)
    : window_(window), run_(std::move(run)), css_(Gtk::CssProvider::create()) {
  // Above the window's own rules, below a user's gtk.css.
  Gtk::StyleContext::add_provider_for_screen(Gdk::Screen::get_default(), css_,
                                             GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 1);
  css_->signal_parsing_error().connect(
      [](const Glib::RefPtr<const Gtk::CssSection>& section, const Glib::Error& e) {
        std::fprintf(stderr, "zel: skin style line %u: %s\n",
                     section ? section->get_start_line() + 1 : 0, e.what().c_str());
      });
  caption_.set_name("skin-caption");
  icon_.set_name("command-700");
  icon_.set_from_icon_name("web-browser-symbolic", Gtk::ICON_SIZE_MENU);
  title_.set_name("skin-caption-title");
  title_.set_ellipsize(Pango::ELLIPSIZE_END);
  title_.set_xalign(0);
  title_.set_text(window.get_title());
  SetUpButton(skins_, cmd::kSkinMenu, "applications-graphics-symbolic", "皮肤");
  SetUpButton(minimize_, cmd::kWindowMinimize, "window-minimize-symbolic", "最小化");
  SetUpButton(maximize_, cmd::kWindowMaximize, "window-maximize-symbolic", "最大化");
  SetUpButton(close_, cmd::kWindowClose, "window-close-symbolic", "关闭");
  row_.set_margin_start(6);
  row_.pack_start(icon_, Gtk::PACK_SHRINK);
  row_.pack_start(title_, Gtk::PACK_EXPAND_WIDGET);
  row_.pack_start(skins_, Gtk::PACK_SHRINK);
  row_.pack_start(minimize_, Gtk::PACK_SHRINK);
  row_.pack_start(maximize_, Gtk::PACK_SHRINK);
  row_.pack_start(close_, Gtk::PACK_SHRINK);
  caption_.add(row_);
  row_.show_all();
  caption_.set_no_show_all(true);
  caption_.hide();
  layout.pack_start(caption_, Gtk::PACK_SHRINK);
  layout.reorder_child(caption_, 0);
  for (auto* b : {&skins_, &minimize_, &maximize_, &close_})
    b->signal_clicked().connect([this, b] {
      // The maximize button is named by what it does now.
      int id = std::stoi(b->get_name().substr(8));
      if (run_) run_(id);
    });
  // The caption moves the window; a double click maximizes or restores it.
  caption_.add_events(Gdk::BUTTON_PRESS_MASK);
  caption_.signal_button_press_event().connect([this](GdkEventButton* e) {
    if (e->button != 1) return false;
    if (e->type == GDK_2BUTTON_PRESS) {
      WindowCommand(cmd::kWindowMaximize);
      return true;
    }
    if (e->type == GDK_BUTTON_PRESS)
      window_.begin_move_drag(int(e->button), int(e->x_root), int(e->y_root), e->time);
    return true;
  });
  sizeChanged_ = window.signal_size_allocate().connect([this](Gtk::Allocation&) { UpdateShape(); });
  titleChanged_ = window.property_title().signal_changed().connect(
      [this] { title_.set_text(window_.get_title()); });
  stateChanged_ = window.signal_window_state_event().connect(
      [this](GdkEventWindowState* e) {
        FollowState(e->new_window_state);
        return false;
      },
      false);
}

SkinFrame::~SkinFrame() {
  titleChanged_.disconnect();
  stateChanged_.disconnect();
  sizeChanged_.disconnect();
  Gtk::StyleContext::remove_provider_for_screen(Gdk::Screen::get_default(), css_);
}

void SkinFrame::ApplyStyle(const std::string& css) {
  try {
    css_->load_from_data(css);
  } catch (const Glib::Error& e) {
    // The rules that parsed are kept; the parsing-error handler said which did not.
  }
}

void SkinFrame::SetCustomFrame(bool on) {
  custom_ = on;
  window_.set_decorated(!on);
  caption_.set_visible(on);
  UpdateShape();
}

void SkinFrame::SetFrameCornerRadius(int radius) {
  radius_ = std::clamp(radius, 0, 64);
  UpdateShape();
}

void SkinFrame::UpdateShape() {
  Glib::RefPtr<Gdk::Window> gdk = window_.get_window();
  if (!gdk) return;
  const bool square =
      window_.is_maximized() || (gdk->get_state() & Gdk::WINDOW_STATE_FULLSCREEN);
  Shape want;
  if (custom_ && radius_ > 0 && !square) {
    want.width = gdk->get_width();
    want.height = gdk->get_height();
    want.radius = std::min({radius_, want.width / 2, want.height / 2});
  }
  if (want == shape_) return;
  shape_ = want;
  if (want.radius <= 0) {
    gdk_window_shape_combine_region(gdk->gobj(), nullptr, 0, 0);
    return;
  }
  // The rounded rectangle drawn into a mask, and the mask as the window's region.
  cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A1, want.width, want.height);
  cairo_t* cr = cairo_create(mask);
  const double r = want.radius, w = want.width, h = want.height;
  cairo_new_sub_path(cr);
  cairo_arc(cr, w - r, r, r, -M_PI / 2, 0);
  cairo_arc(cr, w - r, h - r, r, 0, M_PI / 2);
  cairo_arc(cr, r, h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, r, r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_region_t* region = gdk_cairo_region_create_from_surface(mask);
  cairo_surface_destroy(mask);
  gdk_window_shape_combine_region(gdk->gobj(), region, 0, 0);
  cairo_region_destroy(region);
}

void SkinFrame::FollowState(GdkWindowState state) {
  UpdateShape();
  const bool maximized = state & GDK_WINDOW_STATE_MAXIMIZED;
  maximize_.set_name("command-" + std::to_string(maximized ? cmd::kWindowRestore : cmd::kWindowMaximize));
  maximize_.set_image_from_icon_name(maximized ? "window-restore-symbolic" : "window-maximize-symbolic",
                                     Gtk::ICON_SIZE_MENU);
  maximize_.set_tooltip_text(maximized ? "还原" : "最大化");
}

void SkinFrame::WindowCommand(int id) {
  auto gdk = window_.get_window();
  const bool maximized = gdk && (gdk->get_state() & Gdk::WINDOW_STATE_MAXIMIZED);
  switch (id) {
    case cmd::kWindowMinimize:
      window_.iconify();
      break;
    case cmd::kWindowMaximize:
      if (maximized) window_.unmaximize();
      else window_.maximize();
      break;
    case cmd::kWindowRestore:
      if (maximized) window_.unmaximize();
      window_.deiconify();
      break;
    case cmd::kWindowClose:
      // As the system's close box: the frame decides.
      window_.close();
      break;
    default:
      break;
  }
}

void SkinFrame::SetWindowIcon(const SkinImagePtr& icon) {
  if (!icon) {
    gtk_window_set_icon(window_.gobj(), nullptr);
    return;
  }
  window_.set_icon(PixbufOf(*icon));
}

namespace {
// The image as a pixbuf with its magenta pixels transparent (the tree icons' rule).
Glib::RefPtr<Gdk::Pixbuf> TreeIcon(const SkinImagePtr& image) {
  if (!image || image->width <= 0 || image->height <= 0) return {};
  Glib::RefPtr<Gdk::Pixbuf> pixbuf = PixbufOf(*image);
  for (int y = 0; y < image->height; ++y) {
    guint8* row = pixbuf->get_pixels() + y * pixbuf->get_rowstride();
    for (int x = 0; x < image->width; ++x) {
      guint8* p = row + x * 4;
      if (p[0] == 0xFF && p[1] == 0x00 && p[2] == 0xFF) p[3] = 0;
    }
  }
  return pixbuf;
}
}  // namespace

void SkinFrame::SetTreeIcons(const SkinImagePtr& page, const SkinImagePtr& folderClosed,
                             const SkinImagePtr& folderOpen) {
  if (treeIcons_) treeIcons_(TreeIcon(page), TreeIcon(folderClosed), TreeIcon(folderOpen));
}

std::shared_ptr<SkinImage> SkinFrame::DecodeImage(std::string_view bytes) {
  // Only the loaders of these two formats see a skin's bytes.
  const char* type = LooksLikeBmp(bytes) ? "bmp" : bytes.substr(0, 4) == std::string_view("\0\0\1\0", 4) ? "ico" : nullptr;
  if (!type) return nullptr;
  GError* error = nullptr;
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type(type, &error);
  if (!loader) {
    g_clear_error(&error);
    return nullptr;
  }
  // A size past the limits stops the decoding before its pixels are allocated.
  bool tooLarge = false;
  g_signal_connect(loader, "size-prepared", G_CALLBACK(+[](GdkPixbufLoader* l, int w, int h, gpointer p) {
                     if (w <= 0 || h <= 0 || w > kSkinImageMaxSide || h > kSkinImageMaxSide) {
                       *static_cast<bool*>(p) = true;
                       gdk_pixbuf_loader_set_size(l, 1, 1);
                     }
                   }),
                   &tooLarge);
  bool ok = gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(bytes.data()),
                                    bytes.size(), &error);
  ok = gdk_pixbuf_loader_close(loader, ok ? &error : nullptr) && ok;
  g_clear_error(&error);
  GdkPixbuf* pb = ok && !tooLarge ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
  std::shared_ptr<SkinImage> out;
  if (pb && gdk_pixbuf_get_bits_per_sample(pb) == 8 && gdk_pixbuf_get_colorspace(pb) == GDK_COLORSPACE_RGB) {
    out = std::make_shared<SkinImage>();
    out->width = gdk_pixbuf_get_width(pb);
    out->height = gdk_pixbuf_get_height(pb);
    out->alpha = gdk_pixbuf_get_has_alpha(pb);
    const int channels = gdk_pixbuf_get_n_channels(pb), stride = gdk_pixbuf_get_rowstride(pb);
    const guchar* px = gdk_pixbuf_read_pixels(pb);
    out->rgba.resize(size_t(out->width) * out->height * 4);
    for (int y = 0; y < out->height; ++y)
      for (int x = 0; x < out->width; ++x) {
        const guchar* s = px + y * stride + x * channels;
        uint8_t* d = out->rgba.data() + (size_t(y) * out->width + x) * 4;
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
        d[3] = channels == 4 ? s[3] : 255;
      }
  }
  g_object_unref(loader);
  return out;
}

}  // namespace zel
