#include "base/ini_document.h"

#include <sys/stat.h>

#include <algorithm>
#include <unordered_map>

#include "base/files.h"

namespace zel {

struct IniDocument::Index {
  // Lower-cased section name → header line of its first section.
  std::unordered_map<u16, size_t> sections;
  // Header line → lower-cased key → line of the key's first entry, for the sections
  // looked into so far.
  std::unordered_map<size_t, std::unordered_map<u16, size_t>> keys;
};

namespace {

constexpr size_t kMaxFileBytes = size_t(1) << 30;

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
  // CR and LF side by side are an 8-bit line break (in UTF-16 they would be a Malayalam or
  // Gurmukhi letter). Without this, an 8-bit file with a few NULs we wrote back, line
  // breaks added, could read as UTF-16 the next time.
  if (b.substr(0, 8192).find("\r\n") != std::string_view::npos) return std::nullopt;
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

// Where the lines of a text are: each without its LF and one CR before it. A last
// piece that is empty (the text ends with a line break) is no line.
template <typename View>
std::vector<std::pair<size_t, size_t>> LineSpans(View text) {
  std::vector<std::pair<size_t, size_t>> spans;
  spans.reserve(size_t(std::count(text.begin(), text.end(), typename View::value_type('\n'))) + 1);
  size_t start = 0;
  const size_t n = text.size();
  while (start <= n) {
    size_t nl = text.find(typename View::value_type('\n'), start);
    size_t stop = nl == View::npos ? n : nl;
    size_t end = stop;
    if (end > start && text[end - 1] == typename View::value_type('\r')) --end;
    if (nl != View::npos || end > start) spans.emplace_back(start, end - start);
    if (nl == View::npos) break;
    start = nl + 1;
  }
  return spans;
}

}  // namespace

IniDocument IniDocument::Parse(std::string_view b) { return ParseOwned(std::string(b)); }

IniDocument IniDocument::ParseOwned(std::string&& owned) {
  IniDocument doc;
  auto file = std::make_shared<const std::string>(std::move(owned));
  std::string_view b = *file;
  size_t bomLen = 0;
  const auto* u = reinterpret_cast<const unsigned char*>(b.data());
  // Lines as pieces of the decoded text; with bytes, also as pieces of the bytes (their
  // line breaks are the text's: no UTF-8 or GBK sequence holds a line feed, and an
  // undecodable byte turns into one character, never swallowing a line feed).
  auto take = [&doc, &file, &bomLen](u16 text, std::string_view bytes, bool withBytes) {
    auto textSpans = LineSpans(u16view(text));
    std::vector<std::pair<size_t, size_t>> byteSpans;
    if (withBytes) {
      byteSpans = LineSpans(bytes);
      if (byteSpans.size() != textSpans.size()) withBytes = false;
    }
    doc.text_ = std::make_shared<const u16>(std::move(text));
    if (withBytes) doc.bytes_ = file;
    doc.lines_.resize(textSpans.size());
    for (size_t i = 0; i < textSpans.size(); ++i) {
      Line& l = doc.lines_[i];
      l.textAt = uint32_t(textSpans[i].first);
      l.textLen = uint32_t(textSpans[i].second);
      if (withBytes) {
        l.byteAt = uint32_t(bomLen + byteSpans[i].first);
        l.byteLen = uint32_t(byteSpans[i].second);
        l.hasBytes = true;
      }
    }
  };
  if (b.size() >= 2 && u[0] == 0xFF && u[1] == 0xFE) {
    doc.encoding_ = Encoding::Utf16Le;
    take(DecodeUtf16Le(b), {}, false);
    return doc;
  }
  if (b.size() >= 2 && u[0] == 0xFE && u[1] == 0xFF) {
    doc.encoding_ = Encoding::Utf16Be;
    take(DecodeUtf16Be(b, 2), {}, false);
    return doc;
  }
  if (b.size() >= 3 && u[0] == 0xEF && u[1] == 0xBB && u[2] == 0xBF) {
    doc.encoding_ = Encoding::Utf8Bom;
    b.remove_prefix(3);
    bomLen = 3;
  } else if (auto wide = MarklessUtf16(b)) {
    doc.encoding_ = *wide;
    take(*wide == Encoding::Utf16Le ? DecodeUtf16Le(b) : DecodeUtf16Be(b, 0), {}, false);
    return doc;
  }
  if (IsValidUtf8(b)) {
    take(FromUtf8(b), b, true);
    return doc;
  }
  Gb18030Decoder gb;
  bool gbClean = false;
  u16 whole = gb.Decode(b, &gbClean);
  if (doc.encoding_ == Encoding::Utf8) {
    bool useGbk = gbClean;
    if (!gbClean) {
      // Neither decodes whole: the encoding is the one fewer lines fail in (UTF-8 on a
      // tie). A line that fails is kept as its bytes all the same.
      size_t utf8Fail = 0, gbFail = 0;
      for (auto [at, len] : LineSpans(b)) {
        std::string_view piece = b.substr(at, len);
        bool clean = false;
        gb.Decode(piece, &clean);
        utf8Fail += !IsValidUtf8(piece);
        gbFail += !clean;
      }
      useGbk = gbFail < utf8Fail;
    }
    if (useGbk) {
      doc.encoding_ = Encoding::Gbk;
      take(std::move(whole), b, true);
      return doc;
    }
  }
  take(FromUtf8(b), b, true);
  return doc;
}

IniDocument::Line IniDocument::Owned(u16 text) {
  Line l;
  l.own = int32_t(own_.size());
  own_.push_back(std::move(text));
  return l;
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
  out.reserve(out.size() + bytes_->size() + lines_.size() * 2);
  // An unchanged line of an 8-bit file goes out as it came in; runs of the others are
  // encoded together.
  for (const auto& l : lines_) {
    if (l.hasBytes) {
      if (!pending.empty()) out += encode(pending);
      pending.clear();
      out.append(*bytes_, l.byteAt, l.byteLen);
      out += "\r\n";
      continue;
    }
    pending += Text(l);
    pending += u"\r\n";
  }
  if (!pending.empty()) out += encode(pending);
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

u16view IniDocument::KeyNameOf(u16view line) {
  size_t eq = line.find(u'=');
  if (eq == u16view::npos) return {};
  u16view k = line.substr(0, eq);
  while (!k.empty() && IsSpace(k.front())) k.remove_prefix(1);
  while (!k.empty() && IsSpace(k.back())) k.remove_suffix(1);
  if (!k.empty() && k[0] == u';') return {};
  return k;
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

namespace {
// A header starts with "[" after white space; only such lines need a closer look.
bool MayBeHeader(u16view line) {
  for (char16_t c : line) {
    if (c == u'[') return true;
    if (!IsSpace(c)) return false;
  }
  return false;
}
}  // namespace

IniDocument::Index& IniDocument::index() const {
  if (index_) return *index_;
  auto idx = std::make_shared<Index>();
  for (size_t i = 0; i < lines_.size(); ++i) {
    u16view text = Text(i);
    if (!MayBeHeader(text)) continue;
    if (auto s = SectionOf(text)) idx->sections.try_emplace(ToLower(*s), i);
  }
  index_ = idx;
  return *index_;
}

size_t IniDocument::SectionEnd(size_t h) const {
  size_t end = h + 1;
  while (end < lines_.size()) {
    u16view text = Text(end);
    if (MayBeHeader(text) && SectionOf(text)) break;
    ++end;
  }
  return end;
}

size_t IniDocument::FindSection(u16view section) const {
  const auto& sections = index().sections;
  auto it = sections.find(ToLower(Trim(section)));
  return it == sections.end() ? u16::npos : it->second;
}

size_t IniDocument::FindKey(u16view section, u16view key) const {
  size_t h = FindSection(section);
  if (h == u16::npos) return u16::npos;
  Index& idx = index();
  auto built = idx.keys.find(h);
  if (built == idx.keys.end()) {
    std::unordered_map<u16, size_t> keys;
    for (size_t i = h + 1, end = SectionEnd(h); i < end; ++i) {
      u16view k = KeyNameOf(Text(i));
      if (!k.empty()) keys.try_emplace(ToLower(k), i);
    }
    built = idx.keys.emplace(h, std::move(keys)).first;
  }
  auto it = built->second.find(ToLower(Trim(key)));
  return it == built->second.end() ? u16::npos : it->second;
}

bool IniDocument::HasSection(u16view section) const { return FindSection(section) != u16::npos; }

bool IniDocument::RemoveSection(u16view section) {
  size_t h = FindSection(section);
  if (h == u16::npos) return false;
  lines_.erase(lines_.begin() + h, lines_.begin() + SectionEnd(h));
  index_.reset();
  return true;
}

std::optional<u16> IniDocument::Get(u16view section, u16view key) const {
  size_t line = FindKey(section, key);
  if (line == u16::npos) return std::nullopt;
  return KeyOf(Text(line))->value;
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
  for (size_t i = h + 1, end = SectionEnd(h); i < end; ++i)
    if (auto kl = KeyOf(Text(i))) out.emplace_back(std::move(kl->key), std::move(kl->value));
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
  size_t found = FindKey(section, k);
  if (found != u16::npos) {
    // Same key, same place: the index stays right.
    lines_[found] = Owned(std::move(line));
    return;
  }
  size_t h = FindSection(section);
  index_.reset();
  if (h == u16::npos) {
    lines_.push_back(Owned(u"[" + Trim(section) + u"]"));
    lines_.push_back(Owned(std::move(line)));
    return;
  }
  size_t lastKey = h;
  for (size_t i = h + 1, end = SectionEnd(h); i < end; ++i)
    if (!Trim(Text(i)).empty()) lastKey = i;
  lines_.insert(lines_.begin() + lastKey + 1, Owned(std::move(line)));
}

bool IniDocument::Remove(u16view section, u16view key) {
  size_t line = FindKey(section, key);
  if (line == u16::npos) return false;
  lines_.erase(lines_.begin() + line);
  index_.reset();
  return true;
}

bool IniDocument::Apply(const std::vector<Change>& changes) {
  bool changed = false;
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
      for (size_t i = lastKey + 1, end = SectionEnd(lastKey); i < end; ++i)
        if (!Trim(Text(i)).empty()) lastKey = i;
      after[lastKey] = w;
    }
    std::vector<Line> merged;
    merged.reserve(lines_.size() + changes.size() * 2);
    for (size_t i = 0; i < lines_.size(); ++i) {
      merged.push_back(lines_[i]);
      auto it = after.find(i);
      if (it != after.end())
        for (auto& l : waiting[it->second].lines) merged.push_back(Owned(std::move(l)));
    }
    for (auto& w : waiting) {
      if (w.header != u16::npos) continue;
      merged.push_back(Owned(std::move(w.headerText)));
      for (auto& l : w.lines) merged.push_back(Owned(std::move(l)));
    }
    lines_ = std::move(merged);
    index_.reset();
    changed = true;
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
      if (c.value) {
        Set(section, k, *c.value);
        changed = true;
      } else {
        changed |= Remove(section, k);
      }
      continue;
    }
    u16 ik = IndexKey(section, k);
    if (auto w = waitingKey.find(ik); w != waitingKey.end()) {
      waiting[w->second.first].lines[w->second.second] = KeyLineText(k, *c.value);
      continue;
    }
    if (size_t found = FindKey(section, k); found != u16::npos) {
      u16 line = KeyLineText(k, *c.value);
      if (Text(found) != line) {
        lines_[found] = Owned(std::move(line));
        changed = true;
      }
      continue;
    }
    u16 lowerSection = ToLower(section);
    auto ws = waitingSection.find(lowerSection);
    size_t w;
    if (ws != waitingSection.end()) {
      w = ws->second;
    } else {
      Waiting fresh;
      fresh.header = FindSection(section);
      if (fresh.header == u16::npos) fresh.headerText = u"[" + section + u"]";
      waiting.push_back(std::move(fresh));
      w = waiting.size() - 1;
      waitingSection.emplace(std::move(lowerSection), w);
    }
    waiting[w].lines.push_back(KeyLineText(k, *c.value));
    waitingKey.emplace(std::move(ik), std::make_pair(w, waiting[w].lines.size() - 1));
  }
  land();
  return changed;
}

