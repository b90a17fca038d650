#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "settings/config_schema.h"
#include "settings/settings_file.h"
#include "fakes/temp_dir.h"
#include "fakes/frame_fixture.h"
#include "gestures/gesture_table.h"
#include "gestures/stroke_recognizer.h"
#include "xml/xml_document.h"

using namespace zel;
using zel::test::FakeEngine;
using zel::test::FrameFixture;
using zel::test::ScratchProfile;

namespace {

constexpr unsigned kRight = StrokeRecognizer::kRightButton;
constexpr unsigned kLeft = StrokeRecognizer::kLeftButton;

// Moves from the current point by (dx, dy) in one step.
struct Pointer {
  StrokeRecognizer& r;
  int x = 0, y = 0;
  void Press(int px, int py) {
    x = px;
    y = py;
    r.Press(x, y);
  }
  char16_t By(int dx, int dy, unsigned buttons = kRight) {
    x += dx;
    y += dy;
    return r.Move(x, y, buttons);
  }
};

void WriteGestureSetting(u16view value) {
  ASSERT_TRUE(SettingsFile(kConfigFile, u"MOUSESET").WriteText(u"gesture", value));
}

}  // namespace

TEST(StrokeRecognizer, EightPixelsGiveNothingNinePixelsGiveRight) {
  StrokeRecognizer r;
  r.Press(100, 100);
  EXPECT_EQ(r.Move(108, 100, kRight), 0);
  EXPECT_EQ(r.Move(100, 92, kRight), 0);
  EXPECT_FALSE(r.HasStrokes());
  EXPECT_EQ(r.Move(109, 100, kRight), u'R');
  EXPECT_EQ(r.Strokes(), u"R");

  // 8 across and 1 down is past the 8-pixel circle.
  EXPECT_EQ(StrokeRecognizer::Direction(8, 0), 0);
  EXPECT_EQ(StrokeRecognizer::Direction(8, 1), u'R');
  EXPECT_EQ(StrokeRecognizer::Direction(0, -9), u'U');
}

TEST(StrokeRecognizer, SmallMovesDoNotMoveTheReferencePoint) {
  StrokeRecognizer r;
  Pointer p{r};
  p.Press(0, 0);
  // Three small steps add up to 9 pixels from the press point: one stroke.
  EXPECT_EQ(p.By(3, 0), 0);
  EXPECT_EQ(p.By(3, 0), 0);
  EXPECT_EQ(p.By(3, 0), u'R');
  // After a stroke the reference is the point where it was recognised.
  EXPECT_EQ(p.By(0, 8), 0);
  EXPECT_EQ(p.By(0, 4), u'D');
  EXPECT_EQ(r.Strokes(), u"RD");
}

TEST(StrokeRecognizer, RepeatsCollapseAcrossAPause) {
  StrokeRecognizer r;
  Pointer p{r};
  p.Press(0, 0);
  p.By(20, 0);
  p.By(20, 0);
  p.By(3, 0);  // the pointer rests
  p.By(20, 1);
  EXPECT_EQ(r.Strokes(), u"R");
  p.By(0, -30);
  p.By(30, 0);
  EXPECT_EQ(r.Strokes(), u"RUR") << "only neighbouring repeats collapse";
}

TEST(StrokeRecognizer, RingKeepsTheLastEightStrokes) {
  StrokeRecognizer r;
  Pointer p{r};
  p.Press(500, 500);
  for (int i = 0; i < 9; ++i) p.By(i % 2 == 0 ? 40 : -40, 0);
  EXPECT_EQ(r.Strokes(), u"LRLRLRLR");

  // Ten strokes in four directions: the ring wraps and stays in stroke order.
  p.Press(500, 500);
  EXPECT_EQ(r.Strokes(), u"") << "a new press empties the ring";
  const int steps[4][2] = {{30, 0}, {0, 30}, {-30, 0}, {0, -30}};
  for (int i = 0; i < 10; ++i) p.By(steps[i % 4][0], steps[i % 4][1]);
  EXPECT_EQ(r.Strokes(), u"LURDLURD");
  p.By(30, 0);
  p.By(0, 30);
  p.By(-30, 0);
  EXPECT_EQ(r.Strokes(), u"DLURDRDL");
}

