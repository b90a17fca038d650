#include "frame/page_commands.h"

#include <algorithm>

#include "base/commands.h"
#include "view/child_frame.h"
#include "view/vop_view.h"

namespace zel {

namespace {
// Commands 1038..1041 choose the scroll modes 0, 4, 2 and 1.
constexpr int kScrollModes[] = {0, 4, 2, 1};
constexpr char16_t kBlank[] = u"about:blank";
constexpr char16_t kViewSourcePrefix[] = u"view-source:";
}  // namespace

PageCommandsController::PageCommandsController(const FrameServices& services,
                                               ViewSwitches& switches)
    : s_(services), switches_(switches) {
  RegisterCommands();
}

void PageCommandsController::RegisterCommands() {
  CommandRegistry& c = s_.commands;
  auto hasTab = [this] { return s_.tabs.ActiveChild() != nullptr; };
  c.Add(cmd::kRefresh, [this] {
     if (CVOPView* v = s_.tabs.ActiveView()) v->Refresh();
   }).Enabled(hasTab);
  c.Add(cmd::kSavePage, [this] {
     if (CVOPView* v = s_.tabs.ActiveView()) v->ExecWB(kOleSaveAs, kOleOptionPrompt);
   }).Enabled(hasTab);
  c.Add(cmd::kSavePageNoPrompt, [this] {
    if (CVOPView* v = s_.tabs.ActiveView()) v->ExecWB(kOleSaveAs, kOleOptionNoPrompt);
  });
  c.Add(cmd::kBack,
        [this] {
          if (CVOPView* v = s_.tabs.ActiveView(); v && v->backEnabled) v->GoBack(1);
        })
      .Enabled([this] { return s_.tabs.ActiveView() && s_.tabs.ActiveView()->backEnabled; });
  c.Add(cmd::kForward,
        [this] {
          if (CVOPView* v = s_.tabs.ActiveView(); v && v->forwardEnabled) v->GoForward(1);
        })
      .Enabled([this] { return s_.tabs.ActiveView() && s_.tabs.ActiveView()->forwardEnabled; });
  c.Add(cmd::kStop, [this] {
     if (CVOPView* v = s_.tabs.ActiveView()) v->StopLoading();
   }).Enabled([this] { return s_.tabs.ActiveView() && s_.tabs.ActiveView()->loadState >= 0; });
  c.Add(cmd::kStopAll, [this] {
    for (int i = 0; CChildFrame* t = s_.tabs.TabAt(i); ++i)
      if (t->view()) t->view()->StopLoading();
  });
  c.Add(cmd::kRefreshCompletely, [this] {
    if (CVOPView* v = s_.tabs.ActiveView(); v && v->CurrentAddress() != kBlank)
      v->Refresh2(kRefreshCompletely);
  });
  // The document's own commands: printing, page setup, properties and editing, on the
  // active tab's page.
  struct DocumentCommand {
    int id;
    int ole;
  };
  static constexpr DocumentCommand kDocumentCommands[] = {
      {cmd::kPageSetup, kOlePageSetup}, {cmd::kPrint, kOlePrint},
      {cmd::kPrintPreview, kOlePrintPreview}, {cmd::kProperties, kOleProperties},
      {cmd::kCut, kOleCut}, {cmd::kCopy, kOleCopy},
      {cmd::kPaste, kOlePaste}, {cmd::kSelectAll, kOleSelectAll},
  };
  for (const DocumentCommand& d : kDocumentCommands) {
    const int ole = d.ole;
    c.Add(d.id, [this, ole] {
       if (CVOPView* v = s_.tabs.ActiveView()) v->ExecWB(ole, kOleOptionNoPrompt);
     }).Enabled(hasTab);
  }
  // The page's source in a tab of its own, in front.
  c.Add(cmd::kViewSource, [this] {
     CVOPView* v = s_.tabs.ActiveView();
     if (!v || v->CurrentAddress().empty() || v->CurrentAddress() == kBlank ||
         StartsWith(v->CurrentAddress(), kViewSourcePrefix))
       return;
     s_.tabs.OpenUrl(kViewSourcePrefix + v->CurrentAddress(),
                     {.tab = TabChoice::New, .start = StartKind::Address, .show = true});
   }).Enabled(hasTab);
  c.Add(cmd::kStatusFilter, [this] { switches_.statusFilter = !switches_.statusFilter; })
      .Checked([this] { return switches_.statusFilter; });
  c.Add(cmd::kAutoScroll, [this] {
     if (CVOPView* v = s_.tabs.ActiveView()) v->SetAutoScroll(!v->autoScroll());
   }).Checked([this] { return s_.tabs.ActiveView() && s_.tabs.ActiveView()->autoScroll(); });
  for (int id = cmd::kAutoScrollSpeed1; id <= cmd::kAutoScrollSpeed3; ++id) {
    const int speed = id - cmd::kAutoScrollSpeed1 + 1;
    c.Add(id,
          [this, speed] {
            autoScrollSpeed_ = speed;
            if (CVOPView* v = s_.tabs.ActiveView()) {
              v->autoScrollSpeed = speed;
              if (v->autoScroll()) v->SetAutoScroll(true);
            }
          })
        .Checked([this, speed] { return autoScrollSpeed_ == speed; });
  }
  c.Add(cmd::kAutoScrollWaitLoaded,
        [this] {
          autoScrollWaitLoaded_ = !autoScrollWaitLoaded_;
          if (CVOPView* v = s_.tabs.ActiveView()) v->autoScrollWaitLoaded = autoScrollWaitLoaded_;
        })
      .Checked([this] { return autoScrollWaitLoaded_; });
  for (int id = cmd::kScrollMode0; id <= cmd::kScrollMode1; ++id) {
    const int mode = kScrollModes[id - cmd::kScrollMode0];
    c.Add(id, [this, mode] { switches_.autoScrollMode = mode; })
        .Checked([this, mode] { return switches_.autoScrollMode == mode; });
  }
  c.Add(cmd::kAutoRefresh, [this] {
     if (CVOPView* v = s_.tabs.ActiveView()) v->SetAutoRefresh(!v->autoRefresh());
   }).Checked([this] { return s_.tabs.ActiveView() && s_.tabs.ActiveView()->autoRefresh(); });
}

std::vector<HistoryMenuEntry> PageCommandsController::HistoryMenu() const {
  std::vector<HistoryMenuEntry> rows;
  CVOPView* v = s_.tabs.ActiveView();
  if (!v || !v->engine()) return rows;
  int current = -1;
  std::vector<TravelEntry> log = v->engine()->TravelLog(&current);
  if (current < 0 || current >= int(log.size()) || log.size() < 2) return rows;
  const int first = std::max(0, current - kHistoryMenuSide);
  const int last = std::min(int(log.size()) - 1, current + kHistoryMenuSide);
  for (int i = last; i >= first; --i) {
    const TravelEntry& e = log[size_t(i)];
    rows.push_back({Trim(e.title).empty() ? e.url : e.title, i - current});
  }
  return rows;
}

void PageCommandsController::GoToHistoryEntry(int offset) {
  CVOPView* v = s_.tabs.ActiveView();
  if (!v) return;
  if (offset < 0) v->GoBack(-offset);
  if (offset > 0) v->GoForward(offset);
}

}  // namespace zel
