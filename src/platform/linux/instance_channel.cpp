#include "platform/linux/instance_channel.h"

#include <fcntl.h>
#include <glib-unix.h>
#include <glib.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/commands.h"
#include "platform/share_text.h"
#include "base/files.h"

namespace zel {

namespace {

constexpr char kFirstLockName[] = "Zel浏览器.lock";
constexpr char kSocketName[] = "ZELFrame";
constexpr char kMutexName[] = "ZELMutex.lock";
constexpr char kShareName[] = "ZELShare";
constexpr int kReplyTimeoutSec = 20;

std::string PathOf(const char* name) { return JoinPath(RuntimeFolder(), name); }

int Connect(const std::string& path) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof addr.sun_path) {
    ::close(fd);
    return -1;
  }
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  timeval tv{kReplyTimeoutSec, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
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
bool Request(const std::string& line) {
  int fd = Connect(PathOf(kSocketName));
  if (fd < 0) return false;
  bool ok = WriteAll(fd, line + "\n") && ReadLine(fd) == "OK";
  ::close(fd);
  return ok;
}

}  // namespace

std::string RuntimeFolder() {
  const char* xdg = g_getenv("XDG_RUNTIME_DIR");
  if (xdg && *xdg && DirExists(xdg)) return xdg;
  std::string dir = "/tmp/zel-" + std::to_string(::getuid());
  ::mkdir(dir.c_str(), 0700);
  return dir;
}

InstanceLock::~InstanceLock() { Release(); }

bool InstanceLock::AcquireFirst() {
  fd_ = ::open(PathOf(kFirstLockName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) return true;  // no lock possible: behave as the only browser
  if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
  // Another browser holds it: a second instance closes it at once.
  Release();
  return false;
}

void InstanceLock::Release() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool FrameIsRunning() {
  int fd = Connect(PathOf(kSocketName));
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

bool WaitForFrame(int timeoutMs) {
  for (int waited = 0;; waited += 50) {
    if (FrameIsRunning()) return true;
    if (waited >= timeoutMs) return false;
    g_usleep(50 * 1000);
  }
}

SendResult SendHandOff(u16view target) {
  int mutex = ::open(PathOf(kMutexName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (mutex >= 0) {
    while (::flock(mutex, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  SendResult result = SendResult::Sent;
  std::string sharePath = PathOf(kShareName);
  int fd = ::open(sharePath.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0 || ::ftruncate(fd, kShareBytes) != 0) {
    result = SendResult::NoShareMemory;
  } else {
    void* mem = ::mmap(nullptr, kShareBytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (mem == MAP_FAILED) {
      result = SendResult::MapFailed;
    } else {
      std::string block = EncodeShareText(target);
      std::memcpy(mem, block.data(), kShareBytes);
      if (!Request(std::to_string(msg::kHandOff))) result = SendResult::NoFrame;
      ::munmap(mem, kShareBytes);
    }
  }
  if (fd >= 0) ::close(fd);
  ::unlink(sharePath.c_str());
  if (mutex >= 0) ::close(mutex);  // releases the lock
  return result;
}

bool SendRaise() { return Request("RAISE"); }

FrameServer::~FrameServer() { Stop(); }

bool FrameServer::Start() {
  path_ = PathOf(kSocketName);
  // A socket file nobody answers on is stale.
  if (!FrameIsRunning()) ::unlink(path_.c_str());
  listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (listenFd_ < 0) return false;
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path_.size() >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, path_.c_str(), path_.size() + 1);
  if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(listenFd_, 8) != 0) {
    ::close(listenFd_);
    listenFd_ = -1;
    return false;
  }
  watch_ = g_unix_fd_add(listenFd_, G_IO_IN,
                         reinterpret_cast<GUnixFDSourceFunc>(&FrameServer::OnReadable), this);
  return true;
}

void FrameServer::Stop() {
  if (watch_) g_source_remove(watch_);
  watch_ = 0;
  if (listenFd_ >= 0) {
    ::close(listenFd_);
    ::unlink(path_.c_str());
  }
  listenFd_ = -1;
}

int FrameServer::OnReadable(int fd, unsigned, void* self) {
  auto* server = static_cast<FrameServer*>(self);
  for (;;) {
    int client = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) break;
    timeval tv{2, 0};
    ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ::setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    server->Serve(client);
    ::close(client);
  }
  return G_SOURCE_CONTINUE;
}

void FrameServer::Serve(int client) {
  std::string line = ReadLine(client);
  if (line == std::to_string(msg::kHandOff)) {
    // Copy the text while the sender waits, then answer.
    u16 text;
    std::string error;
    int fd = ::open(PathOf(kShareName).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      if (handlers_.handOffError) handlers_.handOffError(u"Fail to create share memory!");
    } else {
      void* mem = ::mmap(nullptr, kShareBytes, PROT_READ, MAP_SHARED, fd, 0);
      struct stat st;
      if (mem == MAP_FAILED || ::fstat(fd, &st) != 0 || st.st_size < (off_t)kShareBytes) {
        if (mem != MAP_FAILED) ::munmap(mem, kShareBytes);
        if (handlers_.handOffError) handlers_.handOffError(u"MapViewOfFile Fail");
      } else {
        text = DecodeShareText(static_cast<const char*>(mem), kShareBytes);
        ::munmap(mem, kShareBytes);
        if (handlers_.handOff) handlers_.handOff(text);
      }
      ::close(fd);
    }
    WriteAll(client, "OK\n");
  } else if (line == "RAISE") {
    if (handlers_.raise) handlers_.raise();
    WriteAll(client, "OK\n");
  } else {
    WriteAll(client, "ERR\n");
  }
}

}  // namespace zel
