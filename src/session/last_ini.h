// "last.ini": the pages open at the last save (section "visit", in tab order) and the
// recently closed pages (section "close", oldest first). Each section holds "count" and,
// for N = 0 ... count - 1, "title_N" and "url_N". Sections are not cleared before a save,
// so keys beyond count from an older, longer save may remain; readers ignore them.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/ini_document.h"
#include "base/text.h"

namespace zel {

class SettingsSnapshot;

inline constexpr char16_t kLastIniName[] = u"last.ini";
inline constexpr char16_t kVisitSection[] = u"visit";
inline constexpr char16_t kCloseSection[] = u"close";

struct PageEntry {
  u16 title;
  u16 url;
  bool operator==(const PageEntry&) const = default;
};

// Titles are read back with at most 259 characters; addresses with at most 2048, so a long
// address comes back whole instead of cut into another one.
inline constexpr size_t kTitleReadLimit = 260;
inline constexpr size_t kUrlReadLimit = 2049;
// No section holds more entries than this, whatever its count says.
inline constexpr int kMaxSectionEntries = 100000;

// The entries 0 ... count - 1 of a section, stopping at the first one whose title or
// address is empty. A negative or missing count reads nothing.
std::vector<PageEntry> ReadPageSection(const SettingsSnapshot& file, u16view section);
// The same rules over a document in memory.
std::vector<PageEntry> ReadPageSection(const IniDocument& doc, u16view section);
// The rules over any reader: read(key, n) gives at most n - 1 characters of the key's
// value ("" when absent).
std::vector<PageEntry> ReadPageEntries(const std::function<u16(u16view key, size_t n)>& read);
// The writes that store entries as a section's list (count, then the entries from 0).
std::vector<IniDocument::Change> PageSectionChanges(u16view section,
                                                    const std::vector<PageEntry>& entries);

// Applies changes to the INI file at path with one read and one atomic replace. Safe on
// any thread (it keeps nothing between calls). A new file is readable by its owner only.
// False when the file is there but cannot be read (it is left as it is) or cannot be
// written.
bool ApplyToIniFile(const std::string& path, const std::vector<IniDocument::Change>& changes);

// Writes last.ini off the main loop: each job is applied in the order given, on one
// worker thread, so the main loop never waits for the disk. Flush waits for every job
// handed in so far.
class SessionWriter {
 public:
  SessionWriter() = default;
  ~SessionWriter();
  SessionWriter(const SessionWriter&) = delete;
  SessionWriter& operator=(const SessionWriter&) = delete;

  void Enqueue(std::string path, std::vector<IniDocument::Change> changes);
  void Flush();
  // Jobs written since the writer was made (for tests and benchmarks).
  int written() const;

 private:
  struct Job {
    std::string path;
    std::vector<IniDocument::Change> changes;
  };
  void Run();

  mutable std::mutex mutex_;
  std::condition_variable wake_, idle_;
  std::deque<Job> jobs_;
  bool busy_ = false;
  bool stop_ = false;
  int written_ = 0;
  std::thread thread_;
};

}  // namespace zel
