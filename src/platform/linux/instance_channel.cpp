#include "platform/linux/instance_channel.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>

#include "base/commands.h"
#include "base/files.h"
#include "platform/linux/socket_address.h"

namespace zel {

namespace {

// The sender is a process without a window: it may wait for the frame's answer.
constexpr int kReplyTimeoutSec = 20;

int Connect(const std::string& path) {
  sockaddr_un addr;
  if (!FillAddress(path, &addr)) return -1;
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  timeval tv{kReplyTimeoutSec, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool WriteAll(int fd, const std::string& s) {
  size_t off = 0;
  while (off < s.size()) {
    ssize_t w = ::send(fd, s.data() + off, s.size() - off, MSG_NOSIGNAL);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    off += size_t(w);
  }
  return true;
}

// The sender's blocking read of the frame's one-line answer.
std::string ReadLine(int fd) {
  std::string line;
  char c;
  while (line.size() < 256) {
    ssize_t r = ::recv(fd, &c, 1, 0);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0 || c == '\n') break;
    line += c;
  }
  return line;
}

// Sends one request and waits for the frame's answer.
bool Request(const ChannelPaths& paths, const std::string& line) {
  int fd = Connect(paths.socket);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, line + "\n") && ReadLine(fd) == "OK";
  ::close(fd);
  return ok;
}

}  // namespace

std::string InstanceLockPath(const std::string& profileFolder) {
  return JoinPath(profileFolder, "instance.lock");
}

std::string RecordedRuntimeFolder(const std::string& lockPath, uid_t uid) {
  int fd = ::open(lockPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::string();
  char buf[4096];
  ssize_t n;
  do {
    n = ::pread(fd, buf, sizeof buf, 0);
  } while (n < 0 && errno == EINTR);
  ::close(fd);
  if (n <= 0) return std::string();
  std::string folder(buf, size_t(n));
  size_t end = folder.find('\n');
  if (end == std::string::npos) return std::string();  // not written whole yet
  folder.resize(end);
  if (folder.empty() || folder[0] != '/' || !FolderIsPrivate(folder, uid)) return std::string();
  return folder;
}

namespace {
ChannelPaths PathsIn(const std::string& folder, const std::string& programFolder,
                     const std::string& profileFolder) {
  ChannelPaths p = ChannelPathsFor(folder, ProfileKey(programFolder));
  p.firstLock = InstanceLockPath(profileFolder);
  return p;
}
std::string ChosenFolder() {
  return ChooseRuntimeFolder(std::getenv("XDG_RUNTIME_DIR"), "/tmp", ::getuid());
}
}  // namespace

ChannelPaths ChannelPathsForProfile(const std::string& programFolder,
                                    const std::string& profileFolder) {
  std::string folder = RecordedRuntimeFolder(InstanceLockPath(profileFolder), ::getuid());
  return PathsIn(folder.empty() ? ChosenFolder() : folder, programFolder, profileFolder);
}

ChannelPaths FreshChannelPaths(const std::string& programFolder, const std::string& profileFolder) {
  return PathsIn(ChosenFolder(), programFolder, profileFolder);
}

InstanceLock::~InstanceLock() { Release(); }

bool InstanceLock::AcquireFirst(const ChannelPaths& paths) {
  fd_ = OpenLockFile(paths.firstLock);
  if (fd_ < 0) return true;  // no lock possible: behave as the only browser
  if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
  // Another browser holds it: a second instance closes it at once.
  Release();
  return false;
}

bool InstanceLock::Record(const std::string& runtimeFolder) {
  if (fd_ < 0) return false;
  // Written in place (the lock is on this file): a reader takes the name only once its
  // line is whole.
  std::string line = runtimeFolder + "\n";
  if (::ftruncate(fd_, 0) != 0) return false;
  size_t off = 0;
  while (off < line.size()) {
    ssize_t w = ::pwrite(fd_, line.data() + off, line.size() - off, off_t(off));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    off += size_t(w);
  }
  return true;
}

void InstanceLock::Release() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool FrameIsRunning(const ChannelPaths& paths) {
  int fd = Connect(paths.socket);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

bool WaitForFrame(const ChannelPaths& paths, int timeoutMs) {
  for (int waited = 0;; waited += 50) {
    if (FrameIsRunning(paths)) return true;
    if (waited >= timeoutMs) return false;
    ::usleep(50 * 1000);
  }
}

SendResult SendHandOff(const ChannelPaths& paths, u16view target) {
  int mutex = OpenLockFile(paths.mutex);
  if (mutex >= 0) {
    while (::flock(mutex, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  SendResult result = SendResult::Sent;
  switch (WriteShareFile(paths.share, target)) {
    case ShareWrite::NoFile:
      result = SendResult::NoShareMemory;
      break;
    case ShareWrite::MapFailed:
      result = SendResult::MapFailed;
      break;
    case ShareWrite::Written:
      if (!Request(paths, std::to_string(msg::kHandOff))) result = SendResult::NoFrame;
      ::unlink(paths.share.c_str());
      break;
  }
  if (mutex >= 0) ::close(mutex);  // releases the lock
  return result;
}

bool SendRaise(const ChannelPaths& paths) { return Request(paths, "RAISE"); }

bool PostRaise(const ChannelPaths& paths) {
  int fd = Connect(paths.socket);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, "RAISE\n");
  ::close(fd);
  return ok;
}

}  // namespace zel
