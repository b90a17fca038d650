// How a chosen proxy becomes the engine's proxy: the proxy-list syntax ("host:port" for
// every scheme, "protocol=host:port;..." per scheme, "socks=host:port" a SOCKS proxy) and
// the bypass list ("<local>" for local names and the loopback addresses).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "view/engine_port.h"

namespace zel {

// The custom proxy for an address in the proxy-list syntax and a bypass list separated by
// blanks (or ";"). hostName: this machine's name, which "<local>" covers. Nothing when the
// address holds no usable proxy (an empty host, a bad port, a scheme without a host).
std::optional<EngineProxy> EngineProxyFor(u16view address, u16view bypass, u16view hostName);

// One proxy of the list syntax as a URI: "host:port" -> "http://host:port", "socks=h:p"
// -> "socks://h:p"; a URI with its own scheme is kept. Nothing when it is not well formed.
std::optional<std::string> ProxyUri(u16view hostPort, u16view protocol);

// The bypass list as the engine's ignore-hosts.
std::vector<std::string> IgnoreHostsFor(u16view bypass, u16view hostName);

// The page address inside an address the web proxy template made (the inverse of the
// view's wrapping); the address itself when the template did not make it.
u16 UnwrapWebProxy(u16view address, u16view tpl);

// The bypass list the dialog saves: trimmed, with " <local>" appended when it lacks it.
u16 BypassWithLocal(u16view bypass);

}  // namespace zel
