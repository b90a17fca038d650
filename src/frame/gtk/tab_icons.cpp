#include "frame/gtk/tab_icons.h"

#include <cairomm/context.h>
#include <gdkmm/general.h>

#include <cmath>
#include <map>

#include "icons/gtk/site_icon_images.h"

namespace zel {

namespace {

void Page(const Cairo::RefPtr<Cairo::Context>& cr, double r, double g, double b) {
  cr->move_to(3.5, 1.5);
  cr->line_to(10.5, 1.5);
  cr->line_to(13.5, 4.5);
  cr->line_to(13.5, 14.5);
  cr->line_to(3.5, 14.5);
  cr->close_path();
  cr->set_source_rgb(1, 1, 1);
  cr->fill_preserve();
  cr->set_source_rgb(r, g, b);
  cr->set_line_width(1);
  cr->stroke();
  cr->set_source_rgb(0.6, 0.6, 0.6);
  for (double y : {6.5, 8.5, 10.5, 12.5}) {
    cr->move_to(5.5, y);
    cr->line_to(11.5, y);
  }
  cr->stroke();
}

void Loading(const Cairo::RefPtr<Cairo::Context>& cr, int step) {
  cr->set_line_width(2.5);
  cr->set_source_rgb(0.85, 0.85, 0.85);
  cr->arc(8, 8, 5.5, 0, 2 * M_PI);
  cr->stroke();
  cr->set_source_rgb(0.1, 0.45, 0.85);
  cr->arc(8, 8, 5.5, -M_PI / 2, -M_PI / 2 + 2 * M_PI * step / 3.0);
  cr->stroke();
}

void Lock(const Cairo::RefPtr<Cairo::Context>& cr) {
  cr->set_line_width(1.8);
  cr->set_source_rgb(0.35, 0.35, 0.35);
  cr->arc(8, 7, 3.2, M_PI, 2 * M_PI);
  cr->line_to(11.2, 8);
  cr->move_to(4.8, 8);
  cr->line_to(4.8, 7);
  cr->stroke();
  cr->rectangle(3, 8, 10, 7);
  cr->set_source_rgb(0.85, 0.65, 0.1);
  cr->fill();
  cr->set_source_rgb(0.3, 0.2, 0);
  cr->rectangle(7.3, 10, 1.4, 3);
  cr->fill();
}

void Key(const Cairo::RefPtr<Cairo::Context>& cr) {
  cr->set_source_rgb(0.75, 0.15, 0.15);
  cr->set_line_width(2);
  cr->arc(5.5, 8, 3, 0, 2 * M_PI);
  cr->stroke();
  cr->move_to(8.5, 8);
  cr->line_to(15, 8);
  cr->move_to(12.5, 8);
  cr->line_to(12.5, 11);
  cr->move_to(14.5, 8);
  cr->line_to(14.5, 10.5);
  cr->stroke();
}

void Dot(const Cairo::RefPtr<Cairo::Context>& cr, double r, double g, double b) {
  cr->set_source_rgb(r, g, b);
  cr->arc(11.5, 11.5, 3.5, 0, 2 * M_PI);
  cr->fill();
}

Glib::RefPtr<Gdk::Pixbuf> Draw(int index) {
  auto surface = Cairo::ImageSurface::create(Cairo::FORMAT_ARGB32, 16, 16);
  auto cr = Cairo::Context::create(surface);
  switch (index) {
    case 1:
    case 2:
    case 3:
      Loading(cr, index);
      break;
    case 4:
      Lock(cr);
      break;
    case 5:
      Page(cr, 0.1, 0.45, 0.85);
      Dot(cr, 0.1, 0.6, 0.2);  // a page not looked at yet
      break;
    case 6:
      Key(cr);
      break;
    case 7:
      Page(cr, 0.4, 0.4, 0.4);
      Dot(cr, 0.9, 0.6, 0.1);
      break;
    case 8:
      Page(cr, 0.4, 0.4, 0.4);
      Dot(cr, 0.8, 0.1, 0.1);
      break;
    case 9:
      Page(cr, 0.1, 0.45, 0.85);
      break;
    case 10:
      Page(cr, 0.4, 0.4, 0.4);
      Dot(cr, 0.5, 0.5, 0.5);
      break;
    case 11:  // the page's process ended: a red cross over the page
      Page(cr, 0.4, 0.4, 0.4);
      cr->set_source_rgb(0.85, 0.1, 0.1);
      cr->set_line_width(2.2);
      cr->move_to(8, 8);
      cr->line_to(15, 15);
      cr->move_to(15, 8);
      cr->line_to(8, 15);
      cr->stroke();
      break;
    default:
      Page(cr, 0.4, 0.4, 0.4);
      break;
  }
  return Gdk::Pixbuf::create(surface, 0, 0, 16, 16);
}

}  // namespace

Glib::RefPtr<Gdk::Pixbuf> TabIcon(int index) {
  static std::map<int, Glib::RefPtr<Gdk::Pixbuf>> cache;
  if (IsSiteIcon(index))
    if (auto site = SiteIconImage(index)) return site;
  if (index < 0 || index > 11) index = 0;
  auto& p = cache[index];
  if (!p) p = Draw(index);
  return p;
}

}  // namespace zel
