// A session bus of the test's own (a dbus-daemon child) and a StatusNotifierWatcher on it,
// as a panel of KDE or XFCE runs one: StatusNotifierItems register with it and the test
// reads and drives them over the bus.
#pragma once

#include <gio/gio.h>
#include <sys/types.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zel::test {

class PrivateSessionBus {
 public:
  PrivateSessionBus();  // address() is empty when the daemon did not start
  ~PrivateSessionBus();
  PrivateSessionBus(const PrivateSessionBus&) = delete;
  PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;
  const std::string& address() const { return address_; }

 private:
  pid_t pid_ = -1;
  std::string address_;
};

// The watcher answers on a thread of its own, so the test may wait the way it likes.
class NotifierWatcher {
 public:
  // An item as the watcher saw it register: the bus name and object path to call.
  struct Item {
    std::string service, path;
  };
  explicit NotifierWatcher(const std::string& busAddress);
  ~NotifierWatcher();
  NotifierWatcher(const NotifierWatcher&) = delete;
  NotifierWatcher& operator=(const NotifierWatcher&) = delete;

  // True once the watcher owns its name.
  bool running() const { return owned_; }
  // Gives the name up (a panel that quits) or takes it again; false when the bus refuses.
  bool SetOwned(bool owned);
  std::vector<Item> Items();
  // The connection the watcher answers on, for the test's own calls.
  GDBusConnection* connection() const { return conn_; }

 private:
  void Run(std::string address);
  static void OnCall(GDBusConnection*, const gchar* sender, const gchar*, const gchar*,
                     const gchar* method, GVariant* params, GDBusMethodInvocation* invocation,
                     gpointer self);
  static GVariant* OnGet(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                         const gchar* property, GError**, gpointer self);

  bool RequestName();

  std::thread thread_;
  GMainContext* context_ = nullptr;
  GMainLoop* loop_ = nullptr;
  GDBusConnection* conn_ = nullptr;
  bool owned_ = false;
  std::mutex mutex_;
  std::vector<Item> items_;
};

// A method call on the bus with a reply within a few seconds; null on an error (its text in
// *error when given).
GVariant* CallSync(GDBusConnection* conn, const std::string& service, const std::string& path,
                   const char* interface, const char* method, GVariant* params,
                   std::string* error = nullptr);

}  // namespace zel::test
