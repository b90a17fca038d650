// The engine's downloads over WebKit: every download the context starts (a response no
// view can show, a link with a download attribute) is reported with an id, waits for its
// destination, and reports its bytes, its end or its failure. WebKit writes straight into
// the file it is given, so it is given a temporary name beside the destination
// ("<name>.zeldownload"); the complete file is renamed to its own name (replacing a file
// there in one step), and after a failure or a cancel the temporary file is removed: nothing
// is ever left under the destination that is not the whole download.
#pragma once

#include <webkit2/webkit2.h>

#include <map>
#include <string>

#include "downloads/download_port.h"

namespace zel {

class WebKitDownloads : public DownloadSource {
 public:
  explicit WebKitDownloads(WebKitWebContext* context);
  ~WebKitDownloads() override;
  WebKitDownloads(const WebKitDownloads&) = delete;
  WebKitDownloads& operator=(const WebKitDownloads&) = delete;

  void SetEvents(DownloadEvents* events) override { events_ = events; }
  void SetDestination(int id, u16view path) override;
  void Cancel(int id) override;

 private:
  struct Entry {
    WebKitDownload* download = nullptr;
    std::string path;     // the destination once set
    std::string partial;  // where WebKit writes until the download is complete
    bool ended = false;   // failed or finished: later signals are not reported
  };
  static void OnStarted(WebKitWebContext* context, WebKitDownload* download, WebKitDownloads* self);
  static gboolean OnDecideDestination(WebKitDownload* download, const char* suggested,
                                      WebKitDownloads* self);
  static void OnReceived(WebKitDownload* download, guint64 length, WebKitDownloads* self);
  static void OnFinished(WebKitDownload* download, WebKitDownloads* self);
  static void OnFailed(WebKitDownload* download, GError* error, WebKitDownloads* self);
  int IdOf(WebKitDownload* download) const;
  void Forget(int id);
  static void RemovePartial(const Entry& e);

  WebKitWebContext* context_;
  DownloadEvents* events_ = nullptr;
  std::map<int, Entry> entries_;
  int nextId_ = 1;
};

}  // namespace zel
