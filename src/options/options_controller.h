// The options dialog (837): the frame's settings into its pages, and back into the frame
// and config.ini when the user confirms; the platform's Internet options (826).
#pragma once

#include <functional>

#include "options/options_dialog_view.h"
#include "services/frame_controller.h"
#include "services/frame_services.h"

namespace zel {

class OptionsController : public FrameController, private OptionsDialogEvents {
 public:
  struct Hooks {
    // Makes Zel the default browser at once; false when nothing here can (then the
    // dialog says nothing).
    std::function<bool()> makeDefaultBrowser;
    // The full path of a program found in PATH, empty when there is none. Empty hook: the
    // search path is looked through.
    std::function<u16(u16view name)> findProgram;
  };

  OptionsController(const FrameServices& services, Hooks hooks);
  void SetDialogs(OptionsDialogView* dialog) { dialog_ = dialog; }

  // 837: the dialog; "确认" puts its values into the frame's settings and config.ini.
  void ShowOptions();
  // 826: the desktop's network settings when its settings program is installed, else the
  // proxy manager's dialog.
  void OpenInternetOptions() override;

 private:
  u16 ActivePageAddress() override;
  void MakeDefaultBrowser() override;

  FrameServices s_;
  Hooks hooks_;
  OptionsDialogView* dialog_ = nullptr;
};

}  // namespace zel
