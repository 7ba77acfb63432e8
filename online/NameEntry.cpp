#include "app/Game.h"

void Game::submitName() {}
void Game::collectScoreResult() {}
void Game::drawNameEntryOverlay() {}
