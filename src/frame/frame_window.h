// What the frame logic asks of its top-level window, and the parts of it (bars, strip,
// page host) that each have their own small interface. The GTK window implements it;
// unit tests use a recording fake.
#pragma once

#include "base/text.h"
#include "filters/popup_bar_view.h"
#include "frame/address_bar_view.h"
#include "frame/page_host_view.h"
#include "frame/tab_strip_view.h"
#include "downloads/downloads_bar_view.h"
#include "page/find_bar_view.h"
#include "search/search_bar_view.h"
#include "window/window_modes_view.h"
#include "services/status_bar_view.h"

namespace zel {

struct WindowRect {
  int x = 0, y = 0, width = 0, height = 0;
};

class FrameWindow {
 public:
  virtual ~FrameWindow() = default;

  virtual StatusBarView& statusBar() = 0;
  virtual AddressBarView& addressBar() = 0;
  virtual SearchBarView& searchBar() = 0;
  virtual TabStripView& tabStrip() = 0;
  virtual PageHostView& pageHost() = 0;
  virtual PopupBarView& popupBars() = 0;
  // Parts a window may lack (null then).
  virtual FindBarView* findBar() { return nullptr; }
  virtual DownloadsBarView* downloadsBar() { return nullptr; }
  virtual WindowModesView* modes() { return nullptr; }

  virtual void SetCaption(u16view text) = 0;
  // Check marks and enabled states of menu items and buttons follow the frame's state.
  virtual void RefreshCommandStates() = 0;

  virtual bool IsVisible() const = 0;
  virtual bool IsMinimized() const = 0;
  // The frame is the active window (it has the keyboard focus of the desktop).
  virtual bool IsActive() const = 0;
  // The keyboard focus is where the user types: a text box (the address box, the search
  // box, the find bar) or a side pane.
  virtual bool FocusWhereUserTypes() const { return false; }
  virtual bool IsMaximized() const = 0;
  virtual bool IsFullScreen() const = 0;
  virtual WindowRect GetRect() const = 0;
  virtual void Restore() = 0;
  virtual void Minimize() = 0;
  // Brings the frame to the foreground.
  virtual void Present() = 0;
  virtual void HideFrame() = 0;
  // Ends the window and, with it, the program's main loop.
  virtual void Destroy() = 0;
};

}  // namespace zel
