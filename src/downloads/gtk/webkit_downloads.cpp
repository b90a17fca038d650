#include "downloads/gtk/webkit_downloads.h"

#include <glib/gstdio.h>
#include <sys/stat.h>

#include "base/file_modes.h"
#include "base/files.h"

#include "view/gtk/webkit_engine.h"

namespace zel {

namespace {
int64_t TotalOf(WebKitDownload* download) {
  WebKitURIResponse* r = webkit_download_get_response(download);
  return r ? int64_t(webkit_uri_response_get_content_length(r)) : 0;
}
}  // namespace

WebKitDownloads::WebKitDownloads(WebKitWebContext* context) : context_(context) {
  g_signal_connect(context_, "download-started", G_CALLBACK(OnStarted), this);
}

WebKitDownloads::~WebKitDownloads() {
  g_signal_handlers_disconnect_by_data(context_, this);
  for (auto& [id, e] : entries_) {
    g_signal_handlers_disconnect_by_data(e.download, this);
    if (!e.ended && e.path.empty()) {
      // Still waiting for its destination: WebKit crashes when such a download is cancelled
      // after its view has gone, so it is left to end with the network process (it has
      // written nothing yet). The reference goes with it.
      continue;
    }
    if (!e.ended) {
      webkit_download_cancel(e.download);
      RemovePartial(e);
    }
    g_object_unref(e.download);
  }
}

int WebKitDownloads::IdOf(WebKitDownload* download) const {
  for (const auto& [id, e] : entries_)
    if (e.download == download) return id;
  return 0;
}

void WebKitDownloads::OnStarted(WebKitWebContext*, WebKitDownload* download,
                                WebKitDownloads* self) {
  const int id = self->nextId_++;
  self->entries_[id].download = WEBKIT_DOWNLOAD(g_object_ref(download));
  g_signal_connect(download, "decide-destination", G_CALLBACK(OnDecideDestination), self);
  g_signal_connect(download, "received-data", G_CALLBACK(OnReceived), self);
  g_signal_connect(download, "finished", G_CALLBACK(OnFinished), self);
  g_signal_connect(download, "failed", G_CALLBACK(OnFailed), self);
}

gboolean WebKitDownloads::OnDecideDestination(WebKitDownload* download, const char* suggested,
                                              WebKitDownloads* self) {
  const int id = self->IdOf(download);
  if (!id) return FALSE;
  WebKitURIRequest* request = webkit_download_get_request(download);
  const char* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
  // The marks of the view whose page started it (none: the program's own download).
  DownloadOrigin origin;
  if (const char* page = static_cast<const char*>(
          g_object_get_data(G_OBJECT(download), WebKitEngine::kDownloadPageKey)))
    origin.page = page;
  origin.byUser = !g_object_get_data(G_OBJECT(download), WebKitEngine::kDownloadByPage);
  origin.noActiveContent =
      g_object_get_data(G_OBJECT(download), WebKitEngine::kDownloadNoActiveContent) != nullptr;
  if (WebKitURIResponse* response = webkit_download_get_response(download))
    if (const char* mime = webkit_uri_response_get_mime_type(response)) origin.mime = mime;
  if (self->events_)
    self->events_->OnDownloadStarted(id, FromUtf8(uri ? uri : ""),
                                     FromUtf8(suggested ? suggested : ""), origin);
  else
    webkit_download_cancel(download);
  // The destination follows (or the cancel): the download waits for it.
  return TRUE;
}

void WebKitDownloads::SetDestination(int id, u16view path) {
  auto it = entries_.find(id);
  if (it == entries_.end() || it->second.ended) return;
  Entry& e = it->second;
  e.path = ToUtf8(path);
  // A temporary name of our own beside the destination, not taken by any file.
  e.partial = e.path + ".zeldownload";
  for (int i = 2; g_file_test(e.partial.c_str(), G_FILE_TEST_EXISTS) && i < 1000; ++i)
    e.partial = e.path + "." + std::to_string(i) + ".zeldownload";
  webkit_download_set_allow_overwrite(e.download, FALSE);
  char* uri = g_filename_to_uri(e.partial.c_str(), nullptr, nullptr);
  if (!uri) {
    webkit_download_cancel(it->second.download);
    return;
  }
  webkit_download_set_destination(it->second.download, uri);
  g_free(uri);
}

void WebKitDownloads::Cancel(int id) {
  auto it = entries_.find(id);
  if (it == entries_.end() || it->second.ended) return;
  webkit_download_cancel(it->second.download);
}

void WebKitDownloads::OnReceived(WebKitDownload* download, guint64, WebKitDownloads* self) {
  const int id = self->IdOf(download);
  auto it = self->entries_.find(id);
  if (it == self->entries_.end() || it->second.ended || !self->events_) return;
  self->events_->OnDownloadProgress(id, int64_t(webkit_download_get_received_data_length(download)),
                                    TotalOf(download));
}

void WebKitDownloads::OnFinished(WebKitDownload* download, WebKitDownloads* self) {
  const int id = self->IdOf(download);
  auto it = self->entries_.find(id);
  // WebKit also says "finished" after a failure; that one is not a completed file.
  if (it == self->entries_.end()) return;
  Entry& e = it->second;
  const bool reported = e.ended;
  e.ended = true;
  if (!reported) {
    // The whole file takes its name; the user agreed to replace a file already there.
    if (e.partial.empty() || g_rename(e.partial.c_str(), e.path.c_str()) != 0) {
      RemovePartial(e);
      if (self->events_) self->events_->OnDownloadFailed(id, false, u"文件无法保存");
    } else {
      // The browser's own files are the user's alone; a saved file is as the user's others.
      ::chmod(e.path.c_str(), SharedFileMode());
      if (self->events_) {
        self->events_->OnDownloadProgress(id, int64_t(webkit_download_get_received_data_length(download)),
                                          TotalOf(download));
        self->events_->OnDownloadFinished(id);
      }
    }
  }
  self->Forget(id);
}

void WebKitDownloads::OnFailed(WebKitDownload* download, GError* error, WebKitDownloads* self) {
  const int id = self->IdOf(download);
  auto it = self->entries_.find(id);
  if (it == self->entries_.end() || it->second.ended) return;
  it->second.ended = true;
  RemovePartial(it->second);
  const bool cancelled = g_error_matches(error, WEBKIT_DOWNLOAD_ERROR, WEBKIT_DOWNLOAD_ERROR_CANCELLED_BY_USER);
  if (self->events_)
    self->events_->OnDownloadFailed(id, cancelled, FromUtf8(error && error->message ? error->message : ""));
}

void WebKitDownloads::RemovePartial(const Entry& e) {
  if (!e.partial.empty()) g_remove(e.partial.c_str());
}

void WebKitDownloads::Forget(int id) {
  auto it = entries_.find(id);
  if (it == entries_.end()) return;
  g_signal_handlers_disconnect_by_data(it->second.download, this);
  // The download object may be inside its own signal: it goes once that is through.
  g_idle_add(
      [](gpointer d) {
        g_object_unref(d);
        return G_SOURCE_REMOVE;
      },
      it->second.download);
  entries_.erase(it);
}

}  // namespace zel
