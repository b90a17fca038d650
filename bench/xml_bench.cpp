// XML reader figures: the gesture list as the gesture table loads it, and a larger
// document of nested elements with attributes, text, comments and entities.
#include <benchmark/benchmark.h>

#include "base/text.h"
#include "xml/xml_document.h"

using namespace zel;

namespace {

u16 GestureList(int count) {
  static const char16_t* const kTitles[] = {
      u"向上滚屏", u"向下滚屏", u"前进", u"后退", u"关闭", u"刷新", u"中文",
  };
  static const char16_t* const kActions[] = {u"U", u"D", u"R", u"L", u"DR", u"UD", u"LU"};
  u16 text;
  for (int i = 0; i < count; ++i) {
    text += Format(u"<gesture action=\"%s%s\" cmd=\"%d\" title=\"%s\" />", kActions[i % 7],
                   kActions[(i / 7) % 7], i, kTitles[i % 7]);
  }
  return text;
}

// About 1 MB: sections of items, each with attributes, a comment and entity-laden text.
u16 LargeDocument() {
  u16 text = u"<?xml version=\"1.0\"?>\n<!DOCTYPE catalog>\n<catalog>\n";
  for (int s = 0; s < 200; ++s) {
    text += Format(u"  <section id=\"%d\" name=\"分类 %d\">\n", s, s);
    for (int i = 0; i < 40; ++i) {
      text += Format(
          u"    <item id=\"%d\" href=\"http://example.com/p?a=1&amp;b=%d\" title=\"页面 "
          u"&lt;%d&gt;\">"
          u"<!-- item --><text>Some text &amp; more</text><flag on='1'/></item>\n",
          s * 40 + i, i, i);
    }
    text += u"  </section>\n";
  }
  text += u"</catalog>\n";
  return text;
}

void BM_GestureList(benchmark::State& state) {
  const u16 text = GestureList(50);
  XmlDocument doc;
  for (auto _ : state) {
    doc.SetText(text);
    int sum = 0;
    while (doc.FindNextElement(u"gesture")) {
      sum += ToInt(doc.GetAttribute(u"cmd"));
      benchmark::DoNotOptimize(doc.GetAttribute(u"action"));
      benchmark::DoNotOptimize(doc.GetAttribute(u"title"));
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * 50);
  state.SetBytesProcessed(state.iterations() * int64_t(text.size() * sizeof(char16_t)));
}
BENCHMARK(BM_GestureList);

void BM_GestureListParseOnly(benchmark::State& state) {
  const u16 text = GestureList(50);
  XmlDocument doc;
  for (auto _ : state) benchmark::DoNotOptimize(doc.SetText(text));
  state.SetBytesProcessed(state.iterations() * int64_t(text.size() * sizeof(char16_t)));
}
BENCHMARK(BM_GestureListParseOnly);

void BM_LargeDocumentParse(benchmark::State& state) {
  const u16 text = LargeDocument();
  XmlDocument doc;
  for (auto _ : state) benchmark::DoNotOptimize(doc.SetText(text));
  state.SetBytesProcessed(state.iterations() * int64_t(text.size() * sizeof(char16_t)));
  state.counters["chars"] = double(text.size());
}
BENCHMARK(BM_LargeDocumentParse)->Unit(benchmark::kMillisecond);

void BM_LargeDocumentWalk(benchmark::State& state) {
  const u16 text = LargeDocument();
  XmlDocument doc;
  doc.SetText(text);
  for (auto _ : state) {
    doc.ResetPosition();
    doc.FindNextElement(u"catalog");
    doc.IntoElement();
    size_t chars = 0;
    while (doc.FindNextElement(u"section")) {
      doc.IntoElement();
      while (doc.FindNextElement(u"item")) chars += doc.GetAttribute(u"title").size();
      doc.OutOfElement();
    }
    benchmark::DoNotOptimize(chars);
  }
  state.SetItemsProcessed(state.iterations() * 200 * 40);
}
BENCHMARK(BM_LargeDocumentWalk)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
