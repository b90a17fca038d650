#include "platform/web_sandbox.h"

namespace zel {

SandboxState DecideSandbox(const SandboxFacts& f) {
  if (f.turnedOff) return SandboxState::TurnedOff;
  // WebKit aborts a web process whose dbus proxy cannot start, so both programs must be there.
  if (!f.bwrapRunnable || !f.dbusProxyRunnable) return SandboxState::Unavailable;
  if (!f.namespacesUsable && !f.bwrapSetuid) return SandboxState::Unavailable;
  return SandboxState::On;
}

u16 SandboxNotice(SandboxState state) {
  switch (state) {
    case SandboxState::On:
      break;
    case SandboxState::Unavailable:
      return u"网页沙箱无法启用（本机缺少 bubblewrap 或不允许用户命名空间），网页进程以您的全部权限运行";
    case SandboxState::TurnedOff:
      return u"网页沙箱已被 ZEL_DISABLE_SANDBOX 关闭，网页进程以您的全部权限运行";
  }
  return u"";
}

u16 SandboxAboutLine(SandboxState state) {
  switch (state) {
    case SandboxState::On:
      return u"网页沙箱: 已启用（每个网页进程隔离运行）";
    case SandboxState::Unavailable:
      return u"网页沙箱: 未启用（本机无法运行 bubblewrap 或不允许用户命名空间）";
    case SandboxState::TurnedOff:
      return u"网页沙箱: 已由环境变量 ZEL_DISABLE_SANDBOX 关闭";
  }
  return u"";
}

}  // namespace zel
