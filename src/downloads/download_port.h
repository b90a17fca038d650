// Downloads as the core sees them: the engine's downloads (a response the engine cannot
// show becomes one), the user's choice of where to save, and what the engine reports while
// the bytes arrive. The GTK build implements the source over WebKit's downloads
// (downloads/gtk/webkit_downloads) and the choice with a file chooser.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "base/text.h"

namespace zel {

// Where a download came from: the page (one key per page shown in a view) and whether the
// user asked for it (a click, a key, an address typed) or the page started it by itself.
struct DownloadOrigin {
  std::string page;
  bool byUser = true;
  // The page's view bans downloads of active content (programs and plug-ins) it starts
  // by itself; mime is the answer's type, for telling them.
  bool noActiveContent = false;
  std::string mime;
};

class DownloadEvents {
 public:
  virtual ~DownloadEvents() = default;
  // A download begins and waits for its destination (SetDestination or Cancel).
  virtual void OnDownloadStarted(int id, u16view url, u16view suggestedName,
                                 const DownloadOrigin& origin = {}) = 0;
  // total is 0 when the server did not say.
  virtual void OnDownloadProgress(int id, int64_t received, int64_t total) = 0;
  // The file is complete under its destination.
  virtual void OnDownloadFinished(int id) = 0;
  // Nothing is left under the destination. cancelled: the user or the program ended it.
  virtual void OnDownloadFailed(int id, bool cancelled, u16view reason) = 0;
};

class DownloadSource {
 public:
  virtual ~DownloadSource() = default;
  virtual void SetEvents(DownloadEvents* events) = 0;
  // Where the download is written (an absolute path); an existing file there is replaced
  // once the download is complete.
  virtual void SetDestination(int id, u16view path) = 0;
  virtual void Cancel(int id) = 0;
};

// Asks where a download is saved: a save dialog in folder with name proposed. done gets
// the chosen path, or nullopt when the user cancelled. May answer later, on the main loop.
class DestinationPort {
 public:
  virtual ~DestinationPort() = default;
  virtual void ChooseDestination(u16view folder, u16view name,
                                 std::function<void(std::optional<u16>)> done) = 0;
};

}  // namespace zel
