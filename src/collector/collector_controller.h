// The collector ("收集器", 1006): a tool window of the frame with three stores, the text
// collector (what the user drops or sends there), the output collector (records the system
// writes: saved files, the content filter's blocks) and the script collector (scripts the
// user keeps and runs on pages). Records come in through CollectRecord; while the pane
// was never opened they go straight to the stores' files, which the pane loads when it
// first opens and writes back when it closes and when the frame does.
#pragma once

#include <functional>
#include <memory>

#include "collector/collector_pane_view.h"
#include "collector/collector_rules.h"
#include "services/frame_controller.h"
#include "services/frame_services.h"

namespace zel {

class FiltersController;

// The switches of the collector, from config.ini's COLLECTSET section.
struct CollectorSwitches {
  bool stamps = true;       // stamp every record with the time
  bool atEnd = true;        // new records at the end (else at the top)
  bool kinds[5] = {true, true, true, true, true};  // kinds 11..15
  bool clearOutputAtExit = false;
  int alpha = 200;          // the pane's opacity in transparent mode (255: no such mode)
};

class CollectorController : public FrameController, public CollectorPaneEvents {
 public:
  struct Frame {
    std::function<u16()> contextText;     // the page menus' context
    std::function<u16()> contextAddress;
    std::function<u16()> imageFolder;     // where dropped images are saved
    std::function<StampTime()> now;       // local time (empty: the system clock)
  };
  CollectorController(const FrameServices& services, FiltersController& filters, Frame frame);
  ~CollectorController() override;

  // The pane's window, handed over by the host (null: records only go to the files).
  void SetView(CollectorPaneView* view) { view_ = view; }

  // Adds a record: kind 0 to the text collector, any other kind to the output collector
  // (kinds 11..15 only while their switch is on). The text gets "\r\n" when it lacks one.
  void CollectRecord(u16view text, int kind);

  CollectorSwitches& switches() { return switches_; }
  // The store's text as it is now (the pane's, or the file's while there is no pane).
  u16 StoreText(CollectorStore store) const;
  std::string StorePath(CollectorStore store) const;
  bool transparent() const { return transparent_; }

  // 1006: makes the pane on its first showing (loading the files), closes it when shown.
  void TogglePane();
  // Writes the three stores to their files (the pane's texts).
  void SaveStores();

  void OnDeferredStartup() override;
  void OnShutdown() override;

  // CollectorPaneEvents
  void OnPaneClosed() override;
  void OnTextDropped(u16view source, u16view text) override;
  void OnImageDropped(u16view address, const std::string& bytes, u16view source) override;
  void OnOtherDropped() override;

 private:
  void RegisterCommands();
  void ShowStore(CollectorStore store);
  void OpenLine();
  void OpenSelection();
  void RunSelectedScript();
  void SaveShownStore();
  void ClearShownStore();
  void ToggleTransparency();
  void Open(u16view address);

  FrameServices s_;
  FiltersController& filters_;
  Frame frame_;
  CollectorPaneView* view_ = nullptr;
  CollectorSwitches switches_;
  bool transparent_ = false;
  bool closed_ = false;
};

}  // namespace zel
