#include "platform/sdl/SdlHttp.h"

#include <curl/curl.h>

#include <mutex>

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

struct TSdlHttp::TState {
  bool Started = false;
  CURLSH* Share = nullptr;
  // One lock per kind of shared data curl asks for (cookies, DNS, connections, ...).
  std::mutex Locks[CURL_LOCK_DATA_LAST];

  static void Lock(CURL*, curl_lock_data Data, curl_lock_access, void* User) {
    static_cast<TState*>(User)->Locks[Data].lock();
  }
  static void Unlock(CURL*, curl_lock_data Data, void* User) {
    static_cast<TState*>(User)->Locks[Data].unlock();
  }
};

TSdlHttp::TSdlHttp() : F(std::make_unique<TState>()) {
  F->Started = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  if (!F->Started) return;
  F->Share = curl_share_init();
  if (F->Share) {
    curl_share_setopt(F->Share, CURLSHOPT_LOCKFUNC, &TState::Lock);
    curl_share_setopt(F->Share, CURLSHOPT_UNLOCKFUNC, &TState::Unlock);
    curl_share_setopt(F->Share, CURLSHOPT_USERDATA, F.get());
    curl_share_setopt(F->Share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
  }
}

TSdlHttp::~TSdlHttp() {
  if (F->Share) curl_share_cleanup(F->Share);
  if (F->Started) curl_global_cleanup();
}

bool TSdlHttp::Get(const THttpRequest& Request, std::string& Body) {
  if (!F->Started) return false;
  CURL* Curl = curl_easy_init();
  if (!Curl) return false;
  curl_slist* Headers = nullptr;
  for (const std::string& H : Request.Headers) {
    curl_slist* Longer = curl_slist_append(Headers, H.c_str());
    if (!Longer) {
      curl_slist_free_all(Headers);
      curl_easy_cleanup(Curl);
      return false;
    }
    Headers = Longer;
  }
  TReceived Received;
  curl_easy_setopt(Curl, CURLOPT_URL, Request.Url.c_str());
  curl_easy_setopt(Curl, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(Curl, CURLOPT_HTTPHEADER, Headers);
  curl_easy_setopt(Curl, CURLOPT_PROXY, "");  // no proxy, whatever the environment says
  curl_easy_setopt(Curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(Curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(Curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(Request.ConnectTimeoutMs));
  curl_easy_setopt(Curl, CURLOPT_TIMEOUT_MS, static_cast<long>(Request.TimeoutMs));
  curl_easy_setopt(Curl, CURLOPT_NOSIGNAL, 1L);  // no SIGALRM for the resolver's time-out
  curl_easy_setopt(Curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(Curl, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(Curl, CURLOPT_FAILONERROR, 1L);
  // An empty cookie file name switches the cookie engine on without reading a file; the
  // jar itself is the share handle's, so it lasts for the run.
  curl_easy_setopt(Curl, CURLOPT_COOKIEFILE, "");
  if (F->Share) curl_easy_setopt(Curl, CURLOPT_SHARE, F->Share);
  curl_easy_setopt(Curl, CURLOPT_WRITEFUNCTION, Append);
  curl_easy_setopt(Curl, CURLOPT_WRITEDATA, &Received);
  const CURLcode Result = curl_easy_perform(Curl);
  curl_easy_cleanup(Curl);
  curl_slist_free_all(Headers);
  if (Result != CURLE_OK) return false;
  Body = std::move(Received.Body);
  return true;
}
