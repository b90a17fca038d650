// The status bar's indicator line: a template whose upper-case letters stand for live values
// (clock, free memory, blocked popups, address, download speed, process memory, proxy), and
// the readings of /proc behind them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"

namespace zel {

inline constexpr char16_t kIndicatorTemplate[] = u"L_J_D:E:F";

struct IndicatorValues {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, weekday = 0;
  int64_t secondsUp = 0;
  int tabFigure = 0;
  int blockedPopups = 0;
  u16 address;      // K
  u16 freeMemory;   // L, already formatted
  double process[3] = {0, 0, 0};  // M-O in KB, P-R in MB from the same figures
  u16 speedText;    // S
  bool proxyOn = false;
  u16 proxyName, proxyAddress;  // T, U
};

// Walks the template: letters A-Z become their values, everything else is copied.
u16 BuildIndicatorText(u16view tpl, const IndicatorValues& v);
// The letters a template uses.
bool TemplateUses(u16view tpl, char16_t letter);

// "%.2f" below 10, "%.1f" below 100, else "%4.0f" (a blank before three digits).
u16 FormatKbFigure(double kb);
// The same in MB with "M" after it ("%.0fM" from 100 on).
u16 FormatMbFigure(double kb);
// "%dM" of the available memory.
u16 FormatFreeMemory(int64_t availableKb);
// Bytes in decimal joined by ".".
u16 FormatAddress(const std::vector<uint8_t>& bytes);

// /proc/meminfo: MemAvailable in KB (MemFree + Buffers + Cached on kernels without it).
std::optional<int64_t> ParseMemAvailableKb(std::string_view meminfo);
// The available share of MemTotal, 0..100 (none without a total).
std::optional<int> ParseFreeMemoryPercent(std::string_view meminfo);
// The free-memory pane's (333) text: "空闲 37%".
u16 FormatFreeMemoryPane(int percent);
// One reading of /proc/meminfo for the indicator and the pane.
struct MemoryReading {
  std::optional<int64_t> availableKb;
  std::optional<int> freePercent;
};
MemoryReading ReadMemory();
// /proc/net/dev: bytes received by every interface but the loopback.
std::optional<int64_t> ParseReceivedBytes(std::string_view netdev);
// /proc/<pid>/smaps_rollup (or status): resident, proportional and private KB.
struct ProcessMemory {
  int64_t rss = 0, pss = 0, priv = 0;
};
std::optional<ProcessMemory> ParseSmapsRollup(std::string_view text);
// The parent pid in /proc/<pid>/stat (the command may hold blanks and parentheses).
std::optional<int> ParseParentPid(std::string_view stat);

// Download speed between two readings in KB/s; nothing when either is missing or time did
// not pass.
std::optional<double> SpeedKbPerSecond(int64_t before, int64_t now, double seconds);

// The memory of the process tree rooted at pid (the browser and its WebKit processes),
// read from /proc (file work: run it off the main loop).
ProcessMemory ReadProcessTreeMemory(int pid);
// The bytes received by the machine's interfaces; nothing when /proc/net/dev is unreadable.
std::optional<int64_t> ReadReceivedBytes();
std::optional<int64_t> ReadMemAvailableKb();

}  // namespace zel
