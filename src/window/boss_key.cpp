#include "window/boss_key.h"

namespace zel {

namespace {
// Virtual-key codes with a keysym of their own.
struct Named {
  int vk;
  unsigned keysym;
};
constexpr Named kNamed[] = {
    {0x08, 0xff08}, {0x09, 0xff09}, {0x0D, 0xff0d}, {0x13, 0xff13}, {0x1B, 0xff1b},
    {0x20, 0x0020}, {0x21, 0xff55}, {0x22, 0xff56}, {0x23, 0xff57}, {0x24, 0xff50},
    {0x25, 0xff51}, {0x26, 0xff52}, {0x27, 0xff53}, {0x28, 0xff54}, {0x2D, 0xff63},
    {0x2E, 0xffff}, {0x6A, 0xffaa}, {0x6B, 0xffab}, {0x6D, 0xffad}, {0x6E, 0xffae},
    {0x6F, 0xffaf}, {0xBA, 0x003b}, {0xBB, 0x003d}, {0xBC, 0x002c}, {0xBD, 0x002d},
    {0xBE, 0x002e}, {0xBF, 0x002f}, {0xC0, 0x0060}, {0xDB, 0x005b}, {0xDC, 0x005c},
    {0xDD, 0x005d}, {0xDE, 0x0027},
};
}  // namespace

std::optional<XKeyBinding> MapBossKey(int stored) {
  int vk = stored & 0xFF;
  int flags = (stored >> 8) & 0xFF;
  if (vk == 0) return std::nullopt;
  XKeyBinding b;
  if (vk >= '0' && vk <= '9') b.keysym = unsigned(vk);
  else if (vk >= 'A' && vk <= 'Z') b.keysym = unsigned(vk - 'A' + 'a');
  else if (vk >= 0x60 && vk <= 0x69) b.keysym = 0xffb0 + unsigned(vk - 0x60);  // keypad digits
  else if (vk >= 0x70 && vk <= 0x87) b.keysym = 0xffbe + unsigned(vk - 0x70);  // F1..F24
  else {
    for (const Named& n : kNamed)
      if (n.vk == vk) b.keysym = n.keysym;
  }
  if (b.keysym == 0) return std::nullopt;
  if (flags & 1) b.modifiers |= 8;   // MOD_ALT -> Mod1Mask
  if (flags & 2) b.modifiers |= 4;   // MOD_CONTROL -> ControlMask
  if (flags & 4) b.modifiers |= 1;   // MOD_SHIFT -> ShiftMask
  if (flags & 8) b.modifiers |= 64;  // MOD_WIN -> Mod4Mask
  return b;
}

}  // namespace zel
