// The narrow services a controller is given when the frame makes it.
#pragma once

#include "services/command_registry.h"
#include "settings/frame_settings.h"
#include "view/tab_host.h"

namespace zel {

class ClipboardPort;
class EngineFactory;
class KeyState;
class MessageLoop;
class PromptPort;
class RegistryPort;
class ShellPort;

struct FrameServices {
  TabHost& tabs;  // the tab list and the frame's displays
  CommandRegistry& commands;
  FrameSettings& settings;
  MessageLoop* loop = nullptr;
  PromptPort* prompts = nullptr;
  RegistryPort* registry = nullptr;
  ShellPort* shell = nullptr;
  KeyState* keys = nullptr;
  ClipboardPort* clipboard = nullptr;
  EngineFactory* engines = nullptr;
};

}  // namespace zel
