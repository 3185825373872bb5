#include <windows.h>
#include <winhttp.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/sdl/SdlHttp.h"
#include "platform/windows/Wide.h"

// The same client as libcurl's on Linux, through WinHTTP: one GET, no proxy whatever the
// system's settings say, http and https only, no redirect followed, an HTTP error status
// (400 and above) a failure, the answer at most 1 MB, and time-outs that bound the whole
// request and not only each step. WinHTTP keeps the cookies servers set in its session, the
// run's one in-memory jar.

namespace {

constexpr size_t kMaxBodyBytes = 1024 * 1024;

using TClock = std::chrono::steady_clock;

struct THandle {
  HINTERNET H = nullptr;
  explicit THandle(HINTERNET Handle) : H(Handle) {}
  ~THandle() {
    if (H) WinHttpCloseHandle(H);
  }
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;
};

}  // namespace

struct TSdlHttp::TClient {
  HINTERNET Session = nullptr;
  ~TClient() {
    if (Session) WinHttpCloseHandle(Session);
  }
};

TSdlHttp::TSdlHttp() = default;

TSdlHttp::~TSdlHttp() = default;

bool TSdlHttp::Get(const THttpRequest& Request, std::string& Body) {
  std::call_once(FLoadOnce, [this] {
    auto Client = std::make_unique<TClient>();
    // No agent string of our own: the request's headers carry the User-Agent, as with curl.
    Client->Session = WinHttpOpen(L"", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                  WINHTTP_NO_PROXY_BYPASS, 0);
    if (Client->Session) FClient = std::move(Client);
  });
  if (!FClient) return false;
  const auto Deadline = TClock::now() + std::chrono::milliseconds(Request.TimeoutMs);
  // Milliseconds left of the whole request, at least 1 (0 would mean "no time-out").
  auto Left = [&Deadline]() -> int {
    const auto Ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(Deadline - TClock::now()).count();
    return Ms < 1 ? 1 : static_cast<int>(Ms);
  };
  auto Expired = [&Deadline] { return TClock::now() >= Deadline; };

  std::wstring Url = WideOf(Request.Url);
  URL_COMPONENTS Parts{};
  Parts.dwStructSize = sizeof Parts;
  Parts.dwHostNameLength = static_cast<DWORD>(-1);
  Parts.dwUrlPathLength = static_cast<DWORD>(-1);
  Parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (Url.empty() || !WinHttpCrackUrl(Url.c_str(), 0, 0, &Parts)) return false;
  if (Parts.nScheme != INTERNET_SCHEME_HTTP && Parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
  const std::wstring Host(Parts.lpszHostName, Parts.dwHostNameLength);
  std::wstring Path(Parts.lpszUrlPath, Parts.dwUrlPathLength);
  Path.append(Parts.lpszExtraInfo, Parts.dwExtraInfoLength);
  if (Path.empty()) Path = L"/";

  THandle Connection(WinHttpConnect(FClient->Session, Host.c_str(), Parts.nPort, 0));
  if (!Connection.H) return false;
  THandle Req(WinHttpOpenRequest(Connection.H, L"GET", Path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                 WINHTTP_DEFAULT_ACCEPT_TYPES,
                                 Parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0));
  if (!Req.H) return false;
  DWORD Policy = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
  WinHttpSetOption(Req.H, WINHTTP_OPTION_REDIRECT_POLICY, &Policy, sizeof Policy);
  for (const std::string& H : Request.Headers) {
    const std::wstring Line = WideOf(H);
    if (!WinHttpAddRequestHeaders(Req.H, Line.c_str(), static_cast<DWORD>(Line.size()),
                                  WINHTTP_ADDREQ_FLAG_ADD))
      return false;
  }
  const int Connect = Request.ConnectTimeoutMs < Left() ? Request.ConnectTimeoutMs : Left();
  if (!WinHttpSetTimeouts(Req.H, Connect, Connect, Left(), Left())) return false;
  if (!WinHttpSendRequest(Req.H, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0,
                          0) ||
      Expired())
    return false;
  auto SetReceiveTimeout = [&Req](int Ms) {
    DWORD Value = static_cast<DWORD>(Ms);
    WinHttpSetOption(Req.H, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &Value, sizeof Value);
    WinHttpSetOption(Req.H, WINHTTP_OPTION_RECEIVE_TIMEOUT, &Value, sizeof Value);
  };
  SetReceiveTimeout(Left());
  if (!WinHttpReceiveResponse(Req.H, nullptr) || Expired()) return false;
  DWORD Status = 0, Size = sizeof Status;
  if (!WinHttpQueryHeaders(Req.H, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &Status, &Size, WINHTTP_NO_HEADER_INDEX) ||
      Status >= 400)
    return false;
  std::string Received;
  for (;;) {
    SetReceiveTimeout(Left());
    DWORD Available = 0;
    if (!WinHttpQueryDataAvailable(Req.H, &Available) || Expired()) return false;
    if (Available == 0) break;
    if (Received.size() + Available > kMaxBodyBytes) return false;
    const size_t At = Received.size();
    Received.resize(At + Available);
    DWORD Read = 0;
    if (!WinHttpReadData(Req.H, Received.data() + At, Available, &Read)) return false;
    Received.resize(At + Read);
    if (Read == 0) break;
  }
  Body = std::move(Received);
  return true;
}
