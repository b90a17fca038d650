#include "page/find_bar_controller.h"

#include <memory>

#include "base/commands.h"
#include "view/child_frame.h"
#include "view/vop_view.h"

namespace zel {

namespace {
constexpr int kMaxMatches = 1000;

Engine* EngineOf(CChildFrame* tab) {
  return tab && tab->view() ? tab->view()->engine() : nullptr;
}
}  // namespace

FindBarController::FindBarController(const FrameServices& services, FindBarView* view)
    : s_(services), view_(view) {
  s_.commands.Add(cmd::kFind, [this] { Open(); })
      .Enabled([this] { return view_ && s_.tabs.ActiveChild() != nullptr; });
}

void FindBarController::Open() {
  if (!view_ || !s_.tabs.ActiveChild()) return;
  view_->ShowFindBar();
  // The text already in the bar is looked for again in the page in front.
  if (!text_.empty() && searched_ != s_.tabs.ActiveChild()) Search(FindRequest::New);
}

void FindBarController::OnTextChanged() {
  if (!view_) return;
  text_ = view_->FindBarText();
  matchCase_ = view_->FindBarMatchCase();
  Search(FindRequest::New);
}

void FindBarController::OnStep(bool forward) {
  if (text_.empty()) return;
  // A page that was not searched yet (another tab came forward) starts from its top.
  if (searched_ != s_.tabs.ActiveChild() || count_.total == 0) {
    Search(FindRequest::New);
    return;
  }
  Search(forward ? FindRequest::Next : FindRequest::Previous);
}

void FindBarController::OnClose() {
  EndSearchIn(searched_);
  if (view_) view_->HideFindBar();
  // The page gets the keyboard back.
  if (CVOPView* v = s_.tabs.ActiveView()) v->FocusPage();
}

void FindBarController::Search(FindRequest::Step step) {
  CChildFrame* tab = s_.tabs.ActiveChild();
  if (step == FindRequest::New) {
    ++generation_;
    if (searched_ != tab) EndSearchIn(searched_);
  }
  Engine* engine = EngineOf(tab);
  if (text_.empty() || !engine) {
    EndSearchIn(searched_);
    count_ = {};
    ShowCount();
    return;
  }
  searched_ = tab;
  FindRequest r;
  r.text = text_;
  r.matchCase = matchCase_;
  r.step = step;
  r.maxMatches = kMaxMatches;
  std::weak_ptr<bool> alive = alive_;
  const unsigned generation = generation_;
  engine->FindText(r, [this, alive, generation, step, tab](int matches) {
    if (alive.expired() || generation != generation_ || tab != searched_) return;
    count_.Answer(step, matches, kMaxMatches);
    ShowCount();
  });
}

void FindBarController::EndSearchIn(CChildFrame* tab) {
  if (Engine* engine = EngineOf(tab)) engine->FindFinish();
  if (tab == searched_) {
    searched_ = nullptr;
    ++generation_;
  }
}

void FindBarController::ShowCount() {
  if (view_) view_->SetFindCount(count_.Label(!text_.empty()), !text_.empty() && count_.total == 0);
}

void FindBarController::OnActiveTabChanged(CChildFrame* tab) {
  if (tab == searched_) return;
  EndSearchIn(searched_);
  count_ = {};
  // With the bar open the new page is searched for the same text.
  if (view_ && view_->FindBarShown() && !text_.empty() && tab)
    Search(FindRequest::New);
  else
    ShowCount();
}

void FindBarController::OnTabClosed(CChildFrame* tab) {
  if (tab == searched_) {
    searched_ = nullptr;
    ++generation_;
    count_ = {};
    ShowCount();
  }
}

void FindBarController::OnDocumentComplete(CChildFrame* tab, u16view) {
  // A new page in the searched tab: its matches are counted afresh.
  if (tab == searched_ && tab == s_.tabs.ActiveChild() && view_ && view_->FindBarShown())
    Search(FindRequest::New);
}

}  // namespace zel
