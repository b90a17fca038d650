// The text rules of the address box: what Enter makes of the typed text.
#pragma once

#include "settings/frame_settings.h"
#include "base/text.h"

namespace zel {

struct ModifierState {
  bool ctrl = false, shift = false, alt = false;
};

struct TypedAddress {
  enum class Kind { Navigate, Search };
  Kind kind = Kind::Navigate;
  u16 text;              // the address to load, or the words to search
  int searchTarget = 1;  // 4 with Shift held, else 1
};

// An engine error page ("res://...#address") gives the address after its first "#"; a
// "file:" address there gets "/" separators and three slashes. Other text is unchanged.
u16 ErrorPageAddress(u16view text);

// The completions of Enter for trimmed, non-empty text: the Ctrl/Shift/Alt forms, "localhost",
// "ftp.", the address candidate rule with its "@" test, the search fall-back for anything
// else, and "\" to "/" for text with a ":" at index 1 or later.
TypedAddress CompleteTypedAddress(u16view text, ModifierState keys, const FrameSettings& s);

// The address box's list after text was entered: unchanged when the text, or the text with
// its trailing "/" added or removed, is already there; otherwise the text goes on top.
void RememberTypedAddress(std::vector<u16>& list, u16view text);

}  // namespace zel
