#include "app/Game.h"

void Game::drawWinOverlay() {}
