// The side panes' commands (963 favorites, 1528 history, 1529 the web page pane: each
// shows its pane or closes it, checked while it is open; 1215 on the tab bar closes the
// open panes, or opens again those it closed, the favorites the first time) and their layout: which panes are
// open and the area's width, kept in CommandBars.ini under "ZELSide" across runs.
#pragma once

#include <string>
#include <vector>

#include "panes/side_pane_view.h"
#include "services/frame_controller.h"
#include "services/frame_services.h"

namespace zel {

struct SideLayout {
  int width = 220;
  std::vector<int> open;  // pane ids, in the order they were opened
};
// The "ZELSide" section of the layout file's text; the default layout when it is missing.
SideLayout ParseSideLayout(const std::string& fileBytes);
// The file's text with the section replaced (other sections kept as they are).
std::string WriteSideLayout(const std::string& fileBytes, const SideLayout& layout);

class SidePanesController : public FrameController {
 public:
  explicit SidePanesController(FrameServices services);

  // The area; the saved layout is applied to it when the settings are loaded.
  void SetView(SidePaneView* view) { view_ = view; }
  void Toggle(int paneId);
  bool Shown(int paneId) const { return view_ && view_->PaneShown(paneId); }
  bool AnyShown() const;
  void ToggleArea();

  void OnSettingsLoaded() override;
  void OnPeriodicSave() override { Save(); }
  void OnShutdown() override { Save(); }

 private:
  void Save();
  // Shows or hides the pane without saving the layout.
  void Flip(int paneId);

  FrameServices services_;
  SidePaneView* view_ = nullptr;
  std::vector<int> open_;
  std::vector<int> reopen_;  // the panes the last ToggleArea closed
  std::string saved_;  // the section last written
};

}  // namespace zel
