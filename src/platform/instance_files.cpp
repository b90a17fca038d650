#include "platform/instance_files.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/files.h"
#include "platform/share_text.h"

namespace zel {

namespace {

// How many fixed names after <tmp>/zel-<uid> are tried before a private mkdtemp folder.
constexpr int kFallbackNames = 8;

// Creates the folder 0700 when missing and tells whether it can be used.
bool UsableFolder(const std::string& path, uid_t uid) {
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  return FolderIsPrivate(path, uid);
}

}  // namespace

bool FolderIsPrivate(const std::string& path, uid_t uid) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == uid && (st.st_mode & 077) == 0;
}

std::string ChooseRuntimeFolder(const char* xdgRuntimeDir, const std::string& tmpRoot,
                                uid_t uid) {
  if (xdgRuntimeDir && *xdgRuntimeDir && FolderIsPrivate(xdgRuntimeDir, uid))
    return xdgRuntimeDir;
  const std::string base = JoinPath(tmpRoot, "zel-" + std::to_string(uid));
  if (UsableFolder(base, uid)) return base;
  for (int i = 1; i <= kFallbackNames; ++i) {
    std::string name = base + "." + std::to_string(i);
    if (UsableFolder(name, uid)) return name;
  }
  std::string tmpl = base + "-XXXXXX";
  if (!::mkdtemp(tmpl.data())) return std::string();
  return tmpl;
}

std::string ProfileKey(const std::string& programFolder) {
  std::string path = programFolder;
  if (char* real = ::realpath(programFolder.c_str(), nullptr)) {
    path = real;
    std::free(real);
  } else {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
  }
  // FNV-1a, 64 bits; 12 hex digits are plenty to tell a user's profiles apart.
  std::uint64_t h = 14695981039346656037ull;
  for (unsigned char c : path) {
    h ^= c;
    h *= 1099511628211ull;
  }
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
  return std::string(buf, 12);
}

ChannelPaths ChannelPathsFor(const std::string& folder, const std::string& key) {
  ChannelPaths p;
  p.folder = folder;
  p.firstLock = JoinPath(folder, "Zel浏览器-" + key + ".lock");
  p.socket = JoinPath(folder, "ZELFrame-" + key);
  p.mutex = JoinPath(folder, "ZELMutex-" + key + ".lock");
  p.share = JoinPath(folder, "ZELShare-" + key);
  return p;
}

int OpenLockFile(const std::string& path) {
  return ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
}

ShareWrite WriteShareFile(const std::string& path, u16view text) {
  ::unlink(path.c_str());
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return ShareWrite::NoFile;
  ShareWrite result = ShareWrite::Written;
  if (::ftruncate(fd, kShareBytes) != 0) {
    result = ShareWrite::NoFile;
  } else {
    void* mem = ::mmap(nullptr, kShareBytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (mem == MAP_FAILED) {
      result = ShareWrite::MapFailed;
    } else {
      std::string block = EncodeShareText(text);
      std::memcpy(mem, block.data(), kShareBytes);
      ::munmap(mem, kShareBytes);
    }
  }
  ::close(fd);
  if (result != ShareWrite::Written) ::unlink(path.c_str());
  return result;
}

std::optional<u16> ReadShareFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st;
  std::optional<u16> text;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= off_t(kShareBytes)) {
    std::string block(kShareBytes, '\0');
    size_t got = 0;
    while (got < kShareBytes) {
      ssize_t r = ::pread(fd, block.data() + got, kShareBytes - got, off_t(got));
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) break;
      got += size_t(r);
    }
    if (got == kShareBytes) text = DecodeShareText(block.data(), kShareBytes);
  }
  ::close(fd);
  return text;
}

}  // namespace zel
