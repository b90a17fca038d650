#include "support/notifier_watcher.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <condition_variable>

extern char** environ;

namespace zel::test {

PrivateSessionBus::PrivateSessionBus() {
  int out[2];
  if (pipe(out) != 0) return;
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_adddup2(&files, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&files, out[0]);
  const char* argv[] = {"dbus-daemon", "--session", "--nofork", "--print-address", nullptr};
  if (posix_spawnp(&pid_, "dbus-daemon", &files, nullptr, const_cast<char**>(argv), environ) != 0)
    pid_ = -1;
  posix_spawn_file_actions_destroy(&files);
  close(out[1]);
  // The daemon prints its address as one line once it listens.
  std::string line;
  pollfd p{out[0], POLLIN, 0};
  while (pid_ > 0 && line.find('\n') == std::string::npos && poll(&p, 1, 10000) > 0) {
    char buf[256];
    ssize_t n = read(out[0], buf, sizeof buf);
    if (n <= 0) break;
    line.append(buf, n);
  }
  close(out[0]);
  if (auto nl = line.find('\n'); nl != std::string::npos) address_ = line.substr(0, nl);
}

PrivateSessionBus::~PrivateSessionBus() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
}

namespace {

constexpr char kWatcherXml[] = R"(<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
    <signal name="StatusNotifierHostRegistered"/>
    <signal name="StatusNotifierHostUnregistered"/>
  </interface>
</node>)";

}  // namespace

NotifierWatcher::NotifierWatcher(const std::string& busAddress) {
  std::mutex started;
  std::condition_variable cv;
  bool ready = false;
  thread_ = std::thread([&, busAddress] {
    context_ = g_main_context_new();
    g_main_context_push_thread_default(context_);
    loop_ = g_main_loop_new(context_, FALSE);
    Run(busAddress);
    {
      std::lock_guard<std::mutex> l(started);
      ready = true;
    }
    cv.notify_one();
    g_main_loop_run(loop_);
    g_main_context_pop_thread_default(context_);
  });
  std::unique_lock<std::mutex> l(started);
  cv.wait(l, [&] { return ready; });
}

void NotifierWatcher::Run(std::string address) {
  GError* error = nullptr;
  conn_ = g_dbus_connection_new_for_address_sync(
      address.c_str(),
      GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                           G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
      nullptr, nullptr, &error);
  if (!conn_) {
    g_clear_error(&error);
    return;
  }
  static GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kWatcherXml, nullptr);
  static const GDBusInterfaceVTable vtable = {OnCall, OnGet, nullptr, {}};
  if (!g_dbus_connection_register_object(conn_, "/StatusNotifierWatcher", node->interfaces[0],
                                         &vtable, this, nullptr, nullptr))
    return;
  // The name last, so a client that sees it finds the object there.
  owned_ = RequestName();
}

bool NotifierWatcher::RequestName() {
  GVariant* r = CallSync(conn_, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                         "org.freedesktop.DBus", "RequestName",
                         g_variant_new("(su)", "org.kde.StatusNotifierWatcher", 0u));
  if (!r) return false;
  guint32 code = 0;
  g_variant_get(r, "(u)", &code);
  g_variant_unref(r);
  return code == 1;  // DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER
}

bool NotifierWatcher::SetOwned(bool owned) {
  if (!conn_ || owned == owned_) return conn_ != nullptr;
  if (owned) {
    owned_ = RequestName();
    return owned_;
  }
  GVariant* r = CallSync(conn_, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                         "org.freedesktop.DBus", "ReleaseName",
                         g_variant_new("(s)", "org.kde.StatusNotifierWatcher"));
  if (!r) return false;
  g_variant_unref(r);
  owned_ = false;
  return true;
}

NotifierWatcher::~NotifierWatcher() {
  g_main_context_invoke(context_, [](gpointer loop) {
    g_main_loop_quit(static_cast<GMainLoop*>(loop));
    return G_SOURCE_REMOVE;
  }, loop_);
  thread_.join();
  if (conn_) {
    g_dbus_connection_close_sync(conn_, nullptr, nullptr);
    g_object_unref(conn_);
  }
  g_main_loop_unref(loop_);
  g_main_context_unref(context_);
}

std::vector<NotifierWatcher::Item> NotifierWatcher::Items() {
  std::lock_guard<std::mutex> l(mutex_);
  return items_;
}

void NotifierWatcher::OnCall(GDBusConnection* conn, const gchar* sender, const gchar*,
                             const gchar*, const gchar* method, GVariant* params,
                             GDBusMethodInvocation* invocation, gpointer self) {
  auto* w = static_cast<NotifierWatcher*>(self);
  const gchar* arg = nullptr;
  g_variant_get(params, "(&s)", &arg);
  if (g_strcmp0(method, "RegisterStatusNotifierHost") == 0) {
    g_dbus_method_invocation_return_value(invocation, nullptr);
    return;
  }
  // The item names its object path (the caller's bus name is the service) or a bus name
  // whose item sits at the protocol's default path.
  Item item = arg[0] == '/' ? Item{sender, arg} : Item{arg, "/StatusNotifierItem"};
  {
    std::lock_guard<std::mutex> l(w->mutex_);
    w->items_.push_back(item);
  }
  g_dbus_method_invocation_return_value(invocation, nullptr);
  g_dbus_connection_emit_signal(conn, nullptr, "/StatusNotifierWatcher",
                                "org.kde.StatusNotifierWatcher", "StatusNotifierItemRegistered",
                                g_variant_new("(s)", (item.service + item.path).c_str()), nullptr);
}

GVariant* NotifierWatcher::OnGet(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                 const gchar* property, GError**, gpointer self) {
  auto* w = static_cast<NotifierWatcher*>(self);
  if (g_strcmp0(property, "IsStatusNotifierHostRegistered") == 0) return g_variant_new_boolean(TRUE);
  if (g_strcmp0(property, "ProtocolVersion") == 0) return g_variant_new_int32(0);
  GVariantBuilder b;
  g_variant_builder_init(&b, G_VARIANT_TYPE("as"));
  for (const Item& i : w->Items()) g_variant_builder_add(&b, "s", (i.service + i.path).c_str());
  return g_variant_builder_end(&b);
}

GVariant* CallSync(GDBusConnection* conn, const std::string& service, const std::string& path,
                   const char* interface, const char* method, GVariant* params,
                   std::string* error) {
  GError* e = nullptr;
  GVariant* r = g_dbus_connection_call_sync(conn, service.c_str(), path.c_str(), interface,
                                            method, params, nullptr, G_DBUS_CALL_FLAGS_NONE,
                                            5000, nullptr, &e);
  if (!r && error) *error = e ? e->message : "no reply";
  g_clear_error(&e);
  return r;
}

}  // namespace zel::test
