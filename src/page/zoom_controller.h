// Zoom, text size and encoding of the active tab's page. The zoom is the body's CSS zoom,
// set by scripts through the script runner (1116..1122 fixed levels, 1125/1126 steps of
// 10 %); the view sets its fixed level again after each title change and finished load.
// The text size is the engine's text-only zoom in five levels (812..816, 1100/1101), the
// last chosen one process-wide. The encoding (866..1081) is the engine's charset for the
// page, 1011 flips the emulated registry's automatic detection.
#pragma once

#include <map>

#include "services/frame_controller.h"
#include "services/frame_services.h"

namespace zel {

class FiltersController;

inline constexpr char16_t kHkcuIeInternational[] =
    u"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\International";

class ZoomController : public FrameController {
 public:
  ZoomController(const FrameServices& services, FiltersController& scripts);

  // The text-size index of a tab (the process-wide last one for a tab never set).
  int TextSizeOf(CChildFrame* tab) const;
  int lastTextSize() const { return lastTextSize_; }
  int checkedEncoding() const { return checkedEncoding_; }
  bool AutoDetectOn() const;

  void OnSettingsLoaded() override;
  void OnActiveTabChanged(CChildFrame* tab) override;
  void OnTabClosed(CChildFrame* tab) override { textSizes_.erase(tab); }

 private:
  void RegisterCommands();
  void Zoom(int command);
  // Zoom in or out by ten from where the page is (1125, 1126).
  void Step(bool in);
  void RunZoomScript(const u16& script);
  void SetTextSize(int index);
  void ApplyCharset(u16view charset);
  void ToggleAutoDetect();

  FrameServices s_;
  FiltersController& scripts_;
  std::map<CChildFrame*, int> textSizes_;
  int lastTextSize_ = 2;
  int checkedEncoding_ = 0;
};

}  // namespace zel
