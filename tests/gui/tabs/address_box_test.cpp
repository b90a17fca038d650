// The address box and the other ways an address is opened, used as a user uses them: keys
// and clicks through GTK's dispatch, menus opened from the menu bar, a real proxy that sees
// what reaches the network.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <gtkmm.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "base/commands.h"
#include "base/files.h"
#include "favorites/favorites_folder.h"
#include "history/history_store.h"
#include "frame/gtk/address_bar.h"
#include "frame/gtk/main_window.h"
#include "proxy/proxy_controller.h"
#include "support/proxy_server.h"
#include "support/pump.h"
#include "support/synth_input.h"
#include "tabs/frame_test.h"
#include "view/vop_view.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

std::string Label(GtkWidget* item) {
  const char* t = GTK_IS_MENU_ITEM(item) ? gtk_menu_item_get_label(GTK_MENU_ITEM(item)) : nullptr;
  return t ? t : "";
}

GtkWidget* ItemLabelled(GtkWidget* menu, const std::string& label) {
  GtkWidget* found = nullptr;
  GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
  for (GList* l = items; l; l = l->next)
    if (Label(GTK_WIDGET(l->data)) == label) found = GTK_WIDGET(l->data);
  g_list_free(items);
  return found;
}

GtkWidget* FirstEntry(GtkWidget* root) {
  if (GTK_IS_ENTRY(root)) return root;
  if (!GTK_IS_CONTAINER(root)) return nullptr;
  GtkWidget* found = nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(root));
  for (GList* l = children; l && !found; l = l->next) found = FirstEntry(GTK_WIDGET(l->data));
  g_list_free(children);
  return found;
}

// A server that takes connections and never answers: a page from it stays loading.
class SilentServer {
 public:
  SilentServer() {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), len) == 0 && ::listen(fd_, 8) == 0 &&
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) == 0)
      port_ = ntohs(a.sin_port);
  }
  ~SilentServer() { ::close(fd_); }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }

 private:
  int fd_ = -1;
  int port_ = 0;
};

class AddressBox : public FrameTest {
 protected:
  GtkWidget* Edit() {
    GtkWidget* box = probe().Find("address-box");
    return box ? gtk_bin_get_child(GTK_BIN(box)) : nullptr;
  }
  void Press(guint keyval, guint state = 0) {
    PressKeyIn(GTK_WIDGET(window().gobj()), keyval, state);
  }
  void Type(const std::string& text) {
    for (char c : text) Press(gdk_unicode_to_keyval(guint32(c)));
  }
  // The proxy chosen as from the dialog and switched on with its command.
  void UseProxy() {
    FrameSettings& s = frame().settings();
    s.curpro = FromUtf8(proxy_.HostPort());
    s.proname = u"test";
    s.exception = u"";
    if (!s.proxyEnable) frame().OnCommand(cmd::kProxyEnable);
    ASSERT_TRUE(s.proxyEnable);
  }
  bool Requested(const std::string& address) {
    return PumpUntil([&] { return proxy_.ForwardedCount(address) > 0; }, 20s);
  }
  // Opens the menu bar's path of items as a user does, activating the last one.
  void RunMenuItem(const std::vector<std::string>& path) {
    GtkWidget* menu = probe().Find("menu-bar");
    ASSERT_NE(menu, nullptr);
    for (size_t i = 0; i < path.size(); ++i) {
      GtkWidget* item = ItemLabelled(menu, path[i]);
      ASSERT_NE(item, nullptr) << path[i];
      gtk_menu_item_activate(GTK_MENU_ITEM(item));
      if (i + 1 < path.size()) {
        menu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(item));
        ASSERT_NE(menu, nullptr) << path[i];
      }
    }
    gtk_menu_shell_deactivate(GTK_MENU_SHELL(probe().Find("menu-bar")));
  }
  CChildFrame* TabShowing(const std::string& address) {
    for (int i = 0; CChildFrame* t = frame().TabAt(i); ++i)
      if (t->view() && ToUtf8(t->view()->CurrentAddress()) == address) return t;
    return nullptr;
  }
  ProxyServer proxy_;
};

