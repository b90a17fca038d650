#include "frame/gtk/toolbar_row.h"

#include <algorithm>
#include <string>

namespace zel {

namespace {

struct Size {
  int min = 0, nat = 0;
};

Size WidthOf(Gtk::Widget* w) {
  Size s;
  w->get_preferred_width(s.min, s.nat);
  return s;
}

// What a button of a folded bar is called in the overflow menu: its label, else its tip.
std::string ButtonText(GtkWidget* w) {
  const char* text = nullptr;
  if (GTK_IS_TOOL_BUTTON(w)) text = gtk_tool_button_get_label(GTK_TOOL_BUTTON(w));
  else if (GTK_IS_BUTTON(w)) text = gtk_button_get_label(GTK_BUTTON(w));
  if (text && *text) return text;
  gchar* tip = gtk_widget_get_tooltip_text(w);
  std::string out = tip ? tip : "";
  g_free(tip);
  return out;
}

// The buttons under a widget, in order (a button's own insides are not looked into).
void CollectButtons(GtkWidget* w, std::vector<GtkWidget*>& out) {
  if (!gtk_widget_get_visible(w)) return;
  if (GTK_IS_TOOL_BUTTON(w) || GTK_IS_BUTTON(w)) {
    out.push_back(w);
    return;
  }
  if (!GTK_IS_CONTAINER(w)) return;
  GList* children = gtk_container_get_children(GTK_CONTAINER(w));
  for (GList* l = children; l; l = l->next) CollectButtons(GTK_WIDGET(l->data), out);
  g_list_free(children);
}

GtkToolbar* FirstToolbar(GtkWidget* w) {
  if (GTK_IS_TOOLBAR(w)) return GTK_TOOLBAR(w);
  if (!GTK_IS_CONTAINER(w)) return nullptr;
  GtkToolbar* found = nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(w));
  for (GList* l = children; l && !found; l = l->next) found = FirstToolbar(GTK_WIDGET(l->data));
  g_list_free(children);
  return found;
}

// The width a bar needs to show its first `items` tool items (and its arrow when more
// follow), between its smallest and its asked-for width.
int KeepWidth(Gtk::Widget* bar, int items, Size size) {
  if (items <= 0) return size.min;
  GtkToolbar* toolbar = FirstToolbar(bar->gobj());
  if (!toolbar) return size.min;
  // Homogeneous items are all as wide as the widest of them.
  const int count = gtk_toolbar_get_n_items(toolbar);
  auto naturalOf = [](GtkWidget* item) {
    int mn = 0, nt = 0;
    gtk_widget_get_preferred_width(item, &mn, &nt);
    return nt;
  };
  int homogeneous = 0;
  for (int i = 0; i < count; ++i) {
    GtkToolItem* item = gtk_toolbar_get_nth_item(toolbar, i);
    if (gtk_widget_get_visible(GTK_WIDGET(item)) && gtk_tool_item_get_homogeneous(item))
      homogeneous = std::max(homogeneous, naturalOf(GTK_WIDGET(item)));
  }
  int width = size.min;  // the arrow and the bar's own padding
  for (int i = 0, kept = 0; i < count && kept < items; ++i) {
    GtkToolItem* item = gtk_toolbar_get_nth_item(toolbar, i);
    if (!gtk_widget_get_visible(GTK_WIDGET(item))) continue;
    width += gtk_tool_item_get_homogeneous(item) ? homogeneous : naturalOf(GTK_WIDGET(item));
    ++kept;
  }
  return std::clamp(width, size.min, size.nat);
}

}  // namespace

ToolbarRow::ToolbarRow() {
  set_has_window(false);
  set_redraw_on_allocate(false);
  set_name("toolbar-row");
  overflow_.set_name("toolbar-overflow");
  overflow_.set_relief(Gtk::RELIEF_NONE);
  overflow_.set_focus_on_click(false);
  overflow_.set_image_from_icon_name("pan-end-symbolic", Gtk::ICON_SIZE_MENU);
  overflow_.set_tooltip_text("更多工具");
  overflow_.signal_clicked().connect([this] { ShowOverflowMenu(); });
  overflow_.set_parent(*this);
  overflow_.set_child_visible(false);
  overflow_.show();
}

ToolbarRow::~ToolbarRow() {
  overflow_.unparent();
  for (Bar& b : bars_) b.widget->unparent();
}

void ToolbarRow::Append(Gtk::Widget& bar, bool stretch, int keepItems) {
  bars_.push_back(Bar{&bar, stretch, keepItems});
  bar.set_parent(*this);
  queue_resize();
}

