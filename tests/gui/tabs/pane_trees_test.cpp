// The favorites and history trees under the mouse and the keyboard: a double-click opens one
// page, history folders open by a double-click, the sites' cached icons are
// shown, and a selected row stays readable.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <gtkmm.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

#include "base/commands.h"
#include "base/files.h"
#include "favorites/favorites_folder.h"
#include "history/history_store.h"
#include "icons/site_icons.h"
#include "skin/skin_controller.h"
#include "support/pump.h"
#include "support/synth_input.h"
#include "support/xtest_input.h"
#include "tabs/frame_test.h"
#include "view/gtk/synth_events.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

// A button event on a tree's row, built as the X server's and handed to GTK's dispatch (the
// rows are in the tree's bin window). x: from the row's left edge.
void TreeButton(GtkWidget* tree, GtkTreePath* path, GdkEventType type, double x, guint state = 0) {
  GtkTreeView* view = GTK_TREE_VIEW(tree);
  GdkRectangle r;
  gtk_tree_view_get_background_area(view, path, nullptr, &r);
  GdkWindow* bin = gtk_tree_view_get_bin_window(view);
  GdkEvent* ev = gdk_event_new(type);
  GdkEventButton* b = &ev->button;
  b->window = GDK_WINDOW(g_object_ref(bin));
  b->x = x;
  b->y = r.y + r.height / 2.0;
  int ox = 0, oy = 0;
  gdk_window_get_origin(bin, &ox, &oy);
  b->x_root = ox + b->x;
  b->y_root = oy + b->y;
  b->time = GDK_CURRENT_TIME;
  b->button = 1;
  b->state = state;
  gdk_event_set_device(ev, gdk_seat_get_pointer(gdk_display_get_default_seat(gtk_widget_get_display(tree))));
  gtk_main_do_event(ev);
  gdk_event_free(ev);
}

void RowClick(GtkWidget* tree, GtkTreePath* path, double x) {
  TreeButton(tree, path, GDK_BUTTON_PRESS, x);
  TreeButton(tree, path, GDK_BUTTON_RELEASE, x, GDK_BUTTON1_MASK);
}

// Two clicks as the X server sends a double-click: press, release, press, the double press,
// release.
void RowDoubleClick(GtkWidget* tree, GtkTreePath* path, double x) {
  RowClick(tree, path, x);
  TreeButton(tree, path, GDK_BUTTON_PRESS, x);
  TreeButton(tree, path, GDK_2BUTTON_PRESS, x);
  TreeButton(tree, path, GDK_BUTTON_RELEASE, x, GDK_BUTTON1_MASK);
}

// The path of the top-level row with that text, or null.
GtkTreePath* TopRow(GtkWidget* tree, const std::string& text) {
  auto rows = TreeRows(tree);
  auto it = std::find(rows.begin(), rows.end(), text);
  return it == rows.end() ? nullptr : gtk_tree_path_new_from_indices(int(it - rows.begin()), -1);
}

// The tree as it is drawn, as RGB pixels.
struct Shot {
  int w = 0, h = 0;
  std::vector<unsigned> px;  // 0xRRGGBB
  unsigned At(int x, int y) const { return px[size_t(y) * size_t(w) + size_t(x)]; }
};
Shot Draw(GtkWidget* widget) {
  Shot s;
  s.w = gtk_widget_get_allocated_width(widget);
  s.h = gtk_widget_get_allocated_height(widget);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, s.w, s.h);
  cairo_t* cr = cairo_create(surface);
  gtk_widget_draw(widget, cr);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < s.h; ++y)
    for (int x = 0; x < s.w; ++x) s.px.push_back(*reinterpret_cast<const uint32_t*>(data + y * stride + x * 4) & 0xFFFFFF);
  cairo_surface_destroy(surface);
  return s;
}
double Luma(unsigned c) { return 0.299 * (c >> 16 & 255) + 0.587 * (c >> 8 & 255) + 0.114 * (c & 255); }

// The text's contrast on a row: the luma between the row's most common colour (its
// background) and the colour farthest from it (its text), from x0 on.
double RowContrast(const Shot& s, const GdkRectangle& row, int x0) {
  std::map<unsigned, int> counts;
  for (int y = row.y; y < row.y + row.height && y < s.h; ++y)
    for (int x = x0; x < s.w; ++x) ++counts[s.At(x, y)];
  if (counts.empty()) return 0;
  unsigned bg = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
  double far = 0;
  for (auto& [c, n] : counts) far = std::max(far, std::fabs(Luma(c) - Luma(bg)));
  return far;
}

