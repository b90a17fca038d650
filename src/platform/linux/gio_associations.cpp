#include "platform/linux/gio_associations.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "base/files.h"

namespace zel {

namespace {
// GIO learns of a new desktop entry from a file monitor, a moment after it is written.
constexpr auto kEntryNoticeLimit = std::chrono::seconds(2);
constexpr auto kEntryNoticeStep = std::chrono::milliseconds(10);

std::string ChoicesPath() { return JoinPath(g_get_user_config_dir(), "mimeapps.list"); }
std::string EntryFolder() { return JoinPath(g_get_user_data_dir(), "applications"); }
}  // namespace


std::string GioAssociations::DefaultFor(const std::string& type) {
  GAppInfo* app = g_app_info_get_default_for_type(type.c_str(), FALSE);
  if (!app) return std::string();
  const char* id = g_app_info_get_id(app);
  std::string out = id ? id : "";
  g_object_unref(app);
  return out;
}

bool GioAssociations::SetDefault(const std::string& type, const std::string& desktopId) {
  GDesktopAppInfo* app = g_desktop_app_info_new(desktopId.c_str());
  if (!app) return false;
  GError* error = nullptr;
  const bool ok = g_app_info_set_as_default_for_type(G_APP_INFO(app), type.c_str(), &error);
  if (error) g_error_free(error);
  g_object_unref(app);
  return ok;
}

void GioAssociations::RemoveAssociation(const std::string& type) {
  g_app_info_reset_type_associations(type.c_str());
}

bool GioAssociations::HasApplication(const std::string& desktopId) {
  GDesktopAppInfo* app = g_desktop_app_info_new(desktopId.c_str());
  if (app) g_object_unref(app);
  return app != nullptr;
}

bool GioAssociations::InstallUserEntry(const std::string& desktopId, const std::string& text) {
  const std::string folder = JoinPath(g_get_user_data_dir(), "applications");
  if (!CreateFolderLevels(folder) || !WriteFileAtomic(JoinPath(folder, desktopId), text))
    return false;
  const auto end = std::chrono::steady_clock::now() + kEntryNoticeLimit;
  while (!HasApplication(desktopId)) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(kEntryNoticeStep);
  }
  return true;
}

std::optional<std::string> GioAssociations::ChoicesFile() { return ReadFileBytes(ChoicesPath()); }

bool GioAssociations::RestoreChoicesFile(const std::optional<std::string>& bytes) {
  if (!bytes) return std::remove(ChoicesPath().c_str()) == 0 || !FileExists(ChoicesPath());
  return WriteFileAtomic(ChoicesPath(), *bytes);
}

bool GioAssociations::UserEntryFolderExists() { return DirExists(EntryFolder()); }

void GioAssociations::RemoveUserEntry(const std::string& desktopId, bool folderToo) {
  std::remove(JoinPath(EntryFolder(), desktopId).c_str());
  // rmdir leaves a folder that holds anything else.
  if (folderToo) ::rmdir(EntryFolder().c_str());
}

}  // namespace zel