void ToolbarRow::Reorder(Gtk::Widget& bar, int position) {
  auto it = std::find_if(bars_.begin(), bars_.end(), [&](const Bar& b) { return b.widget == &bar; });
  if (it == bars_.end()) return;
  Bar moved = *it;
  bars_.erase(it);
  position = std::clamp(position, 0, int(bars_.size()));
  bars_.insert(bars_.begin() + position, moved);
  queue_resize();
}

std::vector<Gtk::Widget*> ToolbarRow::FoldedBars() const {
  std::vector<Gtk::Widget*> out;
  for (const Bar& b : bars_)
    if (b.folded) out.push_back(b.widget);
  return out;
}

Gtk::SizeRequestMode ToolbarRow::get_request_mode_vfunc() const {
  return Gtk::SIZE_REQUEST_CONSTANT_SIZE;
}

void ToolbarRow::get_preferred_width_vfunc(int& minimum, int& natural) const {
  minimum = natural = 0;
  int shown = 0, stretchMin = 0;
  bool others = false;
  for (const Bar& b : bars_) {
    if (!b.widget->get_visible()) continue;
    Size s = WidthOf(b.widget);
    natural += s.nat + (shown++ ? spacing_ : 0);
    if (b.stretch) stretchMin = s.min;
    else others = true;
  }
  // At its narrowest the row holds the stretch bar and the overflow button: every other
  // bar can fold.
  Size o = WidthOf(const_cast<Gtk::Button*>(&overflow_));
  minimum = stretchMin + (others ? o.nat + spacing_ : 0);
  natural = std::max(natural, minimum);
}

void ToolbarRow::get_preferred_height_vfunc(int& minimum, int& natural) const {
  minimum = natural = 0;
  auto take = [&](Gtk::Widget* w) {
    int mn = 0, nt = 0;
    w->get_preferred_height(mn, nt);
    minimum = std::max(minimum, mn);
    natural = std::max(natural, nt);
  };
  for (const Bar& b : bars_)
    if (b.widget->get_visible()) take(b.widget);
  take(const_cast<Gtk::Button*>(&overflow_));
}

void ToolbarRow::get_preferred_height_for_width_vfunc(int, int& minimum, int& natural) const {
  get_preferred_height_vfunc(minimum, natural);
}

void ToolbarRow::get_preferred_width_for_height_vfunc(int, int& minimum, int& natural) const {
  get_preferred_width_vfunc(minimum, natural);
}

void ToolbarRow::on_size_allocate(Gtk::Allocation& allocation) {
  set_allocation(allocation);
  const int width = allocation.get_width();
  std::vector<Bar*> shown;
  Bar* stretch = nullptr;
  for (Bar& b : bars_) {
    b.folded = false;
    if (!b.widget->get_visible()) continue;
    shown.push_back(&b);
    if (b.stretch) stretch = &b;
  }
  std::vector<Size> sizes;
  std::vector<int> keep;
  int stretchMin = 0;
  for (Bar* b : shown) {
    sizes.push_back(WidthOf(b->widget));
    keep.push_back(KeepWidth(b->widget, b->keepItems, sizes.back()));
    if (b == stretch) stretchMin = sizes.back().min;
  }
  const int overflowWidth = WidthOf(&overflow_).nat;

  // What the other bars need together: their smallest, what they keep, what they ask for.
  struct Need {
    int min = 0, keep = 0, nat = 0, count = 0;
  };
  auto othersNeed = [&] {
    Need n;
    for (size_t i = 0; i < shown.size(); ++i) {
      if (shown[i] == stretch || shown[i]->folded) continue;
      n.min += sizes[i].min;
      n.keep += keep[i];
      n.nat += sizes[i].nat;
      ++n.count;
    }
    return n;
  };
  auto spacingFor = [&](int others, bool folded) {
    int parts = others + (stretch ? 1 : 0) + (folded ? 1 : 0);
    return parts > 1 ? (parts - 1) * spacing_ : 0;
  };
  // Bars fold from the end of the row while what they keep (the first bar's first buttons,
  // the others' smallest) does not fit beside the stretch bar's share: half the row, never
  // less than its smallest. The navigation buttons stay before the search bar does; the
  // first bar itself never folds for that, only when even its smallest does not fit.
  const int stretchShare = stretch ? std::max(stretchMin, width / 2) : 0;
  bool anyFolded = false;
  for (;;) {
    Need n = othersNeed();
    const int needed = n.count > 1 ? n.keep : n.min;
    if (n.count == 0 ||
        needed + spacingFor(n.count, anyFolded) + (anyFolded ? overflowWidth : 0) + stretchShare <= width)
      break;
    for (auto it = shown.rbegin(); it != shown.rend(); ++it) {
      if (*it == stretch || (*it)->folded) continue;
      (*it)->folded = true;
      anyFolded = true;
      break;
    }
  }
  const Need n = othersNeed();
  const int avail = width - spacingFor(n.count, anyFolded) - (anyFolded ? overflowWidth : 0);
  const int budget = std::max(0, avail - stretchShare);
  // Up to what they keep, then up to what they ask for, in proportion to what each would
  // still take.
  std::vector<int> widths(shown.size(), 0);
  int othersWidth = 0;
  for (size_t i = 0; i < shown.size(); ++i) {
    if (shown[i] == stretch || shown[i]->folded) continue;
    int w;
    if (budget <= n.keep) {
      const int room = n.keep - n.min, extra = std::max(0, budget - n.min);
      w = sizes[i].min + (room > 0 ? int(int64_t(extra) * (keep[i] - sizes[i].min) / room) : 0);
    } else {
      const int room = n.nat - n.keep, extra = std::min(budget, n.nat) - n.keep;
      w = keep[i] + (room > 0 ? int(int64_t(extra) * (sizes[i].nat - keep[i]) / room) : 0);
    }
    widths[i] = w;
    othersWidth += w;
  }
  int x = allocation.get_x();
  for (size_t i = 0; i < shown.size(); ++i) {
    if (shown[i] == stretch) widths[i] = std::max(sizes[i].min, avail - othersWidth);
  }
  for (size_t i = 0; i < shown.size(); ++i) {
    Gtk::Widget* w = shown[i]->widget;
    if (shown[i]->folded) {
      w->set_child_visible(false);
      continue;
    }
    w->set_child_visible(true);
    Gtk::Allocation a(x, allocation.get_y(), widths[i], allocation.get_height());
    w->size_allocate(a);
    x += widths[i] + spacing_;
  }
  for (Bar& b : bars_)
    if (!b.widget->get_visible()) b.widget->set_child_visible(true);
  overflow_.set_child_visible(anyFolded);
  if (anyFolded) {
    Gtk::Allocation a(allocation.get_x() + width - overflowWidth, allocation.get_y(), overflowWidth,
                      allocation.get_height());
    overflow_.size_allocate(a);
  }
}

