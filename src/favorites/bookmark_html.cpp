#include "favorites/bookmark_html.h"

#include <sys/stat.h>

#include <atomic>
#include <sys/time.h>
#include <unistd.h>

#include "base/files.h"
#include "favorites/favorites_folder.h"
#include "favorites/menu_order.h"

namespace zel {

namespace {

constexpr int kMaxDepth = 64;

bool IsAsciiAlpha(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

struct Tag {
  u16 name;  // lower case, "/dl" for an end tag
  std::vector<std::pair<u16, u16>> attributes;  // names lower case, values decoded
  u16 Attribute(u16view n) const {
    for (const auto& [k, v] : attributes)
      if (k == n) return v;
    return u16();
  }
};

class Scanner {
 public:
  explicit Scanner(u16view t) : t_(t) {}
  bool AtEnd() const { return pos_ >= t_.size(); }
  // The next tag (text before it is passed over); false at the end.
  bool NextTag(Tag* tag) {
    while (pos_ < t_.size()) {
      size_t lt = t_.find(u'<', pos_);
      if (lt == u16view::npos) {
        pos_ = t_.size();
        return false;
      }
      pos_ = lt + 1;
      if (t_.compare(pos_, 3, u"!--") == 0) {
        size_t end = t_.find(u"-->", pos_ + 3);
        pos_ = end == u16view::npos ? t_.size() : end + 3;
        continue;
      }
      bool close = pos_ < t_.size() && t_[pos_] == u'/';
      if (close) ++pos_;
      size_t start = pos_;
      while (pos_ < t_.size() && (IsAsciiAlpha(t_[pos_]) || (pos_ > start && t_[pos_] >= u'0' &&
                                                              t_[pos_] <= u'9')))
        ++pos_;
      if (pos_ == start) continue;  // "<" of text, or "<!DOCTYPE"
      tag->name = (close ? u"/" : u"") + ToLower(t_.substr(start, pos_ - start));
      tag->attributes.clear();
      ReadAttributes(tag);
      return true;
    }
    return false;
  }
  // The text up to the end tag (inner tags dropped), decoded and with its white space
  // collapsed; the end tag is passed.
  u16 TextUntil(u16view endTag) {
    u16 raw;
    while (pos_ < t_.size()) {
      size_t lt = t_.find(u'<', pos_);
      if (lt == u16view::npos) lt = t_.size();
      raw.append(t_.substr(pos_, lt - pos_));
      pos_ = lt;
      if (pos_ >= t_.size()) break;
      size_t gt = t_.find(u'>', pos_);
      u16 inner = ToLower(t_.substr(pos_ + 1, (gt == u16view::npos ? t_.size() : gt) - pos_ - 1));
      pos_ = gt == u16view::npos ? t_.size() : gt + 1;
      if (inner == endTag) break;
      // A list or entry that starts before the end tag ends the text (a broken file).
      if (inner.starts_with(u"dt") || inner.starts_with(u"dl") || inner.starts_with(u"/dl")) {
        pos_ = lt;
        break;
      }
    }
    u16 text = DecodeHtmlEntities(raw);
    u16 out;
    bool space = false;
    for (char16_t c : text) {
      if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n') {
        space = true;
        continue;
      }
      if (space && !out.empty()) out += u' ';
      space = false;
      out += c;
    }
    return out;
  }

 private:
  void ReadAttributes(Tag* tag) {
    while (pos_ < t_.size()) {
      while (pos_ < t_.size() && IsSpace(t_[pos_])) ++pos_;
      if (pos_ >= t_.size()) return;
      if (t_[pos_] == u'>') {
        ++pos_;
        return;
      }
      size_t start = pos_;
      while (pos_ < t_.size() && t_[pos_] != u'=' && t_[pos_] != u'>' && !IsSpace(t_[pos_]))
        ++pos_;
      u16 name = ToLower(t_.substr(start, pos_ - start));
      if (pos_ == start) ++pos_;  // a stray "=" or "/"
      u16 value;
      while (pos_ < t_.size() && IsSpace(t_[pos_])) ++pos_;
      if (pos_ < t_.size() && t_[pos_] == u'=') {
        ++pos_;
        while (pos_ < t_.size() && IsSpace(t_[pos_])) ++pos_;
        if (pos_ < t_.size() && (t_[pos_] == u'"' || t_[pos_] == u'\'')) {
          char16_t q = t_[pos_++];
          size_t end = t_.find(q, pos_);
          if (end == u16view::npos) end = t_.size();
          value = DecodeHtmlEntities(t_.substr(pos_, end - pos_));
          pos_ = end < t_.size() ? end + 1 : end;
        } else {
          size_t vs = pos_;
          while (pos_ < t_.size() && !IsSpace(t_[pos_]) && t_[pos_] != u'>') ++pos_;
          value = DecodeHtmlEntities(t_.substr(vs, pos_ - vs));
        }
      }
      if (!name.empty()) tag->attributes.emplace_back(std::move(name), std::move(value));
    }
  }

  u16view t_;
  size_t pos_ = 0;
};

int64_t ToDate(u16view s) {
  int64_t v = 0;
  for (char16_t c : s) {
    if (c < u'0' || c > u'9') break;
    if (v > (int64_t(1) << 50)) return 0;
    v = v * 10 + (c - u'0');
  }
  return v;
}

std::string Escape(u16view s) { return HtmlEscaped(ToUtf8(s)); }

void WriteList(const std::vector<BookmarkNode>& nodes, int depth, std::string& out) {
  std::string indent(size_t(depth + 1) * 4, ' ');
  for (const BookmarkNode& n : nodes) {
    std::string date = n.addDate > 0 ? " ADD_DATE=\"" + std::to_string(n.addDate) + "\"" : "";
    if (n.folder) {
      out += indent + "<DT><H3" + date + ">" + Escape(n.title) + "</H3>\n";
      out += indent + "<DL><p>\n";
      WriteList(n.children, depth + 1, out);
      out += indent + "</DL><p>\n";
    } else {
      out += indent + "<DT><A HREF=\"" + Escape(n.url) + "\"" + date + ">" + Escape(n.title) +
             "</A>\n";
    }
  }
}

void ReadTree(const std::string& root, const u16& relative, RegistryPort* registry, int depth,
              std::vector<BookmarkNode>& out) {
  const std::string folder = relative.empty() ? root : JoinPath(root, ToUtf8(relative));
  for (const FavoriteItem& item : ListFavorites(root, relative, registry)) {
    BookmarkNode n;
    n.folder = item.folder;
    std::string path = JoinPath(folder, ToUtf8(item.name));
    struct stat st;
    if (lstat(path.c_str(), &st) == 0) n.addDate = int64_t(st.st_mtime);
    if (item.folder) {
      n.title = item.name;
      if (depth < kMaxDepth)
        ReadTree(root, relative.empty() ? item.name : relative + u"/" + item.name, registry,
                 depth + 1, n.children);
    } else {
      n.title = FavoriteDisplayName(item.name);
      n.url = FavoriteUrl(path);
    }
    out.push_back(std::move(n));
  }
}

// Where an import on a thread of its own keeps what the registry would get, and how it
// reports.
struct OffThread {
  BookmarkImport* result;
  const std::function<void(int)>* progress;
  const std::atomic<bool>* stop;
  std::vector<OrderedName> targetOrder;
  int total = 0;
};

int Import(const std::string& root, const std::string& folder,
           const std::vector<BookmarkNode>& nodes, RegistryPort* registry, int depth,
           OffThread* off = nullptr) {
  if (!DirExists(folder) && !CreateFolderLevels(folder)) return 0;
  const u16 relative = RelativeFavoritesPath(root, folder);
  std::vector<OrderedName> order;
  if (off && depth == 0)
    order = std::move(off->targetOrder);
  else if (!off)
    for (const FavoriteItem& item : ListFavorites(root, relative, registry))
      order.push_back({item.name, item.folder});
  int written = 0;
  for (const BookmarkNode& n : nodes) {
    if (off && off->stop && off->stop->load()) break;
    if (n.folder) {
      u16 title = Trim(FavoriteFileTitle(n.title));
      if (title.empty()) title = u"新建文件夹";
      while (!title.empty() && title[0] == u'.') title[0] = u'_';
      std::string name = FreeName(folder, ToUtf8(title), "");
      std::string sub = JoinPath(folder, name);
      if (mkdir(sub.c_str(), 0755) != 0) continue;
      order.push_back({FromUtf8(name), true});
      if (depth < kMaxDepth) written += Import(root, sub, n.children, registry, depth + 1, off);
    } else if (auto path = AddFavorite(folder, n.title, n.url, !off)) {
      if (n.addDate > 0) {
        struct timeval times[2] = {{time_t(n.addDate), 0}, {time_t(n.addDate), 0}};
        utimes(path->c_str(), times);
      }
      order.push_back({FromUtf8(BaseName(*path)), false});
      ++written;
      if (off && ++off->total % 250 == 0 && *off->progress) (*off->progress)(off->total);
    }
  }
  if (off)
    off->result->orders.emplace_back(relative, std::move(order));
  else if (registry)
    WriteMenuOrder(*registry, relative, order);
  return written;
}

}  // namespace

u16 DecodeHtmlEntities(u16view text) {
  static const std::pair<const char16_t*, char16_t> named[] = {
      {u"amp", u'&'}, {u"lt", u'<'}, {u"gt", u'>'}, {u"quot", u'"'}, {u"apos", u'\''},
      {u"nbsp", u' '}};
  u16 out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'&') {
      out += text[i];
      continue;
    }
    size_t semi = text.find(u';', i + 1);
    if (semi == u16view::npos || semi - i > 10) {
      out += text[i];
      continue;
    }
    u16view name = text.substr(i + 1, semi - i - 1);
    bool done = false;
    if (!name.empty() && name[0] == u'#') {
      uint32_t cp = 0;
      bool hex = name.size() > 1 && (name[1] == u'x' || name[1] == u'X');
      size_t k = hex ? 2 : 1;
      bool ok = k < name.size();
      for (; k < name.size() && ok; ++k) {
        char16_t c = name[k];
        int d = (c >= u'0' && c <= u'9') ? c - u'0'
                : (hex && c >= u'a' && c <= u'f') ? c - u'a' + 10
                : (hex && c >= u'A' && c <= u'F') ? c - u'A' + 10 : -1;
        if (d < 0) ok = false;
        else cp = cp * (hex ? 16 : 10) + uint32_t(d);
        if (cp > 0x10FFFF) ok = false;
      }
      if (ok && cp < 0x20 && cp != u'\t' && cp != u'\r' && cp != u'\n') {
        done = true;  // a control character stands for nothing in a title or an address
      } else if (ok && (cp < 0xD800 || cp > 0xDFFF)) {
        if (cp >= 0x10000) {
          cp -= 0x10000;
          out += char16_t(0xD800 + (cp >> 10));
          out += char16_t(0xDC00 + (cp & 0x3FF));
        } else {
          out += char16_t(cp);
        }
        done = true;
      }
    } else {
      for (const auto& [n, c] : named) {
        if (EqualsNoCase(name, n)) {
          out += c;
          done = true;
          break;
        }
      }
    }
    if (done) i = semi;
    else out += text[i];
  }
  return out;
}

