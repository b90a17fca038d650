// XmlDocument: a small, forgiving, read-only XML reader over UTF-16 text.
//
// The whole text is parsed once into a flat table of element nodes that refer back into the
// text by offset; names, attributes and content are never copied at parse time. The first
// well-formedness problem is kept as a readable message (GetError), but parsing never stops:
// a tree is always built, so a damaged document still gives access to every element that
// could be recognised before and after the damage.
//
// Typical use (the gesture table is a run of top-level elements):
//
//   XmlDocument doc;
//   doc.SetText(stored);            // false here: "Root element has sibling"
//   while (doc.FindNextElement(u"gesture")) {
//     u16 action = doc.GetAttribute(u"action");
//     int cmd = ToInt(doc.GetAttribute(u"cmd"));
//   }
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/text.h"

namespace zel {

class XmlDocument {
 public:
  // Option bit: element and attribute names compare without regard to case.
  static constexpr uint32_t kIgnoreCase = 8;

  // Texts longer than this are not parsed (node offsets are 32-bit).
  static constexpr size_t kMaxTextLength = 0x7FFFFFFF;

  explicit XmlDocument(uint32_t options = 0);
  ~XmlDocument();
  XmlDocument(XmlDocument&&) noexcept;
  XmlDocument& operator=(XmlDocument&&) noexcept;
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // Keeps a copy of text (null reads as empty), parses it and moves the position to the
  // start of the top level. True when the document is well formed: no problem was found and
  // there is exactly one top-level element. GetError tells why otherwise. A text longer
  // than kMaxTextLength is refused with "Document too large".
  bool SetText(u16view text);
  bool SetText(const char16_t* text);

  // Steps to the next element among the children of the current parent (the top level at
  // first) whose name matches name; an empty or null name takes the next element whatever
  // its name. A name matches when it equals the element's name or continues after it with
  // one of " =/[]". On failure the position is unchanged.
  bool FindNextElement(u16view name = {});
  bool FindNextElement(const char16_t* name);

  // The value of the current element's attribute name, with &lt; &gt; &amp; &apos; &quot;
  // and numeric character references decoded; empty when there is no current element or
  // no such attribute.
  u16 GetAttribute(u16view name) const;

  // The current element's name; empty when there is none.
  u16 GetTagName() const;

  // Descends into the current element: its children become the ones FindNextElement walks,
  // from the first one, or, straight after OutOfElement, from the child that was left.
  // False when there is no current element.
  bool IntoElement();
  // Returns to the parent level; the element just left becomes the current one again.
  // False at the top level.
  bool OutOfElement();
  // Back to the top level, before its first element.
  void ResetPosition();

  // The first problem found by the last SetText, empty when there was none.
  const u16& GetError() const { return error_; }

 private:
  // One element. All offsets and lengths count UTF-16 units from the start of the text.
  struct XmlNode {
    uint32_t start;   // offset of the element's "<"
    uint32_t length;  // to the end of the end tag (of the start tag when there is none)
    uint32_t startTagLength;
    uint32_t endTagLength;  // 0 for an empty or a not-ended element
    uint32_t level;         // depth below the document node (top-level elements are 1)
    uint32_t flags;
    uint32_t parentIndex;
    uint32_t firstChildIndex;       // 0 = none
    uint32_t nextSiblingIndex;      // 0 = none
    uint32_t previousSiblingIndex;  // the first child holds the last child here
  };
  struct OpenElement;

  XmlNode& Node(uint32_t i) { return segments_[i >> kSegmentBits][i & kSegmentMask]; }
  const XmlNode& Node(uint32_t i) const { return segments_[i >> kSegmentBits][i & kSegmentMask]; }
  void ResetNodes(size_t capacity);
  void GrowNodes(size_t capacity);
  uint32_t NewNode();
  void AppendChild(uint32_t parent, uint32_t child);
  void MoveChildrenUp(uint32_t element);

  void Parse();
  void EndUnended(const std::vector<OpenElement>& stack, size_t from);
  bool IsWellFormed() const;

  u16view ElementName(uint32_t i) const;
  bool NameMatches(u16view wanted, u16view actual) const;

  static constexpr uint32_t kSegmentBits = 16;
  static constexpr uint32_t kSegmentMask = (1u << kSegmentBits) - 1;

  u16 text_;
  u16 error_;
  uint32_t options_ = 0;
  std::vector<std::unique_ptr<XmlNode[]>> segments_;
  size_t capacity_ = 0;
  uint32_t nodeCount_ = 0;

  // Position: the element whose children are walked (0 = the document node), the current
  // element among them (0 = none yet) and the element to resume at on IntoElement.
  uint32_t parent_ = 0;
  uint32_t current_ = 0;
  uint32_t currentChild_ = 0;
};

}  // namespace zel
