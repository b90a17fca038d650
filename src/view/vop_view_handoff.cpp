// A page's way out of the browser: an address the desktop hands to another program is
// asked about first, naming the program, when a page (not the user) went there.
#include "platform/prompt_port.h"
#include "platform/shell_port.h"
#include "view/tab_host.h"
#include "view/url_rules.h"
#include "view/vop_view.h"

namespace zel {

namespace {
// The program's name, the address, and the question.
constexpr char16_t kPageHandOffQuestion[] =
    u"此网页要用另一个程序打开一个地址:\r\n\r\n程序: %s\r\n地址: %s\r\n\r\n您允许吗?";

u16 FileNameOf(u16view path) {
  size_t cut = path.find_last_of(u"/\\");
  return u16(cut == u16view::npos ? path : path.substr(cut + 1));
}
}  // namespace

bool CVOPView::PageMayHandOff(u16view address, const UrlRuleSettings& rules, bool shellLocation) {
  ShellPort* shell = host_.shell();
  if (!shell) return true;
  u16 program;
  if (shellLocation) {
    program = shell->HandlerName(address);
    // Nothing would open it: nothing to ask about, and nothing loads it here either.
    if (program.empty()) return false;
  } else {
    if ((rules.ftpMode != 1 && rules.ftpMode != 2) || !IsFtpAddress(address)) return true;
    program = rules.ftpMode == 2 ? FileNameOf(rules.ftpProgram) : shell->HandlerName(u"http:");
    if (program.empty()) return true;  // the FTP rules decide (and say what failed)
  }
  PromptPort* prompts = host_.prompts();
  if (!prompts) return false;
  return prompts->AskYesNo(Format(kPageHandOffQuestion, program, address), kAppTitle,
                           PromptIcon::Question);
}

}  // namespace zel
