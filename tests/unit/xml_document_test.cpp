#include "xml/xml_document.h"

#include <gtest/gtest.h>

#include <random>

using namespace zel;
using namespace std::string_literals;

namespace {

// Names of the remaining elements at the current level, in order.
std::vector<u16> Names(XmlDocument& doc) {
  std::vector<u16> out;
  while (doc.FindNextElement()) out.push_back(doc.GetTagName());
  return out;
}

u16 Repeat(u16view s, size_t n) {
  u16 out;
  out.reserve(s.size() * n);
  for (size_t i = 0; i < n; ++i) out += s;
  return out;
}

const u16 kBuiltInGestures =
    u"<gesture action=\"U\" cmd=\"9\" title=\"向上滚屏\" /><gesture action=\"D\" cmd=\"10\" "
    u"title=\"向下滚屏\" /><gesture action=\"R\" cmd=\"1\" title=\"前进\" /><gesture "
    u"action=\"L\" cmd=\"0\" title=\"后退\" /><gesture action=\"DR\" cmd=\"20\" title=\"关闭\" "
    u"/><gesture action=\"UD\" cmd=\"2\" title=\"刷新\" />";

}  // namespace

TEST(XmlMessages, ExactTextAndOffsets) {
  struct Case {
    const char16_t* text;
    const char16_t* error;
  } cases[] = {
      {u"", u"Empty document"},
      {u" \r\n<!-- only -->", u"No root element"},
      {u"</x>", u"No start tag for end tag 'x' at offset 0"},  // kept over "No root element"
      {u"<a><b></a>", u"End tag 'a' at offset 7 does not match start tag 'b' at offset 3"},
      {u"<a><b><c></a>", u"End tag 'a' at offset 10 does not match start tag 'c' at offset 6"},
      {u"<a></b>", u"No start tag for end tag 'b' at offset 3"},
      {u"<a>text", u"Element 'a' at offset 0 not ended"},
      {u"<a x=1/>", u"Element 'a' at offset 0 not ended"},
      {u"<1a>", u"Incorrect tag name character at offset 0"},
      {u"<a/>< b>", u"Incorrect tag name character at offset 4"},
      {u"<a/><!-x>", u"Incorrect comment tag at offset 4"},
      {u"<a/><![x]>", u"Incorrect tag at offset 4"},
      {u"<a/><!x>", u"Incorrect ! tag at offset 4"},
      {u"<!-- x", u"Comment at offset 0 unterminated"},
      {u"<a/><!-->", u"Comment at offset 4 unterminated"},
      {u"<a/><?>", u"Processing instruction at offset 4 unterminated"},
      {u"<a/><![CDATA[x]>", u"CDATA Section at offset 4 unterminated"},
      {u"<a/><!DOCTYPE a [<!ENTITY e 'x'>", u"Doctype at offset 4 unterminated"},
      {u"<a/><!ENTITY e 'x>", u"Doctype at offset 4 unterminated"},
      {u"<a x='1>", u"Element tag at offset 0 unterminated"},
      {u"<r><a x='1>", u"Element tag at offset 3 unterminated"},
      {u"<r></r", u"Element end tag at offset 3 unterminated"},
      {u"<a/><", u"tag at offset 4 unterminated"},
      {u"<a/><!-", u"tag at offset 4 unterminated"},
      {u"<r><1></x></r>", u"Incorrect tag name character at offset 3"},  // first one stays
      {u"<a><b></a><c/>", u"Root element has sibling"},                  // replaces the mismatch
  };
  for (const Case& c : cases) {
    XmlDocument doc;
    EXPECT_FALSE(doc.SetText(c.text)) << ToUtf8(c.text);
    EXPECT_EQ(doc.GetError(), c.error) << ToUtf8(c.text);
  }
}

TEST(XmlMessages, WellFormedDocumentsHaveNone) {
  for (const char16_t* text :
       {u"<?xml version=\"1.0\"?>\n<r a=\"1>2\" b='x\"y'><![CDATA[<b>]]><!-- > --></r>\n",
        u"<!DOCTYPE r [ <!ENTITY e \"x>y\"> <!-- don't --> <?pi it's ?> ]><r/>",
        u"<r b'c>text > more</r>", u"<r x = \">\" />"}) {
    XmlDocument doc;
    EXPECT_TRUE(doc.SetText(text)) << ToUtf8(text) << ": " << ToUtf8(doc.GetError());
    EXPECT_EQ(doc.GetError(), u"");
    ASSERT_TRUE(doc.FindNextElement(u"r"));
    EXPECT_TRUE(doc.IntoElement());
    EXPECT_FALSE(doc.FindNextElement()) << "markup inside r made an element";
  }
  XmlDocument doc;
  EXPECT_FALSE(doc.SetText(nullptr));
  EXPECT_EQ(doc.GetError(), u"Empty document");
  EXPECT_FALSE(doc.FindNextElement());
}

