// The commands on the tab list: new, duplicate, home, close, the next and previous tab,
// tab numbers and function keys, the new-page modes, and mouse actions on the strip.
#pragma once

#include "base/text.h"
#include "services/frame_controller.h"

namespace zel {

class CMainFrame;
enum class TabMouse;

class TabCommandsController : public FrameController {
 public:
  explicit TabCommandsController(CMainFrame& frame);

  // The start page: the home page for start mode 1, else a blank tab.
  void OpenStartPage();
  void CloseAllTabs();
  void GoHomePage();
  void PreviousTab();
  void NextTab();
  void SelectTabByNumber(int index);
  void OnTabMouse(int index, TabMouse action);

 private:
  void RegisterCommands();
  void RunFunctionKey(int id);
  void NewPageByMode();
  void OpenInNewTabIfDifferent(const u16& address);

  CMainFrame& f_;
};

}  // namespace zel
