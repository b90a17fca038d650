#include "favorites/menu_order.h"

#include <algorithm>
#include <map>

#include "platform/registry_port.h"

namespace zel {

namespace {

constexpr char16_t kMenuOrderRoot[] =
    u"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\"
    u"Favorites\\";

// Little-endian reads against a limit: a read that would pass it yields 0 and stays put.
class Reader {
 public:
  explicit Reader(std::string_view d) : d_(d) {}
  size_t pos = 0;
  uint32_t U32(size_t limit) {
    if (pos > limit || limit - pos < 4) return 0;
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | uint8_t(d_[pos + i]);
    pos += 4;
    return v;
  }
  uint16_t U16(size_t limit) {
    if (pos > limit || limit - pos < 2) return 0;
    uint16_t v = uint16_t(uint8_t(d_[pos]) | (uint8_t(d_[pos + 1]) << 8));
    pos += 2;
    return v;
  }
  uint8_t At(size_t i) const { return i < d_.size() ? uint8_t(d_[i]) : 0; }
  // A string ending at its terminating zero; past the limit it reads as empty (and the
  // rest of the entry is used up). The zero and the zero bytes after it are skipped.
  std::string Narrow(size_t limit) {
    size_t end = pos;
    while (end < limit && d_[end] != 0) ++end;
    if (end >= limit) {
      pos = limit;
      return std::string();
    }
    std::string s(d_.substr(pos, end - pos));
    pos = end;
    SkipZeros(limit);
    return s;
  }
  u16 Wide(size_t limit) {
    u16 s;
    size_t p = pos;
    while (true) {
      if (p > limit || limit - p < 2) {
        pos = limit;
        return u16();
      }
      char16_t c = char16_t(uint8_t(d_[p]) | (uint8_t(d_[p + 1]) << 8));
      p += 2;
      if (c == 0) break;
      s += c;
    }
    pos = p;
    SkipZeros(limit);
    return s;
  }
  void SkipZeros(size_t limit) {
    while (pos < limit && d_[pos] == 0) ++pos;
  }

