// The main frame: owns the frame-wide settings and switches, opens addresses, handles the
// private messages and commands, and runs the shutdown order.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "app/frame_settings.h"
#include "base/text.h"

namespace zel {

class FrameWindow;
class MessageLoop;
class PromptPort;
class RegistryPort;

// Where a close request came from: the window's close box, the exit command, or the
// system ending the session (a signal here). Only the first asks the quit question.
enum class CloseSource { Window, ExitCommand, System };

class CMainFrame {
 public:
  struct Ports {
    FrameWindow* window = nullptr;
    MessageLoop* loop = nullptr;
    PromptPort* prompts = nullptr;
    RegistryPort* registry = nullptr;
  };
  explicit CMainFrame(const Ports& ports);
  ~CMainFrame();

  FrameSettings& settings() { return settings_; }
  const FrameSettings& settings() const { return settings_; }

  // Early load, the per-start registry value and the start-mode rule.
  void LoadEarlySettings(int engineFlags);

  // Opens an address (the single page view until tabs exist). Trims the text, drops line
  // breaks, refuses script and mail addresses. Returns false when nothing was opened.
  bool OpenUrl(int mode, int startKind, u16view address, bool show);
  // The start page: the home page for start mode 1, else a blank page.
  void OpenStartPage();

  // Posts a private message to the frame; it runs after the current handler.
  void PostMessage(int message, intptr_t wparam = 0, intptr_t lparam = 0);
  void OnMessage(int message, intptr_t wparam, intptr_t lparam);
  // A hand-off text copied from the shared block (message 5120).
  void OnHandOff(u16view text);
  // A second start without a target: show the frame, un-hiding it when hidden.
  void OnRaiseRequest();
  void OnDeferredStartup();
  bool deferredStartupDone() const { return deferredDone_; }

  // Routes a command id; false when no handler exists.
  bool OnCommand(int id);
  bool HasCommand(int id) const { return commands_.count(id) != 0; }

  // The page's title changed.
  void OnPageTitle(u16view title);
  void SetFrameCaption(u16view caption);

  // Runs the shutdown order. Returns false when the user cancelled the quit question.
  bool Close(CloseSource source);
  bool closing() const { return closed_; }

  const u16& hostName() const { return hostName_; }
  bool offline() const { return offline_; }
  const u16& downloadFolder() const { return downloadFolder_; }
  const u16& pictureFolder() const { return pictureFolder_; }

 private:
  void SavePlacement();

  Ports ports_;
  FrameSettings settings_;
  std::map<int, std::function<void()>> commands_;
  u16 pageTitle_;
  u16 hostName_;
  u16 downloadFolder_;
  u16 pictureFolder_;
  bool offline_ = false;
  bool deferredDone_ = false;
  bool closed_ = false;
};

// "%s - %s" with the page caption (or "空白页" for an empty or blank page) and the title.
u16 FrameCaptionFor(u16view tabCaption);

}  // namespace zel
