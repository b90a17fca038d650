// The tray icon on a desktop whose panel hosts StatusNotifierItems: with a watcher on the
// session bus the browser's icon registers there as an item (whether the watcher was up
// before the start or came later), says who it is, leaves when the watcher goes and comes
// back with it, and its exported menu and middle click drive the frame as the XEmbed icon's
// menu does.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <memory>
#include <thread>

#include "base/files.h"
#include "fakes/temp_dir.h"
#include "support/browser_process.h"
#include "support/notifier_watcher.h"
#include "support/test_server.h"

using namespace std::chrono_literals;
using zel::test::BrowserProcess;
using zel::test::CallSync;
using zel::test::NotifierWatcher;
using zel::test::PrivateSessionBus;
using zel::test::TempDir;
using zel::test::TestServer;
using zel::test::WaitFor;

namespace {

constexpr char kItem[] = "org.kde.StatusNotifierItem";
constexpr char kMenu[] = "com.canonical.dbusmenu";

// A string (or object path) property of the item; "<error>" when the call fails.
std::string ItemProperty(GDBusConnection* conn, const NotifierWatcher::Item& item,
                         const char* name) {
  std::string error;
  GVariant* r = CallSync(conn, item.service, item.path, "org.freedesktop.DBus.Properties", "Get",
                         g_variant_new("(ss)", kItem, name), &error);
  if (!r) return "<" + error + ">";
  GVariant* v = nullptr;
  g_variant_get(r, "(v)", &v);
  std::string out;
  if (g_variant_is_of_type(v, G_VARIANT_TYPE_STRING) ||
      g_variant_is_of_type(v, G_VARIANT_TYPE_OBJECT_PATH)) {
    out = g_variant_get_string(v, nullptr);
  } else {
    gchar* printed = g_variant_print(v, TRUE);
    out = printed;
    g_free(printed);
  }
  g_variant_unref(v);
  g_variant_unref(r);
  return out;
}

struct MenuEntry {
  int id;
  std::string label;
};

// The top level of the item's exported menu.
std::vector<MenuEntry> MenuEntries(GDBusConnection* conn, const std::string& service,
                                   const std::string& path, std::string* error) {
  std::vector<MenuEntry> out;
  GVariant* r = CallSync(conn, service, path, kMenu, "GetLayout",
                         g_variant_new("(ii@as)", 0, -1, g_variant_new_strv(nullptr, 0)), error);
  if (!r) return out;
  guint32 revision = 0;
  GVariant* root = nullptr;
  g_variant_get(r, "(u@(ia{sv}av))", &revision, &root);
  GVariant* children = g_variant_get_child_value(root, 2);
  for (gsize i = 0; i < g_variant_n_children(children); ++i) {
    GVariant* boxed = g_variant_get_child_value(children, i);
    GVariant* child = g_variant_get_variant(boxed);
    gint32 id = 0;
    GVariant* props = nullptr;
    g_variant_get_child(child, 0, "i", &id);
    props = g_variant_get_child_value(child, 1);
    const gchar* label = nullptr;
    std::string text;
    if (g_variant_lookup(props, "label", "&s", &label)) text = label;
    out.push_back({id, text});
    g_variant_unref(props);
    g_variant_unref(child);
    g_variant_unref(boxed);
  }
  g_variant_unref(children);
  g_variant_unref(root);
  g_variant_unref(r);
  return out;
}

// A browser with its own program folder and settings, on the test's session bus.
struct TrayBrowser {
  TrayBrowser(const std::string& config, const std::string& busAddress)
      : home(tmp / "home"), runtime(tmp / "run"), process(home, runtime) {
    ::mkdir(runtime.c_str(), 0700);
    zel::CreateFolderLevels(home + "/profile/Defaults");
    zel::WriteFileAtomic(home + "/profile/Defaults/config.ini", config);
    process.SetEnv("DBUS_SESSION_BUS_ADDRESS", busAddress);
    // The accessibility bus would be started on the test's bus for nothing.
    process.SetEnv("NO_AT_BRIDGE", "1");
  }
  TempDir tmp;
  std::string home, runtime;
  BrowserProcess process;
};

TEST(IndicatorTray, TheIconRegistersAsAnItemThatSaysWhoItIs) {
  const struct {
    const char* name;
    bool watcherLate;  // the panel's watcher starts once the frame is up
  } cases[] = {
      {"watcher before the start", false},
      {"watcher after the start", true},
  };
  TestServer server;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PrivateSessionBus bus;
    ASSERT_FALSE(bus.address().empty()) << "dbus-daemon is missing (scripts/setup.sh installs it)";
    std::unique_ptr<NotifierWatcher> watcher;
    if (!c.watcherLate) watcher = std::make_unique<NotifierWatcher>(bus.address());
    TrayBrowser b("[GENERAL]\r\nshowtray=1\r\n", bus.address());
    ASSERT_TRUE(b.process.Start({server.Url("/t/One")}));
    ASSERT_TRUE(b.process.WaitForCaption("One - Zel浏览器", 20s)) << b.process.Caption();
    if (c.watcherLate) watcher = std::make_unique<NotifierWatcher>(bus.address());
    ASSERT_TRUE(watcher->running());
    ASSERT_TRUE(WaitFor([&] { return !watcher->Items().empty(); }, 20s));
    // One item, however the icon came to be.
    std::this_thread::sleep_for(300ms);
    ASSERT_EQ(watcher->Items().size(), 1u);
    NotifierWatcher::Item item = watcher->Items()[0];
    GDBusConnection* conn = watcher->connection();
    EXPECT_EQ(ItemProperty(conn, item, "Id"), "zel");
    EXPECT_EQ(ItemProperty(conn, item, "Title"), "Zel浏览器");
    EXPECT_EQ(ItemProperty(conn, item, "Category"), "ApplicationStatus");
    EXPECT_EQ(ItemProperty(conn, item, "Status"), "Active");
    std::string icon = ItemProperty(conn, item, "IconName");
    EXPECT_TRUE(icon == "zel" || icon == "web-browser") << icon;
    b.process.Signal(SIGTERM);
    EXPECT_EQ(b.process.Wait(20s), std::optional<int>(0));
  }
}

