#include "view/status_filter.h"

namespace zel {

bool StatusTextPasses(u16view t) {
  if (StartsWith(t, u"Shortcut") || Contains(t, u"的快捷方式") || Contains(t, u"地址已"))
    return true;
  if (t == u"Done") return true;
  // An address marker that starts at index 10 or earlier.
  size_t marker = u16::npos;
  if (StartsWith(t, u"about:")) {
    marker = 0;
  } else {
    for (u16view m : {u16view(u"://"), u16view(u"mailto:"), u16view(u"javascript:")}) {
      marker = t.find(m);
      if (marker != u16::npos) break;
    }
  }
  if (marker != u16::npos && marker <= 10) return true;
  for (u16view p : {u16view(u"正在"), u16view(u"完成"), u16view(u"完毕")})
    if (StartsWith(t, p)) return true;
  if (Contains(t, u"项剩余")) return true;
  for (u16view p : {u16view(u"Wait"), u16view(u"Start"), u16view(u"Open"), u16view(u"Connect"),
                    u16view(u"Find"), u16view(u"download"), u16view(u"Web")})
    if (StartsWith(t, p)) return true;
  return Contains(t, u"remain");
}

}  // namespace zel
