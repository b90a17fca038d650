#include "xml/xml_document.h"
#include "xml/xml_chars.h"

#include <algorithm>
#include <unordered_map>

namespace zel {

namespace {

// Token kinds. The values are the reader's own codes; only their identity matters here.
enum TokenKind : int {
  kEndOfText = -2,
  kError = -1,
  kEndTag = 0,
  kStartTag = 1,
  kText = 2,
  kWhitespace = 4,
  kCData = 8,
  kProcessingInstruction = 16,
  kComment = 32,
  kDeclaration = 64,
};

// Node flags.
constexpr uint32_t kFirstChild = 1;     // first child of its parent
constexpr uint32_t kNotEnded = 2;       // no matching end tag was found
constexpr uint32_t kContainsError = 4;  // a problem was found inside the element
constexpr uint32_t kIllFormed = 8;      // on the document node: some problem was found

constexpr uint32_t kDocument = 0;
constexpr size_t kSegmentSize = size_t(1) << 16;

constexpr CharSet kTagNameEnd(u" \t\n\r/>");          // name in a start or end tag
constexpr CharSet kBareWordEnd(u" \t\n\r<>=\\/?!");   // element name read for matching
constexpr CharSet kAttributeWordEnd(u"= \t\n\r>/?");  // attribute name or bare word
constexpr CharSet kUnquotedValueEnd(u" \t\n\r>");     // value after "="
constexpr CharSet kBeforeEmptySlash(u" \t\n\r'\"");   // may precede the "/" of "/>"
constexpr CharSet kAfterMatchedName(u" =/[]");        // may follow a matched name

struct Token {
  int kind = kEndOfText;
  uint32_t start = 0;
  uint32_t length = 0;
  uint32_t nameStart = 0;  // start and end tags only
  uint32_t nameEnd = 0;
  bool empty = false;  // start tag closed with "/>"
  u16 error;           // error tokens only
};

// Splits the text into markup and character-data tokens. Every token except the end of the
// text is at least one character long, so repeated calls always make progress.
class Tokenizer {
 public:
  explicit Tokenizer(u16view text) : t_(text) {}

  void Next(size_t pos, Token& tok) const {
    tok.kind = kEndOfText;
    tok.start = uint32_t(pos);
    tok.length = 0;
    tok.nameStart = tok.nameEnd = 0;
    tok.empty = false;
    tok.error.clear();
    const size_t n = t_.size();
    if (pos >= n) return;
    if (t_[pos] != u'<') return ScanText(tok);

    size_t i = pos + 1;
    if (i >= n) return Unterminated(tok, u"tag");
    char16_t c = t_[i];
    if (c == u'!') {
      if (++i >= n) return Unterminated(tok, u"tag");
      c = t_[i];
      if (c == u'-') {
        if (++i >= n) return Unterminated(tok, u"tag");
        if (t_[i] != u'-') return Incorrect(tok, u"comment tag", i);
        return ScanTo(tok, kComment, u"-->", i + 1, u"Comment");
      }
      if (c == u'[') {
        if (++i >= n) return Unterminated(tok, u"tag");
        if (t_[i] != u'C') return Incorrect(tok, u"tag", i);
        return ScanTo(tok, kCData, u"]]>", i + 1, u"CDATA Section");
      }
      if (c == u'D') return ScanDeclaration(tok, i + 1, true);
      if (c == u'E' || c == u'A' || c == u'N') return ScanDeclaration(tok, i + 1, false);
      return Incorrect(tok, u"! tag", i);
    }
    if (c == u'/') return ScanEndTag(tok, i + 1);
    if (c == u'?')
      return ScanTo(tok, kProcessingInstruction, u"?>", i + 1, u"Processing instruction");
    if (IsNameStart(c)) return ScanStartTag(tok, i);
    return Incorrect(tok, u"tag name character", i);
  }

 private:
  void End(Token& tok, int kind, size_t end) const {
    tok.kind = kind;
    tok.length = uint32_t(end - tok.start);
  }

