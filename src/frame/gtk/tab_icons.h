// The built-in 16x16 tab icons: 0 page, 1-3 loading, 4 locked, 5 unseen page, 6 password,
// 7-10 further page states, 11 a page whose web process ended. -1 (the normal icon) is
// drawn as the page. Indexes from 12 on are site icons (icons/gtk/site_icon_images).
#pragma once

#include <gdkmm/pixbuf.h>

namespace zel {

Glib::RefPtr<Gdk::Pixbuf> TabIcon(int index);

}  // namespace zel
