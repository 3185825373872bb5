#include "server/UploadLimit.h"

namespace {

constexpr int64_t kMinuteMs = 60000;

void Forget(std::deque<int64_t>& Times, int64_t NowMs) {
  while (!Times.empty() && NowMs - Times.front() >= kMinuteMs) Times.pop_front();
}

}  // namespace

bool TUploadLimit::Allow(const std::string& Address, int64_t NowMs) {
  std::lock_guard<std::mutex> Lock(FMutex);
  // Once a minute, drop the addresses that have been quiet for a minute, so that many
  // passing addresses do not pile up.
  if (NowMs - FLastSweep >= kMinuteMs) {
    FLastSweep = NowMs;
    for (auto It = FTimes.begin(); It != FTimes.end();) {
      Forget(It->second, NowMs);
      It = It->second.empty() ? FTimes.erase(It) : std::next(It);
    }
  }
  std::deque<int64_t>& Times = FTimes[Address];
  Forget(Times, NowMs);
  if (static_cast<int64_t>(Times.size()) >= FPerMinute) return false;
  Times.push_back(NowMs);
  return true;
}