std::vector<BookmarkNode> ParseBookmarkHtml(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  u16 text = IsValidUtf8(bytes) ? FromUtf8(bytes) : FromGbk(bytes);
  // Control characters are no part of a title or an address (a file name cannot hold them).
  std::erase_if(text, [](char16_t c) { return c < 0x20 && c != u'\t' && c != u'\r' && c != u'\n'; });
  std::vector<BookmarkNode> root;
  std::vector<std::vector<BookmarkNode>*> stack{&root};
  BookmarkNode* pending = nullptr;  // the folder a following <DL> opens
  int opened = 0;                   // <DL>s inside the first one
  bool inList = false;
  Scanner s(text);
  Tag tag;
  while (s.NextTag(&tag)) {
    if (tag.name == u"dl") {
      if (!inList) {
        inList = true;  // the outermost list is the file's root
        pending = nullptr;
        continue;
      }
      ++opened;
      std::vector<BookmarkNode>* next = stack.back();
      if (pending && int(stack.size()) < kMaxDepth) next = &pending->children;
      stack.push_back(next);
      pending = nullptr;
    } else if (tag.name == u"/dl") {
      pending = nullptr;
      if (opened > 0) {
        --opened;
        stack.pop_back();
      }
    } else if (tag.name == u"h3") {
      BookmarkNode n;
      n.folder = true;
      n.addDate = ToDate(tag.Attribute(u"add_date"));
      n.title = s.TextUntil(u"/h3");
      stack.back()->push_back(std::move(n));
      pending = &stack.back()->back();
    } else if (tag.name == u"a") {
      BookmarkNode n;
      n.url = tag.Attribute(u"href");
      n.addDate = ToDate(tag.Attribute(u"add_date"));
      n.title = s.TextUntil(u"/a");
      pending = nullptr;
      if (n.url.empty()) continue;
      stack.back()->push_back(std::move(n));
    }
  }
  return root;
}