TEST(StrokeRecognizer, ExactDiagonalsDecideNothing) {
  for (int d : {9, 10, 50}) {
    EXPECT_EQ(StrokeRecognizer::Direction(d, d), 0) << d;
    EXPECT_EQ(StrokeRecognizer::Direction(-d, d), 0) << d;
    EXPECT_EQ(StrokeRecognizer::Direction(d, -d), 0) << d;
    EXPECT_EQ(StrokeRecognizer::Direction(-d, -d), 0) << d;
  }
  EXPECT_EQ(StrokeRecognizer::Direction(11, 10), u'R');
  EXPECT_EQ(StrokeRecognizer::Direction(11, -10), u'R');
  EXPECT_EQ(StrokeRecognizer::Direction(-11, 10), u'L');
  EXPECT_EQ(StrokeRecognizer::Direction(10, 11), u'D');
  EXPECT_EQ(StrokeRecognizer::Direction(-10, 11), u'D');
  EXPECT_EQ(StrokeRecognizer::Direction(10, -11), u'U');
  EXPECT_EQ(StrokeRecognizer::Direction(-10, -11), u'U');

  // A diagonal move leaves the reference point where it was.
  StrokeRecognizer r;
  r.Press(0, 0);
  EXPECT_EQ(r.Move(20, 20, kRight), 0);
  EXPECT_EQ(r.Move(30, 20, kRight), u'R');  // 30 across, 20 down from the press point
}

TEST(StrokeRecognizer, LeftButtonHeldMakesNoStrokes) {
  StrokeRecognizer r;
  r.Press(0, 0);
  EXPECT_EQ(r.Move(50, 0, kRight | kLeft), 0);
  EXPECT_EQ(r.Move(50, 50, kRight | StrokeRecognizer::kMiddleButton), 0);
  EXPECT_EQ(r.Move(0, 50, kLeft), 0);
  EXPECT_FALSE(r.HasStrokes());
  StrokeRecognizer::Release rel = r.ReleaseRight();
  EXPECT_TRUE(rel.wasCapturing);
  EXPECT_FALSE(rel.consumed);
  // The reference point did not follow those moves.
  r.Press(0, 0);
  EXPECT_EQ(r.Move(50, 0, kRight | kLeft), 0);
  EXPECT_EQ(r.Move(0, 20, kRight), u'D');
}

TEST(StrokeRecognizer, ReleaseTellsWhetherTheContextMenuMayShow) {
  StrokeRecognizer r;
  r.Press(10, 10);
  r.Move(14, 13, kRight);  // 5 pixels: not a stroke
  StrokeRecognizer::Release click = r.ReleaseRight();
  EXPECT_TRUE(click.wasCapturing);
  EXPECT_FALSE(click.consumed);
  EXPECT_EQ(click.strokes, u"");

  r.Press(10, 10);
  r.Move(10, -20, kRight);
  r.Move(10, 40, kRight);
  StrokeRecognizer::Release gesture = r.ReleaseRight();
  EXPECT_TRUE(gesture.consumed);
  EXPECT_EQ(gesture.strokes, u"UD");
  EXPECT_FALSE(r.capturing());
  EXPECT_EQ(r.Move(100, -20, kRight), 0) << "moves after the release are not strokes";

  // A rocker or wheel action ends capturing: the release that follows is no gesture.
  r.Press(0, 0);
  r.Move(30, 0, kRight);
  r.Cancel();
  EXPECT_EQ(r.Move(30, 40, kRight), 0);
  EXPECT_FALSE(r.ReleaseRight().wasCapturing);
}

TEST(GestureTable, EmptySettingGivesTheBuiltInTable) {
  ScratchProfile profile;
  GestureTable t;
  t.LoadGestureTable();  // no config.ini at all
  ASSERT_EQ(t.entries().size(), 6u);
  EXPECT_EQ(t.LookupGesture(u"UD"), 2);
  EXPECT_EQ(ResolveAction(t.LookupGesture(u"UD")), (ActionTarget{ActionKind::kFrameCommand, cmd::kRefresh}));
  EXPECT_EQ(t.LookupGesture(u"DR"), 20);
  EXPECT_EQ(t.LookupGesture(u"L"), 0);
  EXPECT_EQ(t.LookupGesture(u"U"), 9);
  EXPECT_EQ(t.LookupGesture(u"UL"), -1);

  WriteGestureSetting(u"<gesture action=\"UL\" cmd=\"7\" title=\"主页\" />");
  t.LoadGestureTable();
  EXPECT_EQ(t.LookupGesture(u"UL"), 7);
  EXPECT_EQ(t.LookupGesture(u"UD"), -1) << "a stored table replaces the built-in one";

  WriteGestureSetting(u"");
  t.LoadGestureTable();
  EXPECT_EQ(t.LookupGesture(u"UD"), 2);
  EXPECT_EQ(t.LookupGesture(u"UL"), -1) << "reloading empties the table first";
}

