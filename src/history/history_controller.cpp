#include "history/history_controller.h"

#include "base/commands.h"
#include "base/files.h"
#include "services/command_registry.h"
#include "platform/message_loop.h"
#include "settings/settings_file.h"
#include "view/child_frame.h"
#include "view/vop_view.h"

namespace zel {

namespace {
constexpr char kHistoryFile[] = "history.sqlite";
constexpr char16_t kUnavailable[] = u"历史记录不可用: 无法打开 history.sqlite";
}  // namespace

int LocalUtcOffset(std::time_t now) {
  std::tm local{};
  localtime_r(&now, &local);
  return int(local.tm_gmtoff);
}

HistoryController::HistoryController(FrameServices services, Notice notice)
    : services_(services), notice_(std::move(notice)) {
  // 855: the visit store is emptied; the tabs' own back and forward lists stay.
  services_.commands.Add(cmd::kClearHistory, [this] { ClearHistory(); });
}

HistoryController::~HistoryController() {
  alive_.reset();
  worker_.reset();  // finishes the queued visits
}

HistoryWorker& HistoryController::Worker() {
  if (!worker_) {
    worker_ = std::make_unique<HistoryWorker>(
        JoinPath(JoinPath(SettingsFile::BaseFolder(), SettingsFile::ProfileSub()), kHistoryFile));
    CheckStore();
  }
  return *worker_;
}

void HistoryController::CheckStore() {
  MessageLoop* loop = services_.loop;
  std::weak_ptr<bool> alive = alive_;
  worker_->Post([this, loop, alive](HistoryStore& store) {
    if (store.ok() || !loop) return;
    loop->Post([this, alive] {
      if (alive.expired() || told_) return;
      told_ = true;
      if (notice_) notice_(kUnavailable);
      else services_.tabs.SetStatusText(kUnavailable);
    });
  });
}

void HistoryController::RecordVisit(u16view url, u16view title) {
  if (!IsRecordedAddress(url)) return;
  Worker().Record({u16(url), u16(title), int64_t(std::time(nullptr))});
}

void HistoryController::OnDocumentComplete(CChildFrame* tab, u16view url) {
  if (!tab) return;
  RecordVisit(url, tab->caption);
}

void HistoryController::RefreshPane() {
  MessageLoop* loop = services_.loop;
  if (!loop) return;
  std::weak_ptr<bool> alive = alive_;
  Worker().Post([this, loop, alive](HistoryStore& store) {
    std::time_t now = std::time(nullptr);
    auto groups = std::make_shared<std::vector<HistoryGroup>>(
        GroupHistory(store.All(), int64_t(now), LocalUtcOffset(now)));
    loop->Post([this, alive, groups] {
      if (alive.expired() || !pane_) return;
      pane_->ShowTree(std::move(*groups));
    });
  });
}

void HistoryController::Suggest(u16view text, int limit,
                                std::function<void(std::vector<Visit>)> done) {
  MessageLoop* loop = services_.loop;
  if (!loop) return;
  std::weak_ptr<bool> alive = alive_;
  Worker().Post([loop, alive, text = u16(text), limit, done = std::move(done)](HistoryStore& store) {
    auto found = std::make_shared<std::vector<Visit>>(store.Matching(text, limit));
    loop->Post([alive, found, done] {
      if (!alive.expired()) done(std::move(*found));
    });
  });
}

void HistoryController::OpenPage(u16view url) {
  if (url.empty()) return;
  services_.tabs.OpenUrl(url, {.tab = TabChoice::New, .start = StartKind::Address, .show = true});
}

void HistoryController::ClearHistory() {
  Worker().Post([](HistoryStore& store) { store.Clear(); });
  RefreshPane();
}

void HistoryController::OnShutdown() { worker_.reset(); }

}  // namespace zel
