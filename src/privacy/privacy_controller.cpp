#include "privacy/privacy_controller.h"

#include "base/commands.h"
#include "formfill/form_commands.h"
#include "services/command_registry.h"
#include "settings/frame_settings.h"
#include "view/engine_port.h"

namespace zel {

PrivacyController::PrivacyController(const FrameServices& services,
                                     std::function<void()> clearSiteIcons)
    : s_(services), clearSiteIcons_(std::move(clearSiteIcons)) {
  s_.commands.Add(cmd::kClearTemporaryFiles, [this] { ClearSiteData(false); });
  s_.commands.Add(cmd::kClearCookies, [this] { ClearSiteData(true); });
  s_.commands.Add(cmd::kClearTraces, [this] {
    if (!dialog_) return;
    if (std::optional<TraceChoice> kinds = dialog_->AskTraces()) Clear(*kinds);
  });
}

int PrivacyController::CommandFor(Trace kind) {
  switch (kind) {
    case Trace::TemporaryFiles: return cmd::kClearTemporaryFiles;
    case Trace::Cookies: return cmd::kClearCookies;
    // The clearing was chosen: no second question.
    case Trace::FormData: return cmd::kDeleteFormDataAsked;
    case Trace::History: return cmd::kClearHistory;
    case Trace::TypedAddresses: return cmd::kClearTypedAddresses;
    case Trace::Keywords: return cmd::kClearKeywordHistory;
    case Trace::ClosedPages: return cmd::kClearClosedPages;
  }
  return 0;
}

void PrivacyController::Clear(const TraceChoice& kinds, bool atExit) {
  atExit_ = atExit;
  for (int i = 0; i < kTraceKinds; ++i) {
    const int id = CommandFor(Trace(i));
    if (kinds[i] && s_.commands.Has(id)) s_.commands.Run(id);
  }
  if (kinds[int(Trace::History)] && !kinds[int(Trace::TemporaryFiles)] && clearSiteIcons_)
    clearSiteIcons_();
  atExit_ = false;
}

TraceChoice PrivacyController::ExitChoice() const {
  const auto& c = s_.settings.clean;
  return {c.cache, c.cookies, c.form, c.history, c.address, c.search, c.undo};
}

void PrivacyController::ClearOnExit() { Clear(ExitChoice(), true); }

void PrivacyController::ClearSiteData(bool cookies) {
  if (!cookies && clearSiteIcons_) clearSiteIcons_();
  if (!s_.engines) return;
  // At exit the browser waits (a few seconds at most) for the engine to finish; otherwise
  // the clearing goes on while the user browses.
  s_.engines->ClearSiteData(cookies ? SiteData::Cookies : SiteData::Caches, atExit_);
}

}  // namespace zel
