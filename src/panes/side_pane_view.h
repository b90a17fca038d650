// The side-pane area left of the pages as the frame's controllers see it: panes by id,
// several open at once (as tabs of the area), and the area's width.
#pragma once

namespace zel {

inline constexpr int kWebPagePaneId = 1529;
inline constexpr int kFavoritesPaneId = 1530;
inline constexpr int kHistoryPaneId = 1531;

class SidePaneView {
 public:
  virtual ~SidePaneView() = default;
  virtual void ShowPane(int id) = 0;
  virtual void HidePane(int id) = 0;
  virtual bool PaneShown(int id) const = 0;
  // The area's width in pixels (kept while the area is closed).
  virtual int AreaWidth() const = 0;
  virtual void SetAreaWidth(int width) = 0;
};

}  // namespace zel
