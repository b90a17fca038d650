#include "filters/filter_lists.h"

#include <algorithm>
#include <bit>
#include <unordered_set>

#include "base/files.h"

namespace zel {

namespace {

constexpr size_t kPieceLen = 4;  // four UTF-16 units packed into one 64-bit key
constexpr uint64_t kPieceMul = 0x9E3779B97F4A7C15ull;

uint64_t PackPiece(u16view s) {
  uint64_t v = 0;
  for (size_t i = 0; i < kPieceLen; ++i) v = (v << 16) | s[i];
  return v;
}

// Pieces that nearly every request contains; a pattern filed under one of them would be
// verified on almost every request, so they are the last choice.
const std::unordered_set<uint64_t>& CommonPieces() {
  static const std::unordered_set<uint64_t> pieces = [] {
    std::unordered_set<uint64_t> s;
    const char16_t* texts[] = {u"https://www.", u"http://", u".com/", u".com.cn/", u".net/",
                               u".org/",        u".html",   u".shtml", u".htm?",   u".php?",
                               u".aspx?",       u".jsp?",   u".jpg",   u".jpeg",   u".gif",
                               u".png",         u".css",    u".js?",   u"/images/", u"/img/",
                               u"/static/",     u"index"};
    for (u16view t : texts)
      for (size_t i = 0; i + kPieceLen <= t.size(); ++i) s.insert(PackPiece(t.substr(i)));
    return s;
  }();
  return pieces;
}

bool EndsWithView(u16view s, u16view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

u16 CutEntry(u16 value) {
  if (value.size() > FilterLists::kMaxEntryLength) value.resize(FilterLists::kMaxEntryLength);
  return value;
}

bool OnlyDots(u16view s) {
  return std::all_of(s.begin(), s.end(), [](char16_t c) { return c == u'.'; });
}

// A fragment that could be stored in allowedSites: not empty, not only dots, no ",".
bool UsableFragment(u16view s) { return !OnlyDots(s) && s.find(u',') == u16view::npos; }

}  // namespace

bool MatchPopupPattern(u16view entry, u16view url) {
  if (entry.find(u'*') == u16view::npos || entry == u"*") return false;
  size_t p = 0;
  size_t start = 0;
  bool first = true;
  for (;;) {
    size_t star = entry.find(u'*', start);
    u16view seg = entry.substr(start, star == u16view::npos ? u16view::npos : star - start);
    if (!seg.empty()) {
      if (first) {
        if (url.substr(0, seg.size()) != seg) return false;
        p = seg.size();
      } else {
        size_t k = url.find(seg, p);
        if (k == u16view::npos) return false;
        p = k + seg.size();
      }
    }
    if (star == u16view::npos) return true;
    first = false;
    start = star + 1;
  }
}

bool MatchContentPattern(u16view pattern, u16view url) {
  if (pattern.find(u'*') == u16view::npos) return pattern == url;
  size_t p = 0;
  size_t start = 0;
  bool first = true;
  for (;;) {
    size_t star = pattern.find(u'*', start);
    bool last = star == u16view::npos;
    u16view seg = pattern.substr(start, last ? u16view::npos : star - start);
    if (!seg.empty()) {
      if (first) {  // never also the last piece: the pattern has a "*"
        if (url.substr(0, seg.size()) != seg) return false;
        p = seg.size();
      } else if (last) {
        // The tail must end the address without reaching back into text that an earlier
        // piece already took.
        return url.size() >= p + seg.size() && EndsWithView(url, seg);
      } else {
        size_t k = url.find(seg, p);
        if (k == u16view::npos) return false;
        p = k + seg.size();
      }
    }
    if (last) return true;
    first = false;
    start = star + 1;
  }
}

u16 HostOfAddress(u16view address) {
  size_t sep = address.find(u"://");
  if (sep == u16view::npos) return u"";
  u16view rest = address.substr(sep + 3);
  rest = rest.substr(0, rest.find_first_of(u"/?#\\"));
  size_t at = rest.rfind(u'@');
  if (at != u16view::npos) rest = rest.substr(at + 1);
  if (!rest.empty() && rest[0] == u'[') {
    size_t close = rest.find(u']');
    rest = close == u16view::npos ? rest : rest.substr(0, close + 1);
  } else {
    rest = rest.substr(0, rest.find(u':'));
  }
  return ToLower(rest);
}

u16 AllowedSiteFragment(u16view address) {
  u16 host = HostOfAddress(address);
  if (host.size() > 2 && host.compare(0, 3, u"www") == 0) host.erase(0, 3);
  return UsableFragment(host) ? host : u16();
}

// ---------------------------------------------------------------------------------------
// Content index

void ContentIndex::Side::Build(const std::vector<u16>& list) {
  exact.clear();
  patterns.clear();
  unkeyed.clear();
  byPiece.clear();
  for (const u16& raw : list) {
    u16 entry = Trim(ToLower(raw));
    if (entry.find(u'*') == u16::npos)
      exact.insert(std::move(entry));
    else
      patterns.push_back(std::move(entry));
  }

  // File each pattern under the piece of its literal text that the fewest patterns share
  // so far, avoiding pieces that every address carries.
  const auto& common = CommonPieces();
  for (uint32_t i = 0; i < patterns.size(); ++i) {
    u16view pat = patterns[i];
    bool found = false;
    uint64_t best = 0;
    size_t bestScore = 0;
    size_t start = 0;
    while (start <= pat.size()) {
      size_t star = pat.find(u'*', start);
      size_t end = star == u16view::npos ? pat.size() : star;
      for (size_t j = start; j + kPieceLen <= end; ++j) {
        uint64_t piece = PackPiece(pat.substr(j));
        auto it = byPiece.find(piece);
        size_t score = (it == byPiece.end() ? 0 : it->second.size()) +
                       (common.count(piece) ? size_t(1) << 20 : 0);
        if (!found || score < bestScore) {
          found = true;
          best = piece;
          bestScore = score;
        }
      }
      if (star == u16view::npos) break;
      start = star + 1;
    }
    if (found)
      byPiece[best].push_back(i);
    else
      unkeyed.push_back(i);
  }

  size_t bits = 4096;
  while (bits < byPiece.size() * 32) bits <<= 1;
  pieceShift = 64 - std::countr_zero(bits);
  pieceBits.assign(bits / 64, 0);
  for (const auto& kv : byPiece) {
    uint64_t h = (kv.first * kPieceMul) >> pieceShift;
    pieceBits[h >> 6] |= uint64_t(1) << (h & 63);
  }
}

bool ContentIndex::Side::Matches(u16view url) const {
  if (exact.find(url) != exact.end()) return true;
  for (uint32_t i : unkeyed)
    if (MatchContentPattern(patterns[i], url)) return true;
  if (byPiece.empty() || url.size() < kPieceLen) return false;
  uint64_t piece = 0;
  for (size_t i = 0; i < url.size(); ++i) {
    piece = (piece << 16) | url[i];
    if (i + 1 < kPieceLen) continue;
    uint64_t h = (piece * kPieceMul) >> pieceShift;
    if (!((pieceBits[h >> 6] >> (h & 63)) & 1)) continue;
    auto it = byPiece.find(piece);
    if (it == byPiece.end()) continue;
    for (uint32_t k : it->second)
      if (MatchContentPattern(patterns[k], url)) return true;
  }
  return false;
}

void ContentIndex::Build(const std::vector<u16>& blockList, const std::vector<u16>& allowList) {
  block_.Build(blockList);
  allow_.Build(allowList);
}

void ContentIndex::Clear() { Build({}, {}); }

bool ContentIndex::IsBlocked(u16view lowerUrl) const {
  return block_.Matches(lowerUrl) && !allow_.Matches(lowerUrl);
}

// ---------------------------------------------------------------------------------------
// Lists

FilterLists::FilterLists(std::function<bool()> controlKeyDown)
    : controlKeyDown_(std::move(controlKeyDown)) {}

void FilterLists::SetControlKeyQuery(std::function<bool()> controlKeyDown) {
  controlKeyDown_ = std::move(controlKeyDown);
}

void FilterLists::Load(const FilterListsReader& reader) {
  // A counted list ends at its first empty value, whatever the count says.
  auto readList = [&](u16view section, u16view countKey, u16view entryKey) {
    std::vector<u16> list;
    int count = reader.readInt ? reader.readInt(section, countKey, 0) : 0;
    for (int n = 0; n < count && reader.readText; ++n) {
      u16 value = reader.readText(section, Format(entryKey, n));
      if (value.empty()) break;
      list.push_back(CutEntry(std::move(value)));
    }
    return list;
  };
  popupBlockList = readList(u"POPUP", u"pop_block_count", u"block_%d");
  popupAllowList = readList(u"POPUP", u"pop_unblock_count", u"unbock_%d");
  contentBlockList = readList(u"URL", u"url_block_count", u"block_%d");
  contentAllowList = readList(u"URL", u"url_unblock_count", u"unbock_%d");
  contentIndexStale = true;
  RebuildContentIndex();
}

void FilterLists::RebuildContentIndex() {
  if (!contentIndexStale) return;
  contentIndex_.Build(contentBlockList, contentAllowList);
  contentIndexStale = false;
}

bool FilterLists::OnPopupBlockList(u16view url) const {
  for (const u16& e : popupBlockList) {
    if (e.find(u'*') == u16::npos ? e == url : MatchPopupPattern(e, url)) return true;
  }
  return false;
}

bool FilterLists::IsPopupListed(u16view url) const {
  if (controlKeyDown_ && controlKeyDown_()) return false;
  if (!OnPopupBlockList(url)) return false;
  return !IsPopupAllowed(url);
}

bool FilterLists::IsPopupAllowed(u16view url) const {
  for (const u16& e : popupAllowList) {
    if (e.find(u'*') == u16::npos ? e == url : MatchPopupPattern(e, url)) return true;
  }
  return false;
}

bool FilterLists::CheckSiteExemption(u16view url, bool checkSites) const {
  if (!checkSites) return true;
  if (OnPopupBlockList(url)) return true;  // a listed address is never exempted by its site
  u16 lower = ToLower(url);
  for (const u16& site : allowedSites) {
    // An empty fragment would exempt everything; none is ever stored, but the list is open.
    if (!site.empty() && lower.find(site) != u16::npos) return false;
  }
  return true;
}

void FilterLists::NoteBlockedPopup(int /*kind*/, u16view /*url*/) { ++blockedPopupCount; }

bool FilterLists::IsContentBlocked(u16view lowerUrl) const {
  if (contentIndexStale) return false;
  return contentIndex_.IsBlocked(lowerUrl);
}

AllowSiteResult FilterLists::AllowSite(u16view address, const std::string& sitesFile) {
  if (address.empty()) return AllowSiteResult::kNoAddress;
  u16 fragment = AllowedSiteFragment(address);
  if (fragment.empty()) return AllowSiteResult::kNoHost;
  if (std::find(allowedSites.begin(), allowedSites.end(), fragment) != allowedSites.end())
    return AllowSiteResult::kAlreadyAllowed;
  allowedSites.push_back(fragment);
  AppendUtf16LeFile(sitesFile, fragment + u",");  // an unwritable file only loses the record
  return AllowSiteResult::kAdded;
}

AllowSiteResult FilterLists::AddAllowedSite(u16view typed, const std::string& sitesFile) {
  u16 text = Trim(typed);
  if (text.empty()) return AllowSiteResult::kNoAddress;
  if (text.find(u"://") == u16::npos) text = u"http://" + text;
  return AllowSite(text, sitesFile);
}

bool FilterLists::RemoveAllowedSite(u16view site, const std::string& sitesFile) {
  auto it = std::find(allowedSites.begin(), allowedSites.end(), site);
  if (it == allowedSites.end()) return false;
  allowedSites.erase(it);
  u16 text;
  for (const u16& s : allowedSites) text += s + u",";
  WriteUtf16LeFileAtomic(sitesFile, text);
  return true;
}

size_t FilterLists::LoadAllowedSites(const std::string& sitesFile) {
  auto text = ReadUtf16LeFile(sitesFile);
  if (!text) return 0;
  size_t added = 0;
  // A set makes a long file one pass, not a search of the list for every entry.
  std::unordered_set<u16> known(allowedSites.begin(), allowedSites.end());
  for (u16& piece : Split(*text, u',')) {
    u16 site = ToLower(Trim(piece));
    if (!UsableFragment(site)) continue;  // "a,,b" or a stray "." must not exempt everything
    if (!known.insert(site).second) continue;
    allowedSites.push_back(std::move(site));
    ++added;
  }
  return added;
}

bool FilterLists::AddToContentFilter(u16view text) {
  if (Trim(text).empty()) return false;
  if (std::find(contentBlockList.begin(), contentBlockList.end(), text) !=
      contentBlockList.end())
    return false;
  contentBlockList.emplace_back(text);
  contentIndexStale = true;
  RebuildContentIndex();
  return true;
}

bool FilterLists::TogglePopupFilter() {
  switches.popup = !switches.popup;
  return switches.popup;
}

bool FilterLists::AnyFilterOn() const {
  return switches.popup || switches.content || switches.dialog || switches.floatingAd;
}

FilterSwitchEffect FilterLists::ToggleAllFilters() {
  if (AnyFilterOn()) {
    filterMask = (switches.popup ? kFilterPopup : 0) | (switches.content ? kFilterContent : 0) |
                 (switches.dialog ? kFilterDialog : 0) |
                 (switches.floatingAd ? kFilterFloatingAd : 0);
    switches = FilterSwitches{false, false, false, false};
  } else {
    switches.popup = filterMask & kFilterPopup;
    switches.content = filterMask & kFilterContent;
    switches.dialog = filterMask & kFilterDialog;
    switches.floatingAd = filterMask & kFilterFloatingAd;
  }
  FilterSwitchEffect effect;
  effect.hookWanted = switches.content || switches.dialog;
  effect.runFloatingAd = switches.floatingAd;
  return effect;
}

}  // namespace zel