TEST(GestureTable, MatchIsExactAndCaseSensitive) {
  GestureTable t;
  t.LoadFromText(u"<gesture action=\"ud\" cmd=\"2\" title=\"刷新\" />"
                 u"<gesture action=\"DRU\" cmd=\"21\" title=\"x\" />");
  EXPECT_EQ(t.LookupGesture(u"UD"), -1);
  EXPECT_EQ(t.LookupGesture(u"ud"), 2);
  EXPECT_EQ(t.LookupGesture(u"DR"), -1) << "a prefix is no match";
  EXPECT_EQ(t.LookupGesture(u"DRUL"), -1);
  EXPECT_EQ(t.LookupGesture(u""), -1);
  EXPECT_EQ(t.GestureTitle(u"UD"), u"");
}

TEST(GestureTable, FirstOfTwoEqualEntriesWins) {
  GestureTable t;
  t.LoadFromText(u"<gesture action=\"L\" cmd=\"13\" title=\"a\" />"
                 u"<gesture action=\"R\" cmd=\"14\" title=\"b\" />"
                 u"<gesture action=\"L\" cmd=\"0\" title=\"c\" />");
  ASSERT_EQ(t.entries().size(), 3u);
  EXPECT_EQ(t.LookupGesture(u"L"), 13);
  EXPECT_EQ(t.GestureTitle(u"L"), ActionName(13));
  EXPECT_NE(ActionName(13), ActionName(0));
}

TEST(GestureTable, EveryTopLevelElementIsAnEntry) {
  GestureTable t;
  t.LoadFromText(u"<gesture action=\"U\" cmd=\"11\" title=\"t\" /><gesture action=\"D\" cmd=\"12\" />");
  EXPECT_EQ(t.LookupGesture(u"U"), 11);
  EXPECT_EQ(t.LookupGesture(u"D"), 12);

  // Other elements are skipped; a cmd that is no number reads as 0, leading digits count.
  t.LoadFromText(u"<mouse action=\"R\" cmd=\"1\" /><gesture action=\"L\" cmd=\"back\" />"
                 u"<gesture action=\"U\" cmd=\" 12x\" />");
  ASSERT_EQ(t.entries().size(), 2u);
  EXPECT_EQ(t.LookupGesture(u"R"), -1);
  EXPECT_EQ(t.LookupGesture(u"L"), 0);
  EXPECT_EQ(t.LookupGesture(u"U"), 12);
}

TEST(GestureTable, CutSettingKeepsTheEntriesBeforeTheDamage) {
  ScratchProfile profile;
  const u16 builtIn = kDefaultGestureList;
  ASSERT_EQ(builtIn.size(), 254u);
  const u16 seventh = u"<gesture action=\"UL\" cmd=\"7\" title=\"主页\" />";
  WriteGestureSetting(builtIn + seventh);
  GestureTable t;
  t.LoadGestureTable();
  EXPECT_EQ(t.entries().size(), 6u);
  EXPECT_EQ(t.LookupGesture(u"UL"), -1);
  EXPECT_EQ(t.LookupGesture(u"UD"), 2);

  // The cut falls inside the title of the sixth element, after its action and cmd.
  u16 table;
  for (int i = 0; i < 5; ++i)
    table += u"<gesture action=\"" + u16(i + 1, u'R') + u"\" cmd=\"" + IntToText(i) +
             u"\" title=\"\" />";
  const size_t wholeEntries = table.size();
  table += u"<gesture action=\"L\" cmd=\"30\" title=\"" + u16(40, u'x') + u"\" />";
  ASSERT_LT(table.find(u"title", wholeEntries), 259u);
  ASSERT_GT(table.find(u"/>", wholeEntries), 259u);
  WriteGestureSetting(table);
  t.LoadGestureTable();
  for (int i = 0; i < 5; ++i) EXPECT_EQ(t.LookupGesture(u16(i + 1, u'R')), i) << i;
  EXPECT_EQ(t.entries().size(), 5u);
  EXPECT_EQ(t.LookupGesture(u"L"), -1) << "the damaged element is no entry";
}

