// The tab strip. Indexes are positions in the strip.
#pragma once

#include "base/text.h"

namespace zel {

class CChildFrame;

class TabStripView {
 public:
  virtual ~TabStripView() = default;
  virtual void InsertTabEntry(int index, u16view caption, CChildFrame* child) = 0;
  virtual void RemoveTabEntry(int index) = 0;
  // Selects an entry without reporting it back as a user's selection.
  virtual void SelectTabEntry(int index) = 0;
  virtual int SelectedTabEntry() const = 0;
  virtual void SetTabEntryText(int index, u16view caption) = 0;
  virtual void SetTabEntryIcon(int index, int icon) = 0;
};

}  // namespace zel
