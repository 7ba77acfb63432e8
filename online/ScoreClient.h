#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Outcome of one exchange with the leaderboard.
struct ScoreResult {
  bool ok = false;
  std::int32_t place = 0;
  std::int32_t total = 0;
  std::string error;  // empty when the request was sent
};

// Where and how long a score may travel.
struct ScoreEndpoint {
  std::string host;
  int port = 443;
  std::string caFile;  // empty: the system's trusted certificates
  long connectTimeoutMs = 15000;
  long totalTimeoutMs = 30000;
};

// The fixed parts of the request.
inline constexpr std::string_view kScoreUserAgent = "SNOKRYSTAL/1.0";
inline constexpr std::string_view kScorePath = "/highscores.php";
inline constexpr std::string_view kScoreContentType =
    "Content-Type: application/x-www-form-urlencoded\r\n";  // 49 bytes
inline constexpr std::string_view kScoreApiKey = "POLARLYS4817";

// The answer is a few dozen bytes; anything past this is not read.
inline constexpr std::size_t kMaxAnswerBytes = std::size_t{64} * 1024;

// The leaderboard compiled into the game.
ScoreEndpoint leaderboardEndpoint();

// Sets up the HTTPS client once, on the main thread, before any worker runs.
void initScoreClient();

// One blocking HTTPS POST of a score; failures come back inside the result.
ScoreResult postScore(const std::string& gameId, std::int32_t score, const std::string& name);

// The same exchange against another endpoint. Only tests call this; the game
// always goes through postScore and the compiled-in host.
ScoreResult postScoreTo(const ScoreEndpoint& endpoint, const std::string& gameId,
                        std::int32_t score, const std::string& name);

// Form encoding of a field value: letters, digits and *-._ as they are,
// space as "+", every other byte as %XX.
std::string encodeFormName(std::string_view name);

// "api_key=...&spill=...&score=...&navn=..."
std::string buildScoreBody(const std::string& gameId, std::int32_t score, const std::string& name);

// Adds one piece of the answer as read from the connection: the piece counts
// up to its first zero byte, and the whole answer stops at kMaxAnswerBytes.
// False once the cap is reached (the caller stops reading).
bool appendAnswerPiece(std::string& answer, std::string_view piece);

// Reads "ok":true, "plass": and "totalt": from the server's answer.
ScoreResult parseScoreAnswer(std::string_view answer);

// The error texts of the failure points of one exchange.
inline constexpr std::string_view kOpenFailed = "InternetOpen feilet";
inline constexpr std::string_view kConnectFailed = "InternetConnect feilet";
inline constexpr std::string_view kRequestFailed = "HttpOpenRequest feilet";
inline constexpr std::string_view kSendFailedPrefix = "HttpSendRequest feilet: ";
