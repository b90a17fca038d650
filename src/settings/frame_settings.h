// The frame's settings fields, read from config.ini at the fixed load points and written
// at the fixed save points. Which key goes to which field, its defaults and its load and
// save points are declared once, in the rows of ConfigSchema() (config_schema.cpp).
#pragma once

#include <optional>
#include <string>

#include <vector>

#include "base/text.h"

namespace zel {

// A field bound to a config.ini row (see ConfigSchema) is declared without a value: the
// constructor gives it the row's absent value. Only the fields that are no key of their
// own keep an initializer here.
struct FrameSettings {
  FrameSettings();

  // Early load
  int top, left, width, height;
  bool zoomed;
  u16 homepage;
  int startmode;  // as used in this run: 2 after an abnormal end (EffectiveStartMode)
  int storedStartmode;           // GENERAL/startmode
  bool normalquit;
  bool checkdefault;
  int ctlpro = 0;                // absent: the engine's flags, given to LoadEarlySettings
  bool popupFilter;              // POPUPBLOCK/enable
  bool sound;
  bool showInfoBar;
  bool killFlying;
  bool contentFilter;            // CONTENTBLOCK/enable
  u16 adstr;
  bool proxyEnable;
  u16 curpro, proname, exception, webprx;
  int tabLimit;
  bool activateNewTabs;          // TABSET/newactivewnd, command 884
  int newsequence;
  int maxwidth, minwidth;

  // Frame creation
  u16 skin;
  bool firstrun;
  // CommandBars.ini as this run found it, read once for the owners of its sections
  // (LayoutFileAtStart).
  std::optional<std::string> layoutFileAtStart;
  int tabBarPosition;
  bool smallTabs;

  // Late load
  int bosskey;
  bool minitray, closetray, showtray;
  bool encryform;
  u16 downloadfolder;
  bool quitconfirm, quitallconfirm;
  bool watchclipboard;
  bool newtablink, newactiveopen, newtabaddress, newtabhome;
  bool newtabfav, newtabhis, newtablocal;
  int closeactiveseq, newmode;
  int ldbtab, mktab, rdbtab, ldbbar, rdbbar;
  int tabStyle = 0;              // TABSET/style: saved, never read
  struct CleanFlags {
    bool cache, cookies, form, history, address, search, undo;
  } clean;
  bool matchcase, matchwhole, saveKeyword;
  int mdown, rldown, lrdown;
  bool rdrag;
  bool showGestureHint;          // MOUSESET/showgesture, then MOUSESET/showhelp
  int imgDrag[4];                // up, down, left, right
  int txtDrag[4];
  int linkDrag[4];
  bool hotkeyEnable;
  std::vector<u16> functionKeyTexts;  // F2, F3, ...: HOTKEYSET/F_%d, counted by count
  u16 ceL, ceR, seL, seR, cseL, cseR, caeL, caeR;
};

// Writes the first-run values in their order, or, when the file exists, makes it writable
// and writes firstrun=0. Returns true when the file was created.
// MarkRunning also writes normalquit=0 in the same rewrite, so a starting browser writes
// config.ini once; the value normalquit had before is kept for this run's early load (and
// its start-page rule).
enum class RunMark { Later, MarkRunning };
bool PrepareConfigFile(RunMark mark = RunMark::Later);

// Each load reads the rows of its load point (ConfigSchema) into their fields.
// Early load: engineFlags is the absent value of GENERAL/ctlpro. Applies the normalquit
// rule: after a run that did not end through the shutdown sequence, startmode is 2 for
// this run only (storedStartmode keeps the stored value).
void LoadEarlySettings(FrameSettings& s, int engineFlags);
void LoadFrameCreationSettings(FrameSettings& s);
// Also the HOTKEYSET "F_%d" texts counted by HOTKEYSET/count, which have no rows.
void LoadLateSettings(FrameSettings& s);
// The toggles the user can change outside the options dialog: the rows of each exit save
// point, in their save order. The search words are saved by their owner between TABSET
// and SEARCHSET.
void SaveExitSettingsBeforeSearchWords(const FrameSettings& s);
void SaveExitSettingsAfterSearchWords(const FrameSettings& s);

// Reads a config.ini key with the schema's absent value (0 or empty when it has none);
// texts are cut at 259 characters. The key must have a row: see RequireSetting.
int ReadConfigInt(u16view section, u16view key);
u16 ReadConfigText(u16view section, u16view key);
void WriteConfigInt(u16view section, u16view key, int value);

// Where the frame window was at shutdown, for GENERAL zoomed/top/left/width/height.
struct WindowPlacement {
  bool maximized = false;
  // False for a minimized or full-screen window: its rectangle is not written.
  bool writeRect = true;
  int x = 0, y = 0, width = 0, height = 0;
};
// Maximized: zoomed=1 only. Otherwise, with writeRect: zoomed=0, top=y, left=x, width,
// height, in that order. Otherwise nothing.
void SaveWindowPlacement(const WindowPlacement& p);

// Start-page rule: normalquit 0 turns startmode into 2 for this run.
int EffectiveStartMode(int storedStartmode, bool normalquit);

}  // namespace zel
