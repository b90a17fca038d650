#include "platform/linux/gio_shell.h"
#include "platform/linux/child_environment.h"

#include <gio/gio.h>

#include <cstring>

namespace zel {

namespace {

constexpr char kWebType[] = "x-scheme-handler/http";

// A location as a URI: addresses with a scheme stay, local paths become file URIs.
std::string ToUri(u16view location) {
  std::string s = ToUtf8(location);
  if (!s.empty() && s[0] == '/') {
    gchar* uri = g_filename_to_uri(s.c_str(), nullptr, nullptr);
    if (uri) {
      std::string r(uri);
      g_free(uri);
      return r;
    }
  }
  return s;
}

bool IsZel(GAppInfo* app) {
  const char* id = g_app_info_get_id(app);
  const char* exe = g_app_info_get_executable(app);
  return (id && std::strncmp(id, "zel", 3) == 0) || (exe && std::strstr(exe, "/zel") != nullptr) ||
         (exe && std::strcmp(exe, "zel") == 0);
}

}  // namespace

bool GioShell::OpenLocation(u16view location) {
  std::string uri = ToUri(location);
  if (uri.empty()) return false;
  GError* err = nullptr;
  GAppLaunchContext* context = LaunchContextForChildren();
  gboolean ok = g_app_info_launch_default_for_uri(uri.c_str(), context, &err);
  g_object_unref(context);
  if (err) g_error_free(err);
  return ok;
}

u16 GioShell::HandlerName(u16view location) {
  std::string uri = ToUri(location);
  if (uri.empty()) return u16();
  // The handler launch_default_for_uri picks: the scheme's, or for a file its type's.
  GAppInfo* app = nullptr;
  char* scheme = g_uri_parse_scheme(uri.c_str());
  if (scheme && g_ascii_strcasecmp(scheme, "file") != 0) {
    app = g_app_info_get_default_for_uri_scheme(scheme);
  } else {
    GFile* file = g_file_new_for_uri(uri.c_str());
    GFileInfo* info = g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                        G_FILE_QUERY_INFO_NONE, nullptr, nullptr);
    if (info && g_file_info_get_content_type(info))
      app = g_app_info_get_default_for_type(g_file_info_get_content_type(info), FALSE);
    if (info) g_object_unref(info);
    g_object_unref(file);
  }
  g_free(scheme);
  if (!app) return u16();
  const char* name = g_app_info_get_display_name(app);
  u16 out = FromUtf8(name ? name : g_app_info_get_name(app));
  g_object_unref(app);
  return out;
}

bool GioShell::StartProgram(u16view program, u16view parameter, u16view workingFolder) {
  std::string prog = ToUtf8(program);
  std::string param = ToUtf8(parameter);
  std::string dir = ToUtf8(workingFolder);
  std::vector<char*> argv{prog.data()};
  if (!param.empty()) argv.push_back(param.data());
  argv.push_back(nullptr);
  GError* err = nullptr;
  char** env = EnvironmentForChildren();
  gboolean ok = g_spawn_async(dir.empty() ? nullptr : dir.c_str(), argv.data(), env,
                              G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr, &err);
  g_strfreev(env);
  if (err) g_error_free(err);
  return ok;
}

bool GioShell::OpenInOtherBrowser(u16view address) {
  std::string uri = ToUri(address);
  if (uri.empty()) return false;
  auto launch = [&uri](GAppInfo* app) {
    GList uris{const_cast<char*>(uri.c_str()), nullptr, nullptr};
    GError* err = nullptr;
    GAppLaunchContext* context = LaunchContextForChildren();
    bool ok = g_app_info_launch_uris(app, &uris, context, &err);
    g_object_unref(context);
    if (err) g_error_free(err);
    return ok;
  };
  // The desktop's default web browser, unless that is this one; then the first other
  // browser installed.
  bool ok = false;
  if (GAppInfo* def = g_app_info_get_default_for_type(kWebType, FALSE)) {
    if (!IsZel(def)) ok = launch(def);
    g_object_unref(def);
  }
  if (ok) return true;
  GList* apps = g_app_info_get_all_for_type(kWebType);
  for (GList* l = apps; l && !ok; l = l->next) {
    auto* app = G_APP_INFO(l->data);
    if (!IsZel(app)) ok = launch(app);
  }
  g_list_free_full(apps, g_object_unref);
  return ok;
}

std::optional<u16> GioShell::EnvironmentVariable(u16view name) {
  const char* v = g_getenv(ToUtf8(name).c_str());
  if (!v) return std::nullopt;
  return FromUtf8(v);
}

u16 GioShell::HomeFolder() { return FromUtf8(g_get_home_dir()); }

bool GioShell::IsFolder(u16view path) {
  return g_file_test(ToUtf8(path).c_str(), G_FILE_TEST_IS_DIR);
}

}  // namespace zel
