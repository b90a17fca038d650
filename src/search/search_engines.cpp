#include "search/search_engines.h"

#include "res/engine_icons.h"

#include <unordered_map>

#include "base/ini_document.h"

#include <array>

#include "settings/frame_settings.h"
#include "settings/settings_file.h"
#include "base/files.h"

namespace zel {

namespace {

constexpr char16_t kSearchSet[] = u"SEARCHSET";
constexpr char16_t kEngineKey[] = u"engine";

bool KeepsByte(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

void AppendEncodedByte(u16& out, unsigned char c) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  if (KeepsByte(c)) {
    out += char16_t(c);
  } else if (c == ' ') {
    out += u'+';
  } else {
    out += u'%';
    out += kHex[c >> 4];
    out += kHex[c & 0x0F];
  }
}

size_t EncodedSize(unsigned char c) { return KeepsByte(c) || c == ' ' ? 1 : 3; }

// --- PNG writing -------------------------------------------------------------------

uint32_t Crc32(const std::string& bytes, size_t from) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = from; i < bytes.size(); ++i)
    c = table[(c ^ static_cast<unsigned char>(bytes[i])) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

uint32_t Adler32(const std::string& bytes) {
  uint32_t a = 1, b = 0;
  for (unsigned char c : bytes) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

void PutBe32(std::string& out, uint32_t v) {
  out += char(v >> 24);
  out += char(v >> 16);
  out += char(v >> 8);
  out += char(v);
}

void PutChunk(std::string& png, const char* type, const std::string& data) {
  PutBe32(png, static_cast<uint32_t>(data.size()));
  size_t typeAt = png.size();
  png += type;
  png += data;
  PutBe32(png, Crc32(png, typeAt));
}

struct DefaultEngine {
  const char16_t* title;
  const char16_t* url;
  const char16_t* icon;
  uint8_t r, g, b;
};

// The keyword arrives GBK-encoded, so every template names that encoding where the site
// takes one.
constexpr DefaultEngine kDefaultEngines[] = {
    {u"百度", u"https://www.baidu.com/s?wd=%s&ie=gbk&tn=ZEL", u"baidu.png", 0x29, 0x32, 0xE1},
    {u"Google", u"https://www.google.com/search?q=%s&ie=gbk", u"google.png", 0x34, 0xA8, 0x53},
    {u"搜狗", u"https://www.sogou.com/web?query=%s&ie=gbk", u"sogou.png", 0xFB, 0x6A, 0x22},
    {u"360搜索", u"https://www.so.com/s?q=%s&ie=gbk", u"so360.png", 0x19, 0xB9, 0x55},
};

}  // namespace

std::string SearchEngineFolder() {
  return JoinPath(SettingsFile::BaseFolder(), "profile/SearchEngine");
}

std::string SearchEngineFile() { return JoinPath(SearchEngineFolder(), "config.ini"); }

u16 EncodeSearchKeyword(u16view keyword) {
  const std::string bytes = ToGbk(keyword);
  u16 out;
  size_t i = 0;
  while (i < bytes.size()) {
    // A GBK lead byte (0x81-0xFE) and its trail byte form one character.
    size_t len = static_cast<unsigned char>(bytes[i]) >= 0x81 && i + 1 < bytes.size() ? 2 : 1;
    size_t need = 0;
    for (size_t k = 0; k < len; ++k) need += EncodedSize(static_cast<unsigned char>(bytes[i + k]));
    if (out.size() + need > kMaxEncodedKeyword) break;
    for (size_t k = 0; k < len; ++k) AppendEncodedByte(out, static_cast<unsigned char>(bytes[i + k]));
    i += len;
  }
  return out;
}

u16 BuildSearchUrl(u16view urlTemplate, u16view keyword) {
  u16 url(urlTemplate.empty() ? u16view(kDefaultSearchTemplate) : urlTemplate);
  ReplaceAll(url, u"%s", EncodeSearchKeyword(keyword));
  return url;
}

void SearchEngines::Load() {
  engines_.clear();
  current_ = ReadConfigInt(kSearchSet, kEngineKey);
  const std::string path = SearchEngineFile();
  if (!FileExists(path)) return;
  // One read of the file: a large engine file would otherwise be parsed once per key.
  auto bytes = ReadFileBytes(path);
  if (!bytes) return;
  std::unordered_map<u16, u16> values;
  for (auto& [key, value] : IniDocument::Parse(*bytes).Entries(u"")) {
    if (value.size() > 259) value.resize(259);  // the 260-character buffer
    values.emplace(ToLower(key), std::move(value));  // the first of equal keys counts
  }
  auto read = [&](const u16& key) {
    auto it = values.find(ToLower(key));
    return it == values.end() ? u16() : it->second;
  };
  int count = ToInt(read(u"count").substr(0, 15));
  // The menu can offer no more than kMaxEngines; a larger count (a damaged file) would
  // otherwise make millions of empty records.
  if (count > kMaxEngines) count = kMaxEngines;
  for (int n = 0; n < count; ++n) {
    SearchEngine e;
    e.title = read(Format(u"%d_title", n));
    e.icon = read(Format(u"%d_ico", n));
    e.url = read(Format(u"%d_s", n));
    engines_.push_back(std::move(e));
  }
}

const SearchEngine* SearchEngines::Current() const {
  if (current_ < 0 || current_ >= static_cast<int>(engines_.size())) return nullptr;
  return &engines_[current_];
}

bool SearchEngines::SelectEngine(int commandId) {
  if (commandId < kEngineMenuFirstId || commandId >= kEngineMenuEndId) return false;
  current_ = commandId - kEngineMenuFirstId;
  WriteConfigInt(kSearchSet, kEngineKey, current_);
  return true;
}

EngineMenu SearchEngines::BuildEngineMenu() const {
  EngineMenu menu;
  const std::string folder = SearchEngineFolder();
  for (size_t n = 0; n < engines_.size(); ++n) {
    int id = kEngineMenuFirstId + static_cast<int>(n);
    if (id >= kEngineMenuEndId) break;
    EngineMenuItem item;
    item.id = id;
    item.title = engines_[n].title;
    if (!engines_[n].icon.empty()) item.iconPath = JoinPath(folder, ToUtf8(engines_[n].icon));
    if (static_cast<int>(n) == current_) menu.currentItem = static_cast<int>(menu.items.size());
    menu.items.push_back(std::move(item));
  }
  return menu;
}

u16 SearchEngines::SearchUrl(u16view keyword) const {
  const SearchEngine* e = Current();
  return BuildSearchUrl(e ? u16view(e->url) : u16view(), keyword);
}

std::string MakeSolidIconPng(uint8_t r, uint8_t g, uint8_t b) {
  constexpr int kSize = 16;
  std::string png("\x89PNG\r\n\x1A\n", 8);

  std::string ihdr;
  PutBe32(ihdr, kSize);
  PutBe32(ihdr, kSize);
  ihdr += char(8);  // bit depth
  ihdr += char(2);  // colour type: RGB
  ihdr += std::string(3, '\0');  // deflate, adaptive filtering, no interlace
  PutChunk(png, "IHDR", ihdr);

  std::string raw;
  for (int y = 0; y < kSize; ++y) {
    raw += '\0';  // filter: none
    for (int x = 0; x < kSize; ++x) {
      bool border = x == 0 || y == 0 || x == kSize - 1 || y == kSize - 1;
      raw += char(border ? r / 2 : r);
      raw += char(border ? g / 2 : g);
      raw += char(border ? b / 2 : b);
    }
  }
  // zlib stream with a single stored (uncompressed) deflate block.
  std::string z("\x78\x01", 2);
  z += char(1);  // final block, stored
  uint16_t len = static_cast<uint16_t>(raw.size());
  uint16_t nlen = static_cast<uint16_t>(~len);
  z += char(len & 0xFF);
  z += char(len >> 8);
  z += char(nlen & 0xFF);
  z += char(nlen >> 8);
  z += raw;
  PutBe32(z, Adler32(raw));
  PutChunk(png, "IDAT", z);
  PutChunk(png, "IEND", std::string());
  return png;
}

void ReplacePlainEngineIcons() {
  const std::string folder = SearchEngineFolder();
  for (const DefaultEngine& e : kDefaultEngines) {
    const std::string iconPath = JoinPath(folder, ToUtf8(e.icon));
    auto bytes = ReadFileBytes(iconPath);
    // Only the plain square the browser once wrote itself: an icon the user put there stays.
    if (bytes && *bytes == MakeSolidIconPng(e.r, e.g, e.b))
      WriteFileAtomic(iconPath, std::string(DefaultEngineIcon(ToUtf8(e.icon))));
  }
}

bool InstallDefaultSearchEngines() {
  const std::string folder = SearchEngineFolder();
  const std::string path = SearchEngineFile();
  if (FileExists(path) || !CreateFolderLevels(folder)) return false;
  for (const DefaultEngine& e : kDefaultEngines) {
    std::string iconPath = JoinPath(folder, ToUtf8(e.icon));
    if (!FileExists(iconPath))
      WriteFileAtomic(iconPath, std::string(DefaultEngineIcon(ToUtf8(e.icon))));
  }
  // One atomic write: an interrupted install leaves no file, never one that announces
  // engines it lacks.
  SettingsBatch file(FromUtf8(path));
  int n = 0;
  for (const DefaultEngine& e : kDefaultEngines) {
    file.WriteText(u"", Format(u"%d_title", n), e.title);
    file.WriteText(u"", Format(u"%d_ico", n), e.icon);
    file.WriteText(u"", Format(u"%d_s", n), e.url);
    ++n;
  }
  file.WriteInt(u"", u"count", n);
  return file.Commit();
}

}  // namespace zel
