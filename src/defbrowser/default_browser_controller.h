// The default-browser subsystem of the frame: the start-up question (asked after the frame
// is shown, when GENERAL/checkdefault is 1, a desktop session runs and Zel is not the
// default; the look-up runs on a worker thread) and SetDefaultBrowser for the options
// dialog.
#pragma once

#include <memory>
#include <string>
#include <thread>

#include "platform/association_port.h"
#include "defbrowser/default_browser_question.h"
#include "services/frame_controller.h"
#include "services/frame_services.h"

namespace zel {

class DefaultBrowserController : public FrameController {
 public:
  explicit DefaultBrowserController(FrameServices& s);
  ~DefaultBrowserController() override;

  // The desktop's associations and the question's dialog; without an association port
  // nothing is asked or set. launcherPath is what a written desktop entry starts.
  void SetPorts(AssociationPort* associations, DefaultBrowserQuestionView* question,
                std::string launcherPath);

  // Makes Zel the default browser (true) or gives the handling back (false), saving and
  // restoring the replaced defaults in DEFBROWSER. Returns whether Zel is the default
  // afterwards. On the main loop: a handful of small file writes.
  bool SetDefaultBrowser(bool set);
  bool IsDefault();

  void OnDeferredStartup() override;
  void OnShutdown() override;

 private:
  void Ask();
  void Answered(DefaultQuestionAnswer a);
  void JoinLookup();

  FrameServices s_;
  AssociationPort* port_ = nullptr;
  DefaultBrowserQuestionView* question_ = nullptr;
  std::string launcher_;
  std::thread lookup_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace zel
