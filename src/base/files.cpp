#include "base/files.h"
#include "base/file_modes.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <utility>
#include <vector>

namespace zel {

namespace {
// Writes every byte, going on after interrupted writes.
bool WriteAll(int fd, const std::string& bytes) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    ssize_t w = ::write(fd, p, left);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += w;
    left -= size_t(w);
  }
  return true;
}
}  // namespace

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string DirName(const std::string& path) {
  size_t p = path.rfind('/');
  if (p == std::string::npos) return std::string();
  if (p == 0) return "/";
  return path.substr(0, p);
}

std::string BaseName(const std::string& path) {
  size_t p = path.rfind('/');
  return p == std::string::npos ? path : path.substr(p + 1);
}

std::string JoinPath(const std::string& a, const std::string& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  bool as = a.back() == '/', bs = b.front() == '/';
  if (as && bs) return a + b.substr(1);
  if (as || bs) return a + b;
  return a + "/" + b;
}

bool CreateFolderLevels(const std::string& dir) {
  if (dir.empty()) return false;
  if (DirExists(dir)) return true;
  // Walk each level: "/a", "/a/b", ...; the root itself is never created.
  for (size_t i = 1; i <= dir.size(); ++i) {
    if (i != dir.size() && dir[i] != '/') continue;
    std::string level = dir.substr(0, i);
    if (level.empty() || level == "/" || DirExists(level)) continue;
    if (::mkdir(level.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  return DirExists(dir);
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return std::nullopt;
  std::string out;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  bool bad = std::ferror(f);
  std::fclose(f);
  if (bad) return std::nullopt;
  return out;
}

ReadStatus ReadFileBytes(const std::string& path, std::string* out) {
  out->clear();
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing : ReadStatus::Failed;
  struct stat st {};
  if (::fstat(::fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
    out->reserve(size_t(st.st_size));
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out->append(buf, n);
  bool bad = std::ferror(f);
  std::fclose(f);
  if (bad) out->clear();
  return bad ? ReadStatus::Failed : ReadStatus::Ok;
}

namespace {
std::vector<std::string> g_unreadable;  // noted, not yet taken
}  // namespace

void NoteUnreadableFile(const std::string& path) {
  static std::vector<std::string> noted;  // each file is reported once a run
  if (std::find(noted.begin(), noted.end(), path) != noted.end()) return;
  noted.push_back(path);
  g_unreadable.push_back(path);
}

std::vector<std::string> TakeUnreadableFiles() { return std::exchange(g_unreadable, {}); }

namespace {
// The process's file mask as it was handed to it, and as it is now (umask can only be read
// by setting it: once, before any thread runs).
const mode_t g_startMask = [] {
  mode_t m = ::umask(022);
  ::umask(m);
  return m;
}();
std::atomic<mode_t> g_mask{g_startMask};
}  // namespace

mode_t NewFileMode() { return 0666 & ~g_mask.load(); }

void MakeNewFilesOwnerOnly() {
  ::umask(077);
  g_mask = 077;
}

mode_t SharedFileMode() { return 0666 & ~g_startMask; }

bool WriteFileAtomic(const std::string& path, const std::string& bytes, bool durable) {
  std::string dir = DirName(path);
  // The temporary name stays within the file system's 255 bytes whatever the name's length.
  std::string base = BaseName(path).substr(0, 200);
  std::string tmpl = (dir.empty() ? std::string(".") : dir) + "/." + base + ".XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) return false;
  struct stat st;
  mode_t mode = NewFileMode();
  if (::stat(path.c_str(), &st) == 0) mode = st.st_mode & 07777;
  ::fchmod(fd, mode);
  bool ok = WriteAll(fd, bytes);
  if (ok && durable && ::fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  if (ok && ::rename(name.data(), path.c_str()) != 0) ok = false;
  if (!ok) ::unlink(name.data());
  return ok;
}

std::string EncodeUtf16Le(u16view text) {
  std::string out;
  out.resize(text.size() * 2);
  for (size_t i = 0; i < text.size(); ++i) {
    out[2 * i] = char(text[i] & 0xFF);
    out[2 * i + 1] = char(text[i] >> 8);
  }
  return out;
}

u16 DecodeUtf16Le(std::string_view b) {
  size_t start = 0;
  if (b.size() >= 2 && (unsigned char)b[0] == 0xFF && (unsigned char)b[1] == 0xFE) start = 2;
  u16 out;
  out.reserve((b.size() - start) / 2);
  for (size_t i = start; i + 1 < b.size(); i += 2)
    out += char16_t((unsigned char)b[i] | ((unsigned char)b[i + 1] << 8));
  return out;
}

namespace {
// ".<name>.XXXXXX" with mkstemp's six letters and digits.
bool IsAtomicTempName(const std::string& n) {
  if (n.size() < 9 || n[0] != '.' || n[n.size() - 7] != '.') return false;
  for (size_t i = n.size() - 6; i < n.size(); ++i)
    if (!std::isalnum((unsigned char)n[i])) return false;
  return true;
}
}  // namespace

// Also a download's body still under its "<name>.part" name (a fetch cut off by a kill).
size_t RemoveStaleTempFiles(const std::string& folder, long long beforeSec, long beforeNsec) {
  DIR* d = ::opendir(folder.c_str());
  if (!d) return 0;
  size_t removed = 0;
  while (struct dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    std::string path = JoinPath(folder, name);
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) continue;
    // An atomic write's temporary, or a download's body still under its ".part" name.
    bool partial = name.size() > 5 && name.compare(name.size() - 5, 5, ".part") == 0;
    if ((!IsAtomicTempName(name) && !partial) || !S_ISREG(st.st_mode)) continue;
    bool older = st.st_mtim.tv_sec < beforeSec ||
                 (st.st_mtim.tv_sec == beforeSec && st.st_mtim.tv_nsec < beforeNsec);
    if (older && ::unlink(path.c_str()) == 0) ++removed;
  }
  ::closedir(d);
  return removed;
}

std::optional<u16> ReadUtf16LeFile(const std::string& path) {
  auto bytes = ReadFileBytes(path);
  if (!bytes) return std::nullopt;
  return DecodeUtf16Le(*bytes);
}

bool AppendUtf16LeFile(const std::string& path, u16view text) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, EncodeUtf16Le(text));
  if (::close(fd) != 0) ok = false;
  return ok;
}

bool WriteUtf16LeFileAtomic(const std::string& path, u16view text) {
  return WriteFileAtomic(path, EncodeUtf16Le(text));
}

std::string ExecutableFolder() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return std::string();
  buf[n] = '\0';
  return DirName(buf);
}

bool MakeWritable(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  if (st.st_mode & S_IWUSR) return true;
  return ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

}  // namespace zel
