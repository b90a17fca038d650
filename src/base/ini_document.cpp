#include "base/ini_document.h"

#include "base/files.h"

namespace zel {

namespace {

u16 DecodeUtf16Be(std::string_view b) {
  u16 out;
  for (size_t i = 2; i + 1 < b.size(); i += 2)
    out += char16_t(((unsigned char)b[i] << 8) | (unsigned char)b[i + 1]);
  return out;
}

std::string EncodeUtf16Be(u16view t) {
  std::string out;
  out.reserve(t.size() * 2);
  for (char16_t c : t) {
    out += char(c >> 8);
    out += char(c & 0xFF);
  }
  return out;
}

}  // namespace

IniDocument IniDocument::Parse(std::string_view b) {
  IniDocument doc;
  u16 text;
  const auto* u = reinterpret_cast<const unsigned char*>(b.data());
  if (b.size() >= 2 && u[0] == 0xFF && u[1] == 0xFE) {
    doc.encoding_ = Encoding::Utf16Le;
    text = DecodeUtf16Le(b);
  } else if (b.size() >= 2 && u[0] == 0xFE && u[1] == 0xFF) {
    doc.encoding_ = Encoding::Utf16Be;
    text = DecodeUtf16Be(b);
  } else if (b.size() >= 3 && u[0] == 0xEF && u[1] == 0xBB && u[2] == 0xBF) {
    doc.encoding_ = Encoding::Utf8Bom;
    text = FromUtf8(b.substr(3));
  } else if (IsValidUtf8(b)) {
    doc.encoding_ = Encoding::Utf8;
    text = FromUtf8(b);
  } else {
    doc.encoding_ = Encoding::Gbk;
    text = FromGbk(b);
  }
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == u'\n') {
      size_t end = i;
      if (end > start && text[end - 1] == u'\r') --end;
      if (i < text.size() || end > start) doc.lines_.emplace_back(text.substr(start, end - start));
      start = i + 1;
    }
  }
  return doc;
}

std::string IniDocument::Serialize() const {
  u16 text;
  size_t total = 0;
  for (const auto& l : lines_) total += l.size() + 2;
  text.reserve(total);
  for (const auto& l : lines_) {
    text += l;
    text += u"\r\n";
  }
  switch (encoding_) {
    case Encoding::Utf16Le:
      return "\xFF\xFE" + EncodeUtf16Le(text);
    case Encoding::Utf16Be:
      return "\xFE\xFF" + EncodeUtf16Be(text);
    case Encoding::Utf8Bom:
      return "\xEF\xBB\xBF" + ToUtf8(text);
    case Encoding::Gbk:
      return ToGb18030(text);
    case Encoding::Utf8:
      break;
  }
  return ToUtf8(text);
}

std::optional<u16> IniDocument::SectionOf(u16view line) {
  size_t i = 0;
  while (i < line.size() && IsSpace(line[i])) ++i;
  if (i >= line.size() || line[i] != u'[') return std::nullopt;
  size_t close = line.find(u']', i + 1);
  u16view name = close == u16view::npos ? line.substr(i + 1) : line.substr(i + 1, close - i - 1);
  return Trim(name);
}

std::optional<IniDocument::KeyLine> IniDocument::KeyOf(u16view line) {
  size_t eq = line.find(u'=');
  if (eq == u16view::npos) return std::nullopt;
  KeyLine kl;
  kl.key = Trim(line.substr(0, eq));
  if (kl.key.empty() || kl.key[0] == u';') return std::nullopt;
  kl.value = Trim(line.substr(eq + 1));
  if (kl.value.size() >= 2 && (kl.value.front() == u'"' || kl.value.front() == u'\'') &&
      kl.value.back() == kl.value.front())
    kl.value = kl.value.substr(1, kl.value.size() - 2);
  return kl;
}