TEST(XmlGestureList, EveryTopLevelElementIsReachable) {
  ASSERT_EQ(kBuiltInGestures.size(), 254u);
  XmlDocument doc;
  EXPECT_FALSE(doc.SetText(kBuiltInGestures));
  EXPECT_EQ(doc.GetError(), u"Root element has sibling");
  std::vector<u16> got;
  while (doc.FindNextElement(u"gesture"))
    got.push_back(doc.GetAttribute(u"action") + u"=" + doc.GetAttribute(u"cmd") + u":" +
                  doc.GetAttribute(u"title"));
  EXPECT_EQ(got, (std::vector<u16>{u"U=9:向上滚屏", u"D=10:向下滚屏", u"R=1:前进", u"L=0:后退",
                                   u"DR=20:关闭", u"UD=2:刷新"}));

  XmlDocument two;
  EXPECT_FALSE(two.SetText(u"<gesture action=\"U\"/><gesture action=\"D\"/>"));
  EXPECT_TRUE(two.FindNextElement(u"gesture"));
  EXPECT_TRUE(two.FindNextElement(u"gesture"));
  EXPECT_EQ(two.GetAttribute(u"action"), u"D");
  EXPECT_FALSE(two.FindNextElement(u"gesture"));
  EXPECT_EQ(two.GetAttribute(u"action"), u"D") << "a failed search moved the position";
}

TEST(XmlGestureList, CutTableKeepsEntriesBeforeTheDamage) {
  u16 stored =
      (kBuiltInGestures + u"<gesture action=\"UL\" cmd=\"7\" title=\"主页\" />").substr(0, 259);
  XmlDocument doc;
  EXPECT_FALSE(doc.SetText(stored));
  EXPECT_EQ(Names(doc).size(), 6u);
  // A missing "/" leaves one element open; the next one still counts as a top-level sibling.
  EXPECT_FALSE(doc.SetText(u"<gesture action=\"U\"><gesture action=\"D\" />"));
  EXPECT_EQ(doc.GetError(), u"Root element has sibling");
  EXPECT_EQ(Names(doc), (std::vector<u16>{u"gesture", u"gesture"}));
  EXPECT_EQ(doc.GetAttribute(u"action"), u"D");
}

TEST(XmlNames, MatchRules) {
  XmlDocument doc;
  doc.SetText(u"<gestures/><Gesture/><gesture/><a/>");
  EXPECT_TRUE(doc.FindNextElement(u"gesture"));
  EXPECT_FALSE(doc.FindNextElement(u"gesture")) << "only the third element is called gesture";
  doc.ResetPosition();
  EXPECT_FALSE(doc.FindNextElement(u"ges"));
  EXPECT_TRUE(doc.FindNextElement(u"gesture[2]"));  // " =/[]" may follow the name
  doc.ResetPosition();
  EXPECT_EQ(Names(doc), (std::vector<u16>{u"gestures", u"Gesture", u"gesture", u"a"}));

  XmlDocument noCase(XmlDocument::kIgnoreCase);
  EXPECT_TRUE(noCase.SetText(u"<A CMD='1'></a>"));
  EXPECT_TRUE(noCase.FindNextElement(u"a"));
  EXPECT_EQ(noCase.GetAttribute(u"cmd"), u"1");
  EXPECT_FALSE(doc.SetText(u"<A CMD='1'></a>"));
  EXPECT_EQ(doc.GetError(), u"No start tag for end tag 'a' at offset 11");
  EXPECT_TRUE(doc.FindNextElement(u"A"));
  EXPECT_EQ(doc.GetAttribute(u"cmd"), u"");
}

