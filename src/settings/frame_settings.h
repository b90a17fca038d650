// The frame's settings fields, read from config.ini at the fixed load points and written
// at the fixed save points. Defaults come from the schema table, never from a call site.
#pragma once

#include <vector>

#include "base/text.h"

namespace zel {

struct FrameSettings {
  // Early load
  int top = 50, left = 50, width = 800, height = 600;
  bool zoomed = true;
  u16 homepage = u"about:blank";
  int startmode = 0;  // as used in this run: 2 after an abnormal end
  int storedStartmode = 0;
  bool normalquit = true;
  bool checkdefault = true;
  int ctlpro = 0;
  bool popupFilter = false;      // POPUPBLOCK/enable
  bool sound = false;
  bool showInfoBar = false;
  bool killFlying = true;
  bool contentFilter = true;     // CONTENTBLOCK/enable
  u16 adstr = u"AD";
  bool proxyEnable = false;
  u16 curpro, proname, exception = u"<local>", webprx;
  int tabLimit = 100;
  bool activateNewTabs = true;   // TABSET/newactivewnd, command 884
  int newsequence = 1;
  int maxwidth = 100, minwidth = 50;

  // Frame creation
  u16 skin = u"default";
  bool firstrun = false;
  int tabBarPosition = 0;
  bool smallTabs = false;

  // Late load
  int bosskey = 0;
  bool minitray = false, closetray = false, showtray = false;
  bool encryform = false;
  u16 downloadfolder;
  bool quitconfirm = false, quitallconfirm = false;
  bool watchclipboard = true;
  bool newtablink = false, newactiveopen = true, newtabaddress = false, newtabhome = true;
  bool newtabfav = true, newtabhis = true, newtablocal = true;
  int closeactiveseq = 0, newmode = 0;
  int ldbtab = 0, mktab = 0, rdbtab = 0, ldbbar = 0, rdbbar = 0;
  int tabStyle = 0;
  struct {
    bool cache = false, cookies = false, form = false, history = false, address = false,
         search = false, undo = false;
  } clean;
  bool matchcase = false, matchwhole = false, saveKeyword = false;
  int mdown = 0, rldown = 0, lrdown = 0;
  bool rdrag = false;
  bool showGestureHint = false;
  int imgDrag[4] = {6, 1, 3, 3};   // up, down, left, right
  int txtDrag[4] = {7, 9, 2, 3};
  int linkDrag[4] = {9, 3, 2, 3};
  bool hotkeyEnable = false;
  std::vector<u16> functionKeyTexts;  // F2, F3, ...
  u16 ceL, ceR, seL, seR, cseL, cseR, caeL, caeR;
};

// Writes the first-run values in their order, or, when the file exists, makes it writable
// and writes firstrun=0. Returns true when the file was created.
bool PrepareConfigFile();

// Early load. engineFlags is the absent value of GENERAL/ctlpro. Applies the normalquit
// rule: after a run that did not end through the shutdown sequence, startmode is 2 for
// this run only.
void LoadEarlySettings(FrameSettings& s, int engineFlags);
void LoadFrameCreationSettings(FrameSettings& s);
void LoadLateSettings(FrameSettings& s);
// The toggles the user can change outside the options dialog, in their exit order.
// The search words are saved by their owner between TABSET and SEARCHSET.
void SaveExitSettingsBeforeSearchWords(const FrameSettings& s);
void SaveExitSettingsAfterSearchWords(const FrameSettings& s);

// Reads a config.ini key with the schema's absent value.
int ReadConfigInt(u16view section, u16view key);
u16 ReadConfigText(u16view section, u16view key);
void WriteConfigInt(u16view section, u16view key, int value);

// Start-page rule: normalquit 0 turns startmode into 2 for this run.
int EffectiveStartMode(int storedStartmode, bool normalquit);

}  // namespace zel
