#include "proxy/proxy_dialog_model.h"

namespace zel {

namespace {
bool Valid(const ProxyDialogState& s, int category) {
  return category >= 0 && size_t(category) < s.list.categories.size();
}
}  // namespace

std::optional<u16> CheckProxyEntry(u16view alias, u16view address) {
  if (Trim(alias).empty()) return u16(kNameEmpty);
  if (Trim(address).empty()) return u16(kAddressEmpty);
  return std::nullopt;
}

int AddProxyEntry(ProxyDialogState& s, int category, int after, ProxyEntry entry) {
  if (!Valid(s, category)) return -1;
  auto& entries = s.list.categories[size_t(category)].entries;
  size_t at = after < 0 || size_t(after) >= entries.size() ? entries.size() : size_t(after) + 1;
  entries.insert(entries.begin() + long(at), std::move(entry));
  return int(at);
}

int InsertProxyCategory(ProxyDialogState& s, int after) {
  auto& cats = s.list.categories;
  size_t at = after < 0 || size_t(after) >= cats.size() ? cats.size() : size_t(after) + 1;
  ProxyCategory c;
  c.name = kProxyServerCategory;
  cats.insert(cats.begin() + long(at), std::move(c));
  return int(at);
}

int DeleteProxyCategory(ProxyDialogState& s, int category) {
  if (!Valid(s, category)) return s.list.categories.empty() ? -1 : 0;
  auto& cats = s.list.categories;
  const ProxyCategory& c = cats[size_t(category)];
  if (c.web()) {
    s.webTemplate.clear();
  } else {
    for (const auto& e : c.entries)
      if (!s.chosen.empty() && EqualsNoCase(e.address, s.chosen)) s.chosen.clear();
  }
  cats.erase(cats.begin() + category);
  if (cats.empty()) return -1;
  return size_t(category) < cats.size() ? category : 0;
}

bool MoveProxyEntry(ProxyDialogState& s, int from, int entry, int to, bool copy) {
  if (!Valid(s, from) || !Valid(s, to) || from == to) return false;
  auto& src = s.list.categories[size_t(from)];
  auto& dst = s.list.categories[size_t(to)];
  if (entry < 0 || size_t(entry) >= src.entries.size()) return false;
  if (src.type != dst.type) return false;
  dst.entries.push_back(src.entries[size_t(entry)]);
  if (!copy) src.entries.erase(src.entries.begin() + entry);
  return true;
}

void SelectProxyEntry(ProxyDialogState& s, int category, int entry) {
  if (!Valid(s, category)) return;
  const auto& c = s.list.categories[size_t(category)];
  if (entry < 0 || size_t(entry) >= c.entries.size()) return;
  if (c.web())
    s.webTemplate = c.entries[size_t(entry)].address;
  else
    s.chosen = c.entries[size_t(entry)].address;
}

void ConfirmProxyChoice(ProxyDialogState& s, int category, int entry) {
  if (Valid(s, category) && !s.list.categories[size_t(category)].web()) {
    const auto& entries = s.list.categories[size_t(category)].entries;
    s.chosen = entry >= 0 && size_t(entry) < entries.size() ? entries[size_t(entry)].address
                                                            : u16();
    return;
  }
  if (!s.chosen.empty() && !s.list.AliasOf(s.chosen)) s.chosen.clear();
}

}  // namespace zel
