// The collector: its records, stores, files and commands, over a recording pane.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <set>

#include "base/files.h"
#include "settings/settings_file.h"
#include "collector/collector_controller.h"
#include "collector/collector_rules.h"
#include "collector/collector_store.h"
#include "fakes/frame_fixture.h"
#include "frame/page_menus.h"
#include "downloads/downloads_controller.h"
#include "filters/filters_controller.h"

using namespace zel;
using namespace zel::test;

namespace {

// The pane's stores as plain strings; the caret is an index into the shown one.
class RecordingPane : public CollectorPaneView {
 public:
  void Create(int x, int y, int w, int h) override {
    created = true;
    rect = {x, y, w, h};
  }
  bool Created() const override { return created; }
  void Show() override { visible = true; }
  void Hide() override { visible = false; }
  bool Visible() const override { return visible; }
  void ShowStore(CollectorStore s) override { shown = s; }
  CollectorStore ShownStore() const override { return shown; }
  u16 StoreText(CollectorStore s) const override { return stores[int(s)]; }
  void SetStoreText(CollectorStore s, u16view t) override { stores[int(s)] = u16(t); }
  size_t StoreLength(CollectorStore s) const override { return stores[int(s)].size(); }
  void InsertAtCaret(CollectorStore s, u16view t, bool atEnd) override {
    u16& store = stores[int(s)];
    store.insert(atEnd ? store.size() : 0, t);
  }
  u16 Selection() const override { return selection; }
  u16 CaretLine(size_t* column) const override {
    *column = caretColumn;
    return caretLine;
  }
  void SetAlpha(int a) override { alpha = a; }

