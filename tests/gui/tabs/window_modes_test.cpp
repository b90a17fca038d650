// The window's modes in the real window: F11 covers the screen and gives the rectangle
// back, F12 hides the bars, the bar commands hide them with their check marks, the status
// bar's switch panes, the boss key pressed through the X server, and the tray icon taken by
// an XEmbed tray running on the test's display.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <optional>

#include "base/commands.h"
#include "base/files.h"
#include "base/ini_document.h"
#include "support/notifier_watcher.h"
#include "support/pump.h"
#include "support/synth_input.h"
#include "support/window_probe.h"
#include "support/xtest_input.h"
#include "frame/gtk/main_window.h"
#include "window/window_controller.h"
#include "frame/tab_locks.h"
#include "frame/main_frame.h"
#include "tabs/frame_test.h"

// After gtkmm: Xlib defines names gtkmm uses.
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <gdk/gdkx.h>
#include <gtk/gtkx.h>

extern char** environ;

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class WindowModesTest : public FrameTest {
 protected:
  WindowModesTest() { startWidth_ = 1200; }  // every bar whole
  void BeforeStart() override {
    if (extraConfig_.empty()) return;
    const std::string config = ProfileFolder() + "/config.ini";
    IniDocument doc = IniDocument::Parse(ReadFileBytes(config).value_or(""));
    for (const auto& [key, value] : extraConfig_) doc.Set(u"GENERAL", key, value);
    ASSERT_TRUE(WriteFileAtomic(config, doc.Serialize()));
  }
  bool Mapped(const std::string& name) {
    GtkWidget* w = probe().Find(name);
    return w && gtk_widget_get_mapped(w);
  }
  void Key(guint keyval) { PressKeyIn(GTK_WIDGET(window().gobj()), keyval); }
  Gdk::Rectangle Rect() {
    int x = 0, y = 0, w = 0, h = 0;
    window().get_position(x, y);
    window().get_size(w, h);
    return Gdk::Rectangle(x, y, w, h);
  }
  std::vector<std::pair<u16, u16>> extraConfig_;  // GENERAL keys the run starts with
};

TEST_F(WindowModesTest, F11CoversTheScreenAndGivesTheRectangleBack) {
  ASSERT_TRUE(PumpUntil([&] { return window().get_mapped(); }));
  window().move(40, 30);
  window().resize(900, 700);
  ASSERT_TRUE(PumpUntil([&] { return Rect() == Gdk::Rectangle(40, 30, 900, 700); }))
      << Rect().get_x() << "," << Rect().get_y() << " " << Rect().get_width() << "x"
      << Rect().get_height();
  Gdk::Rectangle screen;
  window().get_display()->get_monitor_at_window(window().get_window())->get_geometry(screen);
  Key(GDK_KEY_F11);
  EXPECT_TRUE(PumpUntil([&] { return Rect() == screen; }))
      << Rect().get_width() << "x" << Rect().get_height();
  // Only the menu bar goes: the buttons, the address box and the search box stay.
  EXPECT_FALSE(Mapped("menu-bar"));
  EXPECT_TRUE(Mapped("standard-bar"));
  EXPECT_TRUE(Mapped("address-box"));
  EXPECT_TRUE(PumpUntil([&] { return Mapped("search-bar"); }));  // laid out for the screen's width
  EXPECT_EQ(frame().CommandChecked(cmd::kFullScreen), std::optional<bool>(true));
  Key(GDK_KEY_F11);
  EXPECT_TRUE(PumpUntil([&] { return Rect() == Gdk::Rectangle(40, 30, 900, 700); }))
      << Rect().get_x() << "," << Rect().get_y() << " " << Rect().get_width();
  EXPECT_TRUE(Mapped("menu-bar"));
  EXPECT_TRUE(Mapped("standard-bar"));
}

// Esc in full screen stops the loading page and leaves full screen.
TEST_F(WindowModesTest, EscLeavesFullScreenAfterStoppingThePage) {
  ASSERT_TRUE(PumpUntil([&] { return window().get_mapped(); }));
  // A page whose answer never ends: it loads until stopped.
  server_.SetPlainFile("/slow", "text/html",
                       "<html><head><title>Slow</title></head><body>" + std::string(2048, ' '), 1024);
  CChildFrame* tab = frame().OpenUrl(FromUtf8(server_.Url("/slow")),
                                     {.tab = TabChoice::New, .start = StartKind::Address, .show = true});
  ASSERT_NE(tab, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return tab->view() && tab->view()->loadState >= 0 && server_.Hits("/slow") > 0; }));
  Key(GDK_KEY_F11);
  ASSERT_TRUE(PumpUntil([&] { return !Mapped("menu-bar"); }));
  ASSERT_TRUE(tab->view()->loadState >= 0);
  Key(GDK_KEY_Escape);
  EXPECT_TRUE(PumpUntil([&] { return Mapped("menu-bar"); }));
  EXPECT_EQ(frame().CommandChecked(cmd::kFullScreen), std::optional<bool>(false));
  EXPECT_TRUE(PumpUntil([&] { return tab->view()->loadState < 0; }));
}

