#include "platform/sdl/SdlHttp.h"

#include <SDL.h>
#include <curl/curl.h>

#include <mutex>

// libcurl is loaded on the first request, not with the program: with its TLS and
// authentication libraries it is some thirty shared objects, and loading and initializing
// them cost the start-up several milliseconds for an upload most sessions never make.
struct TSdlHttp::TCurl {
  void* Library = nullptr;
  bool Started = false;
  CURLcode (*GlobalInit)(long) = nullptr;
  void (*GlobalCleanup)() = nullptr;
  CURL* (*EasyInit)() = nullptr;
  CURLcode (*EasySetopt)(CURL*, CURLoption, ...) = nullptr;
  CURLcode (*EasyPerform)(CURL*) = nullptr;
  void (*EasyCleanup)(CURL*) = nullptr;

  template <class T>
  bool Find(T& Function, const char* Name) {
    Function = reinterpret_cast<T>(SDL_LoadFunction(Library, Name));
    return Function != nullptr;
  }

  bool Load() {
    for (const char* Name : {"libcurl.so.4", "libcurl-gnutls.so.4", "libcurl.so"}) {
      Library = SDL_LoadObject(Name);
      if (Library) break;
    }
    if (!Library) return false;
    if (!Find(GlobalInit, "curl_global_init") || !Find(GlobalCleanup, "curl_global_cleanup") ||
        !Find(EasyInit, "curl_easy_init") || !Find(EasySetopt, "curl_easy_setopt") ||
        !Find(EasyPerform, "curl_easy_perform") || !Find(EasyCleanup, "curl_easy_cleanup"))
      return false;
    Started = GlobalInit(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return Started;
  }

  ~TCurl() {
    if (Started) GlobalCleanup();
    // The library stays mapped: its threads (the resolver's) may outlive the cleanup.
  }
};

namespace {

size_t Append(char* Data, size_t Size, size_t Count, void* User) {
  static_cast<std::string*>(User)->append(Data, Size * Count);
  return Size * Count;
}

}  // namespace

TSdlHttp::TSdlHttp() = default;

TSdlHttp::~TSdlHttp() = default;

bool TSdlHttp::Get(const std::string& Url, std::string& Body) {
  std::call_once(FLoadOnce, [this] {
    auto Curl = std::make_unique<TCurl>();
    if (Curl->Load()) FCurl = std::move(Curl);
  });
  if (!FCurl) return false;
  const TCurl& Api = *FCurl;
  CURL* Curl = Api.EasyInit();
  if (!Curl) return false;
  std::string Received;
  Api.EasySetopt(Curl, CURLOPT_URL, Url.c_str());
  Api.EasySetopt(Curl, CURLOPT_HTTPGET, 1L);
  Api.EasySetopt(Curl, CURLOPT_CONNECTTIMEOUT_MS, 5000L);
  Api.EasySetopt(Curl, CURLOPT_TIMEOUT_MS, 10000L);
  Api.EasySetopt(Curl, CURLOPT_NOSIGNAL, 1L);  // no SIGALRM for the resolver's time-out
  Api.EasySetopt(Curl, CURLOPT_FOLLOWLOCATION, 1L);
  Api.EasySetopt(Curl, CURLOPT_MAXREDIRS, 5L);
  Api.EasySetopt(Curl, CURLOPT_FAILONERROR, 1L);
  Api.EasySetopt(Curl, CURLOPT_WRITEFUNCTION, Append);
  Api.EasySetopt(Curl, CURLOPT_WRITEDATA, &Received);
  const CURLcode Result = Api.EasyPerform(Curl);
  Api.EasyCleanup(Curl);
  if (Result != CURLE_OK) return false;
  Body = std::move(Received);
  return true;
}