  // Character data runs to the next "<"; it stays whitespace until a non-space appears.
  void ScanText(Token& tok) const {
    size_t end = t_.find(u'<', tok.start);
    if (end == u16view::npos) end = t_.size();
    int kind = kWhitespace;
    for (size_t i = tok.start; i < end; ++i) {
      if (!IsXmlSpace(t_[i])) {
        kind = kText;
        break;
      }
    }
    End(tok, kind, end);
  }

  // The text ended inside markup.
  void Unterminated(Token& tok, u16view what) const {
    tok.error = Format(u"%s at offset %d unterminated", what, tok.start);
    End(tok, kError, t_.size());
  }

  // A character that cannot open this markup. The error token runs on from that character
  // up to the next "<" (left for the next token) or through the next ">".
  void Incorrect(Token& tok, u16view what, size_t from) const {
    tok.error = Format(u"Incorrect %s at offset %d", what, tok.start);
    for (size_t i = from; i < t_.size(); ++i) {
      if (t_[i] == u'<') return End(tok, kError, i);
      if (t_[i] == u'>') return End(tok, kError, i + 1);
    }
    End(tok, kError, t_.size());
  }

  // Comments, CDATA sections and processing instructions end at their terminator, which
  // may not reuse the characters that opened them; quotes mean nothing inside them.
  void ScanTo(Token& tok, int kind, u16view terminator, size_t from, u16view what) const {
    size_t at = t_.find(terminator, from);
    if (at == u16view::npos) return Unterminated(tok, what);
    End(tok, kind, at + terminator.size());
  }

  void ScanEndTag(Token& tok, size_t nameStart) const {
    size_t nameEnd = FindFirstOf(t_, nameStart, kTagNameEnd);
    size_t close = t_.find(u'>', nameEnd);
    if (close == u16view::npos) return Unterminated(tok, u"Element end tag");
    tok.nameStart = uint32_t(nameStart);
    tok.nameEnd = uint32_t(nameEnd);
    End(tok, kEndTag, close + 1);
  }

  // A ">" inside a quoted attribute value does not close the tag. Quotes count only where a
  // value may start, that is after "=" and optional white space.
  void ScanStartTag(Token& tok, size_t nameStart) const {
    const size_t nameEnd = FindFirstOf(t_, nameStart, kTagNameEnd);
    bool valuePosition = false;
    char16_t quote = 0;
    for (size_t i = nameEnd; i < t_.size(); ++i) {
      const char16_t c = t_[i];
      if (quote) {
        if (c == quote) quote = 0;
        continue;
      }
      if (valuePosition) {
        if (c == u'"' || c == u'\'') {
          quote = c;
          valuePosition = false;
          continue;
        }
        if (IsXmlSpace(c)) continue;
        valuePosition = false;  // an unquoted value starts here; c is looked at below
      }
      if (c == u'=') {
        valuePosition = true;
      } else if (c == u'>') {
        tok.nameStart = uint32_t(nameStart);
        tok.nameEnd = uint32_t(nameEnd);
        // "/>" closes an empty element when the slash follows the name directly or comes
        // after white space or a quote; otherwise it belongs to an unquoted value.
        tok.empty = t_[i - 1] == u'/' && (i - 1 == nameEnd || kBeforeEmptySlash.Has(t_[i - 2]));
        return End(tok, kStartTag, i + 1);
      }
    }
    Unterminated(tok, u"Element tag");
  }