size_t IniDocument::FindSection(u16view section) const {
  u16 want = Trim(section);
  for (size_t i = 0; i < lines_.size(); ++i) {
    auto s = SectionOf(lines_[i]);
    if (s && EqualsNoCase(*s, want)) return i;
  }
  return u16::npos;
}

bool IniDocument::HasSection(u16view section) const { return FindSection(section) != u16::npos; }

bool IniDocument::RemoveSection(u16view section) {
  size_t h = FindSection(section);
  if (h == u16::npos) return false;
  size_t end = h + 1;
  while (end < lines_.size() && !SectionOf(lines_[end])) ++end;
  lines_.erase(lines_.begin() + h, lines_.begin() + end);
  return true;
}

std::optional<u16> IniDocument::Get(u16view section, u16view key) const {
  size_t h = FindSection(section);
  if (h == u16::npos) return std::nullopt;
  u16 want = Trim(key);
  for (size_t i = h + 1; i < lines_.size(); ++i) {
    if (SectionOf(lines_[i])) break;
    auto kl = KeyOf(lines_[i]);
    if (kl && EqualsNoCase(kl->key, want)) return kl->value;
  }
  return std::nullopt;
}

std::vector<u16> IniDocument::Keys(u16view section) const {
  std::vector<u16> keys;
  size_t h = FindSection(section);
  if (h == u16::npos) return keys;
  for (size_t i = h + 1; i < lines_.size(); ++i) {
    if (SectionOf(lines_[i])) break;
    if (auto kl = KeyOf(lines_[i])) keys.push_back(kl->key);
  }
  return keys;
}

std::vector<std::pair<u16, u16>> IniDocument::Entries(u16view section) const {
  std::vector<std::pair<u16, u16>> out;
  size_t h = FindSection(section);
  if (h == u16::npos) return out;
  for (size_t i = h + 1; i < lines_.size(); ++i) {
    if (SectionOf(lines_[i])) break;
    if (auto kl = KeyOf(lines_[i])) out.emplace_back(std::move(kl->key), std::move(kl->value));
  }
  return out;
}

void IniDocument::Set(u16view section, u16view key, u16view value) {
  u16 k = Trim(key);
  // A line break inside a value would split it into lines of its own (and could plant
  // other keys), so line breaks are written as spaces.
  u16 v(value);
  for (auto& c : v)
    if (c == u'\r' || c == u'\n') c = u' ';
  u16 line = k + u"=" + v;
  size_t h = FindSection(section);
  if (h == u16::npos) {
    lines_.push_back(u"[" + Trim(section) + u"]");
    lines_.push_back(line);
    return;
  }
  size_t lastKey = h;
  for (size_t i = h + 1; i < lines_.size(); ++i) {
    if (SectionOf(lines_[i])) break;
    auto kl = KeyOf(lines_[i]);
    if (kl && EqualsNoCase(kl->key, k)) {
      lines_[i] = line;
      return;
    }
    if (!Trim(lines_[i]).empty()) lastKey = i;
  }
  lines_.insert(lines_.begin() + lastKey + 1, line);
}

bool IniDocument::Remove(u16view section, u16view key) {
  size_t h = FindSection(section);
  if (h == u16::npos) return false;
  u16 want = Trim(key);
  for (size_t i = h + 1; i < lines_.size(); ++i) {
    if (SectionOf(lines_[i])) break;
    auto kl = KeyOf(lines_[i]);
    if (kl && EqualsNoCase(kl->key, want)) {
      lines_.erase(lines_.begin() + i);
      return true;
    }
  }
  return false;
}

std::optional<IniDocument> IniDocument::Load(const std::string& path) {
  std::string bytes;
  switch (ReadFileBytes(path, &bytes)) {
    case ReadStatus::Ok:
      return Parse(bytes);
    case ReadStatus::Missing:
      return IniDocument();
    case ReadStatus::Failed:
      break;
  }
  NoteUnreadableFile(path);
  return std::nullopt;
}

}  // namespace zel