TEST(GestureTitle, BuiltInNamesMatchTheStoredTitles) {
  GestureTable t;
  t.LoadFromText(u"");
  XmlDocument doc;
  doc.SetText(kDefaultGestureList);
  int seen = 0;
  while (doc.FindNextElement(u"gesture")) {
    ++seen;
    EXPECT_EQ(t.GestureTitle(doc.GetAttribute(u"action")), doc.GetAttribute(u"title"))
        << ToUtf8(doc.GetAttribute(u"action"));
  }
  EXPECT_EQ(seen, 6);
  EXPECT_EQ(t.GestureTitle(u"RL"), u"") << "no entry";

  t.LoadFromText(u"<gesture action=\"R\" cmd=\"1176\" /><gesture action=\"L\" cmd=\"30\" />"
                 u"<gesture action=\"U\" cmd=\"31\" /><gesture action=\"D\" cmd=\"-1\" />");
  EXPECT_EQ(t.GestureTitle(u"R"), u"") << "numbers beyond the list have no name";
  EXPECT_EQ(t.GestureTitle(u"U"), u"");
  EXPECT_EQ(t.GestureTitle(u"D"), u"");
  EXPECT_NE(t.GestureTitle(u"L"), u"");
  for (int n = 0; n <= 30; ++n) EXPECT_NE(ActionName(n), u"") << n;
}

namespace zel {
void PrintTo(const ActionTarget& t, std::ostream* os) {
  *os << "{kind " << static_cast<int>(t.kind) << ", id " << t.id << "}";
}
}  // namespace zel

namespace {

// New-window flags of an opened link (CChildFrame::pendingNewWindowFlags).
constexpr int kOpenAsTheFrameSays = 1;
constexpr int kOpenActivated = 2;
constexpr int kOpenInBackground = 4;

// Two loaded tabs, the second active, with history both ways and a link under the pointer.
class ActionScene : public FrameFixture {
 public:
  ActionScene() {
    OpenPage("http://site/one/a.htm", "A");
    page = OpenPage("http://site/two/b.htm", "B");
    page->view()->backEnabled = true;
    page->view()->forwardEnabled = true;
    EngineOf(page)->hit.link = u"http://site/x.htm";
    EngineOf(page)->pointer = std::make_pair(5, 6);
    loop_.RunPosted();
    for (int i = 0; i < frame_.TabCount(); ++i) EngineOf(frame_.TabAt(i))->calls.clear();
  }
  void TestBody() override {}

  // What can be seen of the frame, its tabs and its window.
  struct Outcome {
    std::vector<std::vector<std::string>> calls;
    std::vector<std::vector<u16>> navigations;
    std::vector<int> newWindowFlags;
    int active = -1;
    bool minimized = false, fullScreen = false, destroyed = false;
    int minimizes = 0, restores = 0;
    std::vector<u16> messages, questions, saveNames;
    bool operator==(const Outcome&) const = default;
  };
  Outcome Seen() {
    Outcome o;
    for (int i = 0; i < frame_.TabCount(); ++i) {
      CChildFrame* c = frame_.TabAt(i);
      o.calls.push_back(EngineOf(c)->calls);
      o.navigations.push_back(EngineOf(c)->navigations);
      o.newWindowFlags.push_back(c->pendingNewWindowFlags);
    }
    o.active = frame_.TabIndexOf(frame_.ActiveChild());
    o.minimized = window_.minimized;
    o.fullScreen = window_.fullScreen;
    o.destroyed = window_.destroyed;
    o.minimizes = window_.minimizes;
    o.restores = window_.restores;
    o.messages = prompts_.messages;
    o.questions = prompts_.questions;
    o.saveNames = prompts_.saveNames;
    return o;
  }

  CMainFrame& frame() { return frame_; }
  FakeEngine* engine() { return EngineOf(page); }
  void RunPosted() { loop_.RunPosted(); }
  CChildFrame* page = nullptr;
};

std::string Describe(const ActionScene::Outcome& o);
void PrintTo(const ActionScene::Outcome& o, std::ostream* os) { *os << Describe(o); }

std::string Describe(const ActionScene::Outcome& o) {
  std::string s = "tabs " + std::to_string(o.calls.size()) + ", active " + std::to_string(o.active);
  for (size_t i = 0; i < o.calls.size(); ++i) {
    s += "\n  tab " + std::to_string(i) + ": flags " + std::to_string(o.newWindowFlags[i]) + ",";
    for (const auto& c : o.calls[i]) s += " [" + c + "]";
    s += " navigations " + std::to_string(o.navigations[i].size());
  }
  s += "\n  minimized " + std::to_string(o.minimized) + ", destroyed " + std::to_string(o.destroyed) +
       ", messages " + std::to_string(o.messages.size()) + ", questions " +
       std::to_string(o.questions.size());
  return s;
}

// What an action number should do, said in the terms of the frame and the page.
struct Expected {
  ActionTarget target;
  std::function<void(ActionScene&)> act;  // the same thing done directly
  bool visible;  // whether the scene shows it (commands the frame does not have yet do not)
};

Expected Command(int id) {
  return {{ActionKind::kFrameCommand, id}, [id](ActionScene& s) { s.frame().OnCommand(id); }, true};
}
Expected CommandNotYetThere(int id) {
  return {{ActionKind::kFrameCommand, id}, [id](ActionScene& s) { s.frame().OnCommand(id); }, false};
}
Expected Key(int key) {
  return {{ActionKind::kKey, key}, [key](ActionScene& s) { s.engine()->PressKey(key); }, true};
}
Expected SystemCommand(int id) {
  return {{ActionKind::kSystemCommand, id}, [id](ActionScene& s) { s.frame().SystemCommand(id); },
          true};
}
Expected OpenLink(int flags) {
  return {{ActionKind::kOpenLink, flags},
          [flags](ActionScene& s) { s.page->view()->OpenLinkUnderPointer(flags); }, true};
}
Expected Nothing() { return {{ActionKind::kNothing, 0}, [](ActionScene&) {}, false}; }
Expected Posted(int id, bool visible) {
  return {{ActionKind::kPostCommand, id}, [id](ActionScene& s) { s.frame().OnCommand(id); },
          visible};
}

}  // namespace

