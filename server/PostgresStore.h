#pragma once
// The world table in PostgreSQL, for several servers sharing one table. The same tables as
// the SQLite file (names and countries as bytes, so that any text comes back as it went
// in), plus an unlogged table of recent uploads per address that every server counts in:
// after a crash of the database it starts empty, which only forgets a minute of uploads.
// A few connections are kept open and lent to the server's threads one at a time; one
// that broke is made again on its next use. Adds are committed with the synchronous
// commit on, so an answered upload is on the database's disk (and on a synchronous
// standby, when the database has one).

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "server/ScoreStore.h"

struct pg_conn;

class TPostgresScoreStore final : public TScoreStore {
 public:
  // Connects and makes the tables when missing; throws TScoreStoreError with the reason.
  explicit TPostgresScoreStore(const std::string& Address, size_t Connections = 8);
  ~TPostgresScoreStore() override;
  TPostgresScoreStore(const TPostgresScoreStore&) = delete;
  TPostgresScoreStore& operator=(const TPostgresScoreStore&) = delete;

  bool Add(const std::string& Name, int32_t Score, const std::string& Country,
           int64_t Time) override;
  std::vector<TScoreRow> Best(int32_t Count) override;
  int64_t RowCount() override;
  bool AllowUpload(const std::string& Address, int64_t NowMs, int32_t PerMinute) override;
  std::string Describe() const override { return FShownAddress; }

  // A connection lent for one piece of work; back to the pool at the end of its block.
  class TLease {
   public:
    TLease(TPostgresScoreStore& Store);
    ~TLease();
    TLease(const TLease&) = delete;
    TLease& operator=(const TLease&) = delete;
    pg_conn* operator*() const { return FConn; }
    explicit operator bool() const { return FConn != nullptr; }

   private:
    TPostgresScoreStore& FStore;
    pg_conn* FConn = nullptr;
  };

 private:
  pg_conn* Connect(std::string* Why);
  std::string FAddress;
  std::string FShownAddress;
  size_t FMaxConnections;
  std::mutex FMutex;
  std::condition_variable FFree;
  std::vector<pg_conn*> FIdle;
  size_t FOpen = 0;
  int64_t FLastSweepMs = 0;
};
