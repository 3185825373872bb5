#pragma once
// How many uploads one address may make in any minute. Times are milliseconds of a clock
// the caller chooses (the server's steady clock; a test's own numbers).

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>

class TUploadLimit {
 public:
  explicit TUploadLimit(int32_t PerMinute) : FPerMinute(PerMinute) {}
  // Counts an upload from Address at Now and says whether it is within the limit; an
  // upload over the limit is not counted.
  bool Allow(const std::string& Address, int64_t NowMs);

 private:
  int32_t FPerMinute;
  std::unordered_map<std::string, std::deque<int64_t>> FTimes;
  int64_t FLastSweep = 0;
  std::mutex FMutex;
};
