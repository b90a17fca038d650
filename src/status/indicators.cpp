#include "status/indicators.h"

#include <algorithm>

#include <dirent.h>

#include <cstdio>
#include <cstdlib>
#include <map>

#include "base/files.h"

namespace zel {

namespace {
constexpr const char16_t* kWeekdays[] = {u"星期日", u"星期一", u"星期二", u"星期三",
                                         u"星期四", u"星期五", u"星期六"};

u16 Printf(const char* fmt, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, v);
  return FromUtf8(buf);
}

u16 Two(int v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", v);
  return FromUtf8(buf);
}

// The number after "Key:" on its line.
std::optional<int64_t> FieldKb(std::string_view text, std::string_view key) {
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    if (line.size() > key.size() && line.substr(0, key.size()) == key &&
        line[key.size()] == ':') {
      std::string rest(line.substr(key.size() + 1));
      char* stop = nullptr;
      long long v = std::strtoll(rest.c_str(), &stop, 10);
      if (stop == rest.c_str()) return std::nullopt;
      return v;
    }
    at = end + 1;
  }
  return std::nullopt;
}

std::optional<std::string> ReadSmall(const std::string& path) {
  std::string bytes;
  if (ReadFileBytes(path, &bytes) != ReadStatus::Ok) return std::nullopt;
  return bytes;
}
}  // namespace

bool TemplateUses(u16view tpl, char16_t letter) { return tpl.find(letter) != u16view::npos; }

u16 FormatKbFigure(double kb) {
  if (kb < 10) return Printf("%.2f", kb);
  if (kb < 100) return Printf("%.1f", kb);
  return Printf("%4.0f", kb);
}

u16 FormatMbFigure(double kb) {
  double mb = kb / 1024.0;
  if (mb < 10) return Printf("%.2fM", mb);
  if (mb < 100) return Printf("%.1fM", mb);
  return Printf("%.0fM", mb);
}

u16 FormatFreeMemory(int64_t availableKb) { return IntToText(availableKb / 1024) + u"M"; }

u16 FormatAddress(const std::vector<uint8_t>& bytes) {
  u16 out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i) out += u".";
    out += IntToText(bytes[i]);
  }
  return out;
}

u16 BuildIndicatorText(u16view tpl, const IndicatorValues& v) {
  u16 out;
  for (char16_t c : tpl) {
    if (c < u'A' || c > u'Z') {
      out += c;
      continue;
    }
    switch (c) {
      case u'A': out += IntToText(v.year); break;
      case u'B': out += IntToText(v.month); break;
      case u'C': out += IntToText(v.day); break;
      case u'D': out += Two(v.hour); break;
      case u'E': out += Two(v.minute); break;
      case u'F': out += Two(v.second); break;
      case u'G': out += kWeekdays[((v.weekday % 7) + 7) % 7]; break;
      case u'H': {
        int64_t s = v.secondsUp < 0 ? 0 : v.secondsUp;
        out += Two(int(s / 3600 % 24)) + u":" + Two(int(s / 60 % 60)) + u":" + Two(int(s % 60));
        break;
      }
      case u'I': out += IntToText(v.tabFigure); break;
      case u'J': out += IntToText(v.blockedPopups); break;
      case u'K': out += v.address; break;
      case u'L': out += v.freeMemory; break;
      case u'M': case u'N': case u'O': out += FormatKbFigure(v.process[c - u'M']); break;
      case u'P': case u'Q': case u'R': out += FormatMbFigure(v.process[c - u'P']); break;
      case u'S': out += v.speedText; break;
      case u'T': if (v.proxyOn) out += v.proxyName; break;
      case u'U': if (v.proxyOn) out += v.proxyAddress; break;
      default: break;  // V-Z stand for nothing
    }
  }
  return out;
}

std::optional<int64_t> ParseMemAvailableKb(std::string_view meminfo) {
  if (auto v = FieldKb(meminfo, "MemAvailable")) return v;
  auto free = FieldKb(meminfo, "MemFree");
  if (!free) return std::nullopt;
  return *free + FieldKb(meminfo, "Buffers").value_or(0) + FieldKb(meminfo, "Cached").value_or(0);
}

