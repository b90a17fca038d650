#include "support/window_probe.h"

#include "view/child_frame.h"

namespace zel::test {

namespace {

struct Search {
  const std::string* name;
  GtkWidget* found = nullptr;
};

void Visit(GtkWidget* w, gpointer data) {
  auto* s = static_cast<Search*>(data);
  if (s->found) return;
  if (*s->name == gtk_widget_get_name(w)) {
    s->found = w;
    return;
  }
  if (GTK_IS_CONTAINER(w)) gtk_container_forall(GTK_CONTAINER(w), Visit, s);
}

// Enter (with the modifiers) pressed in an edit, the key event built as the X server's.
void PressEnter(GtkWidget* edit, GdkModifierType mods) {
  GdkWindow* window = gtk_widget_get_window(edit);
  if (!window) return;
  GdkDisplay* display = gtk_widget_get_display(edit);
  GdkKeymapKey* keys = nullptr;
  gint count = 0;
  guint16 code = 0;
  if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(display), GDK_KEY_Return,
                                        &keys, &count) &&
      count > 0)
    code = guint16(keys[0].keycode);
  g_free(keys);
  GdkEvent* ev = gdk_event_new(GDK_KEY_PRESS);
  GdkEventKey* k = &ev->key;
  k->window = GDK_WINDOW(g_object_ref(window));
  k->time = GDK_CURRENT_TIME;
  k->keyval = GDK_KEY_Return;
  k->hardware_keycode = code;
  k->state = mods;
  gdk_event_set_device(ev, gdk_seat_get_keyboard(gdk_display_get_default_seat(display)));
  gtk_widget_event(edit, ev);
  gdk_event_free(ev);
}

// The edit of an editable combo box.
GtkWidget* EditOf(GtkWidget* combo) {
  return combo && GTK_IS_BIN(combo) ? gtk_bin_get_child(GTK_BIN(combo)) : nullptr;
}

std::string LabelText(GtkWidget* label) {
  return label && GTK_IS_LABEL(label) ? gtk_label_get_text(GTK_LABEL(label)) : "";
}

}  // namespace

std::vector<std::string> TreeRows(GtkWidget* tree, GtkTreeIter* parent) {
  std::vector<std::string> out;
  GtkTreeModel* model = gtk_tree_view_get_model(GTK_TREE_VIEW(tree));
  GtkTreeIter it;
  for (bool ok = gtk_tree_model_iter_children(model, &it, parent); ok;
       ok = gtk_tree_model_iter_next(model, &it)) {
    gchar* text = nullptr;
    gtk_tree_model_get(model, &it, 0, &text, -1);
    out.push_back(text ? text : "");
    g_free(text);
  }
  return out;
}

GtkWidget* FindWidget(GtkWidget* root, const std::string& name) {
  Search s{&name};
  Visit(root, &s);
  return s.found;
}

GtkWidget* WindowProbe::Find(const std::string& name) const {
  return FindWidget(GTK_WIDGET(window_.gobj()), name);
}

GtkWidget* WindowProbe::PageWidget(CChildFrame* child) const {
  if (!child || !child->view() || !child->view()->engine()) return nullptr;
  auto* w = static_cast<GtkWidget*>(child->view()->engine()->NativeWidget());
  GtkWidget* host = Find("page-host");
  return w && host && gtk_widget_is_ancestor(w, host) ? w : nullptr;
}

Gtk::Notebook& WindowProbe::strip() const {
  auto* strip = dynamic_cast<Gtk::Notebook*>(Glib::wrap(Find("tab-strip")));
  g_assert(strip);
  return *strip;
}

std::string WindowProbe::EntryText(int index) const {
  Gtk::Widget* page = strip().get_nth_page(index);
  Gtk::Widget* label = page ? strip().get_tab_label(*page) : nullptr;
  return label ? LabelText(FindWidget(label->gobj(), "tab-caption")) : "";
}

int WindowProbe::EntryCount() const { return strip().get_n_pages(); }

namespace {
long CenterColor(GdkPixbuf* p) {
  if (!p || gdk_pixbuf_get_colorspace(p) != GDK_COLORSPACE_RGB) return -1;
  int x = gdk_pixbuf_get_width(p) / 2, y = gdk_pixbuf_get_height(p) / 2;
  const guchar* px = gdk_pixbuf_read_pixels(p) + y * gdk_pixbuf_get_rowstride(p) +
                     x * gdk_pixbuf_get_n_channels(p);
  return (long(px[0]) << 16) | (long(px[1]) << 8) | long(px[2]);
}
}  // namespace