  bool created = false, visible = false;
  std::vector<int> rect;
  CollectorStore shown = CollectorStore::Text;
  u16 stores[3];
  u16 selection, caretLine;
  size_t caretColumn = 0;
  int alpha = 255;
};

class Collector : public FrameFixture {
 protected:
  Collector() {
    collector().SetView(&pane_);
    // A fixed clock: 3 February, 04:05:06.
    // (The frame made the controller with the system clock; the stamp rule is tested here.)
  }
  CollectorController& collector() { return frame_.controller<CollectorController>(); }
  std::string PathOf(CollectorStore s) { return collector().StorePath(s); }
  RecordingPane pane_;
};

TEST(CollectorRules, StampsAndRecordLayoutPerStore) {
  StampTime t{2, 3, 4, 5, 6};
  EXPECT_EQ(RecordStamp(t), u"[02/03-04:05:06] ");
  struct Row {
    const char16_t* text;
    int kind;
    bool stamp;
    const char16_t* record;
  } rows[] = {
      {u"words", 0, true, u"[02/03-04:05:06] \r\nwords\r\n"},
      {u"words\r\n", 0, false, u"words\r\n"},
      {u"内容过滤器 =>http://ad/x.gif", 15, true, u"[02/03-04:05:06] 内容过滤器 =>http://ad/x.gif\r\n"},
      {u"文件已保存 => /p/a.png", 1, false, u"文件已保存 => /p/a.png\r\n"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(LayOutRecord(r.text, r.kind, r.stamp ? RecordStamp(t) : u16()), r.record)
        << ToUtf8(r.text);
  EXPECT_EQ(DroppedTextRecord(u"http://site/a.htm", u"words"), u"http://site/a.htm => words");
  EXPECT_EQ(DroppedTextRecord(u"", u"words"), u"words");
}

TEST(CollectorRules, TheAddressOnTheCaretLine) {
  const u16 saved = u"文件已保存 => /home/u/a.png <= http://site/a.htm";
  size_t back = saved.find(u" <= ");
  struct Row {
    u16 line;
    size_t caret;
    u16 address;
  } rows[] = {
      {u"  http://site/x.htm \r", 0, u"http://site/x.htm"},
      {u"http://site/a.htm => some words", 3, u"some words"},
      {saved, 2, u"/home/u/a.png"},
      {saved, back, u"/home/u/a.png"},
      {saved, back + 1, u"http://site/a.htm"},
      {saved, saved.size(), u"http://site/a.htm"},
      {u"a <= b", 5, u"a <= b"},  // " <= " alone changes nothing
      {u16(2000, u'x') + u" => http://y", 0, u16(1030, u'x')},
  };
  for (const Row& r : rows)
    EXPECT_EQ(AddressOnLine(r.line, r.caret), r.address) << ToUtf8(r.line.substr(0, 40));
  EXPECT_TRUE(OpensFromCollector(u"http://site/x.htm"));
  EXPECT_FALSE(OpensFromCollector(u"x"));
}

TEST(CollectorRules, FullStoreMessagesByKind) {
  EXPECT_EQ(FullStoreMessage(0), u"文本收集器已达到最大字符数限制, 请清除!");
  EXPECT_EQ(FullStoreMessage(1), u"输出收集器已达到最大字符数限制, 请清除!");
  EXPECT_EQ(FullStoreMessage(2), u"脚本收集器已达到最大字符数限制, 请清除!");
}

TEST(CollectorRules, DroppedImageNamesAndTheirNumbers) {
  struct Row {
    const char16_t* address;
    const char* name;
  } rows[] = {
      {u"http://site/img/logo[1].gif", "logo.gif"},
      {u"http://site/img/photo.jpg?size=2#top", "photo.jpg"},
      {u"C:\\cache\\x[2]y.png", "xy.png"},
      {u"http://site/", "image"},
      {u"http://site/a]b[c.png", "a]b[c.png"},  // "[" after "]": no cache suffix
  };
  for (const Row& r : rows) EXPECT_EQ(DroppedImageName(r.address), r.name) << r.name;
  std::set<std::string> taken = {"a[1].png", "a[2].png"};
  EXPECT_EQ(FreeNumberedName("a.png", [&](const std::string& n) { return taken.count(n) > 0; }),
            "a[3].png");
  EXPECT_EQ(FreeNumberedName("noext", [](const std::string&) { return false; }), "noext[1]");

  TempDir dir;
  std::string folder = dir / "My Pictures";
  ImageSaveResult first = SaveDroppedImage(folder, "a.png", "1234");
  EXPECT_EQ(first.kind, ImageSaveResult::Saved);
  EXPECT_EQ(first.path, folder + "/a.png");
  EXPECT_EQ(SaveDroppedImage(folder, "a.png", "abcd").kind, ImageSaveResult::Exists);
  ImageSaveResult other = SaveDroppedImage(folder, "a.png", "123456");
  EXPECT_EQ(other.path, folder + "/a[1].png");
  EXPECT_EQ(ReadFileBytes(other.path), std::string("123456"));
  EXPECT_EQ(ReadFileBytes(first.path), std::string("1234"));
}

TEST(CollectorStoreFiles, DamagedAndHugeFilesLoadCut) {
  TempDir dir;
  std::string path = dir / "collect_t.dat";
  EXPECT_EQ(LoadStoreFile(path), u"");  // missing
  struct Row {
    std::string bytes;
    u16 text;
  } rows[] = {
      {std::string("a\0b\0c", 5), u"ab"},                 // odd byte count
      {std::string("\x00\xd8" "a\0", 4), u16{0xd800, u'a'}},  // a lone surrogate is kept
      {std::string(), u""},
  };
  for (const Row& r : rows) {
    ASSERT_TRUE(WriteFileAtomic(path, r.bytes));
    EXPECT_EQ(LoadStoreFile(path), r.text);
  }
  // 5 MB of text: cut to the limit.
  ASSERT_TRUE(WriteFileAtomic(path, std::string(5 * 1024 * 1024, 'x')));
  u16 big = LoadStoreFile(path);
  EXPECT_EQ(big.size(), kStoreLimit);
  EXPECT_EQ(big[0], char16_t(0x7878));
  // An append after a torn (odd) file stays aligned.
  ASSERT_TRUE(WriteFileAtomic(path, std::string("a\0b", 3)));
  ASSERT_TRUE(AppendStoreFile(path, u"cd"));
  u16 after = LoadStoreFile(path);
  ASSERT_EQ(after.size(), 4u);
  EXPECT_EQ(after.substr(2), u"cd");
  // A new file is the user's alone.
  std::string fresh = dir / "collect_o.dat";
  ASSERT_TRUE(AppendStoreFile(fresh, u"x"));
  struct stat st {};
  ASSERT_EQ(::stat(fresh.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(Collector, RecordsWithoutThePaneGoToTheFilesAndTheFirstOpeningShowsThem) {
  collector().switches().stamps = false;
  collector().CollectRecord(u"first", 0);
  collector().CollectRecord(u"内容过滤器 =>http://ad/x.gif", kKindContentFilter);
  collector().CollectRecord(u"second", 0);
  EXPECT_EQ(LoadStoreFile(PathOf(CollectorStore::Text)), u"first\r\nsecond\r\n");
  EXPECT_EQ(LoadStoreFile(PathOf(CollectorStore::Output)), u"内容过滤器 =>http://ad/x.gif\r\n");
  EXPECT_EQ(window_.status, u"内容过滤器 =>http://ad/x.gif");
  // Switched-off kinds are dropped, kinds without a switch always kept.
  collector().switches().kinds[kKindContentFilter - 11] = false;
  collector().CollectRecord(u"dropped", kKindContentFilter);
  collector().CollectRecord(u"kept", 3);
  EXPECT_EQ(LoadStoreFile(PathOf(CollectorStore::Output)),
            u"内容过滤器 =>http://ad/x.gif\r\nkept\r\n");

  frame_.OnCommand(cmd::kCollectorPane);
  EXPECT_EQ(pane_.rect, (std::vector<int>{360, 300, 400, 220}));
  EXPECT_TRUE(pane_.visible);
  EXPECT_EQ(pane_.stores[0], u"first\r\nsecond\r\n");
  EXPECT_TRUE(*frame_.CommandChecked(cmd::kCollectorPane));
  // Now records go into the pane, at the end or at the top.
  collector().CollectRecord(u"third", 0);
  collector().switches().atEnd = false;
  collector().CollectRecord(u"top", 0);
  EXPECT_EQ(pane_.stores[0], u"top\r\nfirst\r\nsecond\r\nthird\r\n");
  EXPECT_EQ(LoadStoreFile(PathOf(CollectorStore::Text)), u"first\r\nsecond\r\n");
  // Closing writes the stores.
  frame_.OnCommand(cmd::kCollectorPane);
  EXPECT_FALSE(pane_.visible);
  EXPECT_EQ(LoadStoreFile(PathOf(CollectorStore::Text)), u"top\r\nfirst\r\nsecond\r\nthird\r\n");
}

TEST_F(Collector, AFullStoreRefusesTheRecordWithItsMessage) {
  frame_.OnCommand(cmd::kCollectorPane);
  struct Row {
    int kind;
    CollectorStore store;
    const char16_t* message;
  } rows[] = {
      {0, CollectorStore::Text, u"文本收集器已达到最大字符数限制, 请清除!"},
      {1, CollectorStore::Output, u"输出收集器已达到最大字符数限制, 请清除!"},
      {15, CollectorStore::Output, u"输出收集器已达到最大字符数限制, 请清除!"},
  };
  for (const Row& r : rows) {
    pane_.stores[int(r.store)] = u16(kStoreLimit, u'x');
    collector().CollectRecord(u"more", r.kind);
    EXPECT_EQ(pane_.stores[int(r.store)].size(), kStoreLimit);
    EXPECT_EQ(pane_.shown, r.store);
    EXPECT_EQ(prompts_.messages.back(), r.message);
    // One character less and it goes in.
    pane_.stores[int(r.store)].pop_back();
    collector().CollectRecord(u"more", r.kind);
    EXPECT_GT(pane_.stores[int(r.store)].size(), kStoreLimit);
  }
}

TEST_F(Collector, ThePaneCommands) {
  frame_.OnCommand(cmd::kCollectorPane);
  // 1236: the caret line's address opens in a new tab; a non-address says so.
  pane_.caretLine = u"http://site/a.htm => words";
  pane_.caretLine = u"words => http://site/b.htm";
  frame_.OnCommand(cmd::kCollectorOpenLine);
  ASSERT_EQ(frame_.TabCount(), 1);
  EXPECT_EQ(LastNavigation(), u"http://site/b.htm");
  pane_.caretLine = u"just words";
  frame_.OnCommand(cmd::kCollectorOpenLine);
  EXPECT_EQ(prompts_.messages.back(), u"不是有效的地址!");
  // 1247: the selection.
  frame_.OnCommand(cmd::kCollectorOpenSelection);
  EXPECT_EQ(prompts_.messages.back(), u"请在收集器中选择文本!");
  pane_.selection = u"  http://site/c.htm ";
  frame_.OnCommand(cmd::kCollectorOpenSelection);
  EXPECT_EQ(LastNavigation(), u"http://site/c.htm");
  // 1243: only from the script collector.
  frame_.OnCommand(cmd::kCollectorRunScript);
  EXPECT_EQ(prompts_.messages.back(), u"请先在脚本收集器中选择脚本!");
  frame_.OnCommand(cmd::kCollectorScript);
  pane_.selection = u"<script language=\"JavaScript\">z=3;</script>";
  frame_.OnCommand(cmd::kCollectorRunScript);
  EXPECT_EQ(EngineOf(frame_.ActiveChild())->scripts.back(), u"z=3;");
  // 1246: an empty store asks nothing; a full one is written as UTF-8.
  TempDir dir;
  prompts_.saveAnswer = FromUtf8(dir / "out.txt");
  frame_.OnCommand(cmd::kCollectorSave);
  EXPECT_TRUE(prompts_.saveNames.empty());
  pane_.stores[2] = u"脚本\r\n";
  frame_.OnCommand(cmd::kCollectorSave);
  EXPECT_EQ(prompts_.saveFilters.back(), u"文本文件(*.txt)|*.txt|所有文件(*.*)|*.*|||txt");
  EXPECT_EQ(ReadFileBytes(dir / "out.txt"), std::string("脚本\r\n"));
  // 1237: a "no" keeps the store; clearing the output store resets the blocked popups.
  frame_.OnCommand(cmd::kCollectorOutput);
  pane_.stores[1] = u"records";
  frame_.controller<FiltersController>().lists().blockedPopupCount = 7;
  prompts_.yesAnswers = {false, true};
  frame_.OnCommand(cmd::kCollectorClear);
  EXPECT_EQ(pane_.stores[1], u"records");
  frame_.OnCommand(cmd::kCollectorClear);
  EXPECT_EQ(prompts_.questions.back(), u"您真的要清除收集器吗?");
  EXPECT_EQ(pane_.stores[1], u"");
  EXPECT_EQ(frame_.controller<FiltersController>().lists().blockedPopupCount, 0);
  // 1240: the frame's alpha, then opaque again; never without an alpha below 255.
  frame_.OnCommand(cmd::kCollectorTransparent);
  EXPECT_EQ(pane_.alpha, 200);
  frame_.OnCommand(cmd::kCollectorTransparent);
  EXPECT_EQ(pane_.alpha, 255);
  collector().switches().alpha = 255;
  EXPECT_FALSE(frame_.CommandEnabled(cmd::kCollectorTransparent));
}

TEST_F(Collector, DropsAndTheMenusSendToTheTextCollector) {
  collector().switches().stamps = false;
  frame_.OnCommand(cmd::kCollectorPane);
  collector().OnTextDropped(u"http://site/a.htm", u"some words");
  collector().OnTextDropped(u"", u16(1500, u'y'));
  EXPECT_EQ(pane_.stores[0], u"http://site/a.htm => some words\r\n" + u16(1000, u'y') + u"\r\n");
  collector().OnOtherDropped();
  EXPECT_EQ(window_.status, u"非可拖放图片或图片未显示!");
  pane_.stores[0].clear();
  CChildFrame* tab = OpenPage("http://site/a.htm", "A");
  ASSERT_NE(tab, nullptr);
  auto& menus = frame_.controller<PageMenuController>();
  menus.contextText = u"a link";
  menus.contextAddress = u"http://site/l.htm";
  frame_.OnCommand(cmd::kCollectLinkContext);
  frame_.OnCommand(cmd::kCollectTextContext);
  EXPECT_EQ(pane_.stores[0], u"a link => http://site/l.htm\r\na link\r\n");
}

TEST_F(Collector, SavedFilesAreOutputRecords) {
  collector().switches().stamps = false;
  frame_.controller<DownloadsController>().NoteFileSaved(u"/home/u/My Html/a.pdf");
  EXPECT_EQ(LoadStoreFile(PathOf(CollectorStore::Output)), u"文件已保存 =>/home/u/My Html/a.pdf\r\n");
  collector().switches().kinds[kKindSavedFile - 11] = false;
  frame_.controller<DownloadsController>().NoteFileSaved(u"/home/u/My Html/b.pdf");
  EXPECT_EQ(LoadStoreFile(PathOf(CollectorStore::Output)), u"文件已保存 =>/home/u/My Html/a.pdf\r\n");
}

TEST_F(Collector, SwitchesComeFromTheConfigFile) {
  SettingsFile(u"config.ini", u"COLLECTSET").WriteInt(u"stamp", 0);
  SettingsFile(u"config.ini", u"COLLECTSET").WriteInt(u"kind15", 0);
  SettingsFile(u"config.ini", u"COLLECTSET").WriteInt(u"clearexit", 1);
  SettingsFile(u"config.ini", u"COLLECTSET").WriteInt(u"alpha", 120);
  collector().OnDeferredStartup();
  const CollectorSwitches& s = collector().switches();
  EXPECT_FALSE(s.stamps);
  EXPECT_TRUE(s.atEnd);
  EXPECT_TRUE(s.kinds[0]);
  EXPECT_FALSE(s.kinds[4]);
  EXPECT_TRUE(s.clearOutputAtExit);
  EXPECT_EQ(s.alpha, 120);
}

TEST_F(Collector, TheFrameClosingWritesTheStoresAndMayEmptyTheOutput) {
  frame_.OnCommand(cmd::kCollectorPane);
  pane_.stores[0] = u"text";
  pane_.stores[1] = u"output";
  pane_.stores[2] = u"script";
  collector().switches().clearOutputAtExit = true;
  frame_.Close(CloseSource::System);
  EXPECT_EQ(LoadStoreFile(PathOf(CollectorStore::Text)), u"text");
  EXPECT_EQ(LoadStoreFile(PathOf(CollectorStore::Output)), u"");
  EXPECT_EQ(LoadStoreFile(PathOf(CollectorStore::Script)), u"script");
}

}  // namespace
