// Find and highlight in a real page from the keyword box, and web search from the address box.
#include <gtest/gtest.h>
#include <webkit2/webkit2.h>

#include <algorithm>
#include <cstdio>

#include "base/commands.h"
#include "filters/filters_controller.h"
#include "frame/address_box.h"
#include "frame/page_menus.h"
#include "search/search_controller.h"
#include "frame/gtk/main_window.h"
#include "search/find_rules.h"
#include "search/search_engines.h"
#include "support/pump.h"
#include "support/synth_input.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class SearchInPage : public FrameTest {
 protected:
  void SetUp() override {
    startWidth_ = 1200;  // the search bar whole
    FrameTest::SetUp();
    server_.SetPage("/fruit", R"HTML(<html><head><meta charset="utf-8"><title>Fruit</title></head>
        <body><p>apple banana</p><p>apple cherry <b>App</b>le 苹果</p></body></html>)HTML");
  }
  std::string Status() { return probe().StatusText(); }
  std::string Selected(CChildFrame* tab) { return Run(tab, "String(window.getSelection())"); }
};

TEST_F(SearchInPage, FindStepsThroughTheMatchesAndWraps) {
  CChildFrame* tab = OpenAndWait("/fruit", "Fruit");
  ASSERT_NE(tab, nullptr);
  const std::string prefix = "查找关键字 当前/总计: ";
  probe().EnterSearch("apple", GDK_CONTROL_MASK);
  ASSERT_TRUE(PumpUntil([&] { return Status() == prefix + "1/3"; })) << Status();
  EXPECT_EQ(Selected(tab), "\"apple\"");
  frame().OnCommand(cmd::kFunctionKeyF2 + 5);  // F7: on
  ASSERT_TRUE(PumpUntil([&] { return Status() == prefix + "2/3"; })) << Status();
  frame().OnCommand(cmd::kFunctionKeyF2 + 5);
  ASSERT_TRUE(PumpUntil([&] { return Status() == prefix + "3/3"; })) << Status();
  // The match across two elements is one match and is selected whole.
  EXPECT_EQ(Selected(tab), "\"Apple\"");
  frame().OnCommand(cmd::kFunctionKeyF2 + 5);  // past the last: back to the first
  ASSERT_TRUE(PumpUntil([&] { return Status() == prefix + "1/3"; })) << Status();
  frame().OnCommand(cmd::kFunctionKeyF2 + 4);  // F6: backwards from the first wraps to the last
  ASSERT_TRUE(PumpUntil([&] { return Status() == prefix + "3/3"; })) << Status();
  // A Chinese keyword.
  probe().EnterSearch("苹果", GDK_CONTROL_MASK);
  ASSERT_TRUE(PumpUntil([&] { return Status() == prefix + "1/1"; })) << Status();
  EXPECT_EQ(Selected(tab), "\"苹果\"");
}

TEST_F(SearchInPage, HighlightTogglesTheMarks) {
  CChildFrame* tab = OpenAndWait("/fruit", "Fruit");
  ASSERT_NE(tab, nullptr);
  probe().EnterSearch("apple", GdkModifierType(GDK_CONTROL_MASK | GDK_SHIFT_MASK));
  ASSERT_TRUE(PumpUntil([&] { return Status() == "高亮关键字计数: 3"; })) << Status();
  EXPECT_EQ(Run(tab, "document.querySelectorAll('span.zel-highlight').length"), "3");
  EXPECT_EQ(Run(tab, "getComputedStyle(document.querySelector('span.zel-highlight')).color"),
            "\"rgb(255, 0, 0)\"");
  probe().EnterSearch("apple", GdkModifierType(GDK_CONTROL_MASK | GDK_SHIFT_MASK));
  ASSERT_TRUE(PumpUntil([&] { return Status() == "高亮关键字计数: -3"; })) << Status();
  EXPECT_EQ(Run(tab, "document.querySelectorAll('span.zel-highlight').length"), "0");
  EXPECT_EQ(Run(tab, "document.body.textContent.indexOf('apple banana') >= 0"), "true");
}

TEST_F(SearchInPage, HighlightingAKeywordAgainRemovesOnlyItsOwnMarks) {
  CChildFrame* tab = OpenAndWait("/fruit", "Fruit");
  ASSERT_NE(tab, nullptr);
  const auto both = GdkModifierType(GDK_CONTROL_MASK | GDK_SHIFT_MASK);
  auto marks = [&](const std::string& word) {
    return Run(tab, "document.querySelectorAll('span.zel-highlight').length + ':' + "
                    "Array.from(document.querySelectorAll('span.zel-highlight'))"
                    ".filter(s => s.textContent.toLowerCase() == '" + word + "').length");
  };
  probe().EnterSearch("apple", both);
  ASSERT_TRUE(PumpUntil([&] { return Status() == "高亮关键字计数: 3"; })) << Status();
  probe().EnterSearch("banana", both);
  ASSERT_TRUE(PumpUntil([&] { return Status() == "高亮关键字计数: 1"; })) << Status();
  EXPECT_EQ(marks("apple"), "\"4:3\"");
  probe().EnterSearch("banana", both);
  ASSERT_TRUE(PumpUntil([&] { return Status().find("高亮关键字计数: -") == 0; })) << Status();
  EXPECT_EQ(Status(), "高亮关键字计数: -1");
  EXPECT_EQ(marks("apple"), "\"3:3\"");
}