void ToolbarRow::forall_vfunc(gboolean includeInternals, GtkCallback callback, gpointer data) {
  // The callback may remove a bar.
  std::vector<GtkWidget*> children;
  for (const Bar& b : bars_) children.push_back(b.widget->gobj());
  for (GtkWidget* child : children) callback(child, data);
  if (includeInternals) callback(GTK_WIDGET(overflow_.gobj()), data);
}

void ToolbarRow::on_add(Gtk::Widget* child) { Append(*child); }

void ToolbarRow::on_remove(Gtk::Widget* child) {
  auto it = std::find_if(bars_.begin(), bars_.end(), [&](const Bar& b) { return b.widget == child; });
  if (it == bars_.end()) return;
  const bool visible = child->get_visible();
  child->unparent();
  bars_.erase(it);
  if (visible) queue_resize();
}

GType ToolbarRow::child_type_vfunc() const { return Gtk::Widget::get_base_type(); }

void ToolbarRow::ShowOverflowMenu() {
  overflowMenu_ = std::make_unique<Gtk::Menu>();
  overflowMenu_->set_name("toolbar-overflow-menu");
  overflowMenu_->attach_to_widget(overflow_);
  for (Gtk::Widget* bar : FoldedBars()) {
    std::vector<GtkWidget*> buttons;
    CollectButtons(bar->gobj(), buttons);
    if (!buttons.empty() && !overflowMenu_->get_children().empty())
      overflowMenu_->append(*Gtk::manage(new Gtk::SeparatorMenuItem()));
    for (GtkWidget* button : buttons) {
      std::string text = ButtonText(button);
      if (text.empty()) continue;
      auto* item = Gtk::manage(new Gtk::MenuItem(text));
      item->set_sensitive(gtk_widget_is_sensitive(button));
      // The item does what a click on the button does; a button with a menu shows its menu
      // by the overflow button.
      GtkWidget* target = button;
      item->signal_activate().connect([this, target] {
        if (GTK_IS_MENU_BUTTON(target)) {
          GtkMenu* menu = gtk_menu_button_get_popup(GTK_MENU_BUTTON(target));
          if (menu)
            gtk_menu_popup_at_widget(menu, GTK_WIDGET(overflow_.gobj()), GDK_GRAVITY_SOUTH_EAST,
                                     GDK_GRAVITY_NORTH_EAST, nullptr);
        } else if (GTK_IS_TOOL_BUTTON(target)) {
          g_signal_emit_by_name(target, "clicked");
        } else {
          gtk_button_clicked(GTK_BUTTON(target));
        }
      });
      overflowMenu_->append(*item);
    }
  }
  overflowMenu_->show_all();
  overflowMenu_->popup_at_widget(&overflow_, Gdk::GRAVITY_SOUTH_EAST, Gdk::GRAVITY_NORTH_EAST,
                                 nullptr);
}

}  // namespace zel