namespace {

// The last large document loaded or saved, with what identified its file then.
struct FileStamp {
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = -1;
  struct timespec mtime {}, ctime {};
  bool operator==(const FileStamp& o) const {
    return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
           mtime.tv_nsec == o.mtime.tv_nsec && ctime.tv_sec == o.ctime.tv_sec &&
           ctime.tv_nsec == o.ctime.tv_nsec;
  }
};
constexpr off_t kRememberFrom = 256 * 1024;
struct Remembered {
  std::string path;
  FileStamp stamp;
  std::optional<IniDocument> doc;
};
Remembered& remembered() {
  static Remembered r;
  return r;
}

std::optional<FileStamp> StampOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return FileStamp{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

void Remember(const std::string& path, const IniDocument& doc) {
  auto stamp = StampOf(path);
  Remembered& r = remembered();
  if (!stamp || stamp->size < kRememberFrom) {
    if (r.path == path) r = Remembered();
    return;
  }
  r.path = path;
  r.stamp = *stamp;
  r.doc = doc;
}

}  // namespace

std::optional<IniDocument> IniDocument::Load(const std::string& path) {
  Remembered& r = remembered();
  if (r.doc && r.path == path) {
    auto stamp = StampOf(path);
    if (stamp && *stamp == r.stamp) return r.doc;
  }
  std::string bytes;
  switch (ReadFileBytes(path, &bytes)) {
    case ReadStatus::Ok: {
      // No profile file is that large; one that is cannot be held and is left alone.
      if (bytes.size() >= kMaxFileBytes) break;
      bool large = bytes.size() >= size_t(kRememberFrom);
      IniDocument doc = ParseOwned(std::move(bytes));
      if (large) Remember(path, doc);
      return doc;
    }
    case ReadStatus::Missing:
      return IniDocument();
    case ReadStatus::Failed:
      break;
  }
  NoteUnreadableFile(path);
  return std::nullopt;
}

bool IniDocument::Save(const std::string& path) const {
  if (!WriteFileAtomic(path, Serialize())) return false;
  Remember(path, *this);
  return true;
}

}  // namespace zel
