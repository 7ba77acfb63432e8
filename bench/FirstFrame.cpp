// Start-up probe for the game: what main does up to its first frame (the Game
// constructed, one pass of events, update and render), then the report.

#include "app/Game.h"
#include "bench/Probe.h"

int main(int argc, char** argv) {
  Game game;
  game.handleEvents();
  game.update(0.f);
  game.render();
  return bench::reportFirstFrame(argc, argv);
}
