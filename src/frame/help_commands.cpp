#include "frame/help_commands.h"

#include "base/commands.h"
#include "platform/prompt_port.h"
#include "services/command_registry.h"
#include "view/engine_port.h"

#ifndef ZEL_VERSION
#define ZEL_VERSION "0"
#endif
#ifndef ZEL_HOME_PAGE
#define ZEL_HOME_PAGE ""
#endif

namespace zel {

HelpController::HelpController(FrameServices& s, std::function<void(u16view)> notice)
    : s_(s), notice_(std::move(notice)) {
  s_.commands.Add(cmd::kAbout, [this] {
    if (s_.prompts) s_.prompts->Message(AboutText(), u"关于Zel浏览器", PromptIcon::Info);
  });
}

u16 HelpController::AboutText() const {
  u16 text = Format(u"Zel浏览器 %s", FromUtf8(ZEL_VERSION));
  text += u"\n标签式网页浏览器，网页由系统的网页引擎显示。";
  const u16 engine = s_.engines ? s_.engines->EngineVersion() : u16();
  if (!engine.empty()) text += u"\n网页引擎: " + engine;
  text += u"\n" + SandboxAboutLine(sandbox_);
  text += u"\n许可: MIT 许可证（随程序附带的 LICENSE 文件）";
  if (*ZEL_HOME_PAGE) text += u"\n主页: " + FromUtf8(ZEL_HOME_PAGE);
  return text;
}

void HelpController::OnDeferredStartup() {
  const u16 text = SandboxNotice(sandbox_);
  if (!text.empty() && notice_) notice_(text);
}

}  // namespace zel
