// The "view-source:" scheme: view-source:<address> shows the HTML the server sent for the
// address, as text. The bytes come from a tab that shows the address (what that tab got,
// not a new request), else from a load of the address in a hidden view without scripts,
// in the asking tab's web process.
#pragma once

#include <webkit2/webkit2.h>

#include <string>

namespace zel {

inline constexpr char kViewSourcePrefix[] = "view-source:";

void RegisterViewSourceScheme(WebKitWebContext* context);

// The user's own navigation of view to uri (the address box, the menu command): only a
// view-source address given this way to a view is answered in it; page content asking for
// one (a frame, a script, a link) gets nothing. Any other uri takes the permission back.
void AllowSourceFor(WebKitWebView* view, const std::string& uri);
bool SourceAllowed(WebKitWebView* view, const std::string& uri);

// The views whose pages view-source may read (every tab's view is listed while it lives).
void NoteLiveView(WebKitWebView* view, bool alive);
// Whether one of those views is loading a page now.
bool AnyLiveViewLoading();

}  // namespace zel