TEST(XmlTree, NotEndedElementsHandTheirChildrenToTheirParent) {
  XmlDocument doc;
  EXPECT_FALSE(doc.SetText(u"<r><a><b><c/></b><d></r>"));
  EXPECT_EQ(doc.GetError(), u"End tag 'r' at offset 21 does not match start tag 'd' at offset 17");
  ASSERT_TRUE(doc.FindNextElement(u"r"));
  ASSERT_TRUE(doc.IntoElement());
  EXPECT_EQ(Names(doc), (std::vector<u16>{u"a", u"b", u"d"}));
  EXPECT_TRUE(doc.OutOfElement());
  EXPECT_EQ(doc.GetTagName(), u"r");
  EXPECT_TRUE(doc.IntoElement());  // back at d, where the walk stopped
  EXPECT_EQ(doc.GetTagName(), u"d");
  doc.ResetPosition();
  doc.FindNextElement(u"r");
  doc.IntoElement();
  doc.FindNextElement(u"b");
  ASSERT_TRUE(doc.IntoElement());
  EXPECT_EQ(Names(doc), (std::vector<u16>{u"c"}));
  EXPECT_TRUE(doc.OutOfElement());
  EXPECT_EQ(doc.GetTagName(), u"b");
  EXPECT_TRUE(doc.OutOfElement());
  EXPECT_FALSE(doc.OutOfElement());
  doc.ResetPosition();
  EXPECT_FALSE(doc.IntoElement());
}

TEST(XmlTree, ErrorTokenStopsBeforeTheNextTag) {
  XmlDocument doc;
  EXPECT_FALSE(doc.SetText(u"<r><<b/>< c/><d/></r>"));
  EXPECT_EQ(doc.GetError(), u"Incorrect tag name character at offset 3");
  doc.FindNextElement(u"r");
  doc.IntoElement();
  EXPECT_EQ(Names(doc), (std::vector<u16>{u"b", u"d"}));
}

TEST(XmlAttributes, EmptyElementsAndValues) {
  XmlDocument doc;
  EXPECT_TRUE(doc.SetText(u"<r><br/><a x='1' /><b y=\"2\"/></r>"));
  doc.FindNextElement();
  doc.IntoElement();
  EXPECT_EQ(Names(doc), (std::vector<u16>{u"br", u"a", u"b"}));
  doc.SetText(u"<a x=1/>");
  doc.FindNextElement();
  EXPECT_EQ(doc.GetAttribute(u"x"), u"1/");

  doc.SetText(u"<a actions=\"1\" flag action = '2' cmd=12 title=\"x=3\">");
  doc.FindNextElement();
  EXPECT_EQ(doc.GetAttribute(u"action"), u"2");
  EXPECT_EQ(doc.GetAttribute(u"cmd"), u"12");
  EXPECT_EQ(doc.GetAttribute(u"flag"), u"");
  EXPECT_EQ(doc.GetAttribute(u"x"), u"") << "text inside a value is no attribute";
  EXPECT_EQ(doc.GetAttribute(u"missing"), u"");
  // The search stays inside the start tag: the apostrophe is no quote there, so x is content.
  EXPECT_TRUE(doc.SetText(u"<a 'q>' x=\"1\"></a>"));
  doc.FindNextElement();
  EXPECT_EQ(doc.GetAttribute(u"x"), u"");
}

TEST(XmlAttributes, EntityDecoding) {
  XmlDocument doc;
  doc.SetText(
      u"<a v='a&amp;b&#65;&#x42;' f='&foo; &lt;&gt;&quot;&apos; &' n='&#;&#x;&#12a;&#0;&#xD800;' "
      u"w='&#x1F600;&#128512;&#x10FFFF;' big='&#1114111;&#x110000;' cut='&am' rest='p;'/>");
  doc.FindNextElement();
  EXPECT_EQ(doc.GetAttribute(u"v"), u"a&bAB");
  EXPECT_EQ(doc.GetAttribute(u"f"), u"&foo; <>\"' &");
  EXPECT_EQ(doc.GetAttribute(u"n"), u"&#;&#x;&#12a;&#0;&#xD800;");
  EXPECT_EQ(doc.GetAttribute(u"w"), u"\U0001F600\U0001F600\U0010FFFF");
  EXPECT_EQ(doc.GetAttribute(u"big"), u"&#1114111;&#x110000;");
  EXPECT_EQ(doc.GetAttribute(u"cut"), u"&am");
}

