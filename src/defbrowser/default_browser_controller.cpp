#include "defbrowser/default_browser_controller.h"

#include "base/commands.h"
#include "defbrowser/default_browser.h"
#include "platform/message_loop.h"
#include "platform/shell_port.h"
#include "settings/config_schema.h"
#include "settings/frame_settings.h"

namespace zel {

DefaultBrowserController::DefaultBrowserController(FrameServices& s) : s_(s) {
  // The options dialog's "设置Zel浏览器为默认": made the default at once.
  s_.commands.Add(cmd::kMakeDefaultBrowser, [this] { SetDefaultBrowser(true); });
}

DefaultBrowserController::~DefaultBrowserController() {
  alive_.reset();
  JoinLookup();
}

void DefaultBrowserController::SetPorts(AssociationPort* associations,
                                        DefaultBrowserQuestionView* question,
                                        std::string launcherPath) {
  port_ = associations;
  question_ = question;
  launcher_ = std::move(launcherPath);
}

bool DefaultBrowserController::SetDefaultBrowser(bool set) {
  return port_ && zel::SetDefaultBrowser(set, *port_, launcher_);
}

bool DefaultBrowserController::IsDefault() { return port_ && IsDefaultBrowser(*port_); }

void DefaultBrowserController::OnDeferredStartup() {
  if (!port_ || !question_ || !s_.loop || !s_.settings.checkdefault) return;
  auto desktop = s_.shell ? s_.shell->EnvironmentVariable(u"XDG_CURRENT_DESKTOP") : std::nullopt;
  if (!desktop || Trim(*desktop).empty()) return;  // no desktop session: nobody to ask
  // The first look-up reads every desktop entry of the system: not on the main loop.
  JoinLookup();
  lookup_ = std::thread([this, port = port_, loop = s_.loop, alive = std::weak_ptr<bool>(alive_)] {
    const bool isDefault = IsDefaultBrowser(*port);
    loop->Post([this, alive, isDefault] {
      if (!alive.expired() && ShouldAskForDefault(s_.settings.checkdefault, true, isDefault))
        Ask();
    });
  });
}

void DefaultBrowserController::Ask() {
  question_->AskSetDefault([this, alive = std::weak_ptr<bool>(alive_)](DefaultQuestionAnswer a) {
    if (!alive.expired()) Answered(a);
  });
}

void DefaultBrowserController::Answered(DefaultQuestionAnswer a) {
  s_.settings.checkdefault = !a.dontAskAgain;
  WriteConfigInt(u"GENERAL", u"checkdefault", a.dontAskAgain ? 0 : 1);
  if (a.ok) SetDefaultBrowser(true);
}

void DefaultBrowserController::OnShutdown() { JoinLookup(); }

void DefaultBrowserController::JoinLookup() {
  if (lookup_.joinable()) lookup_.join();
}

}  // namespace zel
