// The session: the pages open in the tabs, saved to last.ini while the browser runs and at
// exit, and the recently closed pages with their back/forward history, reopened one by one
// (newest first), from the closed-pages menu, or through the page-list dialog.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "services/frame_controller.h"
#include "services/frame_services.h"
#include "session/closed_pages_view.h"
#include "session/closed_ring.h"
#include "session/last_ini.h"

namespace zel {

class PageListView;

class SessionController : public FrameController {
 public:
  // What the controller reads of the frame beyond the tab list.
  struct FrameState {
    // The frame is visible, not minimized and the active window.
    std::function<bool()> inFront;
    // The tab list changed since the mark was last cleared (tabs inserted or closed).
    std::function<bool()> tabListChanged;
    std::function<void()> clearTabListChanged;
  };
  SessionController(const FrameServices& services, ClosedPagesView* menu, FrameState state);
  ~SessionController() override;

  // The page-list dialog's window (set by whoever builds the window; null: none).
  void SetPageListView(PageListView* view) { pageListView_ = view; }

  // The start page for a stored start mode 2: the pages of the last save, in their order,
  // the first in front. False when there is nothing to open (the usual start page follows).
  bool OpenLastPages();
  // The save of the open and closed pages in the shutdown order; it returns once the file
  // is written. Tabs closed afterwards are not listed any more.
  void SaveAtShutdown();
  // Saves the open pages (section "visit") without waiting for the disk.
  void SaveOpenPages();
  // Waits until every save handed to the writer is on disk.
  void WaitForSaves() { writer_.Flush(); }

  // What a save of the open pages writes: every tab in strip order with an address that
  // is not the blank page, titled by its custom caption, else its caption (else the
  // address, so the entry is never cut off by an empty title).
  std::vector<PageEntry> OpenPages() const;
  const ClosedRing& closedPages() const { return ring_; }
  ClosedRing& closedPages() { return ring_; }
  // The menu follows the ring (and the reopen command's enabled state).
  void ClosedPagesChanged();
  // 1109: every closed page is forgotten (in the file too when the pages were saved).
  void ClearClosedPages();

  // 985 and 1563: the newest closed page comes back with its history.
  void ReopenNewest();
  // 25088 + slot.
  void ReopenSlot(int slot);
  // Opens a page in a reused blank tab or a new one and starts it, with its back/forward
  // history when there is one. The tab enters the strip at once, so pages opened one
  // after another keep their order. background: it never comes forward by itself.
  CChildFrame* OpenPage(u16view url, u16view title, const std::string* history, bool front,
                        bool background = false);

  // A tab of the last run that waits under its stored title, at the end of the strip, and
  // loads its page when it is first shown.
  CChildFrame* OpenPageLater(u16view url, u16view title);

  // 1085 and 1108.
  void ShowPageList(int firstTab);

  // FrameController
  void OnTabClosed(CChildFrame* tab) override;
  void OnActiveTabChanged(CChildFrame* tab) override;
  void OnPeriodicSave() override;

 private:
  std::string LastIniPath() const;

  FrameServices s_;
  ClosedPagesView* menu_ = nullptr;
  PageListView* pageListView_ = nullptr;
  FrameState state_;
  ClosedRing ring_;
  SessionWriter writer_;
  bool shutDown_ = false;
  std::set<CChildFrame*> waiting_;  // restored tabs not shown yet, their pages not loaded
};

}  // namespace zel
