// The visit store behind the history pane: history.sqlite in the profile folder (WAL),
// one row per committed top-level visit with its address, title and time. HistoryStore is
// the database itself and runs on one thread; HistoryWorker owns a store on a thread of its
// own, so nothing of the database ever runs on the main loop.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/text.h"

struct sqlite3;
struct sqlite3_stmt;

namespace zel {

struct Visit {
  u16 url;
  u16 title;
  int64_t time = 0;  // seconds since 1970
};

// Whether a committed address is recorded: http(s), ftp and file pages.
bool IsRecordedAddress(u16view url);

class HistoryStore {
 public:
  HistoryStore() = default;
  ~HistoryStore();
  HistoryStore(const HistoryStore&) = delete;
  HistoryStore& operator=(const HistoryStore&) = delete;

  // Opens (or makes) the database. False when it is locked, corrupt or not a database;
  // the file is left as it is then.
  bool Open(const std::string& path);
  bool ok() const { return db_ != nullptr; }
  const std::string& error() const { return error_; }
  // Many visits in one transaction.
  bool Add(const std::vector<Visit>& visits);
  // Every visit, the last recorded first.
  std::vector<Visit> All();
  // Up to limit addresses whose address or title holds text (ASCII letters in any case),
  // the most visited first, then the latest; each with its latest title and time.
  std::vector<Visit> Matching(u16view text, int limit);
  bool Clear();

 private:
  bool Fail(const char* what);
  sqlite3* db_ = nullptr;
  sqlite3_stmt* insert_ = nullptr;
  std::string error_;
};

class HistoryWorker {
 public:
  explicit HistoryWorker(std::string path);
  // Finishes the queued work, then ends the thread.
  ~HistoryWorker();
  // Runs on the worker thread, in order. The first job finds the store opened (or not: see
  // ok()).
  void Post(std::function<void(HistoryStore&)> job);
  // Queues a visit; visits queued together are written in one transaction.
  void Record(Visit visit);

 private:
  void Run();
  std::string path_;
  std::mutex mu_;
  std::condition_variable cv_;
  std::deque<std::function<void(HistoryStore&)>> jobs_;
  std::deque<Visit> visits_;  // no reallocation while the main loop adds to it
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace zel
