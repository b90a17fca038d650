// The window-level modes as the window controller drives them: the bars that can be shown
// or hidden, the tab strip's place, full screen, auto-hidden bars and showing or hiding the
// frame itself. The GTK main window implements it; unit tests use a recording fake.
#pragma once

#include "base/text.h"

namespace zel {

enum class FrameBar { StandardBar, SearchBar, TabBar, StatusBar };

class WindowModesView {
 public:
  virtual ~WindowModesView() = default;

  virtual void ShowBar(FrameBar bar, bool shown) = 0;
  virtual bool BarShown(FrameBar bar) const = 0;
  virtual void SetBarsLocked(bool locked) = 0;
  virtual void SetTabBarAtBottom(bool bottom) = 0;
  // The small tab style: lower tab entries with smaller icons.
  virtual void SetSmallTabs(bool small) = 0;
  // The toolbar row's bars ("Standard", "Address", "Search") in the order given.
  virtual void SetToolbarOrder(const std::vector<u16>& names) = 0;

  // Entering saves the window's rectangle and covers the monitor that holds the window,
  // without the menu bar (the toolbar row stays); leaving brings it back.
  virtual void SetFullScreen(bool on) = 0;
  virtual bool FullScreen() const = 0;
  // The menu bar and the bars hide and come back while the pointer is at the top edge.
  virtual void SetAutoHide(bool on) = 0;

  virtual bool FrameShown() const = 0;      // mapped and not minimized
  virtual bool FrameMinimized() const = 0;  // shown in the task bar, minimized
  virtual void MinimizeFrame() = 0;
  virtual void ShowFrame() = 0;             // shown, restored and in front
  virtual void MinimizeAndHideFrame() = 0;  // gone from the screen and the task bar
};

}  // namespace zel