class PaneTrees : public FrameTest {
 protected:
  std::string Favorites() const { return ProfileFolder() + "/Favorites"; }
  void BeforeStart() override {
    CreateFolderLevels(Favorites() + "/Folder");
    WriteFileAtomic(Favorites() + "/Page.url", ShortcutFileText(FromUtf8(server_.Url("/t/Fav"))));
    WriteFileAtomic(Favorites() + "/Folder/Inner.url", ShortcutFileText(u"http://127.0.0.1:1/"));
  }
  GtkWidget* ShowFavorites() {
    frame().OnCommand(cmd::kFavoritesPane);
    GtkWidget* tree = probe().Find("favorites-tree");
    if (!tree || !PumpUntil([&] { return gtk_widget_get_mapped(tree) && TreeRows(tree).size() == 2; }))
      return nullptr;
    return tree;
  }
  int TabsOf(const std::string& caption) {
    int n = 0;
    for (int i = 0; CChildFrame* c = frame().TabAt(i); ++i) n += ToUtf8(c->caption) == caption;
    return n;
  }
};

TEST_F(PaneTrees, ADoubleClickOrEnterOnAFavoriteOpensOnePage) {
  ASSERT_TRUE(PumpUntil([&] { return frame().deferredStartupDone(); }));
  GtkWidget* tree = ShowFavorites();
  ASSERT_NE(tree, nullptr);
  GtkTreePath* page = TopRow(tree, "Page");
  ASSERT_NE(page, nullptr);
  RowDoubleClick(tree, page, 40);
  ASSERT_TRUE(PumpUntil([&] { return TabsOf("Fav") >= 1; })) << probe().EntryCount();
  PumpFor(300ms);
  EXPECT_EQ(TabsOf("Fav"), 1);
  // Enter on the selected entry: one more.
  gtk_widget_grab_focus(tree);
  gtk_tree_view_set_cursor(GTK_TREE_VIEW(tree), page, nullptr, FALSE);
  ASSERT_TRUE(PumpUntil([&] { return gtk_widget_has_focus(tree); }));
  PumpFor(100ms);
  SynthKey(tree, GDK_KEY_Return, /*release=*/true);  // pressed and let go
  ASSERT_TRUE(PumpUntil([&] { return TabsOf("Fav") >= 2; }));
  PumpFor(300ms);
  EXPECT_EQ(TabsOf("Fav"), 2);
  gtk_tree_path_free(page);
}

TEST_F(PaneTrees, AFavoriteShowsItsSitesCachedIcon) {
  // The icon cache holds the server's site: a green icon.
  GdkPixbuf* p = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 16, 16);
  gdk_pixbuf_fill(p, 0x00FF00FF);
  const std::string cache = ProfileFolder() + "/iconcache";
  ASSERT_TRUE(CreateFolderLevels(cache));
  const std::string file = JoinPath(cache, SiteIconFileName(FromUtf8(server_.Url("/"))));
  ASSERT_TRUE(gdk_pixbuf_save(p, file.c_str(), "png", nullptr, nullptr));
  g_object_unref(p);
  GtkWidget* tree = ShowFavorites();
  ASSERT_NE(tree, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_realized(tree); }));
  PumpFor(100ms);
  Shot shot = Draw(tree);
  auto greenIn = [&](const std::string& text) {
    GtkTreePath* path = TopRow(tree, text);
    if (!path) return -1;
    GdkRectangle r;
    gtk_tree_view_get_background_area(GTK_TREE_VIEW(tree), path, nullptr, &r);
    int x = 0, y = 0;
    gtk_tree_view_convert_bin_window_to_widget_coords(GTK_TREE_VIEW(tree), r.x, r.y, &x, &y);
    gtk_tree_path_free(path);
    int n = 0;
    for (int yy = y; yy < y + r.height && yy < shot.h; ++yy)
      for (int xx = 0; xx < shot.w; ++xx) n += shot.At(xx, yy) == 0x00FF00;
    return n;
  };
  EXPECT_GE(greenIn("Page"), 100) << "the site's icon on its favorite";
  EXPECT_EQ(greenIn("Folder"), 0);
}

class SkinnedTrees : public PaneTrees {
 protected:
  void BeforeStart() override {
    PaneTrees::BeforeStart();
    ASSERT_EQ(std::system(("cp -r '" ZEL_SKIN_SOURCE_DIR "' '" + dir_.path() + "/skin'").c_str()), 0);
  }
};

