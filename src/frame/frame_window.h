// What the frame logic asks of its top-level window. The GTK window implements it; unit
// tests use a recording fake.
#pragma once

#include <optional>
#include <vector>

#include "base/text.h"
#include "frame/menu_model.h"
#include "search/search_engines.h"

namespace zel {

class CChildFrame;

struct WindowRect {
  int x = 0, y = 0, width = 0, height = 0;
};

class FrameWindow {
 public:
  virtual ~FrameWindow() = default;
  virtual void SetCaption(u16view text) = 0;
  virtual void SetStatusText(u16view text) = 0;

  // Page views: every child frame's engine widget is hosted by the window; the active
  // child's page is the one shown.
  virtual void AddChildView(CChildFrame* child) = 0;
  virtual void RemoveChildView(CChildFrame* child) = 0;
  virtual void ShowChildView(CChildFrame* child) = 0;

  // The tab strip. Indexes are positions in the strip.
  virtual void InsertTabEntry(int index, u16view caption, CChildFrame* child) = 0;
  virtual void RemoveTabEntry(int index) = 0;
  // Selects an entry without reporting it back as a user's selection.
  virtual void SelectTabEntry(int index) = 0;
  virtual int SelectedTabEntry() const = 0;
  virtual void SetTabEntryText(int index, u16view caption) = 0;
  virtual void SetTabEntryIcon(int index, int icon) = 0;

  // Check marks and enabled states of menu items and buttons follow the frame's state.
  virtual void RefreshCommandStates() = 0;

  // The address box, the progress display and the secure indicator.
  virtual void SetAddressText(u16view text) = 0;
  // The address box's drop-down list, newest first.
  virtual void SetAddressList(const std::vector<u16>& entries) = 0;
  virtual void FocusAddressBox() = 0;
  virtual void SetProgress(int percentage) = 0;  // negative: not loading
  virtual void SetSecureIndicator(bool secure) = 0;
  // The pointer over a tab's page: its height in the page and the page's height less the
  // bottom margin; inside is false outside the page or in its right or bottom margin.
  struct PagePointer {
    bool inside = false;
    int y = 0;
    int height = 0;
  };
  virtual PagePointer PointerInPage(CChildFrame* child) const = 0;
  virtual int PageHeight(CChildFrame* child) const = 0;

  // The search bar: the keyword box with its drop-down history and the engine button.
  virtual u16 SearchBoxText() const = 0;
  virtual void SetSearchBoxText(u16view text) = 0;
  virtual void SetKeywordList(const std::vector<u16>& keywords) = 0;
  virtual void SetEngineMenu(const EngineMenu& menu) = 0;
  virtual void FocusSearchBox() = 0;
  virtual bool SearchBoxHasFocus() const = 0;
  // Opens the address box's list (F9).
  virtual void PopupAddressList() = 0;
  // The "Open" dialog: the typed history in its list; the text and the new-tab box, or
  // nothing when cancelled.
  struct OpenChoice {
    u16 text;
    bool newTab = false;
  };
  virtual std::optional<OpenChoice> AskOpenAddress(const std::vector<u16>& history) = 0;

  // The notification bar of a tab whose popup was blocked, and the desktop's alert sound.
  virtual void ShowPopupBar(CChildFrame* child, u16view blockedAddress) = 0;
  virtual void HidePopupBar(CChildFrame* child) = 0;
  virtual void Beep() = 0;

  virtual bool IsVisible() const = 0;
  virtual bool IsMinimized() const = 0;
  virtual bool IsMaximized() const = 0;
  virtual bool IsFullScreen() const = 0;
  virtual WindowRect GetRect() const = 0;
  virtual void Restore() = 0;
  virtual void Minimize() = 0;
  // A popup menu at (x, y) of the child's page (at the pointer without a child); a chosen
  // item runs its command on the frame.
  virtual void PopupMenu(const std::vector<MenuItem>& items, CChildFrame* child = nullptr,
                         int x = 0, int y = 0) = 0;
  // Brings the frame to the foreground.
  virtual void Present() = 0;
  virtual void HideFrame() = 0;
  // Ends the window and, with it, the program's main loop.
  virtual void Destroy() = 0;
};

}  // namespace zel