TEST_F(WindowModesTest, F12AndTheBarCommandsHideBars) {
  ASSERT_TRUE(PumpUntil([&] { return Mapped("standard-bar") && Mapped("status-bar"); }));
  Key(GDK_KEY_F12);
  EXPECT_TRUE(PumpUntil([&] { return !Mapped("menu-bar") && !Mapped("standard-bar"); }));
  Key(GDK_KEY_F12);
  EXPECT_TRUE(PumpUntil([&] { return Mapped("menu-bar") && Mapped("standard-bar"); }));

  struct Case {
    int command;
    const char* widget;
  } cases[] = {{cmd::kStandardBar, "standard-bar"},
               {cmd::kStatusBarShown, "status-bar"},
               {cmd::kSearchBarShown, "search-bar"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.widget);
    ASSERT_TRUE(Mapped(c.widget));
    frame().OnCommand(c.command);
    EXPECT_TRUE(PumpUntil([&] { return !Mapped(c.widget); }));
    EXPECT_EQ(frame().CommandChecked(c.command), std::optional<bool>(false));
    frame().OnCommand(c.command);
    EXPECT_TRUE(PumpUntil([&] { return Mapped(c.widget); }));
  }
}

TEST_F(WindowModesTest, TheSwitchPanesRunTheirSwitchesAndShowThem) {
  auto* popup = GTK_TOGGLE_BUTTON(probe().Find("pane-330"));
  auto* front = GTK_BUTTON(probe().Find("pane-331"));
  ASSERT_TRUE(popup && front);
  bool filterOn = frame().PopupFilterOn();
  EXPECT_EQ(bool(gtk_toggle_button_get_active(popup)), filterOn);
  gtk_button_clicked(GTK_BUTTON(popup));
  EXPECT_EQ(frame().PopupFilterOn(), !filterOn);
  EXPECT_EQ(bool(gtk_toggle_button_get_active(popup)), !filterOn);
  bool inFront = frame().settings().activateNewTabs;
  EXPECT_STREQ(gtk_button_get_label(front), inFront ? "前台" : "后台");
  gtk_button_clicked(front);
  EXPECT_EQ(frame().settings().activateNewTabs, !inFront);
  EXPECT_STREQ(gtk_button_get_label(front), inFront ? "后台" : "前台");
}

class BossKeyTest : public WindowModesTest {
 protected:
  void BeforeStart() override {
    // Ctrl+Shift+F9: F9 is 0x78, Control 2 and Shift 4 in the second byte.
    extraConfig_ = {{u"bosskey", IntToText(0x78 | (6 << 8))}};
    WindowModesTest::BeforeStart();
  }
};

TEST_F(BossKeyTest, TheKeyHidesAndShowsTheFrameWhicheverWindowHasTheFocus) {
  ASSERT_TRUE(PumpUntil([&] { return window().get_mapped(); }));
  PumpFor(100ms);  // the key is taken once the deferred start-up has run
  XKeyChord({XK_Control_L, XK_Shift_L}, XK_F9);
  EXPECT_TRUE(PumpUntil([&] { return !window().get_visible(); }));
  XKeyChord({XK_Control_L, XK_Shift_L}, XK_F9);
  EXPECT_TRUE(PumpUntil([&] { return window().get_mapped(); }));
}

// What the pages area shows: a page, or the plain cover.
bool Covered(WindowProbe probe) {
  GtkWidget* cover = probe.Find("page-cover");
  return cover && gtk_widget_get_mapped(cover);
}

// Shown again by the boss key, a password tab in front asks its password over the covered
// pages; the right one shows the page.
TEST_F(BossKeyTest, APasswordTabIsCoveredWhileItsPasswordIsAsked) {
  CChildFrame* tab = OpenAndWait("/t/Secret", "Secret");
  ASSERT_NE(tab, nullptr);
  prompts_.textAnswers = {u"pw", u"pw"};
  frame().controller<TabLockController>().SetTabPassword(tab);
  ASSERT_TRUE(tab->hasPassword);
  ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(PageOf(tab)); }));
  PumpFor(100ms);  // the key is taken once the deferred start-up has run
  XKeyChord({XK_Control_L, XK_Shift_L}, XK_F9);
  ASSERT_TRUE(PumpUntil([&] { return !window().get_visible(); }));
  bool coveredWhileAsked = false, pageSeenWhileAsked = true;
  prompts_.onAskText = [&] {
    PumpFor(50ms);
    coveredWhileAsked = Covered(probe());
    pageSeenWhileAsked = gtk_widget_get_mapped(PageOf(tab));
  };
  prompts_.textAnswers = {u"pw"};
  XKeyChord({XK_Control_L, XK_Shift_L}, XK_F9);
  ASSERT_TRUE(PumpUntil([&] { return prompts_.prompts.size() == 3; }));
  EXPECT_TRUE(coveredWhileAsked);
  EXPECT_FALSE(pageSeenWhileAsked);
  EXPECT_TRUE(PumpUntil([&] { return window().get_mapped() && gtk_widget_get_mapped(PageOf(tab)); }));
  EXPECT_FALSE(Covered(probe()));
}

