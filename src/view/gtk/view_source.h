// The "view-source:" scheme: view-source:<address> shows the HTML the server sent for the
// address, as text. The bytes come from a tab that shows the address (what that tab got,
// not a new request), else from a load of the address in a hidden view without scripts.
#pragma once

#include <webkit2/webkit2.h>

namespace zel {

inline constexpr char kViewSourcePrefix[] = "view-source:";

void RegisterViewSourceScheme(WebKitWebContext* context);

// The views whose pages view-source may read (every tab's view is listed while it lives).
void NoteLiveView(WebKitWebView* view, bool alive);

}  // namespace zel
