// Clearing the traces of browsing: each kind is a command of its owner (the engine's site
// data here; form data, history, typed addresses, search words and closed pages with their
// owners), run from the "全部清除" dialog and, for the kinds the user chose, when the
// browser closes.
#pragma once

#include <functional>

#include "privacy/clear_dialog_view.h"
#include "services/frame_controller.h"
#include "services/frame_services.h"

namespace zel {

class PrivacyController : public FrameController {
 public:
  // clearSiteIcons empties the site icon cache: it goes with the temporary files and with
  // the history (the icons name every site visited).
  explicit PrivacyController(const FrameServices& services,
                             std::function<void()> clearSiteIcons = {});
  void SetDialogs(ClearDialogView* dialog) { dialog_ = dialog; }

  // The command that clears a kind of trace.
  static int CommandFor(Trace kind);
  // Runs the clearing of each chosen kind, in their order; a kind whose owner is not there
  // is left alone. At exit the engine's site data is cleared before this returns.
  void Clear(const TraceChoice& kinds, bool atExit = false);
  // In the shutdown order, after the open and closed pages are saved and before the
  // settings: the kinds the CLEANSET switches name.
  void ClearOnExit();
  TraceChoice ExitChoice() const;

 private:
  void ClearSiteData(bool cookies);

  FrameServices s_;
  std::function<void()> clearSiteIcons_;
  ClearDialogView* dialog_ = nullptr;
  bool atExit_ = false;
};

}  // namespace zel
