// Downloads: a response the engine cannot show becomes a download. The user is asked where
// to save it (a save dialog in the download folder with the suggested name), the downloads
// bar shows a row for it with its progress, bytes and speed, cancel, open and open folder,
// and a finished download is announced in the status bar. A cancelled or failed download
// leaves no file under its name (the engine writes to a temporary name until the end).
#pragma once

#include <functional>
#include <deque>
#include <map>
#include <string>
#include <memory>
#include <vector>

#include "downloads/download_port.h"
#include "downloads/download_rules.h"
#include "downloads/downloads_bar_view.h"
#include "services/frame_controller.h"
#include "services/frame_services.h"

namespace zel {

class DownloadsController : public FrameController, public DownloadEvents {
 public:
  struct Item {
    u16 url;
    u16 name;  // the name the row shows (the file's name once chosen)
    u16 path;  // empty until the user chose where
    int64_t received = 0;
    int64_t total = 0;
    DownloadState state = DownloadState::Waiting;
    SpeedMeter speed;
    int64_t shownAtMs = -1;  // when the row's text was last changed
  };

  // folder gives the download folder (empty: the user's downloads folder).
  DownloadsController(const FrameServices& services, DownloadSource* source,
                      DestinationPort* destinations, DownloadsBarView* bar,
                      std::function<u16()> folder);
  ~DownloadsController() override;

  // The row's buttons and the bar's close button.
  void CancelDownload(int id);
  void OpenDownload(int id);
  void OpenDownloadFolder(int id);
  void CloseBar();

  // Every file the browser wrote for the user (a finished download, a saved page) passes
  // here and is kept, in order, for the output collector, which records it as
  // "文件已保存 =>" and the path.
  void NoteFileSaved(u16view path);
  const std::vector<u16>& savedFiles() const { return savedFiles_; }
  // Hears of every saved file as it is noted (the output collector's records).
  void SetFileSavedSink(std::function<void(u16view path)> sink) { savedSink_ = std::move(sink); }

  const std::map<int, Item>& items() const { return items_; }

  // DownloadEvents
  void OnDownloadStarted(int id, u16view url, u16view suggestedName,
                         const DownloadOrigin& origin = {}) override;
  void OnDownloadProgress(int id, int64_t received, int64_t total) override;
  void OnDownloadFinished(int id) override;
  void OnDownloadFailed(int id, bool cancelled, u16view reason) override;

  void OnShutdown() override;

 private:
  u16 Folder() const;
  void ShowRow(int id, Item& item, bool force);
  // The save dialog of a download; the dialogs (save dialogs and the question about a
  // page's own downloads) come one at a time.
  void AskDestination(int id);
  void QueueDialog(std::function<void()> open);
  void DialogClosed();
  // Once per page: may it download files by itself?
  void AskAboutPage(const std::string& page);
  enum class PageVerdict { Asking, Allowed, Refused };
  std::map<std::string, PageVerdict> pages_;
  std::map<std::string, std::vector<int>> waiting_;  // a page's downloads until the answer
  std::deque<std::function<void()>> dialogs_;
  bool dialogOpen_ = false;

  FrameServices s_;
  DownloadSource* source_;
  DestinationPort* destinations_;
  DownloadsBarView* bar_;
  std::function<u16()> folder_;
  std::map<int, Item> items_;
  std::vector<u16> savedFiles_;
  std::function<void(u16view)> savedSink_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace zel
