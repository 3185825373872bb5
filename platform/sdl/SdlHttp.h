#pragma once
// One HTTP GET through libcurl with bounded time-outs (connect 5 s, whole request 10 s), so
// an unreachable server never freezes the game for long. Every failure answers false, a
// missing libcurl included.

#include <memory>
#include <mutex>

#include "platform/Platform.h"

class TSdlHttp final : public IHttpClient {
 public:
  TSdlHttp();
  ~TSdlHttp() override;
  TSdlHttp(const TSdlHttp&) = delete;
  TSdlHttp& operator=(const TSdlHttp&) = delete;
  bool Get(const std::string& Url, std::string& Body) override;

 private:
  struct TCurl;
  std::once_flag FLoadOnce;
  std::unique_ptr<TCurl> FCurl;
};
