#include "server/PostgresStore.h"

#include <libpq-fe.h>

#include <memory>

namespace {

constexpr int64_t kMinuteMs = 60000;
// Taken while the tables are made, so that servers starting together do not race.
constexpr const char* kSchemaLockId = "731902";

constexpr Oid kByteaOid = 17;
constexpr Oid kInt4Oid = 23;
constexpr Oid kInt8Oid = 20;
constexpr Oid kTextOid = 25;

struct TResultFree {
  void operator()(PGresult* R) const { PQclear(R); }
};
using TResult = std::unique_ptr<PGresult, TResultFree>;

bool Ok(const TResult& R, ExecStatusType Wanted) {
  return R && PQresultStatus(R.get()) == Wanted;
}

std::string Bytes(const PGresult* R, int Row, int Column) {
  size_t Length = 0;
  unsigned char* Raw = PQunescapeBytea(
      reinterpret_cast<const unsigned char*>(PQgetvalue(R, Row, Column)), &Length);
  if (!Raw) return {};
  std::string Out(reinterpret_cast<const char*>(Raw), Length);
  PQfreemem(Raw);
  return Out;
}

// The address with its password, if any, hidden.
std::string WithoutPassword(const std::string& Address) {
  std::string Out = Address;
  const size_t Scheme = Out.find("://");
  if (Scheme != std::string::npos) {
    const size_t Start = Scheme + 3;
    const size_t At = Out.find('@', Start);
    const size_t Slash = Out.find('/', Start);
    if (At != std::string::npos && (Slash == std::string::npos || At < Slash)) {
      const size_t Colon = Out.find(':', Start);
      if (Colon != std::string::npos && Colon < At) Out.replace(Colon + 1, At - Colon - 1, "***");
    }
  }
  const size_t Password = Out.find("password=");
  if (Password != std::string::npos) {
    const size_t Value = Password + 9;
    const size_t End = Out.find_first_of("& ", Value);
    Out.replace(Value, End == std::string::npos ? std::string::npos : End - Value, "***");
  }
  return Out;
}

void IgnoreNotice(void*, const char*) {}

}  // namespace

TPostgresScoreStore::TPostgresScoreStore(const std::string& Address, size_t Connections)
    : FAddress(Address),
      FShownAddress(WithoutPassword(Address)),
      FMaxConnections(Connections < 1 ? 1 : Connections) {
  std::string Why;
  pg_conn* C = Connect(&Why);
  if (!C) throw TScoreStoreError(FShownAddress + ": " + Why);
  const std::string Schema = std::string(
                                 "BEGIN;"
                                 "SELECT pg_advisory_xact_lock(") +
                             kSchemaLockId +
                             ");"
                             "CREATE TABLE IF NOT EXISTS scores ("
                             " id BIGSERIAL PRIMARY KEY,"
                             " name BYTEA NOT NULL,"
                             " score INTEGER NOT NULL,"
                             " country BYTEA NOT NULL,"
                             " time BIGINT NOT NULL);"
                             "CREATE INDEX IF NOT EXISTS scores_best ON scores (score DESC, time, id);"
                             "CREATE UNLOGGED TABLE IF NOT EXISTS upload_limit ("
                             " address TEXT PRIMARY KEY,"
                             " times BIGINT[] NOT NULL,"
                             " allowed BOOLEAN NOT NULL);"
                             "COMMIT;";
  TResult R(PQexec(C, Schema.c_str()));
  if (!Ok(R, PGRES_COMMAND_OK)) {
    Why = PQerrorMessage(C);
    PQfinish(C);
    while (!Why.empty() && Why.back() == '\n') Why.pop_back();
    throw TScoreStoreError(FShownAddress + ": " + Why);
  }
  FOpen = 1;
  FIdle.push_back(C);
}

TPostgresScoreStore::~TPostgresScoreStore() {
  for (pg_conn* C : FIdle) PQfinish(C);
}

pg_conn* TPostgresScoreStore::Connect(std::string* Why) {
  pg_conn* C = PQconnectdb(FAddress.c_str());
  if (!C || PQstatus(C) != CONNECTION_OK) {
    if (Why) {
      *Why = C ? PQerrorMessage(C) : "out of memory";
      while (!Why->empty() && Why->back() == '\n') Why->pop_back();
    }
    PQfinish(C);
    return nullptr;
  }
  // "CREATE ... IF NOT EXISTS" and the like tell of themselves; that is not for the log.
  PQsetNoticeProcessor(C, IgnoreNotice, nullptr);
  // An answered upload must be on the disk: a database set to commit without waiting
  // for its log is asked to wait, for this server's connections.
  TResult R(PQexec(C, "SELECT current_setting('synchronous_commit')"));
  if (Ok(R, PGRES_TUPLES_OK) && PQntuples(R.get()) == 1 &&
      std::string(PQgetvalue(R.get(), 0, 0)) == "off")
    TResult(PQexec(C, "SET synchronous_commit = on"));
  return C;
}

TPostgresScoreStore::TLease::TLease(TPostgresScoreStore& Store) : FStore(Store) {
  std::unique_lock<std::mutex> Lock(Store.FMutex);
  Store.FFree.wait(Lock, [&] { return !Store.FIdle.empty() || Store.FOpen < Store.FMaxConnections; });
  if (!Store.FIdle.empty()) {
    FConn = Store.FIdle.back();
    Store.FIdle.pop_back();
    return;
  }
  ++Store.FOpen;
  Lock.unlock();
  FConn = Store.Connect(nullptr);
  if (!FConn) {
    Lock.lock();
    --Store.FOpen;
    Store.FFree.notify_one();
  }
}

