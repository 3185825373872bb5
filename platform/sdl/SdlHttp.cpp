#include "platform/sdl/SdlHttp.h"

#include <curl/curl.h>

namespace {

size_t Append(char* Data, size_t Size, size_t Count, void* User) {
  static_cast<std::string*>(User)->append(Data, Size * Count);
  return Size * Count;
}

}  // namespace

TSdlHttp::TSdlHttp() {
  FStarted = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
}

TSdlHttp::~TSdlHttp() {
  if (FStarted) curl_global_cleanup();
}

bool TSdlHttp::Get(const std::string& Url, std::string& Body) {
  if (!FStarted) return false;
  CURL* Curl = curl_easy_init();
  if (!Curl) return false;
  std::string Received;
  curl_easy_setopt(Curl, CURLOPT_URL, Url.c_str());
  curl_easy_setopt(Curl, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(Curl, CURLOPT_CONNECTTIMEOUT_MS, 5000L);
  curl_easy_setopt(Curl, CURLOPT_TIMEOUT_MS, 10000L);
  curl_easy_setopt(Curl, CURLOPT_NOSIGNAL, 1L);  // no SIGALRM for the resolver's time-out
  curl_easy_setopt(Curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(Curl, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(Curl, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(Curl, CURLOPT_WRITEFUNCTION, Append);
  curl_easy_setopt(Curl, CURLOPT_WRITEDATA, &Received);
  const CURLcode Result = curl_easy_perform(Curl);
  curl_easy_cleanup(Curl);
  if (Result != CURLE_OK) return false;
  Body = std::move(Received);
  return true;
}
