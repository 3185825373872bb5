#pragma once
// The world table's SQLite file: one row per accepted upload (name, score, country, the
// time it came in). The file runs in write-ahead-log mode with full syncs, so a row whose
// insert has returned survives the server being killed or the machine losing power.
// Every statement takes its values through bound parameters. One connection, shared by
// the server's worker threads under a lock.

#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;

struct TScoreRow {
  int32_t Place = 0;  // 1 for the best
  std::string Name;
  std::string Country;
  int32_t Score = 0;
  int64_t Time = 0;  // seconds since 1970, UTC
};

class TScoreStoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TScoreStore {
 public:
  // Opens or makes the file and its table; throws TScoreStoreError naming the file and
  // the reason when it cannot.
  explicit TScoreStore(const std::string& FileName);
  ~TScoreStore();
  TScoreStore(const TScoreStore&) = delete;
  TScoreStore& operator=(const TScoreStore&) = delete;

  // False when the row could not be written (disk full, file gone read-only).
  bool Add(const std::string& Name, int32_t Score, const std::string& Country, int64_t Time);
  // The best Count rows: the higher score first, the earlier of two equal ones first.
  std::vector<TScoreRow> Best(int32_t Count);
  int64_t RowCount();

 private:
  void Exec(const char* Sql);
  std::string FFileName;
  sqlite3* FDb = nullptr;
  std::mutex FMutex;
};