 private:
  std::string_view d_;
};

u16 FromNarrow(const std::string& s) { return IsValidUtf8(s) ? FromUtf8(s) : FromGbk(s); }

void PutU32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out += char((v >> (8 * i)) & 0xFF);
}
void PutU16(std::string& out, uint16_t v) {
  out += char(v & 0xFF);
  out += char(v >> 8);
}
void PutWide(std::string& out, u16view s) {
  for (char16_t c : s) PutU16(out, c);
  PutU16(out, 0);
}

// The 8.3 form the first name carries: ASCII letters and digits of the name, upper case.
std::string ShortNameOf(u16view name, size_t index) {
  std::string s;
  for (char16_t c : name) {
    if (s.size() >= 6) break;
    if ((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')) s += char(c);
    else if (c >= u'a' && c <= u'z') s += char(c - 32);
  }
  return s + "~" + std::to_string(index % 10);
}

}  // namespace

std::vector<int> MenuOrder::Sequence() const {
  std::vector<int> seq;
  bool zeroCell = false;
  int32_t next = 0;  // the next cell index
  auto gap = [&](int32_t upTo) {
    if (!zeroCell && next < upTo) {
      seq.push_back(0);
      zeroCell = true;
    }
  };
  for (const auto& [cell, index] : cells) {
    gap(cell);
    seq.push_back(index);
    next = cell + 1;
  }
  gap(count);
  return seq;
}

std::optional<MenuOrder> ParseMenuOrder(std::string_view data) {
  if (data.empty()) return std::nullopt;
  Reader r(data);
  const size_t end = data.size();
  r.pos = std::min<size_t>(8, end);
  r.U32(end);
  r.U32(end);
  MenuOrder order;
  order.count = int32_t(r.U32(end));
  if (order.count <= 0) return std::nullopt;
  std::map<int32_t, int> cells;
  for (int32_t i = 0; i < order.count; ++i) {
    const size_t start = r.pos;
    if (start >= end) break;
    int32_t size = int32_t(r.U32(end));
    // An entry that cannot hold its own size field gives no place to go on from.
    if (size < 4) break;
    const size_t limit = std::min(end, start + size_t(size));
    MenuOrderEntry e;
    e.position = int32_t(r.U32(limit));
    r.U16(limit);                    // id size
    uint16_t type = r.U16(limit);    // type word
    r.U32(limit);                    // file size
    r.U16(limit);                    // date
    r.U16(limit);                    // time
    e.attributes = r.U16(limit);
    std::string firstRaw;
    u16 first;
    if (type & 0x04) {
      size_t from = r.pos;
      first = r.Wide(limit);
      firstRaw = std::string(data.substr(from, std::min(r.pos, limit) - from));
    } else {
      firstRaw = r.Narrow(limit);
      first = FromNarrow(firstRaw);
    }
    const size_t p = r.pos;
    if (p + 5 <= limit && r.At(p + 1) == 0 && r.At(p + 2) == 3 && r.At(p + 3) == 0 &&
        r.At(p + 4) == 4) {
      r.pos = std::min(limit, p + 20);
      e.longName = r.Wide(limit);
    } else if (!(type & 0x04) && firstRaw.find("\x03\x04") != std::string::npos) {
      // Only an 8-bit first name can run into the extension block's signature; a UTF-16
      // one holds those bytes as parts of its characters (U+0396 then U+0004).
      e.longName = r.Wide(limit);
    } else {
      e.longName = first;
      e.shortName = FromNarrow(r.Narrow(limit));
    }
    r.pos = start + size_t(size);
    if (e.longName.empty()) continue;  // an entry that does not parse is skipped
    if (e.position >= 0 && e.position < order.count)
      cells[e.position] = int(order.entries.size());
    order.entries.push_back(std::move(e));
  }
  if (order.entries.empty()) return std::nullopt;
  order.cells.assign(cells.begin(), cells.end());
  return order;
}

std::string EncodeMenuOrder(const std::vector<OrderedName>& items) {
  std::string body;
  for (size_t i = 0; i < items.size(); ++i) {
    std::string e;
    PutU32(e, 0);  // size, set below
    PutU32(e, uint32_t(i));
    PutU16(e, 0);                                 // id size
    // The extension block (version 3) carries the long name as UTF-16 after an 8-bit 8.3
    // name; the reader finds it by its size's high byte being zero, so a name too long for
    // that is written as a UTF-16 first name followed by the 8.3 name instead.
    size_t block = 20 + 2 * (items[i].name.size() + 1) + 2;
    if ((block & 0xFF) == 0) block += 2;  // the size's low byte must not read as padding
    const bool extension = block < 0x100;
    PutU16(e, uint16_t((items[i].folder ? 0x31 : 0x32) | (extension ? 0 : 0x04)));
    PutU32(e, 0);                                 // file size
    PutU16(e, 0);                                 // date
    PutU16(e, 0);                                 // time
    PutU16(e, items[i].folder ? 0x10 : 0x20);     // attributes
    if (extension) {
      e += ShortNameOf(items[i].name, i);
      e += '\0';
      if (e.size() % 2) e += '\0';
      std::string x;
      PutU16(x, uint16_t(block));
      PutU16(x, 3);
      PutU32(x, 0xBEEF0004u);
      x.resize(20, '\0');
      PutWide(x, items[i].name);
      x.resize(block, '\0');
      e += x;
    } else {
      PutWide(e, items[i].name);
      e += ShortNameOf(items[i].name, i);
      e += '\0';
    }
    uint32_t size = uint32_t(e.size());
    for (int b = 0; b < 4; ++b) e[b] = char((size >> (8 * b)) & 0xFF);
    body += e;
  }
  std::string out;
  PutU32(out, 8);
  PutU32(out, 2);
  PutU32(out, uint32_t(body.size() + 4));
  PutU32(out, 1);
  PutU32(out, uint32_t(items.size()));
  return out + body;
}

u16 MenuOrderKey(u16view relative) {
  u16 rel(relative);
  ReplaceAll(rel, u"/", u"\\");
  while (!rel.empty() && rel.back() == u'\\') rel.pop_back();
  while (!rel.empty() && rel.front() == u'\\') rel.erase(0, 1);
  return u16(kMenuOrderRoot) + rel;
}

std::optional<MenuOrder> ReadMenuOrder(RegistryPort& registry, u16view relative) {
  const u16 key = MenuOrderKey(relative);
  auto v = registry.GetValue(key, u"Order");
  if (!v || v->type != RegType::Binary) return std::nullopt;
  std::string bytes = HexToBytes(v->text);
  if (bytes.empty()) return std::nullopt;
  return ParseMenuOrder(bytes);
}

bool WriteMenuOrder(RegistryPort& registry, u16view relative,
                    const std::vector<OrderedName>& items) {
  RegValue v;
  v.type = RegType::Binary;
  v.text = BytesToHex(EncodeMenuOrder(items));
  return registry.SetValue(MenuOrderKey(relative), u"Order", v);
}

u16 BytesToHex(std::string_view bytes) {
  static const char16_t digits[] = u"0123456789abcdef";
  u16 out;
  out.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::string HexToBytes(u16view hex) {
  auto digit = [](char16_t c) -> int {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
  };
  std::string out;
  for (size_t i = 0; i < hex.size();) {
    if (hex[i] == u',' || hex[i] == u' ') {
      ++i;
      continue;
    }
    if (i + 1 >= hex.size()) break;
    int hi = digit(hex[i]), lo = digit(hex[i + 1]);
    if (hi < 0 || lo < 0) break;
    out += char(hi * 16 + lo);
    i += 2;
  }
  return out;
}

}  // namespace zel