// "www." text from the clipboard ("从剪贴板") and from the page's text menu ("打开") is
// completed as typed text is and reaches the network.
TEST_F(AddressBox, WwwTextOpenedFromTheClipboardAndTheTextMenuGetsItsScheme) {
  UseProxy();
  gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), "www.example.com", -1);
  RunMenuItem({"文件(_F)", "新建(_N)", "从剪贴板"});
  EXPECT_TRUE(Requested("http://www.example.com/"));

  server_.SetPage("/words", R"(<!DOCTYPE html><html><head><meta charset="utf-8">
    <title>Words</title></head><body style="margin:0">
    <p id="words" style="margin:40px;font-size:30px">www.example.org</p></body></html>)");
  CChildFrame* tab = OpenAndWait("/words", "Words");
  ASSERT_NE(tab, nullptr);
  Run(tab, "getSelection().selectAllChildren(document.getElementById('words'))");
  auto [x, y] = Center(tab, "words");
  MoveTo(PageOf(tab), x, y);
  PumpFor(200ms);
  ClickAt(PageOf(tab), x, y, 3);
  ASSERT_TRUE(PumpUntil([&] { return probe().ShownMenu("page-menu") != nullptr; }));
  GtkWidget* open = ItemLabelled(probe().ShownMenu("page-menu"), "打开");
  ASSERT_NE(open, nullptr);
  gtk_menu_item_activate(GTK_MENU_ITEM(open));
  window().pageHost().PopupMenu({});
  EXPECT_TRUE(Requested("http://www.example.org/"));
}

// Ctrl+O's "打开" dialog opens a host name as the address box would.
TEST_F(AddressBox, TheOpenDialogCompletesAHostName) {
  UseProxy();
  bool answered = false;
  // The dialog runs its own loop: it is answered from there, key by key.
  guint source = g_timeout_add(100, +[](gpointer data) -> gboolean {
    auto* self = static_cast<std::pair<AddressBox*, bool*>*>(data);
    GList* tops = gtk_window_list_toplevels();
    GtkWidget* dialog = nullptr;
    for (GList* l = tops; l; l = l->next)
      if (GTK_IS_DIALOG(l->data) && gtk_widget_get_mapped(GTK_WIDGET(l->data)) &&
          std::string(gtk_window_get_title(GTK_WINDOW(l->data)) ?: "") == "打开")
        dialog = GTK_WIDGET(l->data);
    g_list_free(tops);
    if (!dialog) return G_SOURCE_CONTINUE;
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(dialog));
    if (!focus || !GTK_IS_ENTRY(focus)) {
      // The user clicks into the address field first.
      if (GtkWidget* entry = FirstEntry(dialog)) gtk_widget_grab_focus(entry);
      return G_SOURCE_CONTINUE;
    }
    for (char c : std::string("www.example.net")) PressKeyIn(dialog, gdk_unicode_to_keyval(guint32(c)));
    PressKeyIn(dialog, GDK_KEY_Return);
    *self->second = true;
    return G_SOURCE_REMOVE;
  }, new std::pair<AddressBox*, bool*>(this, &answered));
  Press(GDK_KEY_o, GDK_CONTROL_MASK);
  ASSERT_TRUE(PumpUntil([&] { return answered; }, 20s));
  EXPECT_TRUE(Requested("http://www.example.net/"));
  if (!answered) g_source_remove(source);
}

// While the user edits the box's text, the page's own navigations leave it alone; once the
// box loses the focus the box follows the page again.
TEST_F(AddressBox, PageNavigationsLeaveWhatIsBeingTypedAlone) {
  CChildFrame* tab = OpenAndWait("/t/Start", "Start");
  ASSERT_NE(tab, nullptr);
  const struct {
    const char* how;
    const char* script;
    const char* title;
  } navigations[] = {
      {"script", "location.href = '/t/Scripted'", "Scripted"},
      {"link the page clicks", "document.getElementById('link').click()", "Linked"},
      {"timer", "setTimeout(function () { location.replace('/t/Timed'); }, 10)", "Timed"},
  };
  Press(GDK_KEY_l, GDK_CONTROL_MASK);
  ASSERT_TRUE(PumpUntil([&] { return gtk_widget_is_focus(Edit()); }));
  Type("typed");
  for (const auto& n : navigations) {
    int hits = server_.Hits("/t/" + std::string(n.title));
    Run(tab, n.script);
    ASSERT_TRUE(PumpUntil([&] {
      return server_.Hits("/t/" + std::string(n.title)) > hits && tab->view()->loadState < 0 &&
             tab->caption == FromUtf8(n.title);
    })) << n.how;
    PumpFor(100ms);
    EXPECT_EQ(probe().AddressText(), "typed") << n.how;
  }
  // Esc gives the page's address back; from then on the box follows the page.
  Press(GDK_KEY_Escape);
  EXPECT_EQ(probe().AddressText(), ToUtf8(tab->view()->CurrentAddress()));
  Run(tab, "location.href = '/t/After'");
  EXPECT_TRUE(PumpUntil([&] { return probe().AddressText() == server_.Url("/t/After"); }));
}

