#include "server/ScoreStore.h"

#include <sqlite3.h>

#include "server/PostgresStore.h"

namespace {

// Finalises a prepared statement however the block is left.
class TStatement {
 public:
  TStatement(sqlite3* Db, const char* Sql) {
    if (sqlite3_prepare_v2(Db, Sql, -1, &FStmt, nullptr) != SQLITE_OK) FStmt = nullptr;
  }
  ~TStatement() { sqlite3_finalize(FStmt); }
  TStatement(const TStatement&) = delete;
  TStatement& operator=(const TStatement&) = delete;
  sqlite3_stmt* operator*() const { return FStmt; }
  explicit operator bool() const { return FStmt != nullptr; }

 private:
  sqlite3_stmt* FStmt = nullptr;
};

std::string Column(sqlite3_stmt* S, int I) {
  const auto* Text = reinterpret_cast<const char*>(sqlite3_column_text(S, I));
  return Text ? std::string(Text, static_cast<size_t>(sqlite3_column_bytes(S, I))) : std::string();
}

}  // namespace

TSqliteScoreStore::TSqliteScoreStore(const std::string& FileName) : FFileName(FileName) {
  const int Rc =
      sqlite3_open_v2(FileName.c_str(), &FDb,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
  if (Rc != SQLITE_OK) {
    const std::string Why = FDb ? sqlite3_errmsg(FDb) : sqlite3_errstr(Rc);
    sqlite3_close(FDb);
    FDb = nullptr;
    throw TScoreStoreError(FileName + ": " + Why);
  }
  sqlite3_busy_timeout(FDb, 5000);
  try {
    Exec("PRAGMA journal_mode=WAL");
    // FULL: every commit syncs the log, so an answered upload is on the disk.
    Exec("PRAGMA synchronous=FULL");
    Exec(
        "CREATE TABLE IF NOT EXISTS scores ("
        " id INTEGER PRIMARY KEY,"
        " name TEXT NOT NULL,"
        " score INTEGER NOT NULL,"
        " country TEXT NOT NULL,"
        " time INTEGER NOT NULL)");
    Exec("CREATE INDEX IF NOT EXISTS scores_best ON scores (score DESC, time, id)");
  } catch (...) {
    sqlite3_close(FDb);
    FDb = nullptr;
    throw;
  }
}

TSqliteScoreStore::~TSqliteScoreStore() {
  sqlite3_close(FDb);
}

void TSqliteScoreStore::Exec(const char* Sql) {
  char* Message = nullptr;
  if (sqlite3_exec(FDb, Sql, nullptr, nullptr, &Message) != SQLITE_OK) {
    const std::string Why = Message ? Message : sqlite3_errmsg(FDb);
    sqlite3_free(Message);
    throw TScoreStoreError(FFileName + ": " + Why);
  }
}

bool TSqliteScoreStore::Add(const std::string& Name, int32_t Score, const std::string& Country,
                      int64_t Time) {
  std::lock_guard<std::mutex> Lock(FMutex);
  TStatement S(FDb, "INSERT INTO scores (name, score, country, time) VALUES (?1, ?2, ?3, ?4)");
  if (!S) return false;
  sqlite3_bind_text(*S, 1, Name.data(), static_cast<int>(Name.size()), SQLITE_TRANSIENT);
  sqlite3_bind_int(*S, 2, Score);
  sqlite3_bind_text(*S, 3, Country.data(), static_cast<int>(Country.size()), SQLITE_TRANSIENT);
  sqlite3_bind_int64(*S, 4, Time);
  return sqlite3_step(*S) == SQLITE_DONE;
}

std::vector<TScoreRow> TSqliteScoreStore::Best(int32_t Count) {
  std::lock_guard<std::mutex> Lock(FMutex);
  std::vector<TScoreRow> Rows;
  TStatement S(FDb,
               "SELECT name, country, score, time FROM scores"
               " ORDER BY score DESC, time, id LIMIT ?1");
  if (!S) return Rows;
  sqlite3_bind_int(*S, 1, Count);
  while (sqlite3_step(*S) == SQLITE_ROW) {
    TScoreRow R;
    R.Place = static_cast<int32_t>(Rows.size()) + 1;
    R.Name = Column(*S, 0);
    R.Country = Column(*S, 1);
    R.Score = sqlite3_column_int(*S, 2);
    R.Time = sqlite3_column_int64(*S, 3);
    Rows.push_back(std::move(R));
  }
  return Rows;
}

int64_t TSqliteScoreStore::RowCount() {
  std::lock_guard<std::mutex> Lock(FMutex);
  TStatement S(FDb, "SELECT COUNT(*) FROM scores");
  return S && sqlite3_step(*S) == SQLITE_ROW ? sqlite3_column_int64(*S, 0) : -1;
}

bool TSqliteScoreStore::AllowUpload(const std::string& Address, int64_t NowMs, int32_t PerMinute) {
  std::lock_guard<std::mutex> Lock(FLimitMutex);
  if (!FLimit || FLimitPerMinute != PerMinute) {
    FLimit = std::make_unique<TUploadLimit>(PerMinute);
    FLimitPerMinute = PerMinute;
  }
  return FLimit->Allow(Address, NowMs);
}

bool IsPostgresAddress(const std::string& Where) {
  return Where.rfind("postgresql://", 0) == 0 || Where.rfind("postgres://", 0) == 0;
}

std::unique_ptr<TScoreStore> OpenScoreStore(const std::string& Where) {
  if (IsPostgresAddress(Where)) return std::make_unique<TPostgresScoreStore>(Where);
  return std::make_unique<TSqliteScoreStore>(Where);
}
