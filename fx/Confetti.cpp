#include "app/Game.h"

// A new win replaces whatever confetti is still falling.
void Game::spawnConfetti() { particles = makeConfetti(static_cast<float>(window.getSize().x)); }