TEST(XmlDamagedInput, TruncatedDocumentsReportAProblem) {
  const u16 full =
      u"<?xml version='1.0'?><!DOCTYPE g [<!ENTITY e 'x'>]><g><!-- c --><a x=\"1\" y='&lt;'>"
      u"<![CDATA[<]]>t</a><b/></g>";
  XmlDocument doc;
  ASSERT_TRUE(doc.SetText(full));
  for (size_t n = 1; n < full.size(); ++n) {
    EXPECT_FALSE(doc.SetText(full.substr(0, n))) << n;
    EXPECT_NE(doc.GetError(), u"") << n;
  }
}

TEST(XmlDamagedInput, BinaryUnitsNeverBreakTheReader) {
  std::mt19937 rng(7);
  const char16_t alphabet[] = u"<>/!?-[]C=\"' \nabDE&#;x1\0\xFFFF\xD800";
  XmlDocument doc;
  for (int round = 0; round < 2000; ++round) {
    u16 text(rng() % 64, u'a');
    for (auto& c : text) c = rng() % 3 ? alphabet[rng() % (sizeof(alphabet) / 2)] : char16_t(rng());
    bool ok = doc.SetText(text);
    EXPECT_EQ(ok, doc.GetError().empty()) << round;
    while (doc.FindNextElement()) doc.GetAttribute(u"x");
  }
  EXPECT_TRUE(doc.SetText(u"<a x='1\0 2'>\0</a>"s));
  doc.FindNextElement();
  EXPECT_EQ(doc.GetAttribute(u"x"), u"1\0 2"s);
}

TEST(XmlDamagedInput, MegabyteOfNestingOrText) {
  const size_t n = 350000;  // about 1 MB of "<a>"
  XmlDocument doc;
  EXPECT_TRUE(doc.SetText(Repeat(u"<a>", n) + Repeat(u"</a>", n)));
  EXPECT_FALSE(doc.SetText(Repeat(u"<a>", n)));
  EXPECT_EQ(doc.GetError(), u"Root element has sibling");
  EXPECT_EQ(Names(doc).size(), n) << "every open element ends up at the top level";
  // Unmatched end tags under deep nesting: each is looked up without walking the stack.
  const size_t k = 170000;
  EXPECT_FALSE(doc.SetText(u"<r>" + Repeat(u"<a>", k) + Repeat(u"</b>", k) + u"</r>"));
  EXPECT_EQ(doc.GetError(), u"No start tag for end tag 'b' at offset 510003");
  doc.FindNextElement(u"r");
  doc.IntoElement();
  EXPECT_EQ(Names(doc).size(), k);

  const u16 big(1 << 20, u'x');
  EXPECT_TRUE(doc.SetText(u"<a v='" + big + u"'>" + big + u"</a>"));
  doc.FindNextElement();
  EXPECT_EQ(doc.GetAttribute(u"v"), big);
  EXPECT_FALSE(doc.SetText(u"<r><a v='" + big));
  EXPECT_EQ(doc.GetError(), u"Element tag at offset 3 unterminated");
}

TEST(XmlDamagedInput, ManyNodesAcrossStorageSegments) {
  u16 text = u"<r>";
  for (int i = 0; i < 150000; ++i) text += u"<g i='" + IntToText(i) + u"'/>";
  XmlDocument doc;
  ASSERT_TRUE(doc.SetText(text + u"</r>"));
  doc.FindNextElement();
  doc.IntoElement();
  int count = 0;
  while (doc.FindNextElement(u"g")) {
    if (doc.GetAttribute(u"i") != IntToText(count)) break;
    ++count;
  }
  EXPECT_EQ(count, 150000);
}

TEST(XmlDamagedInput, MovedFromDocumentIsEmptyAndSafe) {
  XmlDocument a;
  ASSERT_TRUE(a.SetText(u"<a><b x=\"1\"/></a>"));
  XmlDocument b(std::move(a));
  ASSERT_TRUE(b.FindNextElement(u"a"));
  EXPECT_EQ(b.GetTagName(), u"a");
  // The source behaves as a new document.
  EXPECT_FALSE(a.FindNextElement());
  EXPECT_EQ(a.GetTagName(), u"");
  EXPECT_EQ(a.GetAttribute(u"x"), u"");
  EXPECT_FALSE(a.IntoElement());
  XmlDocument c;
  c = std::move(b);
  EXPECT_EQ(c.GetTagName(), u"a");
  EXPECT_FALSE(b.FindNextElement());
  EXPECT_TRUE(b.SetText(u"<z/>"));
  EXPECT_TRUE(b.FindNextElement(u"z"));
}
