#include "platform/sdl/SdlHttp.h"

#include <SDL.h>
#include <curl/curl.h>

#include <mutex>

#include "platform/sdl/LibraryFunction.h"

namespace {

// The game throws the answer away; more than this is no answer of its score script.
constexpr size_t kMaxBodyBytes = 1024 * 1024;

struct TReceived {
  std::string Body;
};

size_t Append(char* Data, size_t Size, size_t Count, void* User) {
  auto* R = static_cast<TReceived*>(User);
  const size_t Bytes = Size * Count;
  if (R->Body.size() + Bytes > kMaxBodyBytes) return 0;  // curl ends the transfer: a failure
  R->Body.append(Data, Bytes);
  return Bytes;
}

}  // namespace

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
  curl_slist* (*SlistAppend)(curl_slist*, const char*) = nullptr;
  void (*SlistFreeAll)(curl_slist*) = nullptr;
  CURLSH* (*ShareInit)() = nullptr;
  CURLSHcode (*ShareSetopt)(CURLSH*, CURLSHoption, ...) = nullptr;
  CURLSHcode (*ShareCleanup)(CURLSH*) = nullptr;

  CURLSH* Share = nullptr;
  // One lock per kind of shared data curl asks for (cookies, DNS, connections, ...).
  std::mutex Locks[CURL_LOCK_DATA_LAST];

  static void Lock(CURL*, curl_lock_data Data, curl_lock_access, void* User) {
    static_cast<TCurl*>(User)->Locks[Data].lock();
  }
  static void Unlock(CURL*, curl_lock_data Data, void* User) {
    static_cast<TCurl*>(User)->Locks[Data].unlock();
  }

  template <class T>
  bool Find(T& Function, const char* Name) {
    return FindFunction(Library, Name, Function);
  }

  bool Load() {
    for (const char* Name : {"libcurl.so.4", "libcurl-gnutls.so.4", "libcurl.so"}) {
      Library = SDL_LoadObject(Name);
      if (Library) break;
    }
    if (!Library) return false;
    if (!Find(GlobalInit, "curl_global_init") || !Find(GlobalCleanup, "curl_global_cleanup") ||
        !Find(EasyInit, "curl_easy_init") || !Find(EasySetopt, "curl_easy_setopt") ||
        !Find(EasyPerform, "curl_easy_perform") || !Find(EasyCleanup, "curl_easy_cleanup") ||
        !Find(SlistAppend, "curl_slist_append") || !Find(SlistFreeAll, "curl_slist_free_all") ||
        !Find(ShareInit, "curl_share_init") || !Find(ShareSetopt, "curl_share_setopt") ||
        !Find(ShareCleanup, "curl_share_cleanup"))
      return false;
    Started = GlobalInit(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    if (!Started) return false;
    // The run's cookie jar: every request shares it, under the locks above.
    Share = ShareInit();
    if (Share) {
      ShareSetopt(Share, CURLSHOPT_LOCKFUNC, &TCurl::Lock);
      ShareSetopt(Share, CURLSHOPT_UNLOCKFUNC, &TCurl::Unlock);
      ShareSetopt(Share, CURLSHOPT_USERDATA, this);
      ShareSetopt(Share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    }
    return true;
  }

  ~TCurl() {
    if (Share) ShareCleanup(Share);
    if (Started) GlobalCleanup();
    // The library stays mapped: its threads (the resolver's) may outlive the cleanup.
  }
};

TSdlHttp::TSdlHttp() = default;

TSdlHttp::~TSdlHttp() = default;

bool TSdlHttp::Get(const THttpRequest& Request, std::string& Body) {
  std::call_once(FLoadOnce, [this] {
    auto Curl = std::make_unique<TCurl>();
    if (Curl->Load()) FCurl = std::move(Curl);
  });
  if (!FCurl) return false;
  TCurl& Api = *FCurl;
  CURL* Curl = Api.EasyInit();
  if (!Curl) return false;
  curl_slist* Headers = nullptr;
  for (const std::string& H : Request.Headers) {
    curl_slist* Longer = Api.SlistAppend(Headers, H.c_str());
    if (!Longer) {
      Api.SlistFreeAll(Headers);
      Api.EasyCleanup(Curl);
      return false;
    }
    Headers = Longer;
  }
  TReceived Received;
  Api.EasySetopt(Curl, CURLOPT_URL, Request.Url.c_str());
  Api.EasySetopt(Curl, CURLOPT_HTTPGET, 1L);
  Api.EasySetopt(Curl, CURLOPT_HTTPHEADER, Headers);
  Api.EasySetopt(Curl, CURLOPT_PROXY, "");  // no proxy, whatever the environment says
  Api.EasySetopt(Curl, CURLOPT_PROTOCOLS_STR, "http,https");
  Api.EasySetopt(Curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(Request.ConnectTimeoutMs));
  Api.EasySetopt(Curl, CURLOPT_TIMEOUT_MS, static_cast<long>(Request.TimeoutMs));
  Api.EasySetopt(Curl, CURLOPT_NOSIGNAL, 1L);  // no SIGALRM for the resolver's time-out
  // The result goes to the one address asked for: a redirect is not followed to another.
  Api.EasySetopt(Curl, CURLOPT_FOLLOWLOCATION, 0L);
  Api.EasySetopt(Curl, CURLOPT_FAILONERROR, 1L);
  // An empty cookie file name switches the cookie engine on without reading a file; the
  // jar itself is the share handle's, so it lasts for the run.
  Api.EasySetopt(Curl, CURLOPT_COOKIEFILE, "");
  if (Api.Share) Api.EasySetopt(Curl, CURLOPT_SHARE, Api.Share);
  Api.EasySetopt(Curl, CURLOPT_WRITEFUNCTION, Append);
  Api.EasySetopt(Curl, CURLOPT_WRITEDATA, &Received);
  const CURLcode Result = Api.EasyPerform(Curl);
  Api.EasyCleanup(Curl);
  Api.SlistFreeAll(Headers);
  if (Result != CURLE_OK) return false;
  Body = std::move(Received.Body);
  return true;
}
