#include "update/update_rules.h"

#include <glib.h>

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace zel {

namespace {

// The next value of the generator.
int NextRandom(uint32_t& state) {
  state = state * 214013u + 2531011u;
  return int((state >> 16) & 0x7fff);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string CutDescription(std::string_view bytes) {
  return std::string(bytes.substr(0, kUpdateDescriptionMax));
}

std::optional<std::string> DescriptionVersion(std::string_view text, std::string_view key) {
  size_t at = text.find(key);
  if (at == std::string_view::npos) return std::nullopt;
  size_t from = at + 4;
  if (from >= text.size()) return std::string();
  return std::string(text.substr(from, 4));
}

std::optional<std::string> DescriptionPackageUrl(std::string_view text) {
  size_t at = text.find("URL");
  if (at == std::string_view::npos) return std::nullopt;
  size_t from = at + 4;
  if (from >= text.size()) return std::string();
  return std::string(text.substr(from));
}

std::optional<std::string> DescriptionPackageDigest(std::string_view text) {
  const size_t at = text.find(kDigestKey);
  if (at == std::string_view::npos) return std::nullopt;
  const size_t from = at + std::strlen(kDigestKey);
  if (text.size() - from < 64) return std::nullopt;
  std::string digest(text.substr(from, 64));
  for (char& c : digest) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    c = char(std::tolower(static_cast<unsigned char>(c)));
  }
  // A 65th digit: a longer value is not a SHA-256.
  if (text.size() - from > 64 && std::isxdigit(static_cast<unsigned char>(text[from + 64])))
    return std::nullopt;
  return digest;
}

std::optional<std::string> FileSha256(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return std::nullopt;
  GChecksum* sum = g_checksum_new(G_CHECKSUM_SHA256);
  char buf[64 * 1024];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
    g_checksum_update(sum, reinterpret_cast<const guchar*>(buf), gssize(n));
  const bool failed = std::ferror(f);
  std::fclose(f);
  std::string hex = g_checksum_get_string(sum);
  g_checksum_free(sum);
  if (failed) return std::nullopt;
  return hex;
}

bool IsSecureUpdateAddress(std::string_view url) {
  constexpr std::string_view kScheme = "https://";
  if (url.size() <= kScheme.size()) return false;
  for (size_t i = 0; i < kScheme.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(url[i])) != kScheme[i]) return false;
  const char first = url[kScheme.size()];
  return first != '/' && first != '?' && first != '#' && first != ':';
}

double ReadVersionNumber(std::string_view text) {
  // A narrow copy of at most 1023 characters.
  text = text.substr(0, 1023);
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  const char* first = text.data() + i;
  const char* last = text.data() + text.size();
  if (first < last && *first == '+') ++first;
  double value = 0;
  auto r = std::from_chars(first, last, value, std::chars_format::general);
  return r.ec == std::errc() ? value : 0;
}

bool IsNewerVersion(std::string_view offered, std::string_view running) {
  return ReadVersionNumber(offered) > ReadVersionNumber(running);
}

std::string ScrambleText(std::string_view plain, uint32_t seed) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(plain.size() * 2);
  uint32_t state = seed;
  for (unsigned char c : plain) {
    unsigned char b = c ^ static_cast<unsigned char>((NextRandom(state) + 8) ^ 0x19);
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

std::string UnscrambleText(std::string_view hex, uint32_t seed) {
  std::string out;
  uint32_t state = seed;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    int hi = HexValue(hex[i]), lo = HexValue(hex[i + 1]);
    if (hi < 0 || lo < 0) break;
    out += char(static_cast<unsigned char>((hi << 4) | lo) ^
                static_cast<unsigned char>((NextRandom(state) + 8) ^ 0x19));
  }
  return out;
}

}  // namespace zel
