#include "downloads/downloads_controller.h"

#include <glib.h>

#include "base/commands.h"
#include "platform/message_loop.h"
#include "platform/prompt_port.h"
#include "platform/shell_port.h"
#include "view/active_content.h"

namespace zel {

namespace {
// The row's text changes at most this often while the bytes arrive.
constexpr int64_t kRowRefreshMs = 250;

u16 FolderOfPath(u16view path) {
  size_t slash = path.rfind(u'/');
  return slash == u16view::npos ? u16() : u16(path.substr(0, slash + 1));
}

u16 BaseNameOf(u16view path) {
  size_t slash = path.rfind(u'/');
  return u16(slash == u16view::npos ? path : path.substr(slash + 1));
}
}  // namespace

DownloadsController::DownloadsController(const FrameServices& services, DownloadSource* source,
                                         DestinationPort* destinations, DownloadsBarView* bar,
                                         std::function<u16()> folder)
    : s_(services),
      source_(source),
      destinations_(destinations),
      bar_(bar),
      folder_(std::move(folder)) {
  if (source_) source_->SetEvents(this);
  s_.commands.Add(cmd::kDownloadsBar, [this] {
     if (bar_) bar_->ShowDownloadsBar(!bar_->DownloadsBarShown());
   }).Checked([this] { return bar_ && bar_->DownloadsBarShown(); });
}

DownloadsController::~DownloadsController() {
  if (source_) source_->SetEvents(nullptr);
}

u16 DownloadsController::Folder() const {
  u16 folder = folder_ ? folder_() : u16();
  return folder.empty() ? DesktopDownloadFolder() : folder;
}

void DownloadsController::OnDownloadStarted(int id, u16view url, u16view suggestedName,
                                            const DownloadOrigin& origin) {
  if (!origin.byUser && origin.noActiveContent &&
      IsProgramOrPlugin(suggestedName.empty() ? url : suggestedName, FromUtf8(origin.mime))) {
    // With downloads of active content banned (1191), a program or plug-in the page starts
    // by itself is refused before anyone is asked.
    if (source_) source_->Cancel(id);
    s_.tabs.SetStatusText(u"已阻止网页自行下载的程序或插件: " + u16(url));
    return;
  }
  if (!origin.byUser) {
    // A page's own downloads: asked about once for the page; a refused page gets none.
    auto verdict = pages_.find(origin.page);
    if (verdict != pages_.end() && verdict->second == PageVerdict::Refused) {
      if (source_) source_->Cancel(id);
      s_.tabs.SetStatusText(u"已阻止此网页下载文件");
      return;
    }
    if (verdict == pages_.end() || verdict->second == PageVerdict::Asking) {
      items_[id] = Item{.url = u16(url), .name = SafeDownloadName(suggestedName)};
      waiting_[origin.page].push_back(id);
      if (verdict == pages_.end()) {
        pages_[origin.page] = PageVerdict::Asking;
        std::string page = origin.page;
        std::weak_ptr<bool> alive = alive_;
        // Asked from the loop, not inside the engine's signal.
        QueueDialog([this, alive, page] {
          if (!s_.loop) return AskAboutPage(page);
          s_.loop->Post([this, alive, page] {
            if (!alive.expired()) AskAboutPage(page);
          });
        });
      }
      return;
    }
  }
  Item& item = items_[id];
  item.url = u16(url);
  item.name = SafeDownloadName(suggestedName);
  AskDestination(id);
}

void DownloadsController::AskAboutPage(const std::string& page) {
  bool allow = s_.prompts && s_.prompts->AskYesNo(u"此网页想要下载多个文件。\n\n是否允许?",
                                                  kAppTitle, PromptIcon::Question);
  pages_[page] = allow ? PageVerdict::Allowed : PageVerdict::Refused;
  std::vector<int> ids = std::move(waiting_[page]);
  waiting_.erase(page);
  for (int id : ids) {
    if (allow) {
      AskDestination(id);
      continue;
    }
    items_.erase(id);
    if (source_) source_->Cancel(id);
  }
  if (!allow) s_.tabs.SetStatusText(u"已阻止此网页下载文件");
  DialogClosed();
}

void DownloadsController::QueueDialog(std::function<void()> open) {
  dialogs_.push_back(std::move(open));
  if (dialogOpen_) return;
  dialogOpen_ = true;
  auto next = std::move(dialogs_.front());
  dialogs_.pop_front();
  next();
}

void DownloadsController::DialogClosed() {
  dialogOpen_ = false;
  if (dialogs_.empty()) return;
  dialogOpen_ = true;
  auto next = std::move(dialogs_.front());
  dialogs_.pop_front();
  next();
}

void DownloadsController::AskDestination(int id) {
  auto found = items_.find(id);
  if (found == items_.end() || found->second.state != DownloadState::Waiting) return;
  Item& item = found->second;
  if (bar_) {
    bar_->AddDownloadRow(id, item.name);
    bar_->ShowDownloadsBar(true);
  }
  ShowRow(id, item, true);
  if (!destinations_) {
    // Without a way to ask, nothing is written.
    if (source_) source_->Cancel(id);
    return;
  }
  std::weak_ptr<bool> alive = alive_;
  QueueDialog([this, alive, id] {
    auto it = items_.find(id);
    // Ended while it waited for its turn: no dialog.
    if (it == items_.end() || it->second.state != DownloadState::Waiting) return DialogClosed();
    destinations_->ChooseDestination(Folder(), it->second.name,
                                     [this, alive, id](std::optional<u16> path) {
    if (alive.expired()) return;
    DialogClosed();
    auto it = items_.find(id);
    if (it == items_.end() || it->second.state != DownloadState::Waiting) return;
    if (!path || path->empty()) {
      if (source_) source_->Cancel(id);
      return;
    }
    it->second.path = *path;
    it->second.name = BaseNameOf(*path);
    it->second.state = DownloadState::Running;
    if (bar_) bar_->AddDownloadRow(id, it->second.name);
    ShowRow(id, it->second, true);
    if (source_) source_->SetDestination(id, *path);
                                     });
  });
}

void DownloadsController::OnDownloadProgress(int id, int64_t received, int64_t total) {
  auto it = items_.find(id);
  if (it == items_.end()) return;
  Item& item = it->second;
  item.received = received;
  item.total = total;
  if (s_.loop) item.speed.Sample(s_.loop->NowMs(), received);
  ShowRow(id, item, false);
}

void DownloadsController::OnDownloadFinished(int id) {
  auto it = items_.find(id);
  if (it == items_.end()) return;
  Item& item = it->second;
  item.state = DownloadState::Done;
  if (item.total > 0) item.received = item.total;
  ShowRow(id, item, true);
  // The record first: the notice of the finished download is what stays in the status bar.
  NoteFileSaved(item.path);
  s_.tabs.SetStatusText(u"下载完成: " + item.path);
}

void DownloadsController::OnDownloadFailed(int id, bool cancelled, u16view reason) {
  auto it = items_.find(id);
  if (it == items_.end()) return;
  Item& item = it->second;
  item.state = DownloadState::Failed;
  if (bar_)
    bar_->UpdateDownloadRow(id, 0, cancelled ? u16(u"已取消") : u"失败: " + u16(reason),
                            DownloadState::Failed);
  if (!cancelled) s_.tabs.SetStatusText(u"下载失败: " + item.name);
}

void DownloadsController::ShowRow(int id, Item& item, bool force) {
  if (!bar_) return;
  const int64_t now = s_.loop ? s_.loop->NowMs() : 0;
  if (!force && item.shownAtMs >= 0 && now - item.shownAtMs < kRowRefreshMs) return;
  item.shownAtMs = now;
  const bool done = item.state == DownloadState::Done;
  double fraction = item.total > 0 ? double(item.received) / double(item.total) : -1;
  if (done) fraction = 1;
  u16 text = item.state == DownloadState::Waiting
                 ? u16(u"等待选择保存位置...")
                 : DownloadRowText(item.received, item.total, item.speed.BytesPerSecond(), done);
  bar_->UpdateDownloadRow(id, fraction, text, item.state);
}

void DownloadsController::CancelDownload(int id) {
  auto it = items_.find(id);
  if (it == items_.end()) return;
  if (it->second.state == DownloadState::Waiting || it->second.state == DownloadState::Running) {
    if (source_) source_->Cancel(id);
    return;
  }
  // A finished or failed row goes from the bar.
  items_.erase(it);
  if (bar_) bar_->RemoveDownloadRow(id);
}

void DownloadsController::OpenDownload(int id) {
  auto it = items_.find(id);
  if (it == items_.end() || it->second.state != DownloadState::Done || !s_.shell) return;
  s_.shell->OpenLocation(it->second.path);
}

void DownloadsController::OpenDownloadFolder(int id) {
  auto it = items_.find(id);
  if (it == items_.end() || it->second.path.empty() || !s_.shell) return;
  s_.shell->OpenLocation(FolderOfPath(it->second.path));
}

void DownloadsController::CloseBar() {
  if (!bar_) return;
  bar_->ShowDownloadsBar(false);
  // The rows of ended downloads go with the bar; running ones stay for the next time.
  for (auto it = items_.begin(); it != items_.end();) {
    if (it->second.state == DownloadState::Done || it->second.state == DownloadState::Failed) {
      bar_->RemoveDownloadRow(it->first);
      it = items_.erase(it);
    } else {
      ++it;
    }
  }
}

void DownloadsController::NoteFileSaved(u16view path) {
  // The output collector takes its records ("文件已保存 =>" + path) from here.
  savedFiles_.push_back(u16(path));
  if (savedSink_) savedSink_(path);
}

void DownloadsController::OnShutdown() {
  // Downloads still running end with the browser; their temporary files go.
  for (auto& [id, item] : items_)
    if (item.state == DownloadState::Waiting || item.state == DownloadState::Running)
      if (source_) source_->Cancel(id);
}

}  // namespace zel
