#include "online/ScoreClient.h"

std::string encodeFormName(std::string_view) { return {}; }
std::string buildScoreBody(const std::string&, std::int32_t, const std::string&) { return {}; }
ScoreResult parseScoreAnswer(std::string_view) { return {}; }
ScoreEndpoint leaderboardEndpoint() { return {}; }
ScoreResult postScore(const std::string& gameId, std::int32_t score, const std::string& name) {
  return postScoreTo(leaderboardEndpoint(), gameId, score, name);
}
