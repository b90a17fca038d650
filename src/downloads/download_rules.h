// The rules of the downloads bar: the file name a download is proposed under, sizes and
// speeds as the row shows them, and the speed over the last seconds.
#pragma once

#include <cstdint>
#include <deque>
#include <utility>

#include "base/text.h"

namespace zel {

// The name the server suggested, made safe for a file name: only the last path part,
// control characters become "_", at most 200 characters (the extension kept), no dots or
// spaces at either end (so never hidden, "." or ".."); "download" when nothing is left.
u16 SafeDownloadName(u16view suggested);

// "512 字节", "1.50 KB", "12.3 MB", "512 MB": two decimals below 10, one below 100.
u16 FormatSize(int64_t bytes);

// The row's text: "1.50 MB / 5.00 MB, 800 KB/s" while running (without the total when it is
// unknown, without the speed before one is known), "已完成 5.00 MB".
u16 DownloadRowText(int64_t received, int64_t total, double bytesPerSecond, bool done);

// The desktop's download folder, ending with "/": the user's XDG download folder, else
// "~/下载" when that folder exists, else "~/Downloads".
u16 DesktopDownloadFolder();

// Bytes per second over a sliding window of samples.
class SpeedMeter {
 public:
  explicit SpeedMeter(int64_t windowMs = 3000) : windowMs_(windowMs) {}
  void Sample(int64_t nowMs, int64_t bytes);
  // 0 until two samples lie apart.
  double BytesPerSecond() const;

 private:
  int64_t windowMs_;
  std::deque<std::pair<int64_t, int64_t>> samples_;
};

}  // namespace zel
