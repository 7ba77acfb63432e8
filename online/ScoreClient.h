#pragma once

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

inline constexpr std::size_t kMaxAnswerBytes = 64 * 1024;

// The leaderboard compiled into the game.
ScoreEndpoint leaderboardEndpoint();

// Sets up the HTTPS client once, on the main thread, before any worker runs.
void initScoreClient();

// One blocking HTTPS POST of a score; failures come back inside the result.
ScoreResult postScore(const std::string& gameId, std::int32_t score, const std::string& name);

// The same exchange against another endpoint (tests use a local server).
ScoreResult postScoreTo(const ScoreEndpoint& endpoint, const std::string& gameId,
                        std::int32_t score, const std::string& name);

// Form encoding of the player's name: letters, digits and *-._ as they are,
// space as "+", every other byte as %XX.
std::string encodeFormName(std::string_view name);

// "api_key=...&spill=...&score=...&navn=..."
std::string buildScoreBody(const std::string& gameId, std::int32_t score, const std::string& name);

// Reads "ok":true, "plass": and "totalt": from the server's answer.
ScoreResult parseScoreAnswer(std::string_view answer);
