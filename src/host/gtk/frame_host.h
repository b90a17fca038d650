// Everything a running frame is made of: the window, the ports and the frame itself,
// created in the start-up order up to the frame being shown. The program's start-up and
// the GUI tests both build the browser through this.
#pragma once

#include <memory>
#include <string>

#include <webkit2/webkit2.h>

#include "base/text.h"

namespace zel {

class CMainFrame;
class ContentFilterHost;
class MainWindow;
class PromptPort;
class DestinationPort;

// What a desktop entry written for the running program starts: the launcher beside it, or
// the running executable itself when there is none (the desktop ignores an entry whose
// program does not exist).
std::string LauncherPathBeside(const std::string& exeDir);

// The engine's environment, set before any thread starts (the environment is not safe to
// change once threads read it). A value the user set stands.
void SetEngineEnvironment();
// The render device named to WebKit's page processes: the lowest numbered render node in
// dir ("/dev/dri"), or the name the first one would have when there is none.
std::string RenderNodeIn(const std::string& dir);

class FrameHost {
 public:
  struct Options {
    std::string programFolder;  // with the settings location already set to it
    // The prompts the frame uses; null: the window's own GTK dialogs.
    PromptPort* prompts = nullptr;
    // Where downloads go; null: GTK's save dialog.
    DestinationPort* destinations = nullptr;
  };
  explicit FrameHost(const Options& options);
  ~FrameHost();

  // Early settings, placement, menus; shows the frame and posts the deferred start-up.
  void Show();

  CMainFrame& frame();
  MainWindow& window();
  WebKitWebContext* context() const { return context_; }
  // The request hook of the content filter on this context; the frame's owner sends it
  // the lists once they are loaded and after each change.
  ContentFilterHost& contentFilter() { return *contentFilter_; }

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
  WebKitWebContext* context_ = nullptr;
  std::unique_ptr<ContentFilterHost> contentFilter_;
};

}  // namespace zel
