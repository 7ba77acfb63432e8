#include "app/Game.h"

void Game::drawPauseOverlay() {}
void Game::drawMenu(float, float, float) {}