// The bar's find and highlight buttons, with the keys in their tooltips, and the switch
// that keeps find and highlight keywords out of the keyword list.
TEST_F(SearchInPage, TheBarsFindAndHighlightButtonsAndTheKeepKeywordsSwitch) {
  CChildFrame* tab = OpenAndWait("/fruit", "Fruit");
  ASSERT_NE(tab, nullptr);
  GtkWidget* bar = probe().Find("search-bar");
  ASSERT_NE(bar, nullptr);
  GtkWidget* find = FindWidget(bar, "command-1086");
  GtkWidget* highlight = FindWidget(bar, "command-1087");
  ASSERT_TRUE(find && highlight);
  ASSERT_TRUE(gtk_widget_get_mapped(find) && gtk_widget_get_mapped(highlight));
  auto tip = [](GtkWidget* w) {
    gchar* t = gtk_widget_get_tooltip_text(w);
    std::string out = t ? t : "";
    g_free(t);
    return out;
  };
  EXPECT_EQ(tip(find), "查找关键字(F6/F7)(Ctrl/Shift+Enter)");
  EXPECT_EQ(tip(highlight), "高亮关键字(Ctrl+Shift+Enter)");
  auto clickMiddle = [](GtkWidget* w) { ClickWidget(w); };
  window().searchBar().SetSearchBoxText(u"apple");
  clickMiddle(find);
  ASSERT_TRUE(PumpUntil([&] { return Status() == "查找关键字 当前/总计: 1/3"; })) << Status();
  clickMiddle(find);
  ASSERT_TRUE(PumpUntil([&] { return Status() == "查找关键字 当前/总计: 2/3"; })) << Status();
  clickMiddle(highlight);
  ASSERT_TRUE(PumpUntil([&] { return Status() == "高亮关键字计数: 3"; })) << Status();
  EXPECT_EQ(Run(tab, "document.querySelectorAll('span.zel-highlight').length"), "3");
  const auto& history = frame().controller<SearchController>().keywordHistory();
  EXPECT_EQ(history.items(), std::vector<u16>{u"apple"});

  // The switch is an item of the View menu, checked while it is on.
  GtkWidget* item = nullptr;
  GList* tops = gtk_container_get_children(GTK_CONTAINER(probe().Find("menu-bar")));
  for (GList* t = tops; t && !item; t = t->next) {
    GtkWidget* sub = gtk_menu_item_get_submenu(GTK_MENU_ITEM(t->data));
    if (!sub) continue;
    GList* rows = gtk_container_get_children(GTK_CONTAINER(sub));
    for (GList* r = rows; r; r = r->next) {
      const char* label = gtk_menu_item_get_label(GTK_MENU_ITEM(r->data));
      if (label && std::string(label) == "查找和高亮的关键字不记入搜索栏列表") item = GTK_WIDGET(r->data);
    }
    g_list_free(rows);
  }
  g_list_free(tops);
  ASSERT_NE(item, nullptr);
  ASSERT_TRUE(GTK_IS_CHECK_MENU_ITEM(item));
  EXPECT_FALSE(gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item)));
  gtk_menu_item_activate(GTK_MENU_ITEM(item));
  ASSERT_TRUE(PumpUntil([&] { return frame().settings().saveKeyword != 0; }));
  EXPECT_TRUE(gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item)));
  window().searchBar().SetSearchBoxText(u"cherry");
  clickMiddle(find);
  ASSERT_TRUE(PumpUntil([&] { return Status() == "查找关键字 当前/总计: 1/1"; })) << Status();
  EXPECT_EQ(history.items(), std::vector<u16>{u"apple"}) << "find keeps its keyword out";
  gtk_menu_item_activate(GTK_MENU_ITEM(item));
  ASSERT_TRUE(PumpUntil([&] { return frame().settings().saveKeyword == 0; }));
  EXPECT_FALSE(gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item)));
}

// The share of the match's box drawn in a strong colour, as the page is on screen.
double SaturatedShare(GtkWidget* page, double x, double y, double w, double h) {
  cairo_surface_t* shot = nullptr;
  bool done = false;
  webkit_web_view_get_snapshot(
      WEBKIT_WEB_VIEW(page), WEBKIT_SNAPSHOT_REGION_VISIBLE,
      WEBKIT_SNAPSHOT_OPTIONS_INCLUDE_SELECTION_HIGHLIGHTING, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        auto* out = static_cast<std::pair<cairo_surface_t**, bool*>*>(data);
        *out->first = webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(source), result, nullptr);
        *out->second = true;
        delete out;
      },
      new std::pair<cairo_surface_t**, bool*>(&shot, &done));
  if (!PumpUntil([&] { return done; }) || !shot) return -1;
  cairo_surface_flush(shot);
  const int stride = cairo_image_surface_get_stride(shot);
  const unsigned char* data = cairo_image_surface_get_data(shot);
  const int sw = cairo_image_surface_get_width(shot), sh = cairo_image_surface_get_height(shot);
  int strong = 0, all = 0;
  for (int py = int(y) + 1; py < int(y + h) - 1 && py < sh; ++py)
    for (int px = int(x) + 1; px < int(x + w) - 1 && px < sw; ++px) {
      const unsigned char* p = data + py * stride + px * 4;  // B G R A
      int hi = std::max({p[0], p[1], p[2]}), lo = std::min({p[0], p[1], p[2]});
      ++all;
      if (hi - lo > 80) ++strong;
    }
  cairo_surface_destroy(shot);
  return all ? double(strong) / all : -1;
}