TEST_F(SkinnedTrees, TheSelectedRowOfBothTreesIsReadableInEverySkin) {
  ASSERT_NE(OpenAndWait("/t/Seen", "Seen"), nullptr);
  ASSERT_TRUE(PumpUntil([&] {
    HistoryStore s;
    return s.Open(ProfileFolder() + "/history.sqlite") && !s.All().empty();
  }));
  for (const char* skin : {"Default", "Ink"}) {
    SCOPED_TRACE(skin);
    frame().controller<SkinController>().SelectSkin(FromUtf8(skin));
    for (auto [pane, name] : {std::pair{cmd::kFavoritesPane, "favorites-tree"},
                              std::pair{cmd::kHistoryPane, "history-tree"}}) {
      SCOPED_TRACE(name);
      if (!frame().CommandChecked(pane).value_or(false)) frame().OnCommand(pane);
      GtkWidget* tree = probe().Find(name);
      ASSERT_NE(tree, nullptr);
      ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(tree) && !TreeRows(tree).empty(); }));
      GtkTreePath* first = gtk_tree_path_new_first();
      gtk_widget_grab_focus(tree);
      gtk_tree_selection_select_path(gtk_tree_view_get_selection(GTK_TREE_VIEW(tree)), first);
      GdkRectangle r;
      gtk_tree_view_get_background_area(GTK_TREE_VIEW(tree), first, nullptr, &r);
      int x = 0, y = 0;
      gtk_tree_view_convert_bin_window_to_widget_coords(GTK_TREE_VIEW(tree), r.x, r.y, &x, &y);
      r.y = y;
      gtk_tree_path_free(first);
      PumpFor(50ms);
      // Past the icon: the row's text on the row's background.
      double contrast = RowContrast(Draw(tree), r, 24);
      EXPECT_GT(contrast, 90) << "text and background of the selected row";
      frame().OnCommand(pane);
    }
  }
}

TEST_F(PaneTrees, HistoryFoldersOpenByADoubleClickOrTheirArrow) {
  for (const char* t : {"One", "Two"}) ASSERT_NE(OpenAndWait(std::string("/t/") + t, t), nullptr);
  ASSERT_TRUE(PumpUntil([&] {
    HistoryStore s;
    return s.Open(ProfileFolder() + "/history.sqlite") && s.All().size() >= 2;
  }));
  frame().OnCommand(cmd::kHistoryPane);
  GtkWidget* tree = probe().Find("history-tree");
  ASSERT_NE(tree, nullptr);
  GtkTreePath* today = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(tree) && (today = TopRow(tree, "今天")); }));
  GtkTreeView* view = GTK_TREE_VIEW(tree);
  // Laid out: the row has its place on screen.
  ASSERT_TRUE(PumpUntil([&] {
    GdkRectangle r{};
    gtk_tree_view_get_background_area(view, today, nullptr, &r);
    return r.height > 0 && gtk_widget_get_allocated_width(tree) > 40;
  }));
  PumpFor(100ms);
  // Closed first, whatever it came up as (the expander is GTK's own).
  gtk_tree_view_collapse_row(view, today);
  ASSERT_TRUE(PumpUntil([&] { return !gtk_tree_view_row_expanded(view, today); }));
  // A double-click on the label opens it too, and opens no page.
  const int tabs = probe().EntryCount();
  RowDoubleClick(tree, today, 60);
  ASSERT_TRUE(PumpUntil([&] { return gtk_tree_view_row_expanded(view, today); })) << "a double-click opens it";
  PumpFor(200ms);
  EXPECT_TRUE(gtk_tree_view_row_expanded(view, today)) << "and it stays open";
  EXPECT_EQ(probe().EntryCount(), tabs);
  // Its arrow, clicked through the X server, closes and opens it.
  XPointerKeeper keeper;
  GdkRectangle cell{};
  gtk_tree_view_get_cell_area(view, today, gtk_tree_view_get_expander_column(view), &cell);
  int arrowX = 0, arrowY = 0;
  gint expander = 16;
  gtk_widget_style_get(tree, "expander-size", &expander, nullptr);
  gtk_tree_view_convert_bin_window_to_widget_coords(view, cell.x - expander / 2 - 2,
                                                    cell.y + cell.height / 2, &arrowX, &arrowY);
  for (bool open : {false, true}) {
    XMoveTo(tree, arrowX, arrowY);
    XButton(1, true);
    XButton(1, false);
    EXPECT_TRUE(PumpUntil([&] { return bool(gtk_tree_view_row_expanded(view, today)) == open; }))
        << (open ? "the arrow opens it" : "the arrow closes it");
    PumpFor(300ms);  // no double-click of the two
  }
  EXPECT_EQ(probe().EntryCount(), tabs);
  gtk_tree_path_free(today);
}

}  // namespace
