// The search engines of the search bar: the list from "profile/SearchEngine/config.ini"
// under the program folder, the chosen engine (config.ini SEARCHSET/engine), the engine
// button's menu as data, and the address a web search opens.
#pragma once

#include <string>
#include <vector>

#include "base/text.h"

namespace zel {

// Search modes of the frame, read by the search command.
enum class SearchMode { Web = 1, Find = 2, Highlight = 4 };

inline constexpr int kCmdSearch = 1242;
inline constexpr int kCmdFindInPage = 1086;
inline constexpr int kCmdHighlightInPage = 1087;
inline constexpr int kCmdToggleSaveKeyword = 1178;

// Engine menu ids: 30720 + N, never 31231 or above. The range below reaches the same
// handler and is ignored.
inline constexpr int kEngineMenuFirstId = 30720;
inline constexpr int kEngineMenuEndId = 31231;  // first id not used
inline constexpr int kEngineIgnoredFirstId = 30208;
inline constexpr int kMaxEngines = kEngineMenuEndId - kEngineMenuFirstId;  // 511

// Longest encoded keyword, in characters.
inline constexpr size_t kMaxEncodedKeyword = 1023;

// The fixed provider used when no engine is chosen or its template is empty.
inline constexpr char16_t kDefaultSearchTemplate[] = u"https://www.baidu.com/s?wd=%s&tn=ZEL";

struct SearchEngine {
  u16 title;  // menu text
  u16 url;    // address template, "%s" stands for the keyword
  u16 icon;   // icon file name, relative to the engine folder
};

struct EngineMenuItem {
  int id = 0;
  u16 title;
  std::string iconPath;  // absolute; empty when the engine names no icon
};

struct EngineMenu {
  std::vector<EngineMenuItem> items;
  // Index into items of the current engine (its icon and title go on the engine button),
  // or -1 when no listed engine is current.
  int currentItem = -1;
};

// "profile/SearchEngine" under the program folder, and the engine file inside it.
std::string SearchEngineFolder();
std::string SearchEngineFile();

// Keyword to query text: the keyword's GBK bytes, letters and digits kept, space "+",
// every other byte "%XX" with upper-case hex digits. Stops before the character whose
// bytes would take the result past kMaxEncodedKeyword characters, so no character and no
// "%XX" group is ever cut in half.
u16 EncodeSearchKeyword(u16view keyword);

// Puts the encoded keyword into the template at every "%s"; an empty template means the
// default one. A template without "%s" comes back unchanged.
u16 BuildSearchUrl(u16view urlTemplate, u16view keyword);

// The frame's engine list and current engine.
class SearchEngines {
 public:
  // Reads SEARCHSET/engine, then the engine file (count, "%d_title", "%d_ico", "%d_s";
  // empty values are kept as they are). A missing file gives an empty list.
  void Load();

  const std::vector<SearchEngine>& engines() const { return engines_; }
  int currentEngine() const { return current_; }
  // The current engine, or nullptr when the index is outside the list.
  const SearchEngine* Current() const;

  // Commands 30720 ... 31230: writes SEARCHSET/engine at once and makes the engine
  // current; true when the menu must be rebuilt. Ids 30208 ... 30719 and anything else
  // are ignored (false).
  bool SelectEngine(int commandId);

  EngineMenu BuildEngineMenu() const;

  // The address of a web search for an already trimmed, non-empty keyword.
  u16 SearchUrl(u16view keyword) const;

 private:
  std::vector<SearchEngine> engines_;
  int current_ = 0;
};

// First run: when the engine file does not exist yet, writes a small default engine set
// (engine file and one 16x16 PNG icon per engine, the drawn ones of res/search). Never
// touches an existing file. True when the set was written.
bool InstallDefaultSearchEngines();

// A default engine's icon that is still the plain square of earlier versions becomes its
// drawn icon; every other file stays as it is.
void ReplacePlainEngineIcons();

// A 16x16 RGB PNG filled with one colour and framed by a one-pixel darker border
// (uncompressed deflate blocks): the plain icon earlier versions gave the default engines.
std::string MakeSolidIconPng(uint8_t r, uint8_t g, uint8_t b);

}  // namespace zel
