#include "app/Game.h"

void Game::spawnConfetti() {}
