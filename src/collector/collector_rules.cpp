#include "collector/collector_rules.h"

#include <sys/stat.h>

#include "base/files.h"
#include "view/url_rules.h"

namespace zel {

u16 RecordStamp(const StampTime& t) {
  auto two = [](int v) {
    u16 s = IntToText(v);
    return s.size() < 2 ? u"0" + s : s;
  };
  return u"[" + two(t.month) + u"/" + two(t.day) + u"-" + two(t.hour) + u":" + two(t.minute) +
         u":" + two(t.second) + u"] ";
}

u16 LayOutRecord(u16view text, int kind, u16view stamp) {
  u16 record(text);
  if (!EndsWith(record, u"\r\n")) record += u"\r\n";
  if (stamp.empty()) return record;
  if (StoreOfKind(kind) == CollectorStore::Text) return u16(stamp) + u"\r\n" + record;
  return u16(stamp) + record;
}

u16 FullStoreMessage(int kind) {
  if (kind == 0) return u"文本收集器已达到最大字符数限制, 请清除!";
  if (kind == 1) return u"输出收集器已达到最大字符数限制, 请清除!";
  return u"脚本收集器已达到最大字符数限制, 请清除!";
}

u16 DroppedTextRecord(u16view source, u16view text) {
  if (source.empty()) return u16(text);
  return u16(source) + u" => " + u16(text);
}

u16 AddressOnLine(u16view line, size_t caretColumn) {
  u16 l(line.substr(0, 1030));
  if (size_t cr = l.find(u'\r'); cr != u16::npos) l.erase(cr);
  size_t arrow = l.find(u" => ");
  if (arrow != u16::npos) {
    size_t start = arrow + 4;
    size_t back = l.find(u" <= ", start);
    if (back == u16::npos)
      l = l.substr(start);
    else if (caretColumn > back)
      l = l.substr(back + 4);
    else
      l = l.substr(start, back - start);
  }
  return Trim(l);
}

bool OpensFromCollector(u16view text) { return text.size() > 1 && IsAddress(text); }

std::string DroppedImageName(u16view address) {
  u16 a(address);
  if (size_t q = a.find_first_of(u"?#"); q != u16::npos) a.erase(q);
  if (size_t slash = a.find_last_of(u"/\\"); slash != u16::npos) a = a.substr(slash + 1);
  size_t open = a.rfind(u'['), close = a.rfind(u']');
  if (open != u16::npos && close != u16::npos && open < close) a.erase(open, close - open + 1);
  std::string name = ToUtf8(a);
  // Whatever the address holds, the name stays one file name.
  for (char& c : name)
    if (c == '/' || (unsigned char)c < 0x20) c = '_';
  if (name.empty() || name == "." || name == "..") name = "image";
  return name;
}

std::string FreeNumberedName(const std::string& name,
                             const std::function<bool(const std::string&)>& taken) {
  size_t dot = name.rfind('.');
  std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
  std::string ext = dot == std::string::npos ? "" : name.substr(dot);
  for (int k = 1;; ++k) {
    std::string candidate = stem + "[" + std::to_string(k) + "]" + ext;
    if (!taken(candidate)) return candidate;
  }
}

ImageSaveResult SaveDroppedImage(const std::string& folder, const std::string& name,
                                 const std::string& bytes) {
  ImageSaveResult r;
  if (!CreateFolderLevels(folder)) return r;
  std::string path = JoinPath(folder, name);
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISREG(st.st_mode) && size_t(st.st_size) == bytes.size()) {
      r.kind = ImageSaveResult::Exists;
      r.path = path;
      return r;
    }
    path = JoinPath(folder, FreeNumberedName(name, [&](const std::string& n) {
                      struct stat other {};
                      return ::stat(JoinPath(folder, n).c_str(), &other) == 0;
                    }));
  }
  if (!WriteFileAtomic(path, bytes)) return r;
  r.kind = ImageSaveResult::Saved;
  r.path = path;
  return r;
}

}  // namespace zel
