#include "collector/collector_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "base/files.h"

namespace zel {

const char* StoreFileName(CollectorStore store) {
  switch (store) {
    case CollectorStore::Text:
      return "collect_t.dat";
    case CollectorStore::Output:
      return "collect_o.dat";
    case CollectorStore::Script:
      return "collect_s.dat";
  }
  return "collect_t.dat";
}

u16 DecodeStoreBytes(std::string_view bytes) {
  size_t units = std::min(bytes.size() / 2, kStoreLimit);
  u16 text(units, u'\0');
  for (size_t i = 0; i < units; ++i)
    text[i] = char16_t(uint8_t(bytes[2 * i]) | (uint8_t(bytes[2 * i + 1]) << 8));
  return text;
}

u16 LoadStoreFile(const std::string& path) {
  auto bytes = ReadFileBytes(path);
  return bytes ? DecodeStoreBytes(*bytes) : u16();
}

bool SaveStoreFile(const std::string& path, u16view text) {
  return WriteFileAtomic(path, EncodeUtf16Le(text));
}

bool AppendStoreFile(const std::string& path, u16view record) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  std::string bytes = EncodeUtf16Le(record);
  struct stat st {};
  if (::fstat(fd, &st) == 0 && st.st_size % 2) bytes.insert(bytes.begin(), '\0');
  bool ok = true;
  for (size_t done = 0; done < bytes.size();) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      ok = false;
      break;
    }
    done += size_t(n);
  }
  if (::close(fd) != 0) ok = false;
  return ok;
}

}  // namespace zel