std::optional<int> ParseFreeMemoryPercent(std::string_view meminfo) {
  auto total = FieldKb(meminfo, "MemTotal");
  auto available = ParseMemAvailableKb(meminfo);
  if (!total || *total <= 0 || !available) return std::nullopt;
  return int(std::clamp<int64_t>(*available * 100 / *total, 0, 100));
}

u16 FormatFreeMemoryPane(int percent) { return u"空闲 " + IntToText(percent) + u"%"; }

std::optional<int64_t> ParseReceivedBytes(std::string_view netdev) {
  bool any = false;
  int64_t total = 0;
  size_t at = 0;
  while (at < netdev.size()) {
    size_t end = netdev.find('\n', at);
    if (end == std::string_view::npos) end = netdev.size();
    std::string_view line = netdev.substr(at, end - at);
    at = end + 1;
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;  // the two header lines
    std::string_view name = line.substr(0, colon);
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    if (name.empty() || name == "lo") continue;
    std::string rest(line.substr(colon + 1));
    char* stop = nullptr;
    long long v = std::strtoll(rest.c_str(), &stop, 10);
    if (stop == rest.c_str() || v < 0) continue;
    total += v;
    any = true;
  }
  if (!any) return std::nullopt;
  return total;
}

std::optional<ProcessMemory> ParseSmapsRollup(std::string_view text) {
  auto rss = FieldKb(text, "Rss");
  if (!rss) return std::nullopt;
  ProcessMemory m;
  m.rss = *rss;
  m.pss = FieldKb(text, "Pss").value_or(*rss);
  m.priv = FieldKb(text, "Private_Clean").value_or(0) + FieldKb(text, "Private_Dirty").value_or(0);
  return m;
}

std::optional<int> ParseParentPid(std::string_view stat) {
  size_t close = stat.rfind(')');
  if (close == std::string_view::npos || close + 4 > stat.size()) return std::nullopt;
  // ") S ppid ..."
  std::string rest(stat.substr(close + 1));
  int ppid = 0;
  char state = 0;
  if (std::sscanf(rest.c_str(), " %c %d", &state, &ppid) != 2) return std::nullopt;
  return ppid;
}

std::optional<double> SpeedKbPerSecond(int64_t before, int64_t now, double seconds) {
  if (before < 0 || now < 0 || seconds <= 0) return std::nullopt;
  // A counter that went back (an interface went away) reads as no traffic.
  if (now < before) return 0.0;
  return double(now - before) / seconds / 1024.0;
}

ProcessMemory ReadProcessTreeMemory(int pid) {
  std::map<int, int> parent;
  if (DIR* d = ::opendir("/proc")) {
    while (dirent* e = ::readdir(d)) {
      char* stop = nullptr;
      long p = std::strtol(e->d_name, &stop, 10);
      if (!stop || *stop || p <= 0) continue;
      auto stat = ReadSmall("/proc/" + std::string(e->d_name) + "/stat");
      if (!stat) continue;
      if (auto pp = ParseParentPid(*stat)) parent[int(p)] = *pp;
    }
    ::closedir(d);
  }
  ProcessMemory total;
  for (const auto& [p, pp] : parent) {
    // In the tree when pid is among its ancestors.
    int at = p;
    bool inTree = false;
    for (int hops = 0; hops < 64 && at > 0; ++hops) {
      if (at == pid) {
        inTree = true;
        break;
      }
      auto it = parent.find(at);
      if (it == parent.end()) break;
      at = it->second;
    }
    if (!inTree) continue;
    auto text = ReadSmall("/proc/" + std::to_string(p) + "/smaps_rollup");
    if (!text) continue;
    if (auto m = ParseSmapsRollup(*text)) {
      total.rss += m->rss;
      total.pss += m->pss;
      total.priv += m->priv;
    }
  }
  return total;
}

std::optional<int64_t> ReadReceivedBytes() {
  auto text = ReadSmall("/proc/net/dev");
  if (!text) return std::nullopt;
  return ParseReceivedBytes(*text);
}

std::optional<int64_t> ReadMemAvailableKb() { return ReadMemory().availableKb; }

MemoryReading ReadMemory() {
  auto text = ReadSmall("/proc/meminfo");
  if (!text) return {};
  return {ParseMemAvailableKb(*text), ParseFreeMemoryPercent(*text)};
}

}  // namespace zel
