// Messages the web-process module sends to a page's view.
#pragma once

namespace zel {

// A script of the page failed (no parameters).
inline constexpr char kScriptErrorMessage[] = "zel-script-error";
// A click or a form of the page is about to load a document into one of its frames, not
// into the tab: parameters "(sb)", the address and whether it is a form's (whose query the
// form adds; the address is then the form's action without one).
inline constexpr char kFrameNavigationMessage[] = "zel-frame-navigation";

}  // namespace zel
