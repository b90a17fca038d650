#include "proxy/system_proxy.h"

#include <gio/gio.h>

#include <cstdlib>
#include <utility>
#include <vector>

namespace zel {

namespace {
// "http://user@host:port/" -> "user@host:port"; a bare "host:port" stays.
u16 HostPortOf(const char* value) {
  u16 v = Trim(FromUtf8(value ? value : ""));
  size_t sep = v.find(u"://");
  if (sep != u16::npos) {
    u16 scheme = ToLower(u16view(v).substr(0, sep));
    v = v.substr(sep + 3);
    if (StartsWith(scheme, u"socks")) v = u"socks=" + v;
  }
  size_t slash = v.find(u'/');
  if (slash != u16::npos) v.resize(slash);
  return v;
}

// One proxy for all, or one per scheme.
u16 JoinList(const std::vector<std::pair<u16, u16>>& perScheme) {
  std::vector<std::pair<u16, u16>> set;
  for (const auto& p : perScheme)
    if (!p.second.empty()) set.push_back(p);
  if (set.empty()) return u16();
  bool same = set.size() == perScheme.size();
  for (const auto& p : set) same = same && p.second == set.front().second;
  if (same && !StartsWith(set.front().second, u"socks=")) return set.front().second;
  u16 out;
  for (const auto& [scheme, hostPort] : set) {
    if (!out.empty()) out += u";";
    out += StartsWith(hostPort, u"socks=") ? hostPort : scheme + u"=" + hostPort;
  }
  return out;
}

SystemProxy FromDesktopSettings() {
  SystemProxy p;
  GSettingsSchemaSource* source = g_settings_schema_source_get_default();
  if (!source) return p;
  GSettingsSchema* schema = g_settings_schema_source_lookup(source, "org.gnome.system.proxy", TRUE);
  if (!schema) return p;
  g_settings_schema_unref(schema);
  GSettings* settings = g_settings_new("org.gnome.system.proxy");
  gchar* mode = g_settings_get_string(settings, "mode");
  if (mode && g_strcmp0(mode, "manual") == 0) {
    std::vector<std::pair<u16, u16>> list;
    for (const char* scheme : {"http", "https", "ftp", "socks"}) {
      GSettings* child = g_settings_get_child(settings, scheme);
      gchar* host = g_settings_get_string(child, "host");
      int port = g_settings_get_int(child, "port");
      u16 hp;
      if (host && *host && port > 0) hp = FromUtf8(host) + u":" + IntToText(port);
      if (!hp.empty() && g_strcmp0(scheme, "socks") == 0) hp = u"socks=" + hp;
      list.emplace_back(FromUtf8(scheme), hp);
      g_free(host);
      g_object_unref(child);
    }
    p.list = JoinList(list);
    gchar** ignore = g_settings_get_strv(settings, "ignore-hosts");
    for (gchar** h = ignore; h && *h; ++h) {
      if (!p.bypass.empty()) p.bypass += u" ";
      p.bypass += FromUtf8(*h);
    }
    g_strfreev(ignore);
  }
  g_free(mode);
  g_object_unref(settings);
  return p;
}
}  // namespace

SystemProxy SystemProxyFromEnvironment(const std::function<const char*(const char*)>& getenv) {
  auto var = [&getenv](const char* lower, const char* upper) {
    const char* v = getenv(lower);
    if (!v || !*v) v = getenv(upper);
    return HostPortOf(v);
  };
  SystemProxy p;
  p.list = JoinList({{u"http", var("http_proxy", "HTTP_PROXY")},
                     {u"https", var("https_proxy", "HTTPS_PROXY")},
                     {u"ftp", var("ftp_proxy", "FTP_PROXY")}});
  const char* no = getenv("no_proxy");
  if (!no || !*no) no = getenv("NO_PROXY");
  u16 bypass = FromUtf8(no ? no : "");
  for (char16_t& c : bypass)
    if (c == u',') c = u' ';
  p.bypass = Trim(bypass);
  return p;
}

SystemProxy ReadSystemProxy() {
  SystemProxy p = SystemProxyFromEnvironment([](const char* n) { return std::getenv(n); });
  if (!p.list.empty()) return p;
  return FromDesktopSettings();
}

}  // namespace zel