// Ctrl+T: the new blank tab's box is empty and has the focus, so what is typed is the
// address.
TEST_F(AddressBox, ANewBlankTabTakesTheTypedAddress) {
  ASSERT_NE(OpenAndWait("/t/First", "First"), nullptr);
  Press(GDK_KEY_t, GDK_CONTROL_MASK);
  ASSERT_TRUE(PumpUntil([&] { return frame().TabCount() == 2; }));
  CChildFrame* blank = frame().ActiveChild();
  ASSERT_TRUE(PumpUntil([&] {
    return blank->view() && blank->view()->CurrentAddress() == u"about:blank" &&
           blank->view()->loadState < 0;
  }));
  PumpFor(100ms);
  EXPECT_TRUE(gtk_widget_is_focus(Edit()));
  EXPECT_EQ(probe().AddressText(), "");
  std::string typed = server_.Url("/t/Typed").substr(std::string("http://").size());
  Type(typed);
  Press(GDK_KEY_Return);
  ASSERT_TRUE(PumpUntil([&] { return blank->caption == u"Typed"; }));
  EXPECT_EQ(ToUtf8(blank->view()->CurrentAddress()), server_.Url("/t/Typed"));
  EXPECT_EQ(server_.Hits("/t/Typedabout:blank"), 0);
}

// The box follows moves within the page: an in-page link, the page's own pushState.
TEST_F(AddressBox, TheBoxFollowsMovesWithinThePage) {
  server_.SetPage("/inpage", R"HTML(<!DOCTYPE html><html><head><title>In page</title></head>
    <body style="margin:0"><p><a id="down" href="#section">down</a>
    <button id="push" onclick="history.pushState({}, '', '/inpage/moved')">move</button></p>
    <div style="height:3000px"></div><h2 id="section">Section</h2></body></html>)HTML");
  CChildFrame* tab = OpenAndWait("/inpage", "In page");
  ASSERT_NE(tab, nullptr);
  Click(tab, "down");
  EXPECT_TRUE(PumpUntil([&] { return probe().AddressText() == server_.Url("/inpage#section"); }))
      << probe().AddressText();
  Run(tab, "window.scrollTo(0, 0)");
  Click(tab, "push");
  EXPECT_TRUE(PumpUntil([&] { return probe().AddressText() == server_.Url("/inpage/moved"); }))
      << probe().AddressText();
}

// From the moment a navigation starts, before the server says anything: Stop is enabled,
// the status bar shows the progress and the tab its loading icon; Esc then stops it.
TEST_F(AddressBox, LoadingShowsBeforeTheServerAnswersAndEscStopsIt) {
  SilentServer silent;
  CChildFrame* tab = OpenAndWait("/t/Idle", "Idle");
  ASSERT_NE(tab, nullptr);
  Gtk::ToolButton* stop = probe().StandardButton(cmd::kStop);
  ASSERT_NE(stop, nullptr);
  EXPECT_FALSE(stop->get_sensitive());
  const long idleIcon = probe().EntryIconColor(0);
  GtkWidget* progress = probe().Find("load-progress");
  ASSERT_NE(progress, nullptr);

  probe().EnterAddress(silent.Url("/slow"), GdkModifierType(0));
  EXPECT_TRUE(PumpUntil([&] { return stop->get_sensitive(); }));
  EXPECT_TRUE(PumpUntil([&] { return gtk_widget_get_visible(progress); }));
  EXPECT_NE(probe().EntryIconColor(0), idleIcon);
  EXPECT_GE(tab->view()->loadState, 0);

  tab->view()->FocusPage();
  Press(GDK_KEY_Escape);
  EXPECT_TRUE(PumpUntil([&] { return tab->view()->loadState < 0 && !stop->get_sensitive(); }));
  EXPECT_FALSE(gtk_widget_get_visible(progress));
}

