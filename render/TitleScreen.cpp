#include "app/Game.h"

void Game::drawTitleScreen() {}
