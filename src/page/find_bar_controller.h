// The engine's own find in the page (57636, Ctrl+F): the find bar's text is looked for in
// the active tab's page, every match marked, the current one selected; Enter and the
// buttons step through the matches, the bar counts them ("2/5"), Esc closes it.
#pragma once

#include <memory>

#include "page/find_bar_view.h"
#include "page/find_rules.h"
#include "services/frame_controller.h"
#include "services/frame_services.h"

namespace zel {

class FindBarController : public FrameController {
 public:
  FindBarController(const FrameServices& services, FindBarView* view);

  // What the bar reports.
  void OnTextChanged();
  void OnStep(bool forward);
  void OnMatchCaseChanged() { OnTextChanged(); }
  void OnClose();

  void OnActiveTabChanged(CChildFrame* tab) override;
  void OnTabClosed(CChildFrame* tab) override;
  void OnDocumentComplete(CChildFrame* tab, u16view url) override;

  const FindCount& count() const { return count_; }

 private:
  void Open();
  void Search(FindRequest::Step step);
  void EndSearchIn(CChildFrame* tab);
  void ShowCount();

  FrameServices s_;
  FindBarView* view_;
  FindCount count_;
  u16 text_;
  bool matchCase_ = false;
  // The tab whose page holds the marks of the current search.
  CChildFrame* searched_ = nullptr;
  // Answers of requests made before the last new search are dropped.
  unsigned generation_ = 0;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace zel
