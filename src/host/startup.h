// The pure decisions of process start: command line, folders, the single-instance
// question and the window placement.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/text.h"

namespace zel {

struct CommandLine {
  u16 target;              // an address or a shortcut file; empty when none
  bool embedding = false;  // started by automation: open no start page
};

// Arguments after the program name. "-Embedding" and "-Automation" (also with "/", any
// case) are the automation switches. Any other argument is the target when none was seen
// yet: on this platform "/" starts a path, so it does not make an argument a switch.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The command line's target as the browser opens it: a shortcut file gives its address; a
// relative name of an existing file or folder under cwd becomes its absolute path; anything
// else (an address, a host name, words) is left as it is.
u16 ResolveCommandLineTarget(u16view target, const std::string& cwd);
// The process's current folder, empty when unknown.
std::string CurrentFolder();

// The program folder, with a trailing "/": ZEL_HOME when set; else the executable's folder
// when it can be written (portable use, the build tree); else $XDG_DATA_HOME/zel/ (or
// ~/.local/share/zel/).
std::string ChooseProgramFolder(const std::string& exeDir, bool exeDirWritable,
                                const char* zelHome, const char* xdgDataHome, const char* home);
inline constexpr char kProfileSub[] = "profile/Defaults";
// Whether the executable's folder may be the program folder: it can be written and it is
// not the bin folder of an install (root may write /usr/bin, which is no place for a
// profile).
bool ExeFolderTakesProfile(const std::string& exeDir);

enum class InstanceDecision {
  Continue,  // go on starting
  HandOff,   // write the target into the shared text, tell the running frame, raise it, end
  Raise,     // raise (or un-hide) the running frame and end
  Exit,      // a second instance with a target but no frame to take it: end
};
InstanceDecision DecideInstance(bool hasTarget, bool secondInstance, bool frameFound);

struct Placement {
  bool apply = false;  // move and size the frame (otherwise it keeps its pre-create size)
  int x = 0, y = 0, width = 0, height = 0;
  bool maximized = false;
};
Placement ComputePlacement(int top, int left, int width, int height, bool zoomed, int screenW,
                           int screenH);

}  // namespace zel
