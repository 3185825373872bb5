#pragma once
// HTTP GET through libcurl with bounded time-outs (by default connect 5 s, whole request
// 10 s), so an unreachable server never holds the game for long. Every failure answers
// false, a missing libcurl included. Cookies live in one in-memory jar shared by every
// request of the run; requests may run on worker threads.

#include <memory>
#include <mutex>

#include "platform/Platform.h"

class TSdlHttp final : public IHttpClient {
 public:
  TSdlHttp();
  ~TSdlHttp() override;
  TSdlHttp(const TSdlHttp&) = delete;
  TSdlHttp& operator=(const TSdlHttp&) = delete;
  bool Get(const THttpRequest& Request, std::string& Body) override;

 private:
  struct TCurl;
  std::once_flag FLoadOnce;
  std::unique_ptr<TCurl> FCurl;
};
