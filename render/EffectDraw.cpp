#include "app/Game.h"

void ImpactEffects::draw(sf::RenderTarget&, float, sf::Vector2f) const {}
void Game::drawConfetti() {}
