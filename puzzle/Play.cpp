#include "app/Game.h"

void Game::startLevel(int /*index*/) {}
void Game::tryMove(int /*rowStep*/, int /*columnStep*/) {}
