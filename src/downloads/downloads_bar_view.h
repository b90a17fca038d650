// The downloads bar above the status bar: one row per download with its name, a progress
// bar with the bytes and the speed, and the buttons cancel, open and open folder.
#pragma once

#include "base/text.h"

namespace zel {

enum class DownloadState { Waiting, Running, Done, Failed };

class DownloadsBarView {
 public:
  virtual ~DownloadsBarView() = default;
  virtual void ShowDownloadsBar(bool show) = 0;
  virtual bool DownloadsBarShown() const = 0;
  virtual void AddDownloadRow(int id, u16view name) = 0;
  // fraction below 0: unknown (the bar pulses).
  virtual void UpdateDownloadRow(int id, double fraction, u16view text, DownloadState state) = 0;
  virtual void RemoveDownloadRow(int id) = 0;
};

}  // namespace zel
