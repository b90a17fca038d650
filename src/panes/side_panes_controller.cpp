#include "panes/side_panes_controller.h"

#include <algorithm>

#include "base/commands.h"
#include "base/files.h"
#include "base/ini_document.h"
#include "settings/layout_file.h"

namespace zel {

namespace {
constexpr char16_t kSection[] = u"ZELSide";
constexpr int kMinWidth = 60;
constexpr int kMaxWidth = 4000;

bool IsPaneId(int id) {
  return id == kWebPagePaneId || id == kFavoritesPaneId || id == kHistoryPaneId;
}
}  // namespace

SideLayout ParseSideLayout(const std::string& fileBytes) {
  IniDocument doc = IniDocument::Parse(fileBytes);
  SideLayout l;
  if (auto w = doc.Get(kSection, u"Width")) {
    int width = ToInt(*w);
    if (width >= kMinWidth && width <= kMaxWidth) l.width = width;
  }
  if (auto open = doc.Get(kSection, u"Panes")) {
    for (const u16& part : Split(*open, u',')) {
      int id = ToInt(Trim(part));
      if (IsPaneId(id) && std::find(l.open.begin(), l.open.end(), id) == l.open.end())
        l.open.push_back(id);
    }
  }
  return l;
}

std::string WriteSideLayout(const std::string& fileBytes, const SideLayout& layout) {
  IniDocument doc = IniDocument::Parse(fileBytes);
  u16 open;
  for (int id : layout.open) open += (open.empty() ? u"" : u",") + IntToText(id);
  doc.Set(kSection, u"Width", IntToText(layout.width));
  doc.Set(kSection, u"Panes", open);
  return doc.Serialize();
}

SidePanesController::SidePanesController(FrameServices services) : services_(services) {
  CommandRegistry& c = services_.commands;
  struct Row {
    int command, pane;
  } rows[] = {{cmd::kFavoritesPane, kFavoritesPaneId},
              {cmd::kHistoryPane, kHistoryPaneId},
              {cmd::kWebPagePane, kWebPagePaneId}};
  for (const Row& r : rows) {
    int pane = r.pane;
    c.Add(r.command, [this, pane] { Toggle(pane); }).Checked([this, pane] { return Shown(pane); });
  }
  c.Add(cmd::kTabSidebar, [this] { ToggleArea(); }).Checked([this] { return AnyShown(); });
}

bool SidePanesController::AnyShown() const {
  for (int id : {kFavoritesPaneId, kHistoryPaneId, kWebPagePaneId})
    if (Shown(id)) return true;
  return false;
}

void SidePanesController::ToggleArea() {
  if (!view_) return;
  if (AnyShown()) {
    // Closed together, the same panes come back together.
    reopen_.clear();
    for (int id : open_)
      if (view_->PaneShown(id)) reopen_.push_back(id);
    for (int id : {kFavoritesPaneId, kHistoryPaneId, kWebPagePaneId})
      if (Shown(id) && std::find(reopen_.begin(), reopen_.end(), id) == reopen_.end())
        reopen_.push_back(id);
    for (int id : reopen_) Flip(id);
  } else {
    for (int id : reopen_.empty() ? std::vector<int>{kFavoritesPaneId} : reopen_) Flip(id);
  }
  Save();  // one write for the panes together
}

void SidePanesController::OnSettingsLoaded() {
  if (!view_) return;
  // The first run builds the default layout (every pane closed), saved at the next save.
  SideLayout l = ParseSideLayout(LayoutFileAtStart(services_.settings));
  // The first run's default is saved at the next save; a loaded layout only when it changed.
  if (!services_.settings.firstrun) saved_ = WriteSideLayout(std::string(), l);
  view_->SetAreaWidth(l.width);
  for (int id : l.open) {
    view_->ShowPane(id);
    open_.push_back(id);
  }
}

void SidePanesController::Toggle(int paneId) {
  if (!view_) return;
  Flip(paneId);
  Save();
}

void SidePanesController::Flip(int paneId) {
  if (view_->PaneShown(paneId)) {
    view_->HidePane(paneId);
    open_.erase(std::remove(open_.begin(), open_.end(), paneId), open_.end());
  } else {
    view_->ShowPane(paneId);
    if (std::find(open_.begin(), open_.end(), paneId) == open_.end()) open_.push_back(paneId);
  }
}

void SidePanesController::Save() {
  if (!view_) return;
  SideLayout l;
  l.width = std::clamp(view_->AreaWidth(), kMinWidth, kMaxWidth);
  for (int id : open_)
    if (view_->PaneShown(id)) l.open.push_back(id);
  // Only a changed layout is written, keeping the file's other sections.
  std::string mine = WriteSideLayout(std::string(), l);
  if (mine == saved_) return;
  // A file that cannot be read is never rewritten.
  if (RewriteLayoutFile([&l](const std::string& bytes) { return WriteSideLayout(bytes, l); }))
    saved_ = mine;
}

}  // namespace zel