  // <!DOCTYPE ...> and <!ELEMENT|ATTLIST|ENTITY|NOTATION ...>. Quoted parts may hold ">".
  // In a DOCTYPE, nested markup declarations are skipped; nested comments and processing
  // instructions are skipped to their own terminators, so their text may hold quotes.
  void ScanDeclaration(Token& tok, size_t from, bool doctype) const {
    char16_t quote = 0;
    size_t depth = 0;
    for (size_t i = from; i < t_.size(); ++i) {
      const char16_t c = t_[i];
      if (quote) {
        if (c == quote) quote = 0;
        continue;
      }
      if (c == u'"' || c == u'\'') {
        quote = c;
      } else if (doctype && c == u'<') {
        u16view rest = t_.substr(i);
        if (StartsWith(rest, u"<!--") || StartsWith(rest, u"<?")) {
          const bool comment = rest[1] == u'!';
          size_t at = t_.find(comment ? u"-->" : u"?>", i + (comment ? 4 : 2));
          if (at == u16view::npos) break;
          i = at + (comment ? 2 : 1);
        } else {
          ++depth;
        }
      } else if (c == u'>') {
        if (depth == 0) return End(tok, kDeclaration, i + 1);
        --depth;
      }
    }
    Unterminated(tok, u"Doctype");
  }

  u16view t_;
};

// For each element name on the open-element stack, the innermost stack position holding it,
// so that an end tag finds its start tag without walking the stack.
class OpenNameIndex {
 public:
  explicit OpenNameIndex(bool ignoreCase) : map_(16, Hash{ignoreCase}, Equal{ignoreCase}) {}

  // Stack position + 1 of the innermost open element called name; 0 when there is none.
  uint32_t Innermost(u16view name) const {
    auto it = map_.find(name);
    return it == map_.end() ? 0 : it->second;
  }
  // Records name as open at position + 1 = slot and returns the slot it hides (0 = none).
  uint32_t Push(u16view name, uint32_t slot) {
    auto [it, inserted] = map_.try_emplace(name, slot);
    if (inserted) return 0;
    uint32_t hidden = it->second;
    it->second = slot;
    return hidden;
  }
  // Undoes the matching Push.
  void Pop(u16view name, uint32_t hidden) {
    auto it = map_.find(name);
    if (it == map_.end()) return;
    if (hidden)
      it->second = hidden;
    else
      map_.erase(it);
  }

