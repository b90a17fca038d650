// The boss key's stored value: the low byte is a Windows virtual-key code, the second byte
// the MOD_ flags (1 Alt, 2 Control, 4 Shift, 8 Win). Mapped to an X keysym and modifier mask.
#pragma once

#include <optional>

namespace zel {

struct XKeyBinding {
  unsigned keysym = 0;
  unsigned modifiers = 0;  // ShiftMask 1, ControlMask 4, Mod1Mask 8, Mod4Mask 64
  bool operator==(const XKeyBinding&) const = default;
};

// None for 0 and for key codes without an X counterpart.
std::optional<XKeyBinding> MapBossKey(int stored);

// X modifier bits that only say a lock is on (Caps Lock, Num Lock): a grab is made once for
// each combination of them so the key works whatever the locks are.
inline constexpr unsigned kXLockMasks[] = {0, 2 /*LockMask*/, 16 /*Mod2Mask*/, 2 | 16};

}  // namespace zel
