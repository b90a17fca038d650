#include "downloads/download_rules.h"

#include <glib.h>

#include <cstdio>

namespace zel {

u16 SafeDownloadName(u16view suggested) {
  u16 name(suggested);
  size_t slash = name.find_last_of(u"/\\");
  if (slash != u16::npos) name = name.substr(slash + 1);
  for (char16_t& c : name)
    if (c < 0x20 || c == 0x7f) c = u'_';
  if (name.size() > 200) {
    // Keep the extension when cutting.
    size_t dot = name.rfind(u'.');
    u16 ext = dot != u16::npos && name.size() - dot <= 16 ? name.substr(dot) : u16();
    name = name.substr(0, 200 - ext.size());
    // No half of a surrogate pair at the cut.
    if (!name.empty() && name.back() >= 0xD800 && name.back() <= 0xDBFF) name.pop_back();
    name += ext;
  }
  // No leading dots (a hidden file, "." or ".."), no dots or spaces at either end.
  size_t start = name.find_first_not_of(u". ");
  name = start == u16::npos ? u16() : name.substr(start);
  while (!name.empty() && (name.back() == u' ' || name.back() == u'.')) name.pop_back();
  return name.empty() ? u16(u"download") : name;
}

u16 FormatSize(int64_t bytes) {
  if (bytes < 0) bytes = 0;
  if (bytes < 1024) return IntToText(bytes) + u" 字节";
  const char* units[] = {"KB", "MB", "GB", "TB"};
  double v = double(bytes) / 1024;
  int unit = 0;
  while (v >= 1024 && unit < 3) {
    v /= 1024;
    ++unit;
  }
  char buf[32];
  std::snprintf(buf, sizeof buf, v < 10 ? "%.2f %s" : v < 100 ? "%.1f %s" : "%.0f %s", v,
                units[unit]);
  return FromUtf8(buf);
}

u16 DownloadRowText(int64_t received, int64_t total, double bytesPerSecond, bool done) {
  if (done) return u"已完成 " + FormatSize(received);
  u16 text = FormatSize(received);
  if (total > 0) text += u" / " + FormatSize(total);
  if (bytesPerSecond > 0) text += u", " + FormatSize(int64_t(bytesPerSecond)) + u"/s";
  return text;
}

void SpeedMeter::Sample(int64_t nowMs, int64_t bytes) {
  samples_.emplace_back(nowMs, bytes);
  while (samples_.size() > 2 && samples_.front().first < nowMs - windowMs_) samples_.pop_front();
}

double SpeedMeter::BytesPerSecond() const {
  if (samples_.size() < 2) return 0;
  const auto& [t0, b0] = samples_.front();
  const auto& [t1, b1] = samples_.back();
  if (t1 <= t0 || b1 < b0) return 0;
  return double(b1 - b0) * 1000.0 / double(t1 - t0);
}

u16 DesktopDownloadFolder() {
  std::string dir;
  if (const char* xdg = g_get_user_special_dir(G_USER_DIRECTORY_DOWNLOAD)) dir = xdg;
  if (dir.empty()) {
    // Without the desktop's folder list (a bare X session, a new home): the folder a
    // Chinese desktop makes when it is there, else the English one.
    char* zh = g_build_filename(g_get_home_dir(), "下载", nullptr);
    char* en = g_build_filename(g_get_home_dir(), "Downloads", nullptr);
    dir = g_file_test(zh, G_FILE_TEST_IS_DIR) ? zh : en;
    g_free(zh);
    g_free(en);
  }
  if (dir.empty() || dir.back() != '/') dir += '/';
  return FromUtf8(dir);
}

}  // namespace zel
