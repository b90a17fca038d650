// The browsing history: every committed top-level visit of an http(s), ftp or file page is
// recorded in history.sqlite by a worker thread; the pane's tree is read and grouped there
// too and handed to the pane on the main loop. A store that cannot be opened (locked,
// corrupt, not a database) costs the history only: it is said once in the status bar.
#pragma once

#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "history/history_store.h"
#include "history/history_views.h"
#include "services/frame_controller.h"
#include "services/frame_services.h"

namespace zel {

class HistoryController : public FrameController {
 public:
  // notice: a text for the status bar that stays through page changes.
  using Notice = std::function<void(u16view)>;
  HistoryController(FrameServices services, Notice notice);
  ~HistoryController() override;

  void SetPane(HistoryPaneView* pane) { pane_ = pane; }
  // Reads the store and groups it for the pane (the answer comes later on the main loop).
  void RefreshPane();
  // A page of the pane chosen: it opens in a new tab in front.
  void OpenPage(u16view url);
  // Empties the store (the pane follows).
  void ClearHistory();
  // Records a visit now (the frame's document-complete moment calls it).
  void RecordVisit(u16view url, u16view title);
  // The visits matching what is typed in the address box, looked up on the store's thread;
  // done hears them on the main loop (not at all once this controller is gone).
  void Suggest(u16view text, int limit, std::function<void(std::vector<Visit>)> done);

  void OnDocumentComplete(CChildFrame* tab, u16view url) override;
  void OnShutdown() override;

 private:
  HistoryWorker& Worker();
  // Posted to the worker after its first job: says once that the store is unavailable.
  void CheckStore();

  FrameServices services_;
  Notice notice_;
  HistoryPaneView* pane_ = nullptr;
  std::unique_ptr<HistoryWorker> worker_;
  bool told_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// The local time's offset from UTC now, in seconds.
int LocalUtcOffset(std::time_t now);

}  // namespace zel
