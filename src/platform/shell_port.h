// The desktop shell as the core sees it: opening locations with their default handler,
// starting programs, handing an address to the other web browser, and the few facts
// about the user's environment that typed text may refer to.
#pragma once

#include <optional>

#include "base/text.h"

namespace zel {

class ShellPort {
 public:
  virtual ~ShellPort() = default;

  // Opens a location (a file: address, a folder, a file, a shell name) with the desktop's
  // default handler, the way the shell verb "open" does. False when nothing opened it.
  virtual bool OpenLocation(u16view location) = 0;

  // Starts a program with one parameter, passed as a single argument and never through a
  // command interpreter. An empty working folder means the current one. False when the
  // program could not be started.
  virtual bool StartProgram(u16view program, u16view parameter, u16view workingFolder) = 0;

  // The name of the program OpenLocation would start for the location (its default
  // handler), as the desktop shows it; empty when none would open it.
  virtual u16 HandlerName(u16view location) = 0;

  // Opens an address in the system's default web browser other than Zel.
  virtual bool OpenInOtherBrowser(u16view address) = 0;

  // The value of an environment variable, nullopt when it is not set.
  virtual std::optional<u16> EnvironmentVariable(u16view name) = 0;

  // The user's home folder, absolute; empty when unknown.
  virtual u16 HomeFolder() = 0;

  // True when the local path names an existing folder.
  virtual bool IsFolder(u16view path) = 0;
};

}  // namespace zel
