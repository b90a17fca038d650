// The tab image list's site icons: decoded with GdkPixbuf, 16x16, appended for the whole
// run (indexes from kFirstSiteIcon on; images are never removed).
#pragma once

#include <gdkmm/pixbuf.h>

#include "icons/site_icons.h"

namespace zel {

// The site icon with this index; null for an index that was never given out.
Glib::RefPtr<Gdk::Pixbuf> SiteIconImage(int index);

class PixbufSiteIcons : public SiteIconImages {
 public:
  int Append(const std::string& path) override;
};

}  // namespace zel