 private:
  struct Hash {
    bool ignoreCase;
    size_t operator()(u16view s) const {
      uint64_t h = 14695981039346656037ull;
      for (char16_t c : s) h = (h ^ (ignoreCase ? ToLowerChar(c) : c)) * 1099511628211ull;
      return size_t(h);
    }
  };
  struct Equal {
    bool ignoreCase;
    bool operator()(u16view a, u16view b) const { return ignoreCase ? EqualsNoCase(a, b) : a == b; }
  };
  std::unordered_map<u16view, uint32_t, Hash, Equal> map_;
};

}  // namespace

struct XmlDocument::OpenElement {
  uint32_t node;
  uint32_t nameStart;
  uint32_t nameEnd;
  uint32_t hidden;  // slot of the next-inner open element of the same name (OpenNameIndex)
};

XmlDocument::XmlDocument(uint32_t options) : options_(options) {}
XmlDocument::~XmlDocument() = default;
XmlDocument::XmlDocument(XmlDocument&& other) noexcept { *this = std::move(other); }

// The document moved from is left empty, as if newly made, so using it stays safe.
XmlDocument& XmlDocument::operator=(XmlDocument&& other) noexcept {
  if (this == &other) return *this;
  text_ = std::move(other.text_);
  error_ = std::move(other.error_);
  options_ = other.options_;
  segments_ = std::move(other.segments_);
  capacity_ = other.capacity_;
  nodeCount_ = other.nodeCount_;
  parent_ = other.parent_;
  current_ = other.current_;
  currentChild_ = other.currentChild_;
  other.text_.clear();
  other.error_.clear();
  other.segments_.clear();
  other.capacity_ = 0;
  other.nodeCount_ = 0;
  other.parent_ = other.current_ = other.currentChild_ = 0;
  return *this;
}

bool XmlDocument::SetText(const char16_t* text) {
  return SetText(text ? u16view(text) : u16view());
}

bool XmlDocument::SetText(u16view text) {
  error_.clear();
  ResetPosition();
  if (text.size() > kMaxTextLength) {
    text_.clear();
    ResetNodes(8);
    Node(NewNode()) = XmlNode{};
    error_ = u"Document too large";
    return false;
  }
  text_.assign(text);
  ResetNodes(text_.size() / 64 + 8);
  Node(NewNode()) = XmlNode{};  // the document node
  if (!text_.empty()) Parse();

  XmlNode& doc = Node(kDocument);
  doc.length = uint32_t(text_.size());
  // A text without any element reports the problem that kept the element from being made,
  // if there was one; a second top-level element is reported over any earlier problem.
  if (text_.empty())
    error_ = u"Empty document";
  else if (!doc.firstChildIndex && error_.empty())
    error_ = u"No root element";
  else if (doc.firstChildIndex && Node(doc.firstChildIndex).nextSiblingIndex)
    error_ = u"Root element has sibling";
  ResetPosition();
  return IsWellFormed();
}

bool XmlDocument::IsWellFormed() const {
  if (nodeCount_ == 0) return false;
  const XmlNode& doc = Node(kDocument);
  return !(doc.flags & kIllFormed) && doc.firstChildIndex &&
         !Node(doc.firstChildIndex).nextSiblingIndex;
}

void XmlDocument::ResetNodes(size_t capacity) {
  segments_.clear();
  capacity_ = 0;
  nodeCount_ = 0;
  GrowNodes(capacity);
}

// Whole segments of 65,536 nodes, the last one possibly shorter; growing reallocates only
// that last segment and adds new ones, so node indexes never change.
void XmlDocument::GrowNodes(size_t capacity) {
  const size_t segmentCount = (capacity + kSegmentSize - 1) / kSegmentSize;
  for (size_t s = 0; s < segmentCount; ++s) {
    const size_t want = std::min(kSegmentSize, capacity - s * kSegmentSize);
    const size_t have =
        s < segments_.size() ? std::min(kSegmentSize, capacity_ - s * kSegmentSize) : 0;
    if (want <= have) continue;
    std::unique_ptr<XmlNode[]> segment(new XmlNode[want]);
    if (have) std::copy_n(segments_[s].get(), have, segment.get());
    if (s < segments_.size())
      segments_[s] = std::move(segment);
    else
      segments_.push_back(std::move(segment));
  }
  capacity_ = std::max(capacity_, capacity);
}

// References to nodes do not survive this call.
uint32_t XmlDocument::NewNode() {
  if (nodeCount_ == capacity_)
    GrowNodes(std::max<size_t>(nodeCount_ + nodeCount_ / 2, nodeCount_ + 1));
  return nodeCount_++;
}

void XmlDocument::AppendChild(uint32_t parent, uint32_t child) {
  XmlNode& c = Node(child);
  c.parentIndex = parent;
  c.nextSiblingIndex = 0;
  XmlNode& p = Node(parent);
  if (!p.firstChildIndex) {
    p.firstChildIndex = child;
    c.flags |= kFirstChild;
    c.previousSiblingIndex = child;
    return;
  }
  XmlNode& first = Node(p.firstChildIndex);
  Node(first.previousSiblingIndex).nextSiblingIndex = child;
  c.previousSiblingIndex = first.previousSiblingIndex;
  first.previousSiblingIndex = child;
}

// The children of a not-ended element become its following siblings. The element is the
// last child of its parent (it was open until now), so the children are spliced in at the end.
void XmlDocument::MoveChildrenUp(uint32_t element) {
  XmlNode& e = Node(element);
  const uint32_t firstMoved = e.firstChildIndex;
  if (!firstMoved) return;
  const uint32_t parent = e.parentIndex;
  const uint32_t lastMoved = Node(firstMoved).previousSiblingIndex;
  for (uint32_t i = firstMoved; i; i = Node(i).nextSiblingIndex) Node(i).parentIndex = parent;
  Node(firstMoved).flags &= ~kFirstChild;
  Node(firstMoved).previousSiblingIndex = element;
  e.nextSiblingIndex = firstMoved;
  e.firstChildIndex = 0;
  Node(Node(parent).firstChildIndex).previousSiblingIndex = lastMoved;
}

// Closes stack[from..] as not ended. Flags climb innermost first, so a problem deep inside
// marks every open ancestor; children move outermost first, so that each node changes its
// parent at most once however deep the damage goes.
void XmlDocument::EndUnended(const std::vector<OpenElement>& stack, size_t from) {
  for (size_t k = stack.size(); k-- > from;) {
    XmlNode& e = Node(stack[k].node);
    e.flags |= kNotEnded;
    e.length = e.startTagLength;
    e.endTagLength = 0;
    const uint32_t parent = k ? stack[k - 1].node : kDocument;
    Node(parent).flags |= e.flags & kContainsError;
  }
  for (size_t k = from; k < stack.size(); ++k) MoveChildrenUp(stack[k].node);
  Node(kDocument).flags |= kIllFormed;
}

void XmlDocument::Parse() {
  const u16view text(text_);
  const Tokenizer tokenizer(text);
  OpenNameIndex names(options_ & kIgnoreCase);
  std::vector<OpenElement> stack;
  stack.reserve(6);
  bool levelsStale = false;

  auto nameOf = [&](const OpenElement& e) {
    return text.substr(e.nameStart, e.nameEnd - e.nameStart);
  };
  auto pop = [&]() {
    names.Pop(nameOf(stack.back()), stack.back().hidden);
    stack.pop_back();
  };
  // Marks a problem inside an element; true when its message is the first one.
  auto problem = [&](uint32_t inside) {
    Node(kDocument).flags |= kIllFormed;
    Node(inside).flags |= kContainsError;
    return error_.empty();
  };

  Token tok;
  size_t pos = 0;
  for (;;) {
    tokenizer.Next(pos, tok);
    if (tok.kind == kEndOfText) break;
    pos = size_t(tok.start) + tok.length;
    const uint32_t parent = stack.empty() ? kDocument : stack.back().node;

    if (tok.kind == kStartTag) {
      const uint32_t i = NewNode();
      XmlNode& e = Node(i);
      e = XmlNode{};
      e.start = tok.start;
      e.startTagLength = tok.length;
      e.level = Node(parent).level + 1;
      AppendChild(parent, i);
      if (tok.empty) {
        e.length = tok.length;
        continue;
      }
      if (stack.size() == stack.capacity()) stack.reserve(stack.capacity() * 2 + 6);
      const u16view name = text.substr(tok.nameStart, tok.nameEnd - tok.nameStart);
      const uint32_t hidden = names.Push(name, uint32_t(stack.size() + 1));
      stack.push_back({i, tok.nameStart, tok.nameEnd, hidden});
    } else if (tok.kind == kEndTag) {
      const u16view name = text.substr(tok.nameStart, tok.nameEnd - tok.nameStart);
      const uint32_t slot = names.Innermost(name);
      if (!slot) {
        if (problem(parent))
          error_ = Format(u"No start tag for end tag '%s' at offset %d", name, tok.start);
        continue;
      }
      const size_t match = slot - 1;
      if (match + 1 < stack.size()) {
        const OpenElement& innermost = stack.back();
        if (error_.empty())
          error_ = Format(u"End tag '%s' at offset %d does not match start tag '%s' at offset %d",
                          name, tok.start + 1, nameOf(innermost), Node(innermost.node).start);
        EndUnended(stack, match + 1);
        levelsStale = true;
      }
      XmlNode& e = Node(stack[match].node);
      e.length = tok.start + tok.length - e.start;
      e.endTagLength = tok.length;
      while (stack.size() > match) pop();
    } else if (tok.kind == kError) {
      if (problem(parent)) error_ = std::move(tok.error);
    }
    // Character data, CDATA, comments, processing instructions and declarations make no node.
  }

  if (!stack.empty()) {
    const OpenElement& innermost = stack.back();
    if (error_.empty())
      error_ = Format(u"Element '%s' at offset %d not ended", nameOf(innermost),
                      Node(innermost.node).start);
    EndUnended(stack, 0);
    levelsStale = true;
  }
  // Moved children sit one level higher than when they were created. Parents always have
  // lower indexes than their children, so one forward pass settles every level.
  if (levelsStale) {
    for (uint32_t i = 1; i < nodeCount_; ++i) Node(i).level = Node(Node(i).parentIndex).level + 1;
  }
}

u16view XmlDocument::ElementName(uint32_t i) const {
  const XmlNode& e = Node(i);
  const u16view tag = u16view(text_).substr(e.start, e.startTagLength);
  size_t b = 1;
  while (b < tag.size() && IsXmlSpace(tag[b])) ++b;
  return tag.substr(b, FindFirstOf(tag, b, kBareWordEnd) - b);
}

bool XmlDocument::NameMatches(u16view wanted, u16view actual) const {
  const size_t n = actual.size();
  if (wanted.size() < n) return false;
  const u16view head = wanted.substr(0, n);
  if (options_ & kIgnoreCase ? !EqualsNoCase(head, actual) : head != actual) return false;
  return wanted.size() == n || kAfterMatchedName.Has(wanted[n]);
}

bool XmlDocument::FindNextElement(const char16_t* name) {
  return FindNextElement(name ? u16view(name) : u16view());
}

bool XmlDocument::FindNextElement(u16view name) {
  if (nodeCount_ == 0) return false;
  uint32_t i = current_ ? Node(current_).nextSiblingIndex : Node(parent_).firstChildIndex;
  for (; i; i = Node(i).nextSiblingIndex) {
    if (name.empty() || NameMatches(name, ElementName(i))) {
      current_ = i;
      currentChild_ = 0;
      return true;
    }
  }
  return false;
}

u16 XmlDocument::GetTagName() const { return current_ ? u16(ElementName(current_)) : u16(); }

// Reads the start tag item by item: quoted strings, "=", and bare words. A word that
// matches name and is followed by "=" takes the next item as its value. The search never
// leaves the start tag.
u16 XmlDocument::GetAttribute(u16view name) const {
  if (!current_ || name.empty()) return u16();
  const XmlNode& e = Node(current_);
  const u16view tag = u16view(text_).substr(e.start, e.startTagLength);
  const u16view elementName = ElementName(current_);
  size_t i = size_t(elementName.data() - tag.data()) + elementName.size();
  bool afterEquals = false;
  bool nameSeen = false;  // the last word matched name
  for (;;) {
    while (i < tag.size() && IsXmlSpace(tag[i])) ++i;
    if (i >= tag.size()) return u16();
    const char16_t c = tag[i];
    if (c == u'"' || c == u'\'') {
      size_t close = tag.find(c, i + 1);
      if (close == u16view::npos) close = tag.size();
      if (afterEquals && nameSeen) return DecodeEntities(tag.substr(i + 1, close - i - 1));
      afterEquals = nameSeen = false;
      i = std::min(close + 1, tag.size());
    } else if (afterEquals) {
      const size_t end = FindFirstOf(tag, i, kUnquotedValueEnd);
      if (nameSeen) return DecodeEntities(tag.substr(i, end - i));
      afterEquals = false;
      i = end;
    } else if (c == u'=') {
      afterEquals = true;
      ++i;
    } else if (c == u'/' || c == u'>' || c == u'?') {
      return u16();
    } else {
      const size_t end = FindFirstOf(tag, i, kAttributeWordEnd);
      nameSeen = NameMatches(name, tag.substr(i, end - i));
      i = end;
    }
  }
}

bool XmlDocument::IntoElement() {
  if (!current_) return false;
  parent_ = current_;
  current_ = currentChild_;
  currentChild_ = 0;
  return true;
}

bool XmlDocument::OutOfElement() {
  if (!parent_) return false;
  currentChild_ = current_;
  current_ = parent_;
  parent_ = Node(parent_).parentIndex;
  return true;
}

void XmlDocument::ResetPosition() { parent_ = current_ = currentChild_ = 0; }

}  // namespace zel
