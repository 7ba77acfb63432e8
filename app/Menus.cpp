#include "app/Game.h"

void Game::togglePause() {}
void Game::triggerWin() {}