long WindowProbe::EntryIconColor(int index) const {
  Gtk::Widget* page = strip().get_nth_page(index);
  Gtk::Widget* label = page ? strip().get_tab_label(*page) : nullptr;
  GtkWidget* icon = label ? FindWidget(label->gobj(), "tab-icon") : nullptr;
  if (!icon || gtk_image_get_storage_type(GTK_IMAGE(icon)) != GTK_IMAGE_PIXBUF) return -1;
  return CenterColor(gtk_image_get_pixbuf(GTK_IMAGE(icon)));
}

long WindowProbe::AddressIconColor() const {
  GtkWidget* edit = EditOf(Find("address-box"));
  if (!edit) return -1;
  return CenterColor(gtk_entry_get_icon_pixbuf(GTK_ENTRY(edit), GTK_ENTRY_ICON_PRIMARY));
}

void WindowProbe::EnterAddress(const std::string& text, GdkModifierType mods) const {
  GtkWidget* edit = EditOf(Find("address-box"));
  if (!edit) return;
  gtk_entry_set_text(GTK_ENTRY(edit), text.c_str());
  PressEnter(edit, mods);
}

void WindowProbe::EnterSearch(const std::string& text, GdkModifierType mods) const {
  GtkWidget* edit = EditOf(Find("keyword-box"));
  if (!edit) return;
  gtk_entry_set_text(GTK_ENTRY(edit), text.c_str());
  PressEnter(edit, mods);
}

std::string WindowProbe::EngineButtonText() const { return LabelText(Find("engine-label")); }

std::string WindowProbe::PopupBarText(CChildFrame* child) const {
  GtkWidget* page = PageWidget(child);
  GtkWidget* box = page ? gtk_widget_get_parent(page) : nullptr;
  GtkWidget* bar = box ? FindWidget(box, "popup-bar") : nullptr;
  if (!bar || !gtk_widget_get_visible(bar)) return "";
  return LabelText(FindWidget(bar, "popup-bar-text"));
}

std::string WindowProbe::AddressText() const {
  GtkWidget* edit = EditOf(Find("address-box"));
  return edit ? gtk_entry_get_text(GTK_ENTRY(edit)) : "";
}

std::string WindowProbe::StatusText() const {
  GtkWidget* status = Find("status-text");
  if (!status || !GTK_IS_STATUSBAR(status)) return "";
  GtkWidget* area = gtk_statusbar_get_message_area(GTK_STATUSBAR(status));
  std::string text;
  GList* children = gtk_container_get_children(GTK_CONTAINER(area));
  for (GList* l = children; l; l = l->next)
    if (GTK_IS_LABEL(l->data)) {
      text = LabelText(GTK_WIDGET(l->data));
      break;
    }
  g_list_free(children);
  return text;
}

std::string WindowProbe::IndicatorText() const {
  GtkWidget* pane = Find("indicator-pane");
  return pane && GTK_IS_LABEL(pane) ? LabelText(pane) : "";
}

bool WindowProbe::SecureShown() const {
  GtkWidget* icon = Find("secure-indicator");
  return icon && gtk_widget_get_visible(icon);
}

Gtk::ToolButton* WindowProbe::StandardButton(int id) const {
  GtkWidget* w = Find("command-" + std::to_string(id));
  return w ? dynamic_cast<Gtk::ToolButton*>(Glib::wrap(w)) : nullptr;
}

GtkWidget* WindowProbe::ShownMenu(const std::string& name) const {
  GList* menus = gtk_menu_get_for_attach_widget(GTK_WIDGET(window_.gobj()));
  for (GList* m = menus; m; m = m->next) {
    GtkWidget* menu = GTK_WIDGET(m->data);
    if (std::string(gtk_widget_get_name(menu)) == name && gtk_widget_get_visible(menu))
      return menu;
  }
  return nullptr;
}

std::vector<std::string> WindowProbe::ShownPopupMenu() const {
  std::vector<std::string> texts;
  GtkWidget* menu = ShownMenu("page-menu");
  if (!menu) return texts;
  GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
  for (GList* i = items; i; i = i->next)
    if (GTK_IS_MENU_ITEM(i->data) && !GTK_IS_SEPARATOR_MENU_ITEM(i->data)) {
      const char* label = gtk_menu_item_get_label(GTK_MENU_ITEM(i->data));
      texts.push_back(label ? label : "");
    }
  g_list_free(items);
  return texts;
}

}  // namespace zel::test
