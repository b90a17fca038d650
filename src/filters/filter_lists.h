// The frame's filter lists: popup block and allow lists and content block and allow lists
// from "blockage.ini", the allowed sites of "Unblocksite.dat", the two wildcard rules, the
// content index that the request hook asks, and the on/off switches of the four filters.
//
// Everything here runs on the main thread; nothing is locked.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/text.h"

namespace zel {

// Popup rule. Entries without "*" and the lone "*" never match here (exact entries are
// compared whole by the callers). The text before the first "*" must start the address,
// every later piece is searched left to right after the previous one, and the end is not
// anchored: "a*b" matches "axxbyy". Case-sensitive.
bool MatchPopupPattern(u16view entry, u16view url);

// Content rule. Like the popup rule, except that the lone "*" matches every address and the
// piece after the last "*" (when the pattern does not end with "*") must end the address,
// after everything matched before it: "a*b" matches "axxb", not "axxbyy", and "ab*b" does
// not match "ab". A pattern without "*" matches only the identical address.
bool MatchContentPattern(u16view pattern, u16view url);

// The lower-case host of an address ("" when it has none, as for "about:blank" or
// "file:///..."): the text after "://" up to "/", "?", "#" or "\", without user
// information and port.
u16 HostOfAddress(u16view address);

// The fragment that allowing the site of an address stores: its host, lower-case, with a
// leading "www" removed (the dot stays, so ".example.com" covers every sub-domain). "" when
// no usable fragment exists: an empty fragment, one made only of dots, or one with a ","
// (the file's separator) would exempt every popup or corrupt the file.
u16 AllowedSiteFragment(u16view address);

// The content index: built from the content lists (lower-cased, trimmed), it answers the
// content rule for every entry without walking all of them. Exact entries sit in a hash
// set; every pattern is filed under one four-character piece of its literal text that any
// matching address must contain, so a request only verifies the patterns whose piece
// occurs in it. Patterns without such a piece are verified on every request.
class ContentIndex {
 public:
  void Build(const std::vector<u16>& blockList, const std::vector<u16>& allowList);
  void Clear();
  // The address must already be lower-case.
  bool IsBlocked(u16view lowerUrl) const;

  size_t blockExactCount() const { return block_.exact.size(); }
  size_t blockPatternCount() const { return block_.patterns.size(); }

 private:
  struct ViewHash {
    using is_transparent = void;
    size_t operator()(u16view s) const { return std::hash<u16view>{}(s); }
  };
  struct ViewEq {
    using is_transparent = void;
    bool operator()(u16view a, u16view b) const { return a == b; }
  };
  struct Side {
    std::unordered_set<u16, ViewHash, ViewEq> exact;
    std::vector<u16> patterns;
    std::vector<uint32_t> unkeyed;                               // no four-character piece
    std::unordered_map<uint64_t, std::vector<uint32_t>> byPiece;  // piece -> patterns
    std::vector<uint64_t> pieceBits;                              // quick "maybe" filter
    int pieceShift = 64;

    void Build(const std::vector<u16>& list);
    bool Matches(u16view url) const;
  };

  Side block_;
  Side allow_;
};

// Reads one value of blockage.ini. Section and key as in the file.
struct FilterListsReader {
  std::function<int(u16view section, u16view key, int def)> readInt;
  std::function<u16(u16view section, u16view key)> readText;
};

// Bits of filterMask.
enum FilterBit : int {
  kFilterPopup = 1,
  kFilterContent = 2,
  kFilterDialog = 4,
  kFilterFloatingAd = 8,
};

struct FilterSwitches {
  bool popup = false;      // POPUPBLOCK/enable
  bool content = true;     // CONTENTBLOCK/enable
  bool dialog = true;      // on at every start, never saved
  bool floatingAd = true;  // POPUPBLOCK/killflying
};

// What the caller has to do after the master switch changed the filters.
struct FilterSwitchEffect {
  bool hookWanted = false;     // the request hook must be registered (content or dialog on)
  bool runFloatingAd = false;  // load the floating-ad script and run it on the active page
};

enum class AllowSiteResult {
  kNoAddress,       // nothing done
  kNoHost,          // no usable host; the notification bar still goes away
  kAlreadyAllowed,  // known host, the file is not touched
  kAdded,           // kept in memory and appended to the file (a file error is ignored)
};

class FilterLists {
 public:
  // Values longer than this are cut when read (blockage.ini values use a 260-unit buffer).
  static constexpr size_t kMaxEntryLength = 259;

  // controlKeyDown tells whether Ctrl is held at the moment of a popup-list check; without
  // it Ctrl counts as up.
  explicit FilterLists(std::function<bool()> controlKeyDown = {});
  void SetControlKeyQuery(std::function<bool()> controlKeyDown);

  // Replaces the four lists with those of the reader, then rebuilds the content index.
  void Load(const FilterListsReader& reader);
  // Load() from blockage.ini through the settings store (filter_lists_ini.cpp).
  void LoadFilterLists();

  // Does nothing unless contentIndexStale is set.
  void RebuildContentIndex();

  // False while Ctrl is held; otherwise true for an address on the popup block list (exact,
  // case-sensitive, or by the popup rule) that is not on the popup allow list.
  bool IsPopupListed(u16view url) const;
  bool IsPopupAllowed(u16view url) const;
  // False when the popup is exempt because its address contains an allowed site; true when
  // the block stands (always when checkSites is false or the address is block-listed).
  bool CheckSiteExemption(u16view url, bool checkSites) const;
  void NoteBlockedPopup(int kind, u16view url);

  // The address must already be lower-case. A stale index lets every request through.
  bool IsContentBlocked(u16view lowerUrl) const;

  // Allow-this-site of a tab showing `address`: keeps the site fragment and appends
  // "fragment," (UTF-16LE) to sitesFile.
  AllowSiteResult AllowSite(u16view address, const std::string& sitesFile);
  // Adds the fragments stored in sitesFile (split at ",") that are not known yet. Returns
  // how many were added; a missing file adds none.
  size_t LoadAllowedSites(const std::string& sitesFile);
  // A site the user types into the list dialog: an address or a bare host, kept as
  // AllowSite keeps a tab's.
  AllowSiteResult AddAllowedSite(u16view typed, const std::string& sitesFile);
  // Takes a site off the list; the file is written again without it (atomically, "," after
  // each site). False when the site was not on the list.
  bool RemoveAllowedSite(u16view site, const std::string& sitesFile);

  // Add-to-filter with the confirmed text: appended unless the same spelling is already
  // listed (or the text is blank), then the index is rebuilt. Never written to the file.
  bool AddToContentFilter(u16view text);

  // Returns the new state of the popup filter.
  bool TogglePopupFilter();
  // The master switch: turns every filter off remembering which were on, or turns the
  // remembered ones back on.
  FilterSwitchEffect ToggleAllFilters();
  bool AnyFilterOn() const;

  std::vector<u16> popupBlockList;
  std::vector<u16> popupAllowList;
  std::vector<u16> contentBlockList;
  std::vector<u16> contentAllowList;
  std::vector<u16> allowedSites;
  int blockedPopupCount = 0;
  // Set whenever the content lists changed and the index no longer reflects them.
  bool contentIndexStale = true;
  FilterSwitches switches;
  int filterMask = kFilterPopup | kFilterContent | kFilterDialog | kFilterFloatingAd;

 private:
  bool OnPopupBlockList(u16view url) const;

  std::function<bool()> controlKeyDown_;
  ContentIndex contentIndex_;
};

}  // namespace zel
