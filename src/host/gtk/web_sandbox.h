// WebKit's sandbox for every web process of the browser's context (the spare view's too):
// set up once, before the context's first view, when this machine can run it.
#pragma once

#include <webkit2/webkit2.h>

#include <string>
#include <vector>

#include "platform/web_sandbox.h"

namespace zel {

// Turns the sandbox on when the probe allows it, with each of readOnly (folders the web
// processes read: the web-process module's) visible inside, read-only. Returns what was
// decided.
SandboxState ConfineWebProcesses(WebKitWebContext* context, const std::vector<std::string>& readOnly);

}  // namespace zel
