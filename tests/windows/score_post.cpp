// Sends one score with the Linux build's leaderboard client to port 443 of
// HOST, so the Windows checks can set the bytes it puts on the wire beside
// the Windows game's: score_post HOST NAME SCORE (a wrong score is caught
// there, as a body unlike the Windows game's)
#include <cstdlib>

#include "app/Game.h"
#include "online/ScoreClient.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    return 2;
  }
  ScoreEndpoint endpoint;
  endpoint.host = argv[1];
  initScoreClient();
  return postScoreTo(endpoint, kGameId, std::atoi(argv[3]), argv[2]).error.empty() ? 0 : 1;
}
