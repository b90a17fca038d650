// Text rules of the page's context menus and of drags on the page: which texts are
// addresses, the redirect target, the proposed file name for saved text, the direction of
// a drag and what each drag setting does.
#pragma once

#include <cstdint>

#include "base/text.h"

namespace zel {

// What the context menu or a drag acts on.
enum class ContextKind { Image, Link, Text };

// "javascript:", "vbscript:" or "mailto:" at the start, without regard to case.
bool IsScriptOrMailText(u16view text);
// A context text that is opened rather than searched: an FTP address of any length, or a
// text of 8 or more characters that begins with "http://", "file://", "https://", "www.",
// "res://" or is "about:blank".
bool IsContextAddress(u16view text);
// The address box's candidate test: two or more characters with "." or "/" after the
// first, or a "\", or ":" at index 1 followed by the end, "/" or "\". A candidate with an
// "@" after the first character must also pass the address test.
bool IsLinkAddress(u16view text);
// The address a redirecting link carries: the text from the first "http://", "https://",
// "ftp://" or "file://" (in this order) found at index 6 or later, when "://" occurs
// there; otherwise the address unchanged.
u16 RedirectTarget(u16view address);
// The file name proposed for saved text: the text up to the first of \ / : * ? " < > |
// CR LF when it stands at index 1 or later, else the whole text.
u16 SaveTextFileName(u16view text);

// Drag directions, in the order of the drag settings (up, down, left, right).
enum class DragDirection { Up = 0, Down = 1, Left = 2, Right = 3 };
// From the start of the drag to the drop (y grows downwards). No movement and exact
// diagonals count as up.
DragDirection DirectionOfDrag(int dx, int dy);
// A drag held longer than this opens its link or text whatever the direction.
inline constexpr int64_t kLongDragMs = 3000;

// ".gif", ".jpg", ".jpeg", ".bmp", ".ico", ".pcx", ".tif", ".png" or ".wmf" after the last
// ".", without regard to case.
bool IsImageFile(u16view path);

// What a drag setting does with a drop.
struct DropAction {
  enum Kind { EngineDefault, Refuse, Menu, Command, Nothing } kind = Nothing;
  int command = 0;
  bool operator==(const DropAction&) const = default;
};
DropAction ImageDropAction(int value);
DropAction LinkDropAction(int value);
DropAction TextDropAction(int value);

}  // namespace zel
