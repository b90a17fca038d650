#include "base/ini_document.h"

#include <unordered_map>
#include <unordered_set>

#include "base/files.h"

namespace zel {

struct IniDocument::Index {
  // Lower-cased section name → header line of its first section.
  std::unordered_map<u16, size_t> sections;
  // IndexKey(section, key) → line of the key's first entry in that section.
  std::unordered_map<u16, size_t> keys;
};

namespace {

u16 DecodeUtf16Be(std::string_view b, size_t from) {
  u16 out;
  out.reserve(b.size() / 2);
  for (size_t i = from; i + 1 < b.size(); i += 2)
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

// UTF-16 without a mark: profile text is mostly ASCII, so one byte of nearly every pair
// is NUL, and always the same one. 8-bit text has no NULs at all.
std::optional<IniDocument::Encoding> MarklessUtf16(std::string_view b) {
  if (b.size() < 4) return std::nullopt;
  size_t n = std::min<size_t>(b.size(), 8192) & ~size_t(1);
  size_t evenZeros = 0, oddZeros = 0;
  for (size_t i = 0; i < n; i += 2) {
    evenZeros += b[i] == 0;
    oddZeros += b[i + 1] == 0;
  }
  size_t pairs = n / 2;
  if (oddZeros * 3 >= pairs && evenZeros * 8 <= oddZeros) return IniDocument::Encoding::Utf16Le;
  if (evenZeros * 3 >= pairs && oddZeros * 8 <= evenZeros) return IniDocument::Encoding::Utf16Be;
  return std::nullopt;
}

// The text of a section header or key line without its line ending.
std::string_view CutCr(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace

IniDocument IniDocument::Parse(std::string_view b) {
  IniDocument doc;
  const auto* u = reinterpret_cast<const unsigned char*>(b.data());
  auto addLines = [&doc](u16view text) {
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
      if (i == text.size() || text[i] == u'\n') {
        size_t end = i;
        if (end > start && text[end - 1] == u'\r') --end;
        if (i < text.size() || end > start)
          doc.lines_.push_back(Line{u16(text.substr(start, end - start)), std::nullopt});
        start = i + 1;
      }
    }
  };
  if (b.size() >= 2 && u[0] == 0xFF && u[1] == 0xFE) {
    doc.encoding_ = Encoding::Utf16Le;
    addLines(DecodeUtf16Le(b));
    return doc;
  }
  if (b.size() >= 2 && u[0] == 0xFE && u[1] == 0xFF) {
    doc.encoding_ = Encoding::Utf16Be;
    addLines(DecodeUtf16Be(b, 2));
    return doc;
  }
  if (b.size() >= 3 && u[0] == 0xEF && u[1] == 0xBB && u[2] == 0xBF) {
    doc.encoding_ = Encoding::Utf8Bom;
    b.remove_prefix(3);
  } else if (auto wide = MarklessUtf16(b)) {
    doc.encoding_ = *wide;
    addLines(*wide == Encoding::Utf16Le ? DecodeUtf16Le(b) : DecodeUtf16Be(b, 0));
    return doc;
  }
  if (IsValidUtf8(b)) {
    addLines(FromUtf8(b));
    return doc;
  }
  Gb18030Decoder gb;
  bool gbClean = false;
  u16 whole = gb.Decode(b, &gbClean);
  if (gbClean && doc.encoding_ == Encoding::Utf8) {
    doc.encoding_ = Encoding::Gbk;
    addLines(whole);
    return doc;
  }
  // Neither decodes whole: the encoding is the one fewer lines fail in (UTF-8 on a tie),
  // and a line that fails in it keeps its bytes. A line feed is never part of a UTF-8 or
  // GBK sequence, so lines can be cut before decoding.
  std::vector<std::string_view> pieces;
  size_t start = 0;
  for (size_t i = 0; i <= b.size(); ++i) {
    if (i == b.size() || b[i] == '\n') {
      if (i < b.size() || i > start) pieces.push_back(CutCr(b.substr(start, i - start)));
      start = i + 1;
    }
  }
  size_t utf8Fail = 0, gbFail = 0;
  std::vector<char> utf8Ok(pieces.size()), gbOk(pieces.size());
  for (size_t i = 0; i < pieces.size(); ++i) {
    utf8Ok[i] = IsValidUtf8(pieces[i]);
    bool clean = false;
    gb.Decode(pieces[i], &clean);
    gbOk[i] = clean;
    utf8Fail += !utf8Ok[i];
    gbFail += !clean;
  }
  bool useGbk = doc.encoding_ == Encoding::Utf8 && gbFail < utf8Fail;
  if (useGbk) doc.encoding_ = Encoding::Gbk;
  doc.lines_.reserve(pieces.size());
  for (size_t i = 0; i < pieces.size(); ++i) {
    Line line;
    line.text = useGbk ? gb.Decode(pieces[i]) : FromUtf8(pieces[i]);
    if (!(useGbk ? gbOk[i] : utf8Ok[i])) line.raw = std::string(pieces[i]);
    doc.lines_.push_back(std::move(line));
  }
  return doc;
}

std::string IniDocument::Serialize() const {
  std::string out;
  u16 pending;
  auto encode = [this](u16view text) -> std::string {
    switch (encoding_) {
      case Encoding::Utf16Le:
        return EncodeUtf16Le(text);
      case Encoding::Utf16Be:
        return EncodeUtf16Be(text);
      case Encoding::Gbk:
        return ToGb18030(text);
      case Encoding::Utf8:
      case Encoding::Utf8Bom:
        break;
    }
    return ToUtf8(text);
  };
  switch (encoding_) {
    case Encoding::Utf16Le:
      out = "\xFF\xFE";
      break;
    case Encoding::Utf16Be:
      out = "\xFE\xFF";
      break;
    case Encoding::Utf8Bom:
      out = "\xEF\xBB\xBF";
      break;
    default:
      break;
  }
  // Runs of decoded lines are encoded together; a kept line goes out as it came in.
  for (const auto& l : lines_) {
    if (l.raw) {
      out += encode(pending);
      pending.clear();
      out += *l.raw;
      out += "\r\n";
      continue;
    }
    pending += l.text;
    pending += u"\r\n";
  }
  out += encode(pending);
  return out;
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

u16 IniDocument::IndexKey(u16view section, u16view key) {
  // Length first, so no section and key pair can spell another one.
  u16 k;
  k.reserve(section.size() + key.size() + 2);
  k += char16_t(section.size() >> 16);
  k += char16_t(section.size() & 0xFFFF);
  k += ToLower(section);
  k += ToLower(key);
  return k;
}

const IniDocument::Index& IniDocument::index() const {
  if (index_) return *index_;
  auto idx = std::make_shared<Index>();
  u16 current;
  bool counting = false;  // inside the first section of its name
  for (size_t i = 0; i < lines_.size(); ++i) {
    const u16& text = lines_[i].text;
    if (auto s = SectionOf(text)) {
      current = ToLower(*s);
      counting = idx->sections.try_emplace(current, i).second;
      continue;
    }
    if (!counting) continue;
    if (auto kl = KeyOf(text)) idx->keys.try_emplace(IndexKey(current, kl->key), i);
  }
  index_ = idx;
  return *index_;
}

size_t IniDocument::FindSection(u16view section) const {
  const auto& sections = index().sections;
  auto it = sections.find(ToLower(Trim(section)));
  return it == sections.end() ? u16::npos : it->second;
}

bool IniDocument::HasSection(u16view section) const { return FindSection(section) != u16::npos; }

bool IniDocument::RemoveSection(u16view section) {
  size_t h = FindSection(section);
  if (h == u16::npos) return false;
  size_t end = h + 1;
  while (end < lines_.size() && !SectionOf(lines_[end].text)) ++end;
  lines_.erase(lines_.begin() + h, lines_.begin() + end);
  index_.reset();
  return true;
}

std::optional<u16> IniDocument::Get(u16view section, u16view key) const {
  const auto& keys = index().keys;
  auto it = keys.find(IndexKey(Trim(section), Trim(key)));
  if (it == keys.end()) return std::nullopt;
  return KeyOf(lines_[it->second].text)->value;
}

std::vector<u16> IniDocument::Keys(u16view section) const {
  std::vector<u16> keys;
  for (auto& e : Entries(section)) keys.push_back(std::move(e.first));
  return keys;
}

std::vector<std::pair<u16, u16>> IniDocument::Entries(u16view section) const {
  std::vector<std::pair<u16, u16>> out;
  size_t h = FindSection(section);
  if (h == u16::npos) return out;
  for (size_t i = h + 1; i < lines_.size(); ++i) {
    if (SectionOf(lines_[i].text)) break;
    if (auto kl = KeyOf(lines_[i].text))
      out.emplace_back(std::move(kl->key), std::move(kl->value));
  }
  return out;
}

namespace {
// A line break inside a value would split it into lines of its own (and could plant
// other keys), so line breaks are written as spaces.
u16 KeyLineText(u16view key, u16view value) {
  u16 v(value);
  for (auto& c : v)
    if (c == u'\r' || c == u'\n') c = u' ';
  return u16(key) + u"=" + v;
}
}  // namespace

void IniDocument::Set(u16view section, u16view key, u16view value) {
  u16 k = Trim(key);
  u16 line = KeyLineText(k, value);
  const Index& idx = index();
  auto found = idx.keys.find(IndexKey(Trim(section), k));
  if (found != idx.keys.end()) {
    // Same key, same place: the index stays right.
    lines_[found->second] = Line{std::move(line), std::nullopt};
    return;
  }
  size_t h = FindSection(section);
  index_.reset();
  if (h == u16::npos) {
    lines_.push_back(Line{u"[" + Trim(section) + u"]", std::nullopt});
    lines_.push_back(Line{std::move(line), std::nullopt});
    return;
  }
  size_t lastKey = h;
  for (size_t i = h + 1; i < lines_.size(); ++i) {
    if (SectionOf(lines_[i].text)) break;
    if (!Trim(lines_[i].text).empty()) lastKey = i;
  }
  lines_.insert(lines_.begin() + lastKey + 1, Line{std::move(line), std::nullopt});
}

bool IniDocument::Remove(u16view section, u16view key) {
  const auto& keys = index().keys;
  auto it = keys.find(IndexKey(Trim(section), Trim(key)));
  if (it == keys.end()) return false;
  lines_.erase(lines_.begin() + it->second);
  index_.reset();
  return true;
}

void IniDocument::Apply(const std::vector<Change>& changes) {
  // New keys of one section wait in a list and go in together after the section's last
  // line, which is where one Set after another would have put them; new sections follow
  // the file's end in the order they were made. A removal, or a name that Set writes
  // into something it does not read back the same, lands the waiting lines first and
  // takes the one-by-one path.
  struct Waiting {
    size_t header = u16::npos;  // npos: a new section
    u16 headerText;
    std::vector<u16> lines;
  };
  std::vector<Waiting> waiting;
  std::unordered_map<u16, size_t> waitingSection;  // lower name → index in waiting
  std::unordered_map<u16, std::pair<size_t, size_t>> waitingKey;  // → (waiting, line)

  auto land = [&] {
    if (waiting.empty()) return;
    std::unordered_map<size_t, size_t> after;  // line index → waiting index
    for (size_t w = 0; w < waiting.size(); ++w) {
      if (waiting[w].header == u16::npos) continue;
      size_t lastKey = waiting[w].header;
      for (size_t i = lastKey + 1; i < lines_.size(); ++i) {
        if (SectionOf(lines_[i].text)) break;
        if (!Trim(lines_[i].text).empty()) lastKey = i;
      }
      after[lastKey] = w;
    }
    std::vector<Line> merged;
    merged.reserve(lines_.size() + changes.size() * 2);
    for (size_t i = 0; i < lines_.size(); ++i) {
      merged.push_back(std::move(lines_[i]));
      auto it = after.find(i);
      if (it != after.end())
        for (auto& l : waiting[it->second].lines) merged.push_back(Line{std::move(l), std::nullopt});
    }
    for (auto& w : waiting) {
      if (w.header != u16::npos) continue;
      merged.push_back(Line{std::move(w.headerText), std::nullopt});
      for (auto& l : w.lines) merged.push_back(Line{std::move(l), std::nullopt});
    }
    lines_ = std::move(merged);
    index_.reset();
    waiting.clear();
    waitingSection.clear();
    waitingKey.clear();
  };
  auto plainName = [](u16view s) {
    for (char16_t c : s)
      if (c == u'\r' || c == u'\n' || c == u']' || c == u'=') return false;
    return true;
  };

  for (const Change& c : changes) {
    u16 section = Trim(c.section);
    u16 k = Trim(c.key);
    bool plain = plainName(section) && plainName(k) && !k.empty() && k[0] != u';' &&
                 (section.empty() || section[0] != u'[');
    if (!c.value || !plain) {
      land();
      if (c.value)
        Set(section, k, *c.value);
      else
        Remove(section, k);
      continue;
    }
    u16 ik = IndexKey(section, k);
    if (auto w = waitingKey.find(ik); w != waitingKey.end()) {
      waiting[w->second.first].lines[w->second.second] = KeyLineText(k, *c.value);
      continue;
    }
    const Index& idx = index();
    if (auto found = idx.keys.find(ik); found != idx.keys.end()) {
      lines_[found->second] = Line{KeyLineText(k, *c.value), std::nullopt};
      continue;
    }
    u16 lowerSection = ToLower(section);
    auto ws = waitingSection.find(lowerSection);
    size_t w;
    if (ws != waitingSection.end()) {
      w = ws->second;
    } else {
      Waiting fresh;
      auto header = idx.sections.find(lowerSection);
      if (header != idx.sections.end())
        fresh.header = header->second;
      else
        fresh.headerText = u"[" + section + u"]";
      waiting.push_back(std::move(fresh));
      w = waiting.size() - 1;
      waitingSection.emplace(std::move(lowerSection), w);
    }
    waiting[w].lines.push_back(KeyLineText(k, *c.value));
    waitingKey.emplace(std::move(ik), std::make_pair(w, waiting[w].lines.size() - 1));
  }
  land();
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