// Every action number, carried out the way the view carries out a gesture, does what its
// name says: the same as running the named command (or pressing the key, sending the
// system command, opening the link) directly.
TEST(GestureActions, NumbersMapToTheirCommands) {
  const struct {
    int number;
    Expected expected;
  } cases[] = {
      {0, Command(cmd::kBack)},
      {1, Command(cmd::kForward)},
      {2, Command(cmd::kRefresh)},
      {3, Nothing()},
      {4, Command(cmd::kStop)},
      {5, Nothing()},
      {6, CommandNotYetThere(cmd::kReopenClosedPage)},
      {7, Command(cmd::kHomeNewTab)},
      {8, Command(cmd::kUp)},
      {9, Key(kKeyPageUp)},
      {10, Key(kKeyPageDown)},
      {11, Key(kKeyHome)},
      {12, Key(kKeyEnd)},
      {13, Command(cmd::kPreviousTab)},
      {14, Command(cmd::kNextTab)},
      {15, CommandNotYetThere(cmd::kZoom100)},
      {16, CommandNotYetThere(cmd::kZoomIn)},
      {17, CommandNotYetThere(cmd::kZoomOut)},
      {18, CommandNotYetThere(cmd::kOpenFile)},
      {19, Command(cmd::kSavePage)},
      {20, Command(cmd::kCloseTab)},
      {21, Command(cmd::kCloseAll)},
      {22, CommandNotYetThere(cmd::kHistoryPane)},
      {23, CommandNotYetThere(cmd::kCollectorPane)},
      {24, CommandNotYetThere(cmd::kAddToFavorites)},
      {25, Command(cmd::kFullScreen)},
      {26, Command(cmd::kPrint)},
      {27, Command(cmd::kPrintPreview)},
      {28, SystemCommand(kSysCommandMinimize)},
      {29, SystemCommand(kSysCommandRestore)},
      {30, Command(cmd::kExit)},
      {1175, OpenLink(kOpenAsTheFrameSays)},
      {1176, OpenLink(kOpenActivated)},
      {1177, OpenLink(kOpenInBackground)},
      // Any other number is a command id of its own, built-in ones included.
      {cmd::kBack, Posted(cmd::kBack, true)},
      {31, Posted(31, false)},
      {1174, Posted(1174, false)},
      {1178, Posted(1178, false)},
      {cmd::kMiddleClickAction, OpenLink(kOpenAsTheFrameSays)},
      {-1, Posted(-1, false)},
  };

  ActionScene::Outcome untouched;
  {
    ActionScene scene;
    scene.RunPosted();
    untouched = scene.Seen();
  }
  for (const auto& c : cases) {
    SCOPED_TRACE("action " + std::to_string(c.number));
    EXPECT_EQ(ResolveAction(c.number), c.expected.target);
    ActionScene::Outcome dispatched, direct;
    {
      ActionScene scene;
      scene.page->view()->DispatchAction(c.number);
      scene.RunPosted();
      dispatched = scene.Seen();
    }
    {
      ActionScene scene;
      c.expected.act(scene);
      scene.RunPosted();
      direct = scene.Seen();
    }
    EXPECT_EQ(dispatched, direct) << "dispatched: " << Describe(dispatched)
                                  << "\ndirect: " << Describe(direct);
    if (c.expected.visible)
      EXPECT_NE(dispatched, untouched) << "no effect: " << Describe(dispatched);
    else
      EXPECT_EQ(dispatched, untouched) << Describe(dispatched);
  }
}
