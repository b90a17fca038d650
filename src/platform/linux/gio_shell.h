// The desktop shell through GIO: default handlers, program starts, the other browser.
#pragma once

#include "platform/shell_port.h"

namespace zel {

class GioShell : public ShellPort {
 public:
  bool OpenLocation(u16view location) override;
  bool StartProgram(u16view program, u16view parameter, u16view workingFolder) override;
  u16 HandlerName(u16view location) override;
  bool OpenInOtherBrowser(u16view address) override;
  std::optional<u16> EnvironmentVariable(u16view name) override;
  u16 HomeFolder() override;
  bool IsFolder(u16view path) override;
};

}  // namespace zel
