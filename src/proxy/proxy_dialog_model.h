// What the proxy dialog edits (a copy of the lists and the current choice) and its editing
// rules, apart from any widget: the entry checks, adding after the selection, deleting a
// category, moving an entry to another category.
#pragma once

#include <optional>

#include "proxy/proxy_list.h"

namespace zel {

struct ProxyDialogState {
  ProxyList list;
  bool enable = false;
  u16 chosen;            // the chosen proxy's address (empty for the system proxy)
  bool webProxyOn = false;
  u16 webTemplate;       // the active tab's template, or the default one
  u16 bypass;            // the edit box: the bypass category's exception
};

inline constexpr char16_t kNameEmpty[] = u"名称不能置空!";
inline constexpr char16_t kAddressEmpty[] = u"地址不能置空!";
inline constexpr char16_t kAskDeleteCategory[] = u"您真的要删除这个类别吗?";
inline constexpr char16_t kCannotMoveProxy[] = u"无法移动该代理.";

// The entry dialog's check: the message for an empty name or address, nothing when both
// are there.
std::optional<u16> CheckProxyEntry(u16view alias, u16view address);
// Adds the entry after entry `after` of the category (-1: at the end). Returns its index.
int AddProxyEntry(ProxyDialogState& s, int category, int after, ProxyEntry entry);
// A new proxy-server category "代理服务器" after `after` (-1: at the end); its index.
int InsertProxyCategory(ProxyDialogState& s, int after);
// Deletes a category (the question was answered Yes): a web category takes the template
// with it, the category holding the chosen proxy takes the choice. Returns the category
// selected next (the one now at the same place, else the first; -1 when none is left).
int DeleteProxyCategory(ProxyDialogState& s, int category);
// Moves (or, with copy, copies) an entry to another category of the same type; false when
// the types differ (nothing moves then).
bool MoveProxyEntry(ProxyDialogState& s, int from, int entry, int to, bool copy);
// Selecting an entry: a proxy-server entry becomes the chosen proxy, a web one the template.
void SelectProxyEntry(ProxyDialogState& s, int category, int entry);
// OK: the chosen proxy is the entry selected now. With a proxy-server category shown that is
// its selected entry, or none; with a web category shown it stays the one chosen before,
// as long as the lists still hold it.
void ConfirmProxyChoice(ProxyDialogState& s, int category, int entry);

}  // namespace zel