std::string WriteBookmarkHtml(const std::vector<BookmarkNode>& nodes) {
  std::string out =
      "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
      "<!-- This is an automatically generated file.\n"
      "     It will be read and overwritten.\n"
      "     DO NOT EDIT! -->\n"
      "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
      "<TITLE>Bookmarks</TITLE>\n"
      "<H1>Bookmarks</H1>\n"
      "<DL><p>\n";
  WriteList(nodes, 0, out);
  out += "</DL><p>\n";
  return out;
}

std::vector<BookmarkNode> ReadFavoritesTree(const std::string& root, RegistryPort* registry) {
  std::vector<BookmarkNode> out;
  ReadTree(root, u16(), registry, 0, out);
  return out;
}

int ImportBookmarks(const std::string& root, const std::string& folder,
                    const std::vector<BookmarkNode>& nodes, RegistryPort* registry) {
  return Import(root, folder, nodes, registry, 0);
}

BookmarkImport ImportBookmarksOffThread(const std::string& root, const std::string& folder,
                                        const std::vector<BookmarkNode>& nodes,
                                        std::vector<OrderedName> targetOrder,
                                        const std::function<void(int written)>& progress,
                                        const std::atomic<bool>* stop) {
  BookmarkImport result;
  OffThread off{&result, &progress, stop, std::move(targetOrder)};
  result.written = Import(root, folder, nodes, nullptr, 0, &off);
  ::sync();  // the many small files at once, not one sync each
  return result;
}

}  // namespace zel
