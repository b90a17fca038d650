// What the options dialog edits: the values of its three pages, taken from the frame's
// settings before the dialog shows and put back (and into config.ini) when it is confirmed.
#pragma once

#include <optional>

#include "base/text.h"
#include "settings/frame_settings.h"

namespace zel {

// The pages in tree order.
enum class OptionsPageId { General = 0, Tabs = 1, Privacy = 2 };
inline constexpr int kOptionsPageCount = 3;

// The page's label in the dialog's tree ("常规 ", "标签页 ", "隐私安全").
const char16_t* OptionsPageLabel(OptionsPageId page);

// "常规 ": start-up and the default browser.
struct StartOptions {
  int startMode = 0;      // 0 blank page, 1 home page, 2 the pages of the last run
  u16 homePage;
  bool checkDefault = true;
  bool operator==(const StartOptions&) const = default;
};

// "标签页 ": where tabs open and which one follows a closed one.
struct TabOptions {
  int newSequence = 0;     // 0 left of the current tab, 1 right of it, 2 at the end
  int closeActiveSeq = 0;  // 0 the left neighbour, 1 the right one
  bool foreground = true;  // new tabs come to the front
  bool newTabAddress = false;
  bool operator==(const TabOptions&) const = default;
};

// "隐私安全": what is cleared when the browser closes.
struct ClearOptions {
  bool cookies = false, history = false, cache = false, form = false, address = false,
       search = false, undo = false;
  bool operator==(const ClearOptions&) const = default;
};

struct OptionsValues {
  StartOptions start;
  TabOptions tabs;
  ClearOptions clear;
  bool operator==(const OptionsValues&) const = default;
};

// The values the frame's settings hold now.
OptionsValues OptionsFromSettings(const FrameSettings& s);
// The confirmed values into the frame's settings. The new-tab choice is the frame's
// activate-new-tabs switch; it is written as TABSET/newactiveopen, which the address box
// reads, so that switch follows too.
void ApplyOptions(const OptionsValues& v, FrameSettings& s);
// Writes the keys the dialog owns, in their order, with one rewrite of config.ini:
// GENERAL homepage, checkdefault, startmode; CLEANSET cache, cookies, from, history,
// address, search, undo; TABSET newtabaddress, newsequence, closeactiveseq, newactiveopen
// (the activate-new-tabs switch). False when the file could not be written.
bool SaveOptions(const FrameSettings& s);

// "恢复本页默认": the page's part of the values back to its defaults.
void RestorePageDefaults(OptionsPageId page, OptionsValues& v);

// "使用默认页" and "使用空白页": the home page field takes the blank page.
void UseBlankHomePage(StartOptions& start);
// "使用当前页": the home page field takes the active tab's address (nothing without one).
void UseCurrentHomePage(StartOptions& start, u16view activeAddress);

// A home page longer than a setting keeps (259 characters) would come back cut.
inline constexpr size_t kMaxHomePageLength = 259;
// The page's values as read from its controls, tidied (the home page loses surrounding
// blanks and line breaks pasted with it); the message for the user when they cannot be
// kept, nullopt when they are fine.
std::optional<u16> CheckPageValues(OptionsPageId page, OptionsValues& v);

}  // namespace zel
