// The default search engines' icons (res/search/*.png, drawn by scripts/make_engine_icons.py),
// built into the program.
#pragma once

#include <string_view>

namespace zel {

// The PNG bytes of the icon file of that name ("baidu.png"); empty for another name.
std::string_view DefaultEngineIcon(std::string_view file);

}  // namespace zel
