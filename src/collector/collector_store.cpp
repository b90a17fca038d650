#include "collector/collector_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

u16 LoadStoreFile(const std::string& path) {
  auto bytes = ReadFileBytes(path);
  if (!bytes) return u16();
  if (bytes->size() > kStoreLimit * 2) bytes->resize(kStoreLimit * 2);
  if (bytes->size() % 2) bytes->pop_back();
  u16 text;
  text.reserve(bytes->size() / 2);
  for (size_t i = 0; i + 1 < bytes->size(); i += 2)
    text += char16_t(uint8_t((*bytes)[i]) | (uint8_t((*bytes)[i + 1]) << 8));
  return text;
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
