// The page's context menus and drags: the menu context, the commands that open, show, copy,
// edit and save it, the decision a drop on the page makes, and the mouse switches with the
// gesture table.
#pragma once

#include "frame/context_rules.h"
#include "gestures/gesture_table.h"
#include "services/frame_controller.h"
#include "services/frame_services.h"
#include "view/engine_port.h"

namespace zel {

class CVOPView;
class PageHostView;
class SearchController;

class PageMenuController : public FrameController {
 public:
  PageMenuController(const FrameServices& services, ViewSwitches& switches, PageHostView* pages,
                     SearchController& search);

  // The page's context menu: the image, link or text menu in place of the engine's own.
  // False when the point has none of them (the engine's menu is shown).
  bool ShowPageMenu(CVOPView& view, const PageHit& hit, int x, int y);
  // Shows the menu of a context kind at (x, y) of the active page.
  void ShowContextMenu(ContextKind kind, int x, int y);
  // A drag from the page dropped on it: true when handled here, false for the engine.
  bool OnPageDrop(const PageDrop& drop);
  // Opens a context text: an address in a tab, anything else as a search.
  void OpenContextText(u16view text, bool show);
  // Opens a context link through a click on it with the pending new-window flags.
  void OpenContextLink(u16view address, int flags);

  const GestureTable& gestureTable() const { return gestureTable_; }
  GestureTable& gestureTable() { return gestureTable_; }

  // The menu context: what the context menu or a drag acts on, and where the menu or the
  // drag began (the view's coordinates in the active tab; a link is clicked there).
  u16 contextAddress;
  u16 contextText;  // the link's text or the selected text
  ContextKind contextKind = ContextKind::Text;
  u16 contextImage;  // the image the link menu's link is made of, if any
  int contextX = 0, contextY = 0;
  // The address "添加到过滤器" starts from: the image of a linked image (which then becomes
  // the menu's address), else the menu's address.
  const u16& FilterAddress();

  void OnDeferredStartup() override { gestureTable_.LoadGestureTable(); }

 private:
  void RegisterCommands();
  void SetMenuContext(ContextKind kind, u16view address, u16view text, int x, int y);
  // The first link inside the page's selection, else a blank tab (1089, 1150).
  void OpenSelectedLink();
  void SaveContextText();
  void SearchContext(int mode);
  void OpenInTab(u16view address, bool show);

  FrameServices s_;
  ViewSwitches& switches_;
  PageHostView* pages_;
  SearchController& search_;
  GestureTable gestureTable_;
};

}  // namespace zel