// With nothing loading, Esc is the page's: its overlay closes.
TEST_F(AddressBox, EscWithNothingLoadingReachesThePage) {
  server_.SetPage("/overlay", R"(<!DOCTYPE html><html><head><title>Open</title></head>
    <body><div id="overlay">an overlay</div><script>
    addEventListener('keydown', function (e) {
      if (e.key === 'Escape') { document.getElementById('overlay').remove();
                                document.title = 'Closed'; } });</script></body></html>)");
  CChildFrame* tab = OpenAndWait("/overlay", "Open");
  ASSERT_NE(tab, nullptr);
  Click(tab, "overlay");
  PumpFor(100ms);
  Press(GDK_KEY_Escape);
  EXPECT_TRUE(PumpUntil([&] { return tab->caption == u"Closed"; }));
}

// "向上" on the Standard bar: one level up in the tab, or in a new tab with newtablink; not
// usable where there is no level left.
TEST_F(AddressBox, TheUpButtonGoesOneLevelUp) {
  server_.SetPage("/a/b/", "<title>Folder B</title>");
  server_.SetPage("/a/", "<title>Folder A</title>");
  server_.SetPage("/a/b/page.html", "<title>Page</title>");
  CChildFrame* tab = OpenAndWait("/a/b/page.html", "Page");
  ASSERT_NE(tab, nullptr);
  Gtk::ToolButton* up = probe().StandardButton(cmd::kUp);
  ASSERT_NE(up, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return up->get_sensitive(); }));
  gtk_button_clicked(GTK_BUTTON(gtk_bin_get_child(GTK_BIN(up->gobj()))));
  ASSERT_TRUE(PumpUntil([&] { return tab->caption == u"Folder B"; }));
  EXPECT_EQ(frame().TabCount(), 1);

  frame().settings().newtablink = true;
  gtk_button_clicked(GTK_BUTTON(gtk_bin_get_child(GTK_BIN(up->gobj()))));
  ASSERT_TRUE(PumpUntil([&] { return TabShowing(server_.Url("/a/")) != nullptr; }));
  EXPECT_EQ(frame().TabCount(), 2);
  EXPECT_EQ(tab->caption, u"Folder B");

  // A numeric host at its top level has no level above it.
  server_.SetPage("/", "<title>Root</title>");
  ASSERT_NE(OpenAndWait("/", "Root"), nullptr);
  EXPECT_TRUE(PumpUntil([&] { return !up->get_sensitive(); }));
}

// While the user types, the box offers visited pages and favorites whose address or title
// holds the text, without taking over the typing; Down and Enter open the offered page.
TEST_F(AddressBox, TypingOffersVisitedPagesAndFavorites) {
  CreateFolderLevels(ProfileFolder() + "/Favorites");
  WriteFileAtomic(ProfileFolder() + "/Favorites/Apple Pie.url",
                  ShortcutFileText(FromUtf8(server_.Url("/t/Pie"))));
  ASSERT_NE(OpenAndWait("/t/AppleJuice", "AppleJuice"), nullptr);
  ASSERT_NE(OpenAndWait("/t/Banana", "Banana"), nullptr);
  ASSERT_TRUE(PumpUntil([&] {
    HistoryStore s;
    return s.Open(ProfileFolder() + "/history.sqlite") && s.All().size() >= 2;
  }));
  auto& bar = dynamic_cast<AddressBar&>(window().addressBar());
  Press(GDK_KEY_l, GDK_CONTROL_MASK);
  ASSERT_TRUE(PumpUntil([&] { return gtk_widget_is_focus(Edit()); }));
  Type("apple");
  const std::vector<std::string> offered = {server_.Url("/t/Pie"), server_.Url("/t/AppleJuice")};
  EXPECT_TRUE(PumpUntil([&] { return bar.ShownSuggestions() == offered; }))
      << ::testing::PrintToString(bar.ShownSuggestions());
  EXPECT_EQ(probe().AddressText(), "apple");  // the typing is the user's
  Type("j");
  EXPECT_TRUE(PumpUntil([&] {
    return bar.ShownSuggestions() == std::vector<std::string>{server_.Url("/t/AppleJuice")};
  })) << ::testing::PrintToString(bar.ShownSuggestions());
  Press(GDK_KEY_BackSpace);
  ASSERT_TRUE(PumpUntil([&] { return bar.ShownSuggestions() == offered; }));
  // The first offer, chosen with the keys, opens in the tab in front.
  PumpFor(200ms);
  Press(GDK_KEY_Down);
  Press(GDK_KEY_Return);
  EXPECT_TRUE(PumpUntil([&] { return server_.Hits("/t/Pie") == 1; }));
  EXPECT_TRUE(PumpUntil([&] { return frame().ActiveChild()->caption == u"Pie"; }));
  EXPECT_EQ(frame().TabCount(), 2);
}

}  // namespace
