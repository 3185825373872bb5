#pragma once
// The world high-score upload: a finished game's name, score and country as one record,
// encoded in the score server's 32-character code table (the bit grouping of base32) and
// sent as the query of one HTTP GET to the maker's score script. The answer is not used and
// every failure is silent. The request runs on a worker thread that the frame polls, so the
// window keeps drawing the "Sending" message and the music plays on meanwhile.

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "platform/Platform.h"
#include "services/OnlineConfig.h"

// "type=0|name=NAME|score=SCORE|key=KEY|p=|add=COUNTRY|z=", then "0" until its length is a
// multiple of 5.
std::string WorldScoreRecord(const std::string& Name, int32_t Score, const std::string& Key,
                             const std::string& Country);

// Each character's 8-bit code as "0"/"1" digits, most significant first: "abc" gives
// "011000010110001001100011".
std::string BitString(const std::string& Text);

// Digits, with "0" put in front up to a multiple of 5, read 5 at a time (most significant
// first; anything but "0" counts as 1) as an index into the 32-character Alphabet.
std::string FiveBitText(std::string Digits, const std::string& Alphabet);

// The score script's address with the query "hs&prg=Tallowbrackle&inf=" and the encoded
// record; characters of the code table that are not safe in an address are %-escaped.
std::string WorldScoreUrl(const TOnlineConfig& Online, const std::string& Name, int32_t Score,
                          const std::string& Country);

// The whole GET: the address, the headers the script expects, the time-outs (connect
// 5 s, whole request 10 s).
THttpRequest WorldScoreRequest(const TOnlineConfig& Online, const std::string& Name, int32_t Score,
                               const std::string& Country);

// Sends the result and waits for the answer, which is thrown away; nothing is reported.
void SendWorldScore(IHttpClient& Http, const TOnlineConfig& Online, const std::string& Name,
                    int32_t Score, const std::string& Country);

// One upload at a time off the frame. Start hands the request to a worker thread; the
// frame asks Done each time until it says true, then goes on whatever the outcome. The
// HTTP client must outlive the upload; destroying a running upload waits for its request,
// which the time-outs bound.
class TWorldScoreUpload {
 public:
  TWorldScoreUpload() = default;
  ~TWorldScoreUpload();
  TWorldScoreUpload(const TWorldScoreUpload&) = delete;
  TWorldScoreUpload& operator=(const TWorldScoreUpload&) = delete;

  // Starts sending; an upload still running is waited for first.
  void Start(IHttpClient& Http, THttpRequest Request);
  // Start with the request of a finished game.
  void Start(IHttpClient& Http, const TOnlineConfig& Online, const std::string& Name, int32_t Score,
             const std::string& Country);
  // True once the request has ended (answered, failed or timed out), and when none was
  // started.
  bool Done() const { return FDone.load(std::memory_order_acquire); }
  // Whether the server answered without an error; only for tests, the game does not ask.
  bool Answered() const { return Done() && FAnswered.load(std::memory_order_acquire); }

 private:
  void Join();
  std::thread FWorker;
  std::atomic<bool> FDone{true};
  std::atomic<bool> FAnswered{false};
};