TPostgresScoreStore::TLease::~TLease() {
  if (!FConn) return;
  // A connection left inside a transaction by a failed piece of work is rolled back; one
  // that broke is dropped and made again when next needed.
  if (PQstatus(FConn) == CONNECTION_OK && PQtransactionStatus(FConn) != PQTRANS_IDLE)
    TResult(PQexec(FConn, "ROLLBACK"));
  const bool Good = PQstatus(FConn) == CONNECTION_OK && PQtransactionStatus(FConn) == PQTRANS_IDLE;
  std::lock_guard<std::mutex> Lock(FStore.FMutex);
  if (Good) {
    FStore.FIdle.push_back(FConn);
  } else {
    PQfinish(FConn);
    --FStore.FOpen;
  }
  FStore.FFree.notify_one();
}

bool TPostgresScoreStore::Add(const std::string& Name, int32_t Score, const std::string& Country,
                              int64_t Time) {
  TLease C(*this);
  if (!C) return false;
  const std::string ScoreText = std::to_string(Score), TimeText = std::to_string(Time);
  const Oid Types[] = {kByteaOid, kInt4Oid, kByteaOid, kInt8Oid};
  const char* Values[] = {Name.data(), ScoreText.c_str(), Country.data(), TimeText.c_str()};
  const int Lengths[] = {static_cast<int>(Name.size()), 0, static_cast<int>(Country.size()), 0};
  const int Formats[] = {1, 0, 1, 0};
  TResult R(PQexecParams(*C,
                         "INSERT INTO scores (name, score, country, time) VALUES ($1, $2, $3, $4)",
                         4, Types, Values, Lengths, Formats, 0));
  return Ok(R, PGRES_COMMAND_OK);
}

std::vector<TScoreRow> TPostgresScoreStore::Best(int32_t Count) {
  std::vector<TScoreRow> Rows;
  TLease C(*this);
  if (!C) return Rows;
  const std::string CountText = std::to_string(Count);
  const Oid Types[] = {kInt4Oid};
  const char* Values[] = {CountText.c_str()};
  TResult R(PQexecParams(*C,
                         "SELECT name, country, score, time FROM scores"
                         " ORDER BY score DESC, time, id LIMIT $1",
                         1, Types, Values, nullptr, nullptr, 0));
  if (!Ok(R, PGRES_TUPLES_OK)) return Rows;
  const int N = PQntuples(R.get());
  Rows.reserve(static_cast<size_t>(N));
  for (int I = 0; I < N; ++I) {
    TScoreRow Row;
    Row.Place = I + 1;
    Row.Name = Bytes(R.get(), I, 0);
    Row.Country = Bytes(R.get(), I, 1);
    Row.Score = static_cast<int32_t>(std::stol(PQgetvalue(R.get(), I, 2)));
    Row.Time = std::stoll(PQgetvalue(R.get(), I, 3));
    Rows.push_back(std::move(Row));
  }
  return Rows;
}

int64_t TPostgresScoreStore::RowCount() {
  TLease C(*this);
  if (!C) return -1;
  TResult R(PQexec(*C, "SELECT count(*) FROM scores"));
  return Ok(R, PGRES_TUPLES_OK) && PQntuples(R.get()) == 1 ? std::stoll(PQgetvalue(R.get(), 0, 0))
                                                            : -1;
}

bool TPostgresScoreStore::AllowUpload(const std::string& Address, int64_t NowMs,
                                      int32_t PerMinute) {
  TLease C(*this);
  if (!C) return false;
  const std::string NowText = std::to_string(NowMs), LimitText = std::to_string(PerMinute);
  // Once a minute, each server drops the addresses quiet for a minute.
  bool Sweep = false;
  {
    std::lock_guard<std::mutex> Lock(FMutex);
    if (NowMs - FLastSweepMs >= kMinuteMs) {
      FLastSweepMs = NowMs;
      Sweep = true;
    }
  }
  if (Sweep) {
    const Oid Types[] = {kInt8Oid};
    const char* Values[] = {NowText.c_str()};
    TResult(PQexecParams(*C,
                         "DELETE FROM upload_limit WHERE NOT EXISTS"
                         " (SELECT 1 FROM unnest(times) t WHERE t > $1::bigint - 60000)",
                         1, Types, Values, nullptr, nullptr, 0));
  }
  // One statement: the address's row is locked by the upsert, so two servers counting the
  // same address at once take turns. The times kept are those of the last minute.
  const Oid Types[] = {kTextOid, kInt8Oid, kInt4Oid};
  const char* Values[] = {Address.c_str(), NowText.c_str(), LimitText.c_str()};
  TResult R(PQexecParams(
      *C,
      "INSERT INTO upload_limit AS u (address, times, allowed)"
      " VALUES ($1, ARRAY[$2::bigint], $3::int > 0)"
      " ON CONFLICT (address) DO UPDATE SET"
      "  allowed = (SELECT count(*) FROM unnest(u.times) t WHERE t > $2::bigint - 60000) < $3::int,"
      "  times = ARRAY(SELECT t FROM unnest(u.times) t WHERE t > $2::bigint - 60000) ||"
      "   CASE WHEN (SELECT count(*) FROM unnest(u.times) t WHERE t > $2::bigint - 60000) < $3::int"
      "   THEN ARRAY[$2::bigint] ELSE '{}'::bigint[] END"
      " RETURNING allowed",
      3, Types, Values, nullptr, nullptr, 0));
  return Ok(R, PGRES_TUPLES_OK) && PQntuples(R.get()) == 1 &&
         std::string(PQgetvalue(R.get(), 0, 0)) == "t";
}