TEST_F(SearchInPage, TheCurrentMatchIsDrawnSelectedWhileTheKeywordBoxHasTheFocus) {
  server_.SetPage("/big", "<html><head><title>Big</title></head><body style='margin:40px'>"
                          "<p style='font:40px monospace'>one <span id=w>kiwi</span> two</p></body></html>");
  CChildFrame* tab = OpenAndWait("/big", "Big");
  ASSERT_NE(tab, nullptr);
  GtkWidget* box = probe().Find("keyword-box");
  ASSERT_NE(box, nullptr);
  GtkWidget* edit = gtk_bin_get_child(GTK_BIN(box));
  gtk_widget_grab_focus(edit);
  probe().EnterSearch("kiwi", GDK_CONTROL_MASK);
  ASSERT_TRUE(PumpUntil([&] { return Status() == "查找关键字 当前/总计: 1/1"; })) << Status();
  ASSERT_TRUE(gtk_widget_is_focus(edit)) << "the focus stays in the box";
  std::string rect = Run(tab, "(function(){var r=document.getElementById('w').getBoundingClientRect();"
                              "return [r.left,r.top,r.width,r.height].join(',');})()");
  double x = 0, y = 0, w = 0, h = 0;
  ASSERT_EQ(std::sscanf(rect.c_str(), "\"%lf,%lf,%lf,%lf\"", &x, &y, &w, &h), 4) << rect;
  // The selection's colour fills most of the box; a pale grey one has no strong colour.
  double share = -1;
  EXPECT_TRUE(PumpUntil([&] { return (share = SaturatedShare(PageOf(tab), x, y, w, h)) > 0.4; }))
      << share;
}

TEST_F(SearchInPage, EmptyKeywordAsksForOne) {
  ASSERT_NE(OpenAndWait("/fruit", "Fruit"), nullptr);
  probe().EnterSearch("   ", GDK_CONTROL_MASK);
  PumpFor(100ms);
  // An empty box does nothing for the search button; find asks for a keyword.
  frame().OnCommand(kCmdFindInPage);
  ASSERT_FALSE(prompts_.messages.empty());
  EXPECT_EQ(prompts_.messages.back(), kNoKeywordMessage);
}

TEST_F(SearchInPage, WordsInTheAddressBoxOpenASearchTab) {
  ASSERT_NE(OpenAndWait("/fruit", "Fruit"), nullptr);
  frame().OnCommand(kEngineMenuFirstId + 99);  // no such engine: the default template
  probe().EnterAddress("zel browser", GdkModifierType(0));
  ASSERT_TRUE(PumpUntil([&] { return frame().TabCount() == 2; }));
  // The new tab starts blank and is then sent to the search.
  PumpUntil([&] {
    return frame().ActiveView()->CurrentAddress() != u"about:blank";
  });
  EXPECT_EQ(frame().ActiveView()->CurrentAddress(),
            u"https://www.baidu.com/s?wd=zel+browser&tn=ZEL");
  EXPECT_EQ(window().searchBar().SearchBoxText(), u"zel browser");
}

}  // namespace

namespace {

TEST_F(SearchInPage, TypedAddressLoadsAndJoinsTheList) {
  CChildFrame* tab = OpenAndWait("/fruit", "Fruit");
  ASSERT_NE(tab, nullptr);
  // Typed as a user would, without the scheme.
  std::string typed = server_.Url("/t/Typed").substr(7);
  probe().EnterAddress(typed, GdkModifierType(0));
  ASSERT_TRUE(PumpUntil([&] { return tab->caption == u"Typed"; })) << ToUtf8(tab->caption);
  EXPECT_EQ(frame().TabCount(), 1);
  ASSERT_EQ(frame().controller<AddressBoxController>().typedAddresses().size(), 1u);
  EXPECT_EQ(frame().controller<AddressBoxController>().typedAddresses()[0], FromUtf8(server_.Url("/t/Typed")));
  // Alt+Enter: a new tab.
  probe().EnterAddress(server_.Url("/t/Other"), GDK_MOD1_MASK);
  ASSERT_TRUE(PumpUntil([&] { return frame().TabCount() == 2; }));
  EXPECT_TRUE(PumpUntil([&] { return frame().ActiveChild() && frame().ActiveChild()->caption == u"Other"; }));
}

}  // namespace
