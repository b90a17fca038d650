#include "frame/address_suggestions.h"

#include <map>

namespace zel {

namespace {

// The address as a user reads it: no scheme, no "www.", no last "/".
u16view Bare(u16view url) {
  for (u16view scheme : {u16view(u"http://"), u16view(u"https://")})
    if (StartsWithNoCase(url, scheme)) {
      url.remove_prefix(scheme.size());
      break;
    }
  if (StartsWithNoCase(url, u"www.")) url.remove_prefix(4);
  if (!url.empty() && url.back() == u'/') url.remove_suffix(1);
  return url;
}

}  // namespace

std::vector<AddressSuggestion> RankSuggestions(u16view typed, const std::vector<u16>& typedAddresses,
                                               const std::vector<AddressSuggestion>& favorites,
                                               const std::vector<AddressSuggestion>& history,
                                               size_t max) {
  u16 text = Trim(typed);
  std::vector<AddressSuggestion> out;
  if (text.empty() || max == 0) return out;
  u16view key = Bare(text);
  if (key.empty()) return out;
  std::vector<AddressSuggestion> all;
  for (const u16& a : typedAddresses) all.push_back({a, u16()});
  all.insert(all.end(), favorites.begin(), favorites.end());
  all.insert(all.end(), history.begin(), history.end());
  // Each page once; a row without a title takes the first title another row of it has.
  std::map<u16, size_t> rowOf;
  for (const AddressSuggestion& s : all) {
    if (s.url.empty()) continue;
    auto [it, added] = rowOf.emplace(ToLower(Bare(s.url)), all.size());
    if (added) it->second = size_t(&s - all.data());
    else if (all[it->second].title.empty()) all[it->second].title = s.title;
  }
  for (bool prefixPass : {true, false}) {
    for (size_t i = 0; i < all.size() && out.size() < max; ++i) {
      const AddressSuggestion& s = all[i];
      if (s.url.empty() || rowOf[ToLower(Bare(s.url))] != i) continue;
      u16view bare = Bare(s.url);
      bool prefix = StartsWithNoCase(bare, key);
      bool match = prefix || FindNoCase(bare, key) != u16view::npos ||
                   FindNoCase(s.title, text) != u16view::npos;
      if (match && prefix == prefixPass) out.push_back(s);
    }
  }
  return out;
}

}  // namespace zel
