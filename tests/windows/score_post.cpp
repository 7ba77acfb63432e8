// Sends one score with the Linux build's leaderboard client to port 443 of
// HOST, so the Windows checks can set the bytes it puts on the wire beside
// the Windows game's: score_post HOST NAME SCORE
#include <charconv>
#include <cstdint>
#include <cstring>

#include "app/Game.h"
#include "online/ScoreClient.h"

int main(int argc, char** argv) {
  std::int32_t score = 0;
  if (argc != 4 ||
      std::from_chars(argv[3], argv[3] + std::strlen(argv[3]), score).ec != std::errc{}) {
    return 2;
  }
  ScoreEndpoint endpoint;
  endpoint.host = argv[1];
  initScoreClient();
  return postScoreTo(endpoint, kGameId, score, argv[2]).error.empty() ? 0 : 1;
}
