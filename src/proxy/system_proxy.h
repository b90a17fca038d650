// The system's proxy ("IE 代理服务器"): the proxy variables of the environment, else the
// desktop's proxy settings (GSettings org.gnome.system.proxy in manual mode).
#pragma once

#include <functional>
#include <string>

#include "base/text.h"

namespace zel {

struct SystemProxy {
  u16 list;    // the proxy-list syntax: "host:port" or "http=h:p;https=h:p;..."
  u16 bypass;  // blank-separated
};

// From variables read through getenv (http_proxy, https_proxy, ftp_proxy, no_proxy, also
// upper-cased); nothing set gives an empty list.
SystemProxy SystemProxyFromEnvironment(const std::function<const char*(const char*)>& getenv);
// The environment, else the desktop settings.
SystemProxy ReadSystemProxy();

}  // namespace zel
