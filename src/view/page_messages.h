// Messages the web-process module sends to a page's view.
#pragma once

namespace zel {

// A script of the page failed (no parameters).
inline constexpr char kScriptErrorMessage[] = "zel-script-error";

}  // namespace zel
