#pragma once
// Where the world table keeps its rows: one row per accepted upload (name, score, country,
// the time it came in), and the count of each address's recent uploads. Two stores answer
// alike: an SQLite file for one server on one machine, and a PostgreSQL database shared by
// any number of servers (PostgresStore.h). A row whose Add has returned true is committed:
// it survives the server being killed. Every statement takes its values through bound
// parameters. A store is used by all the server's threads at once.

#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "server/UploadLimit.h"

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
  virtual ~TScoreStore() = default;
  // False when the row could not be written (disk full, file read-only, database gone).
  virtual bool Add(const std::string& Name, int32_t Score, const std::string& Country,
                   int64_t Time) = 0;
  // The best Count rows: the higher score first, the earlier of two equal ones first.
  virtual std::vector<TScoreRow> Best(int32_t Count) = 0;
  // -1 when the store cannot be read.
  virtual int64_t RowCount() = 0;
  // Counts an upload from Address at NowMs (milliseconds of the wall clock) and says
  // whether it is within PerMinute in the minute before; an upload over the limit is not
  // counted. Every server on one store shares the count. False also when the store cannot
  // be reached, so that a failing store is not written to without bound.
  virtual bool AllowUpload(const std::string& Address, int64_t NowMs, int32_t PerMinute) = 0;
  // What the start-up line names: the file, or the database without its password.
  virtual std::string Describe() const = 0;
};

// "postgresql://..." or "postgres://..." (a libpq connection address) opens a PostgreSQL
// store; anything else is an SQLite file's name. Throws TScoreStoreError naming the place
// and the reason when it cannot be opened.
std::unique_ptr<TScoreStore> OpenScoreStore(const std::string& Where);
bool IsPostgresAddress(const std::string& Where);

// The SQLite file, in write-ahead-log mode with full syncs. One connection, shared under a
// lock; the upload count lives in the process, as one server owns the file.
class TSqliteScoreStore final : public TScoreStore {
 public:
  explicit TSqliteScoreStore(const std::string& FileName);
  ~TSqliteScoreStore() override;
  TSqliteScoreStore(const TSqliteScoreStore&) = delete;
  TSqliteScoreStore& operator=(const TSqliteScoreStore&) = delete;

  bool Add(const std::string& Name, int32_t Score, const std::string& Country,
           int64_t Time) override;
  std::vector<TScoreRow> Best(int32_t Count) override;
  int64_t RowCount() override;
  bool AllowUpload(const std::string& Address, int64_t NowMs, int32_t PerMinute) override;
  std::string Describe() const override { return FFileName; }

 private:
  void Exec(const char* Sql);
  std::string FFileName;
  sqlite3* FDb = nullptr;
  std::mutex FMutex;
  std::mutex FLimitMutex;
  std::unique_ptr<TUploadLimit> FLimit;
  int32_t FLimitPerMinute = 0;
};
