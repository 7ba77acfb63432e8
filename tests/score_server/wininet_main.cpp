// Links the Windows leaderboard client into a program, so that every WinINet
// call it makes must resolve against wininet. Not run: it would try the real
// leaderboard.

#include <cstdio>

#include "online/ScoreClient.h"

int main(int argc, char** /*argv*/) {
  initScoreClient();
  if (argc > 1) {
    const ScoreResult result = postScore("snokrystal", 4217, "Ice Fox");
    std::printf("%d %d %d %s\n", result.ok ? 1 : 0, result.place, result.total,
                result.error.c_str());
  }
  return 0;
}
