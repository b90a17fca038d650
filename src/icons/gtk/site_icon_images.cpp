#include "icons/gtk/site_icon_images.h"

#include <vector>

namespace zel {

namespace {
std::vector<Glib::RefPtr<Gdk::Pixbuf>>& Images() {
  static std::vector<Glib::RefPtr<Gdk::Pixbuf>> images;
  return images;
}
}  // namespace

Glib::RefPtr<Gdk::Pixbuf> SiteIconImage(int index) {
  size_t i = size_t(index - kFirstSiteIcon);
  if (index < kFirstSiteIcon || i >= Images().size()) return {};
  return Images()[i];
}

int PixbufSiteIcons::Append(const std::string& path) {
  GError* err = nullptr;
  GdkPixbuf* raw = gdk_pixbuf_new_from_file(path.c_str(), &err);
  if (err) g_error_free(err);
  if (!raw) return kNoCachedIcon;
  GdkPixbuf* scaled = gdk_pixbuf_get_width(raw) == 16 && gdk_pixbuf_get_height(raw) == 16
                          ? GDK_PIXBUF(g_object_ref(raw))
                          : gdk_pixbuf_scale_simple(raw, 16, 16, GDK_INTERP_BILINEAR);
  g_object_unref(raw);
  if (!scaled) return kNoCachedIcon;
  Images().push_back(Glib::wrap(scaled));
  return kFirstSiteIcon + int(Images().size()) - 1;
}

}  // namespace zel
