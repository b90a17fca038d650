// The bookmark file every desktop browser imports and exports: the Netscape bookmark HTML
// (<DL> lists of <DT><H3> folders and <DT><A HREF ADD_DATE> entries), and its exchange with
// the Favorites folder.
#pragma once

#include <cstdint>
#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "favorites/menu_order.h"

namespace zel {

class RegistryPort;

struct BookmarkNode {
  bool folder = false;
  u16 title;
  u16 url;              // entries only
  int64_t addDate = 0;  // seconds since 1970, 0 when unknown
  std::vector<BookmarkNode> children;
  bool operator==(const BookmarkNode&) const = default;
};

// The bookmarks of a file (UTF-8, or GBK when the bytes are not UTF-8). Never fails:
// what is not a bookmark is passed over. Folders deeper than 64 levels are flattened into
// the 64th.
std::vector<BookmarkNode> ParseBookmarkHtml(std::string_view bytes);
// The file for the bookmarks (UTF-8, declared so).
std::string WriteBookmarkHtml(const std::vector<BookmarkNode>& nodes);

// The Favorites folder's tree in its stored order (root: the folder; registry may be null).
std::vector<BookmarkNode> ReadFavoritesTree(const std::string& root, RegistryPort* registry);
// Writes the bookmarks into folder (a folder of the Favorites tree at root): a folder per
// folder, a .url file per entry, and the order of each folder as read. Returns the number
// of entries written.
int ImportBookmarks(const std::string& root, const std::string& folder,
                    const std::vector<BookmarkNode>& nodes, RegistryPort* registry);

// The same, for a thread of its own: nothing touches the registry. The folders' orders are
// handed back (relative folder -> entries) for the main loop to store; the target folder's
// stored order (what is in it already) comes first in its list. The files are not synced one
// by one: the file system is synced once at the end. progress hears the entries written so
// far now and then; once stop is set no more entries are written.
struct BookmarkImport {
  int written = 0;
  std::vector<std::pair<u16, std::vector<OrderedName>>> orders;
};
BookmarkImport ImportBookmarksOffThread(const std::string& root, const std::string& folder,
                                        const std::vector<BookmarkNode>& nodes,
                                        std::vector<OrderedName> targetOrder,
                                        const std::function<void(int written)>& progress,
                                        const std::atomic<bool>* stop = nullptr);

// "&amp;" "&lt;" "&#20013;" "&#x4e2d;" ... decoded; unknown entities stay as they are.
u16 DecodeHtmlEntities(u16view text);

}  // namespace zel
