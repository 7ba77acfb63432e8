// The leaderboard exchange over WinINet, for Windows.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <wininet.h>

#include <string>

#include "online/ScoreClient.h"

namespace {

// Closes a WinINet handle when it goes out of scope; declared in the order of
// opening, so the request closes first, then the connection, then the session.
struct InternetHandle {
  HINTERNET handle = nullptr;
  explicit InternetHandle(HINTERNET opened) : handle(opened) {}
  ~InternetHandle() {
    if (handle != nullptr) {
      InternetCloseHandle(handle);
    }
  }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  explicit operator bool() const { return handle != nullptr; }
};

ScoreResult failed(std::string_view error) {
  ScoreResult result;
  result.error = error;
  return result;
}

// A bound on one phase of the exchange; an option WinINet refuses leaves its
// default in place rather than stopping the score.
void setTimeout(HINTERNET handle, DWORD option, long milliseconds) {
  DWORD value = static_cast<DWORD>(milliseconds);
  InternetSetOptionA(handle, option, &value, sizeof(value));
}

}  // namespace

void initScoreClient() {}

ScoreResult postScoreTo(const ScoreEndpoint& endpoint, const std::string& gameId,
                        std::int32_t score, const std::string& name) {
  const DWORD started = GetTickCount();
  std::string body = buildScoreBody(gameId, score, name);
  const std::string userAgent(kScoreUserAgent);
  const std::string path(kScorePath);
  const std::string contentType(kScoreContentType);

  const InternetHandle session(
      InternetOpenA(userAgent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) {
    return failed(kOpenFailed);
  }
  // Without bounds a silent server holds the score (and with it every later
  // one) for up to an hour: connect within 15 s, and no send or read may
  // wait longer than the whole exchange may take.
  setTimeout(session.handle, INTERNET_OPTION_CONNECT_TIMEOUT, endpoint.connectTimeoutMs);
  setTimeout(session.handle, INTERNET_OPTION_SEND_TIMEOUT, endpoint.totalTimeoutMs);
  setTimeout(session.handle, INTERNET_OPTION_RECEIVE_TIMEOUT, endpoint.totalTimeoutMs);

  const InternetHandle connection(InternetConnectA(session.handle, endpoint.host.c_str(),
                                                   static_cast<INTERNET_PORT>(endpoint.port),
                                                   nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) {
    return failed(kConnectFailed);
  }

  const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_SECURE;
  const InternetHandle request(HttpOpenRequestA(connection.handle, "POST", path.c_str(), nullptr,
                                                nullptr, nullptr, flags, 0));
  if (!request) {
    return failed(kRequestFailed);
  }

  if (!HttpSendRequestA(request.handle, contentType.c_str(), static_cast<DWORD>(contentType.size()),
                        body.data(), static_cast<DWORD>(body.size()))) {
    const DWORD code = GetLastError();
    return failed(std::string(kSendFailedPrefix) + std::to_string(code));
  }

  // A failed read, the end of the answer, the cap or the end of the time
  // allowed for the whole exchange all end the answer; it is parsed as read.
  // WinINet bounds each wait, so every read may wait only for what is left.
  std::string answer;
  char buffer[1024];
  for (;;) {
    const long left = endpoint.totalTimeoutMs - static_cast<long>(GetTickCount() - started);
    if (left <= 0) {
      break;
    }
    setTimeout(request.handle, INTERNET_OPTION_RECEIVE_TIMEOUT, left);
    DWORD read = 0;
    if (!InternetReadFile(request.handle, buffer, sizeof(buffer) - 1, &read) || read == 0) {
      break;
    }
    if (!appendAnswerPiece(answer, std::string_view(buffer, read))) {
      break;
    }
  }
  return parseScoreAnswer(answer);
}