TEST(IndicatorTray, TheItemLeavesWithThePanelsWatcherAndComesBackWithIt) {
  PrivateSessionBus bus;
  ASSERT_FALSE(bus.address().empty()) << "dbus-daemon is missing (scripts/setup.sh installs it)";
  NotifierWatcher watcher(bus.address());
  ASSERT_TRUE(watcher.running());
  TestServer server;
  TrayBrowser b("[GENERAL]\r\nshowtray=1\r\n", bus.address());
  ASSERT_TRUE(b.process.Start({server.Url("/t/One")}));
  ASSERT_TRUE(WaitFor([&] { return watcher.Items().size() == 1; }, 20s));
  NotifierWatcher::Item item = watcher.Items()[0];
  GDBusConnection* conn = watcher.connection();
  ASSERT_EQ(ItemProperty(conn, item, "Id"), "zel");

  // Without a watcher nothing would show the item: it leaves the bus (the XEmbed icon
  // stands in) ...
  ASSERT_TRUE(watcher.SetOwned(false));
  EXPECT_TRUE(WaitFor([&] { return ItemProperty(conn, item, "Id") != "zel"; }, 10s));
  // ... and registers again once a watcher is back.
  ASSERT_TRUE(watcher.SetOwned(true));
  ASSERT_TRUE(WaitFor([&] { return watcher.Items().size() >= 2; }, 10s));
  EXPECT_EQ(ItemProperty(conn, watcher.Items().back(), "Status"), "Active");
  b.process.Signal(SIGTERM);
  EXPECT_EQ(b.process.Wait(20s), std::optional<int>(0));
}

TEST(IndicatorTray, TheItemsMenuAndMiddleClickShowTheFrameAndItsQuitEndsTheProgram) {
  PrivateSessionBus bus;
  ASSERT_FALSE(bus.address().empty()) << "dbus-daemon is missing (scripts/setup.sh installs it)";
  NotifierWatcher watcher(bus.address());
  ASSERT_TRUE(watcher.running());
  TestServer server;
  TrayBrowser b("[GENERAL]\r\nshowtray=1\r\nclosetray=1\r\n", bus.address());
  BrowserProcess& p = b.process;
  ASSERT_TRUE(p.Start({server.Url("/t/One")}));
  ASSERT_TRUE(p.WaitForCaption("One - Zel浏览器", 20s)) << p.Caption();
  ASSERT_TRUE(WaitFor([&] { return !watcher.Items().empty(); }, 20s));
  NotifierWatcher::Item item = watcher.Items()[0];
  GDBusConnection* conn = watcher.connection();
  std::string menuPath = ItemProperty(conn, item, "Menu");
  ASSERT_EQ(menuPath.rfind('/', 0), 0u) << menuPath;

  std::string error;
  std::vector<MenuEntry> entries = MenuEntries(conn, item.service, menuPath, &error);
  ASSERT_EQ(entries.size(), 2u) << error;
  EXPECT_EQ(entries[0].label, "显示");
  EXPECT_EQ(entries[1].label, "退出");

  auto hide = [&] {
    ASSERT_TRUE(p.CloseWindow());
    ASSERT_TRUE(WaitFor([&] { return p.Caption().empty(); }, 10s)) << p.Caption();
    ASSERT_TRUE(p.Running());
  };
  auto click = [&](const MenuEntry& e) {
    GVariant* r = CallSync(conn, item.service, menuPath, kMenu, "Event",
                           g_variant_new("(isvu)", e.id, "clicked", g_variant_new_int32(0), 0u),
                           &error);
    ASSERT_TRUE(r) << error;
    g_variant_unref(r);
  };

  // "显示" from the panel's menu brings the hidden frame back.
  hide();
  click(entries[0]);
  EXPECT_TRUE(p.WaitForCaption("One - Zel浏览器", 10s)) << p.Caption();

  // So does the middle click on the icon.
  hide();
  GVariant* r = CallSync(conn, item.service, item.path, kItem, "SecondaryActivate",
                         g_variant_new("(ii)", 0, 0), &error);
  ASSERT_TRUE(r) << error;
  g_variant_unref(r);
  EXPECT_TRUE(p.WaitForCaption("One - Zel浏览器", 10s)) << p.Caption();

  // "退出" ends the program, the frame shown or not.
  click(entries[1]);
  EXPECT_EQ(p.Wait(20s), std::optional<int>(0));
}

}  // namespace
