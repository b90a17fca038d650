#include "session/last_ini.h"

#include <fcntl.h>
#include <unistd.h>

#include "base/files.h"
#include "settings/settings_file.h"

namespace zel {

namespace {
u16 Key(const char16_t* name, int n) { return Format(name, n); }
}  // namespace

std::vector<PageEntry> ReadPageEntries(const std::function<u16(u16view key, size_t n)>& read) {
  std::vector<PageEntry> out;
  int count = ToInt(read(u"count", 16));
  if (count > kMaxSectionEntries) count = kMaxSectionEntries;
  for (int n = 0; n < count; ++n) {
    PageEntry e{read(Key(u"title_%d", n), kTitleReadLimit), read(Key(u"url_%d", n), kUrlReadLimit)};
    if (e.title.empty() || e.url.empty()) break;
    out.push_back(std::move(e));
  }
  return out;
}

std::vector<PageEntry> ReadPageSection(const SettingsSnapshot& file, u16view section) {
  return ReadPageEntries(
      [&](u16view key, size_t n) { return file.ReadText(section, key, u"", n); });
}

std::vector<PageEntry> ReadPageSection(const IniDocument& doc, u16view section) {
  return ReadPageEntries([&](u16view key, size_t n) {
    u16 v = doc.Get(section, key).value_or(u16());
    if (n == 0) return u16();
    if (v.size() > n - 1) v.resize(n - 1);
    return v;
  });
}

std::vector<IniDocument::Change> PageSectionChanges(u16view section,
                                                    const std::vector<PageEntry>& entries) {
  std::vector<IniDocument::Change> changes;
  changes.reserve(entries.size() * 2 + 1);
  u16 s(section);
  // The count first: in a new section it then heads the entries it counts.
  changes.push_back({s, u"count", IntToText(static_cast<long long>(entries.size()))});
  for (size_t n = 0; n < entries.size(); ++n) {
    changes.push_back({s, Key(u"title_%d", int(n)), entries[n].title});
    changes.push_back({s, Key(u"url_%d", int(n)), entries[n].url});
  }
  return changes;
}

bool ApplyToIniFile(const std::string& path, const std::vector<IniDocument::Change>& changes) {
  if (path.empty() || changes.empty()) return !path.empty();
  std::string bytes;
  switch (ReadFileBytes(path, &bytes)) {
    case ReadStatus::Failed:
      return false;
    case ReadStatus::Missing: {
      // Created owner-only first; the atomic replace keeps the mode it finds.
      int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
      if (fd >= 0) ::close(fd);
      break;
    }
    case ReadStatus::Ok:
      break;
  }
  IniDocument doc = IniDocument::ParseOwned(std::move(bytes));
  if (!doc.Apply(changes) && FileExists(path)) return true;
  return WriteFileAtomic(path, doc.Serialize());
}

SessionWriter::~SessionWriter() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void SessionWriter::Enqueue(std::string path, std::vector<IniDocument::Change> changes) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    jobs_.push_back({std::move(path), std::move(changes)});
    if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
  }
  wake_.notify_one();
}

void SessionWriter::Flush() {
  std::unique_lock<std::mutex> lock(mutex_);
  idle_.wait(lock, [this] { return jobs_.empty() && !busy_; });
}

int SessionWriter::written() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return written_;
}

void SessionWriter::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
    // Jobs handed in before the end are still written.
    if (jobs_.empty()) return;
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    busy_ = true;
    lock.unlock();
    ApplyToIniFile(job.path, job.changes);
    lock.lock();
    busy_ = false;
    ++written_;
    if (jobs_.empty()) idle_.notify_all();
  }
}

}  // namespace zel
