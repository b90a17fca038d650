#include "page/zoom_controller.h"

#include <cstdlib>

#include "base/commands.h"
#include "filters/filters_controller.h"
#include "page/encoding_rules.h"
#include "platform/registry_port.h"
#include "view/child_frame.h"
#include "view/page_script.h"
#include "view/vop_view.h"

namespace zel {

ZoomController::ZoomController(const FrameServices& services, FiltersController& scripts)
    : s_(services), scripts_(scripts) {
  RegisterCommands();
}

void ZoomController::OnSettingsLoaded() { lastTextSize_ = kTextSizeMedium; }

int ZoomController::TextSizeOf(CChildFrame* tab) const {
  auto it = textSizes_.find(tab);
  return it == textSizes_.end() ? lastTextSize_ : it->second;
}

void ZoomController::OnActiveTabChanged(CChildFrame* tab) {
  // A view starts with the last chosen size.
  if (!tab || !tab->view() || textSizes_.count(tab)) return;
  textSizes_[tab] = lastTextSize_;
  if (lastTextSize_ != kTextSizeMedium)
    tab->view()->ExecWB(kOleZoom, kOleOptionNoPrompt, TextSizeEngineLevel(lastTextSize_));
}

void ZoomController::RunZoomScript(const u16& script) {
  CChildFrame* active = s_.tabs.ActiveChild();
  if (!active || !active->view()) return;
  // The system's own script: its failures are not reported.
  scripts_.SetReportScriptErrors(false);
  scripts_.RunScriptElement(script, active);
  scripts_.SetReportScriptErrors(true);
}

void ZoomController::Zoom(int command) {
  CChildFrame* active = s_.tabs.ActiveChild();
  if (!active || !active->view()) return;
  active->view()->zoomCommand = command;
  active->view()->zoomPercent = ZoomPercentOf(command);
  RunZoomScript(FixedZoomScript(ZoomPercentOf(command)));
}

void ZoomController::Step(bool in) {
  CChildFrame* active = s_.tabs.ActiveChild();
  if (!active || !active->view()) return;
  RunZoomScript(in ? ZoomInScript() : ZoomOutScript());
  // The page says where the step took it (after the step: scripts run in order); the
  // status bar's pane and the menu's marks follow.
  active->view()->RunScript(u"parseInt(document.body.style.zoom)", [this, active](const ScriptResult& r) {
    if (!r.ok || !active->view()) return;
    int percent = std::atoi(r.json.c_str());
    if (percent <= 0) return;
    active->view()->zoomPercent = percent;
    if (s_.tabs.ActiveChild() == active) s_.tabs.RefreshCommandStates();
  });
}

void ZoomController::SetTextSize(int index) {
  CChildFrame* active = s_.tabs.ActiveChild();
  if (!active || !active->view()) return;
  textSizes_[active] = index;
  lastTextSize_ = index;
  active->view()->ExecWB(kOleZoom, kOleOptionNoPrompt, TextSizeEngineLevel(index));
}

bool ZoomController::AutoDetectOn() const {
  if (!s_.registry) return false;
  return s_.registry->GetDword(kHkcuIeInternational, u"AutoDetect").value_or(0) != 0;
}

void ZoomController::ApplyCharset(u16view charset) {
  CChildFrame* active = s_.tabs.ActiveChild();
  if (!active || !active->view() || !active->view()->engine()) return;
  // The engine loads the page again in the new charset.
  active->view()->engine()->SetCharset(EngineCharsetFor(charset));
}

void ZoomController::ToggleAutoDetect() {
  if (!s_.registry) return;
  bool on = !AutoDetectOn();
  s_.registry->SetValue(kHkcuIeInternational, u"AutoDetect", RegValue::Dw(on ? 1 : 0));
  if (on) {
    checkedEncoding_ = cmd::kEncodingAuto;
    ApplyCharset(CharsetOfEncodingCommand(cmd::kEncodingAuto));
  } else if (CChildFrame* active = s_.tabs.ActiveChild(); active && active->view()) {
    active->view()->Refresh2(1);
  }
}

void ZoomController::RegisterCommands() {
  CommandRegistry& c = s_.commands;
  auto activeView = [this]() -> CVOPView* {
    CChildFrame* a = s_.tabs.ActiveChild();
    return a ? a->view() : nullptr;
  };
  auto hasTab = [activeView] { return activeView() != nullptr; };
  for (int id = cmd::kZoom50; id <= cmd::kZoom300; ++id)
    c.Add(id, [this, id] { Zoom(id); })
        .Checked([activeView, id] {
          CVOPView* v = activeView();
          return v && v->zoomPercent == ZoomPercentOf(id);
        })
        .Enabled(hasTab);
  // The steps leave the tab's fixed level alone: its next page returns to it.
  c.Add(cmd::kZoomIn, [this] { Step(true); }).Enabled(hasTab);
  c.Add(cmd::kZoomOut, [this] { Step(false); }).Enabled(hasTab);

  for (int id = cmd::kTextSizeLargest; id <= cmd::kTextSizeSmallest; ++id) {
    int index = id - cmd::kTextSizeLargest;
    c.Add(id, [this, index] { SetTextSize(index); })
        .Checked([this, index] { return TextSizeOf(s_.tabs.ActiveChild()) == index; })
        .Enabled(hasTab);
  }
  for (bool larger : {true, false})
    c.Add(larger ? cmd::kTextSizeUp : cmd::kTextSizeDown,
          [this, larger] {
            int now = TextSizeOf(s_.tabs.ActiveChild());
            int next = SteppedTextSize(now, larger);
            if (next != now) SetTextSize(next);
          })
        .Enabled(hasTab);

  for (int id = cmd::kEncodingFirst; id <= cmd::kEncodingLast; ++id) {
    const char16_t* charset = CharsetOfEncodingCommand(id);
    if (!charset) continue;  // ids of the range without an item do nothing
    if (id == cmd::kEncodingAuto) {
      c.Add(id, [this] { ToggleAutoDetect(); }).Checked([this] { return AutoDetectOn(); });
      continue;
    }
    c.Add(id,
          [this, id, charset] {
            checkedEncoding_ = id;
            ApplyCharset(charset);
          })
        .Checked([this, id] { return checkedEncoding_ == id; })
        .Enabled(hasTab);
  }
}

}  // namespace zel
