// The collector pane as its controller sees it: a tool window of the main window with the
// three stores, one shown at a time. Implemented by collector/gtk/CollectorPane.
#pragma once

#include "base/text.h"
#include "collector/collector_store.h"

namespace zel {

class CollectorPaneView {
 public:
  virtual ~CollectorPaneView() = default;
  // Makes the window (once) at x, y with that size; Show brings it up, Hide closes it.
  virtual void Create(int x, int y, int width, int height) = 0;
  virtual bool Created() const = 0;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual bool Visible() const = 0;

  virtual void ShowStore(CollectorStore store) = 0;
  virtual CollectorStore ShownStore() const = 0;
  virtual u16 StoreText(CollectorStore store) const = 0;
  virtual void SetStoreText(CollectorStore store, u16view text) = 0;
  virtual size_t StoreLength(CollectorStore store) const = 0;
  // The caret to the store's end (atEnd) or start, scrolled into view, the text inserted
  // there.
  virtual void InsertAtCaret(CollectorStore store, u16view text, bool atEnd) = 0;
  // The selection of the shown store ("" without one).
  virtual u16 Selection() const = 0;
  // The caret's line of the shown store and the caret's column in it.
  virtual u16 CaretLine(size_t* column) const = 0;
  // The window's opacity, 0..255.
  virtual void SetAlpha(int alpha) = 0;
};

// What the pane reports to its controller.
class CollectorPaneEvents {
 public:
  virtual ~CollectorPaneEvents() = default;
  // The window was closed by the user.
  virtual void OnPaneClosed() = 0;
  // Text dropped onto the pane; source is the address of the page it was dragged from
  // ("" when it came from elsewhere).
  virtual void OnTextDropped(u16view source, u16view text) = 0;
  // An image dragged from a page: its address, its bytes and the page's address.
  virtual void OnImageDropped(u16view address, const std::string& bytes, u16view source) = 0;
  // Something else was dropped.
  virtual void OnOtherDropped() = 0;
};

}  // namespace zel
