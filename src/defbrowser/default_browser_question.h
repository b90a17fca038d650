// The start-up question "设置默认浏览器": the text, a check box "下次不再提醒我", and the
// buttons "确定" and "取消". Implemented by a GTK dialog (defbrowser/gtk).
#pragma once

#include <functional>

namespace zel {

inline constexpr char16_t kDefaultQuestionTitle[] = u"设置默认浏览器";
inline constexpr char16_t kDefaultQuestionText[] =
    u"Zel浏览器未被设置为默认浏览器！\n\n您是否愿意将Zel浏览器设置为默认浏览器？ ";
inline constexpr char16_t kDefaultQuestionCheck[] = u"下次不再提醒我";

struct DefaultQuestionAnswer {
  bool ok = false;           // "确定"; "取消" and closing the window are not
  bool dontAskAgain = false;  // the check box
};

class DefaultBrowserQuestionView {
 public:
  virtual ~DefaultBrowserQuestionView() = default;
  // Shows the question without holding the main loop; answer runs once, on the loop.
  virtual void AskSetDefault(std::function<void(DefaultQuestionAnswer)> answer) = 0;
};

}  // namespace zel
