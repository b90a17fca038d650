// The history pane as the controller sees it (GTK: history/gtk/).
#pragma once

#include <vector>

#include "history/history_tree.h"

namespace zel {

class HistoryPaneView {
 public:
  virtual ~HistoryPaneView() = default;
  // The tree's groups (sites and pages below them, shown when a group is opened).
  virtual void ShowTree(std::vector<HistoryGroup> groups) = 0;
};

}  // namespace zel
