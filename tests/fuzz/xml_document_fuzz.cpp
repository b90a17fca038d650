// libFuzzer harness for XmlDocument.
//
// The input bytes are read as UTF-16LE code units (a trailing odd byte is dropped), so any
// unit, lone surrogates and NUL included, can reach the reader. Each input is parsed with and
// without kIgnoreCase, and every element is visited through the public navigation calls,
// with the attribute lookups the gesture table makes and a few names taken from the document
// itself. Besides crashes, leaks and out-of-bounds reads (the sanitizers' job), only what
// xml_document.h states is checked; a broken statement aborts the run.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "xml/xml_document.h"

using zel::u16;
using zel::u16view;
using zel::XmlDocument;

namespace {

#define FUZZ_CHECK(cond)                                                        \
  do {                                                                          \
    if (!(cond)) {                                                              \
      std::fprintf(stderr, "xml_document_fuzz: %s:%d: %s\n", __FILE__, __LINE__, \
                   #cond);                                                      \
      std::abort();                                                             \
    }                                                                           \
  } while (0)

// Attribute and element names the program looks up, and a few short ones that random
// documents are likely to hold.
const char16_t* const kNames[] = {u"gesture", u"action", u"cmd", u"title", u"a", u"x", u"g"};

// Failed named searches scan all remaining siblings; this bounds the work per input so that
// wide documents do not turn the run quadratic.
constexpr int kNamedSearchBudget = 256;

// Reads everything the current element offers. name is its tag name.
void VisitElement(const XmlDocument& doc, const u16& name) {
  for (const char16_t* n : kNames) (void)doc.GetAttribute(n);
  (void)doc.GetAttribute(u16view());
  // The element's own name as an attribute name, and with the endings a name may have when
  // it is matched ("a=..." and "a[2]" match a).
  (void)doc.GetAttribute(name);
  (void)doc.GetAttribute(name + u"=");
  (void)doc.GetAttribute(name + u"x");
  (void)doc.GetAttribute(name.substr(0, name.size() / 2));
}

// Depth-first walk of the whole tree with IntoElement / FindNextElement / OutOfElement,
// checking the position rules the header gives; with visit, every element's attributes are
// read too. Returns the number of elements seen.
size_t WalkAll(XmlDocument& doc, bool visit) {
  doc.ResetPosition();
  FUZZ_CHECK(doc.GetTagName().empty());
  FUZZ_CHECK(doc.GetAttribute(u"action").empty());
  FUZZ_CHECK(!doc.OutOfElement());  // at the top level
  FUZZ_CHECK(!doc.IntoElement());   // no current element yet
  std::vector<u16> open;            // names of the elements walked into
  size_t seen = 0;
  for (;;) {
    if (doc.FindNextElement()) {
      ++seen;
      u16 name = doc.GetTagName();
      if (visit) VisitElement(doc, name);
      FUZZ_CHECK(doc.IntoElement());
      open.push_back(std::move(name));
      continue;
    }
    if (open.empty()) break;
    FUZZ_CHECK(doc.OutOfElement());
    // The element just left is current again.
    FUZZ_CHECK(doc.GetTagName() == open.back());
    open.pop_back();
  }
  FUZZ_CHECK(!doc.OutOfElement());
  return seen;
}

// A second walk that steps with named searches: at each level the name of the previous
// element found is tried first (plain, with a "[1]" ending and as a longer name that must
// not match), then the next element whatever its name. A failed search must leave the
// position where it was.
void WalkByName(XmlDocument& doc) {
  doc.ResetPosition();
  int budget = kNamedSearchBudget;
  u16 last = u"gesture";
  size_t depth = 0;
  for (;;) {
    bool found = false;
    if (budget > 0) {
      for (const u16& wanted : {last, last + u"[1]", last + u"_"}) {
        const u16 before = doc.GetTagName();
        if (doc.FindNextElement(wanted)) {
          found = true;
          break;
        }
        FUZZ_CHECK(doc.GetTagName() == before);
        if (--budget <= 0) break;
      }
    }
    if (!found) found = doc.FindNextElement(static_cast<const char16_t*>(nullptr));
    if (found) {
      last = doc.GetTagName();
      (void)doc.GetAttribute(u"cmd");
      FUZZ_CHECK(doc.IntoElement());
      ++depth;
      continue;
    }
    if (depth == 0) break;
    FUZZ_CHECK(doc.OutOfElement());
    --depth;
  }
}

// Parses text and walks the result; attribute values are read only with visit, as the
// instrumented lookups dominate the run time.
void Exercise(XmlDocument& doc, u16view text, bool visit) {
  const bool wellFormed = doc.SetText(text);
  // True exactly when the document is well formed; GetError tells why otherwise.
  FUZZ_CHECK(wellFormed == doc.GetError().empty());
  const size_t seen = WalkAll(doc, visit);
  if (wellFormed) FUZZ_CHECK(seen >= 1);
  WalkByName(doc);
  // A second complete walk after the position was moved around finds the same elements.
  FUZZ_CHECK(WalkAll(doc, false) == seen);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  u16 text(size / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i)
    text[i] = char16_t(data[2 * i] | (unsigned(data[2 * i + 1]) << 8));

  XmlDocument doc;
  Exercise(doc, text, true);
  // The same object reads the text again: nothing of the first parse may be left behind.
  const u16 error = doc.GetError();
  Exercise(doc, text, false);
  FUZZ_CHECK(doc.GetError() == error);

  // Moved to another object, the parsed document and its position stay usable.
  XmlDocument moved(std::move(doc));
  (void)moved.GetTagName();
  WalkAll(moved, false);

  XmlDocument noCase(XmlDocument::kIgnoreCase);
  noCase.SetText(u"<gesture action=\"U\" cmd=\"9\"/>");  // replaced by the next call
  Exercise(noCase, text, true);
  return 0;
}