// A password tab picked in the tab strip asks its password with no page to be seen; a wrong
// one leaves the other tab in front.
TEST_F(WindowModesTest, APickedPasswordTabIsCoveredWhileItsPasswordIsAsked) {
  CChildFrame* open = OpenAndWait("/t/Open", "Open");
  CChildFrame* secret = OpenAndWait("/t/Secret", "Secret");
  ASSERT_TRUE(open && secret);
  prompts_.textAnswers = {u"pw", u"pw"};
  frame().controller<TabLockController>().SetTabPassword(secret);
  probe().strip().set_current_page(frame().TabIndexOf(open));
  ASSERT_TRUE(PumpUntil([&] { return frame().ActiveChild() == open && gtk_widget_get_mapped(PageOf(open)); }));
  struct Case {
    const char16_t* answer;
    CChildFrame* inFront;
  } cases[] = {{u"wrong", open}, {u"pw", secret}};
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.answer));
    bool coveredWhileAsked = false, pageSeenWhileAsked = true;
    prompts_.onAskText = [&] {
      PumpFor(50ms);
      coveredWhileAsked = Covered(probe());
      pageSeenWhileAsked = gtk_widget_get_mapped(PageOf(secret)) || gtk_widget_get_mapped(PageOf(open));
    };
    prompts_.textAnswers = {u16(c.answer)};
    const size_t asked = prompts_.prompts.size();
    probe().strip().set_current_page(frame().TabIndexOf(secret));
    ASSERT_TRUE(PumpUntil([&] { return prompts_.prompts.size() == asked + 1; }));
    EXPECT_TRUE(coveredWhileAsked);
    EXPECT_FALSE(pageSeenWhileAsked);
    EXPECT_TRUE(PumpUntil([&] { return frame().ActiveChild() == c.inFront && gtk_widget_get_mapped(PageOf(c.inFront)); }));
    EXPECT_FALSE(Covered(probe()));
    prompts_.onAskText = nullptr;
  }
}

class TrayTest : public WindowModesTest {
 protected:
  void BeforeStart() override {
    extraConfig_ = {{u"showtray", u"1"}};
    WindowModesTest::BeforeStart();
    // A session bus without a StatusNotifierWatcher, as beside an XEmbed tray: the icon is
    // the XEmbed kind. (The bus is the process's first one when the test runs alone, as
    // ctest runs it.)
    ASSERT_FALSE(bus_.address().empty()) << "dbus-daemon is missing (scripts/setup.sh installs it)";
    const char* before = getenv("DBUS_SESSION_BUS_ADDRESS");
    if (before) busBefore_ = before;
    setenv("DBUS_SESSION_BUS_ADDRESS", bus_.address().c_str(), 1);
    // An XEmbed tray on the test's display, started before the frame.
    const char* argv[] = {"trayer", "--edge", "bottom", "--align", "right", "--width", "10", nullptr};
    ASSERT_EQ(posix_spawnp(&tray_, "trayer", nullptr, nullptr,
                           const_cast<char**>(argv), environ),
              0)
        << "trayer is missing (scripts/setup.sh installs it)";
    // The tray owns its selection once its window is there.
    Display* d = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
    Atom selection = XInternAtom(d, "_NET_SYSTEM_TRAY_S0", False);
    ASSERT_TRUE(PumpUntil([&] { return XGetSelectionOwner(d, selection) != None; }, 10s));
  }
  void TearDown() override {
    WindowModesTest::TearDown();
    if (tray_ > 0) {
      kill(tray_, SIGTERM);
      waitpid(tray_, nullptr, 0);
    }
    // The bus goes with the test; the process's connection to it must not end the process.
    if (GDBusConnection* c = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)) {
      g_dbus_connection_set_exit_on_close(c, FALSE);
      g_object_unref(c);
    }
    if (busBefore_)
      setenv("DBUS_SESSION_BUS_ADDRESS", busBefore_->c_str(), 1);
    else
      unsetenv("DBUS_SESSION_BUS_ADDRESS");
  }
  pid_t tray_ = -1;
  PrivateSessionBus bus_;
  std::optional<std::string> busBefore_;
};

TEST_F(TrayTest, TheIconIsTakenByTheTray) {
  // The icon is a plug window of the program; the tray embeds it.
  auto embedded = [] {
    GList* all = gtk_window_list_toplevels();
    bool found = false;
    for (GList* l = all; l; l = l->next)
      if (GTK_IS_PLUG(l->data) && gtk_plug_get_embedded(GTK_PLUG(l->data))) found = true;
    g_list_free(all);
    return found;
  };
  EXPECT_TRUE(PumpUntil(embedded, 10s));
}

}  // namespace
