#include "formfill/form_data_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "base/files.h"
#include "formfill/form_rules.h"
#include "view/url_rules.h"

namespace zel {

bool WritePrivateFile(const std::string& path, const std::string& bytes) {
  std::string dir = DirName(path);
  if (!dir.empty()) CreateFolderLevels(dir);
  bool created = false;
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0) {
    created = true;
    ::close(fd);
  } else {
    ::chmod(path.c_str(), 0600);
  }
  // WriteFileAtomic gives the new file the mode of the one it replaces.
  bool ok = WriteFileAtomic(path, bytes);
  if (!ok && created) ::unlink(path.c_str());
  return ok;
}

namespace {
// UTF-8 whose last character was cut off: the file ends part-way through a sequence.
bool IsCutUtf8(std::string_view b) {
  size_t n = b.size();
  for (size_t back = 1; back <= 3 && back <= n; ++back) {
    unsigned char c = static_cast<unsigned char>(b[n - back]);
    if ((c & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    return len > back && IsValidUtf8(b.substr(0, n - back));
  }
  return false;
}
}  // namespace

IniDocument FormDataFile::ParseBytes(std::string_view bytes) {
  IniDocument doc = IniDocument::Parse(bytes);
  if (doc.encoding() == IniDocument::Encoding::Utf16Le && !bytes.empty()) return doc;
  u16 text;
  const auto* u = reinterpret_cast<const unsigned char*>(bytes.data());
  if (doc.encoding() == IniDocument::Encoding::Gbk && IsCutUtf8(bytes)) {
    // Cut short, not GBK: what came before the cut is kept as it was.
    text = FromUtf8(bytes);
  } else if (doc.encoding() == IniDocument::Encoding::Utf16Be) {
    size_t start = bytes.size() >= 2 && u[0] == 0xFE && u[1] == 0xFF ? 2 : 0;
    for (size_t i = start; i + 1 < bytes.size(); i += 2) text += char16_t((u[i] << 8) | u[i + 1]);
  } else if (doc.encoding() == IniDocument::Encoding::Gbk) {
    text = FromGbk(bytes);
  } else {
    std::string_view b = bytes;
    if (doc.encoding() == IniDocument::Encoding::Utf8Bom) b.remove_prefix(3);
    text = FromUtf8(b);
  }
  std::string wide = "\xFF\xFE";
  wide += EncodeUtf16Le(text);
  return IniDocument::ParseOwned(std::move(wide));
}

bool FormDataFile::Load() {
  std::string bytes;
  switch (ReadFileBytes(path_, &bytes)) {
    case ReadStatus::Ok:
      doc_ = ParseBytes(bytes);
      return true;
    case ReadStatus::Missing:
      doc_ = ParseBytes({});
      return true;
    case ReadStatus::Failed:
      break;
  }
  NoteUnreadableFile(path_);
  return false;
}

u16 FormDataFile::Text() const { return DecodeUtf16Le(doc_.Serialize()); }

bool FormDataFile::Save() const { return WritePrivateFile(path_, doc_.Serialize()); }

std::optional<u16> FormDataFile::SectionFor(u16view url) const {
  if (url.empty()) return std::nullopt;
  if (!doc_.Entries(url).empty()) return u16(url);
  u16 root = SiteRoot(url);
  if (!root.empty()) {
    for (const ListedSection& s : ListSections(Text())) {
      if (EqualsNoCase(s.name, kGeneralSection)) continue;
      if (EqualsNoCase(SiteRoot(s.name), root) && !doc_.Entries(s.name).empty()) return s.name;
    }
  }
  if (!doc_.Entries(kGeneralSection).empty()) return u16(kGeneralSection);
  return std::nullopt;
}

std::optional<u16> FormDataFile::StoredValue(u16view section, u16view name) const {
  std::optional<u16> v = doc_.Get(section, name);
  if (v && v->size() > kMaxStoredValue) v->resize(kMaxStoredValue);
  return v;
}

std::vector<ListedSection> ListSections(u16view text) {
  std::vector<ListedSection> out;
  size_t at = 0;
  while (at < text.size()) {
    if (text[at] == u'[') {
      size_t close = text.find(u']', at + 1);
      if (close == u16view::npos) break;
      size_t body = std::min(text.size(), close + 3);
      out.push_back({u16(text.substr(at + 1, close - at - 1)), body});
      at = body;
      continue;
    }
    size_t eol = text.find(u"\r\n", at);
    if (eol == u16view::npos) break;
    at = eol + 2;
  }
  return out;
}

std::vector<ListedItem> ListItems(u16view text, const ListedSection& section) {
  std::vector<ListedItem> out;
  size_t at = std::min(section.body, text.size());
  while (at < text.size() && text[at] != u'[') {
    size_t eol = text.find(u"\r\n", at);
    if (eol == u16view::npos) break;
    u16view line = text.substr(at, eol - at);
    at = eol + 2;
    size_t eq = line.find(u'=');
    if (eq == u16view::npos) continue;
    u16view name = line.substr(0, eq);
    if (IsReservedKey(Trim(name))) continue;
    out.push_back({u16(name), u16(line.substr(eq + 1))});
  }
  return out;
}

}  // namespace zel
