#include "history/history_store.h"

#include <sqlite3.h>

namespace zel {

bool IsRecordedAddress(u16view url) {
  return StartsWithNoCase(url, u"http://") || StartsWithNoCase(url, u"https://") ||
         StartsWithNoCase(url, u"ftp://") || StartsWithNoCase(url, u"file:");
}

HistoryStore::~HistoryStore() {
  if (insert_) sqlite3_finalize(insert_);
  if (db_) sqlite3_close(db_);
}

bool HistoryStore::Fail(const char* what) {
  error_ = std::string(what) + ": " + (db_ ? sqlite3_errmsg(db_) : "no database");
  if (insert_) sqlite3_finalize(insert_);
  insert_ = nullptr;
  if (db_) sqlite3_close(db_);
  db_ = nullptr;
  return false;
}

bool HistoryStore::Open(const std::string& path) {
  if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
      SQLITE_OK)
    return Fail("open");
  // Another process holding the database gets a moment, not the thread.
  sqlite3_busy_timeout(db_, 300);
  // The first statements read the file: a file that is not a database fails here.
  if (sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr) != SQLITE_OK)
    return Fail("journal");
  sqlite3_exec(db_, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
  if (sqlite3_exec(db_,
                   "CREATE TABLE IF NOT EXISTS visits(id INTEGER PRIMARY KEY, url TEXT NOT NULL, "
                   "title TEXT NOT NULL, time INTEGER NOT NULL)",
                   nullptr, nullptr, nullptr) != SQLITE_OK)
    return Fail("schema");
  if (sqlite3_exec(db_, "SELECT count(*) FROM visits", nullptr, nullptr, nullptr) != SQLITE_OK)
    return Fail("check");
  if (sqlite3_prepare_v2(db_, "INSERT INTO visits(url, title, time) VALUES(?, ?, ?)", -1,
                         &insert_, nullptr) != SQLITE_OK)
    return Fail("prepare");
  return true;
}

bool HistoryStore::Add(const std::vector<Visit>& visits) {
  if (!db_) return false;
  if (sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) return false;
  for (const Visit& v : visits) {
    std::string url = ToUtf8(v.url), title = ToUtf8(v.title);
    sqlite3_bind_text(insert_, 1, url.data(), int(url.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(insert_, 2, title.data(), int(title.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int64(insert_, 3, v.time);
    int rc = sqlite3_step(insert_);
    sqlite3_reset(insert_);
    if (rc != SQLITE_DONE) {
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      return false;
    }
  }
  return sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::vector<Visit> HistoryStore::All() {
  std::vector<Visit> out;
  if (!db_) return out;
  sqlite3_stmt* q = nullptr;
  if (sqlite3_prepare_v2(db_, "SELECT url, title, time FROM visits ORDER BY id DESC",
                         -1, &q, nullptr) != SQLITE_OK)
    return out;
  while (sqlite3_step(q) == SQLITE_ROW) {
    Visit v;
    auto text = [&](int col) {
      const char* p = reinterpret_cast<const char*>(sqlite3_column_text(q, col));
      return p ? FromUtf8(std::string_view(p, size_t(sqlite3_column_bytes(q, col)))) : u16();
    };
    v.url = text(0);
    v.title = text(1);
    v.time = sqlite3_column_int64(q, 2);
    out.push_back(std::move(v));
  }
  sqlite3_finalize(q);
  return out;
}

std::vector<Visit> HistoryStore::Matching(u16view text, int limit) {
  std::vector<Visit> out;
  if (!db_ || text.empty() || limit <= 0) return out;
  std::string pattern = "%";
  for (char c : ToUtf8(text)) {
    if (c == '%' || c == '_' || c == '\\') pattern += '\\';
    pattern += c;
  }
  pattern += '%';
  sqlite3_stmt* q = nullptr;
  // SQLite gives the bare columns of the row that has the MAX(time).
  if (sqlite3_prepare_v2(db_,
                         "SELECT url, title, MAX(time) AS t, COUNT(*) AS n FROM visits "
                         "WHERE url LIKE ?1 ESCAPE '\\' OR title LIKE ?1 ESCAPE '\\' "
                         "GROUP BY url ORDER BY n DESC, t DESC LIMIT ?2",
                         -1, &q, nullptr) != SQLITE_OK)
    return out;
  sqlite3_bind_text(q, 1, pattern.data(), int(pattern.size()), SQLITE_TRANSIENT);
  sqlite3_bind_int(q, 2, limit);
  while (sqlite3_step(q) == SQLITE_ROW) {
    auto column = [&](int col) {
      const char* p = reinterpret_cast<const char*>(sqlite3_column_text(q, col));
      return p ? FromUtf8(std::string_view(p, size_t(sqlite3_column_bytes(q, col)))) : u16();
    };
    out.push_back({column(0), column(1), sqlite3_column_int64(q, 2)});
  }
  sqlite3_finalize(q);
  return out;
}

bool HistoryStore::Clear() {
  if (!db_) return false;
  return sqlite3_exec(db_, "DELETE FROM visits", nullptr, nullptr, nullptr) == SQLITE_OK;
}

HistoryWorker::HistoryWorker(std::string path) : path_(std::move(path)) {
  thread_ = std::thread([this] { Run(); });
}

HistoryWorker::~HistoryWorker() {
  {
    std::lock_guard<std::mutex> lock(mu_);
    stop_ = true;
  }
  cv_.notify_one();
  thread_.join();
}

void HistoryWorker::Post(std::function<void(HistoryStore&)> job) {
  {
    std::lock_guard<std::mutex> lock(mu_);
    jobs_.push_back(std::move(job));
  }
  cv_.notify_one();
}

void HistoryWorker::Record(Visit visit) {
  {
    std::lock_guard<std::mutex> lock(mu_);
    visits_.push_back(std::move(visit));
  }
  cv_.notify_one();
}

void HistoryWorker::Run() {
  HistoryStore store;
  store.Open(path_);
  std::unique_lock<std::mutex> lock(mu_);
  while (true) {
    cv_.wait(lock, [this] { return stop_ || !jobs_.empty() || !visits_.empty(); });
    // Visits first: a job queued after a visit (a fill of the pane) sees it.
    std::deque<Visit> queued;
    queued.swap(visits_);
    std::deque<std::function<void(HistoryStore&)>> jobs;
    jobs.swap(jobs_);
    bool stop = stop_;
    lock.unlock();
    if (!queued.empty())
      store.Add(std::vector<Visit>(std::make_move_iterator(queued.begin()),
                                   std::make_move_iterator(queued.end())));
    for (auto& job : jobs) job(store);
    lock.lock();
    if (stop && jobs_.empty() && visits_.empty()) break;
  }
}

}  // namespace zel
