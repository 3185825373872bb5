#pragma once
// HTTP GET with bounded time-outs (by default connect 5 s, whole request 10 s), so an
// unreachable server never holds the game for long: through libcurl on Linux
// (sdl/SdlHttp.cpp), through WinHTTP on Windows (windows/WinHttp.cpp). Every failure answers
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
  // The system's client: libcurl's handles, or WinHTTP's session.
  struct TClient;
  std::once_flag FLoadOnce;
  std::unique_ptr<TClient> FClient;
};
