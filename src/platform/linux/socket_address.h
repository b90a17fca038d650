// A Unix-domain socket address for a path, shared by both sides of the hand-off channel.
#pragma once

#include <sys/un.h>

#include <cstring>
#include <string>

namespace zel {

// False when the path is empty or too long for a socket address.
inline bool FillAddress(const std::string& path, sockaddr_un* addr) {
  *addr = sockaddr_un{};
  addr->sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof addr->sun_path) return false;
  std::memcpy(addr->sun_path, path.c_str(), path.size() + 1);
  return true;
}

}  // namespace zel
